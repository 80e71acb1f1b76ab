#pragma once
// The program's log: lines go to the log memo of the main window once it exists,
// and to standard error before that.
#include <functional>
#include <string>

using LogSink = std::function<void(const std::string& line)>; // Windows-1252 text
void SetLogSink(LogSink sink); // an empty sink restores standard error
void LogLine(const std::string& line);
