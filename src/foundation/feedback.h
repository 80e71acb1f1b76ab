#pragma once
// Short-lived feedback lines drawn over the map, newest last, at most 12.
#include <cstdint>
#include <string>
#include <vector>

#include "con_colors.h"

constexpr TColor kFeedbackWhite = 0xFFFFFF;
constexpr TColor kFeedbackGrey = 0xAAAAAA;
constexpr size_t kFeedbackMaxLines = 12;
constexpr int kFeedbackTickMs = 200;

struct rdirectfeedback {
    std::string text;    // one line, without line break
    int32_t width = 0;   // pixels in "arial" 8
    int32_t remaining = 0; // milliseconds left
    TColor colour = kFeedbackWhite;
};

using FeedbackLines = std::vector<rdirectfeedback>; // oldest first

// Adds message S<id> (or arg1 itself for id 0) cut into lines, each living `seconds`.
void AddDirectFeedback(int id, int seconds, const std::string& arg1, FeedbackLines& list, const std::string& arg2 = {});
// Appends a line in white; past 12 lines the oldest goes and the new first line reads "[...]".
void AppendDirectFeedback(rdirectfeedback line, FeedbackLines& list);
void MeasureFeedbackWidth(rdirectfeedback& line);
// One timer step: every line loses `ms`; lines below 1 ms are removed.
// Returns True while lines remain (the timer keeps running).
bool AgeFeedback(FeedbackLines& list, int ms = kFeedbackTickMs);
