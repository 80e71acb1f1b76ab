#include "message_boxes.h"

#include <QtGlobal>

namespace {

// The boxes of a process that has installed none: the text is logged, nothing is asked.
class LoggedMessageBoxes : public MessageBoxes {
public:
    void information(const QString& text) override { qWarning("%s", qUtf8Printable(text)); }
    int confirm(const QString& text) override
    {
        qWarning("%s", qUtf8Printable(text));
        return kAnswerCancel;
    }
    void plain(const QString& text) override { qWarning("%s", qUtf8Printable(text)); }
};

MessageBoxes*& installed()
{
    static MessageBoxes* c = nullptr;
    return c;
}

MessageBoxes*& programBoxes()
{
    static MessageBoxes* p = nullptr;
    return p;
}

} // namespace

MessageBoxes& messageBoxes()
{
    static LoggedMessageBoxes logged;
    if (installed()) return *installed();
    return programBoxes() ? *programBoxes() : logged;
}

void setMessageBoxes(MessageBoxes* boxes)
{
    installed() = boxes;
}

void setProgramMessageBoxes(MessageBoxes* boxes)
{
    programBoxes() = boxes;
}
