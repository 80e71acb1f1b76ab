#include "feedback.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>

#include "cp1252.h"
#include "ressource.h"

void AddDirectFeedback(int id, int seconds, const std::string& arg1, FeedbackLines& list, const std::string& arg2)
{
    for (auto& l : list) l.colour = kFeedbackGrey;
    std::string text;
    if (id == 0)
        text = arg1 + "\r\r";
    else if (id > 0 && size_t(id) < Ressources.message.size())
        text = FormatRessource(Ressources.message[size_t(id)] + "%%%%", arg1, arg2);
    else
        text = std::string(kMissingText) + "\r\r";
    std::string current;
    for (char c : text) {
        if (c != '\r') {
            current += c;
            continue;
        }
        rdirectfeedback line;
        line.text = current;
        line.remaining = seconds * 1000;
        MeasureFeedbackWidth(line);
        AppendDirectFeedback(std::move(line), list);
        current.clear();
    }
}

void AppendDirectFeedback(rdirectfeedback line, FeedbackLines& list)
{
    line.colour = kFeedbackWhite;
    list.push_back(std::move(line));
    if (list.size() > kFeedbackMaxLines) {
        list.erase(list.begin());
        rdirectfeedback& first = list.front();
        first.text = "[...]";
        first.colour = kFeedbackGrey;
        MeasureFeedbackWidth(first);
    }
}

void MeasureFeedbackWidth(rdirectfeedback& line)
{
    if (!qGuiApp) { // no font system without an application: estimate
        line.width = int32_t(line.text.size() * 5);
        return;
    }
    QFont font("Arial");
    font.setPixelSize(11); // 8 points at 96 dots per inch
    line.width = QFontMetrics(font).horizontalAdvance(FromCp1252(line.text));
}

bool AgeFeedback(FeedbackLines& list, int ms)
{
    for (size_t i = list.size(); i-- > 0;) {
        list[i].remaining -= ms;
        if (list[i].remaining < 1) list.erase(list.begin() + ptrdiff_t(i));
    }
    return !list.empty();
}
