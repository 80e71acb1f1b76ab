// Qt's message boxes, as the program shows them: a server's text is shown as it is, never
// read as HTML.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include "message_boxes.h"
#include "window_message_boxes.h"

TEST(MessageBoxes, ShowTextAsPlainText)
{
    setMessageBoxes(nullptr);
    const QString text = "<b>v3</b> <a href='x'>page</a>";
    QStringList seen;
    int formatsPlain = 0;
    auto inspectAndClose = [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        if (box->textFormat() == Qt::PlainText) ++formatsPlain;
        for (QLabel* l : box->findChildren<QLabel*>())
            if (l->text() == text) seen << l->text();
        box->reject();
    };
    QTimer::singleShot(0, inspectAndClose);
    messageBoxes().information(text);
    QTimer::singleShot(0, inspectAndClose);
    EXPECT_EQ(messageBoxes().confirm(text), kAnswerCancel);
    QTimer::singleShot(0, inspectAndClose);
    messageBoxes().plain(text);
    EXPECT_EQ(formatsPlain, 3);
    EXPECT_EQ(seen.size(), 3);
}

namespace {
class CountingBoxes : public MessageBoxes {
public:
    void information(const QString&) override { ++shown; }
    int confirm(const QString&) override { ++shown; return kAnswerYes; }
    void plain(const QString&) override { ++shown; }
    int shown = 0;
};

QStringList& loggedWarnings()
{
    static QStringList lines;
    return lines;
}
} // namespace

// Before the program installs its boxes (a widget-free tool, a fuzz target) nothing waits on
// a window: the text goes to the warning log and a question is answered with Cancel. A test's
// boxes take over and nullptr gives the program's own back.
TEST(MessageBoxes, ProgramBoxesAndTheFallbackBeforeThem)
{
    setMessageBoxes(nullptr);
    setProgramMessageBoxes(nullptr);
    loggedWarnings().clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& m) {
        if (type == QtWarningMsg) loggedWarnings() << m;
    });
    messageBoxes().information("one");
    EXPECT_EQ(messageBoxes().confirm("two"), kAnswerCancel);
    messageBoxes().plain("three");
    qInstallMessageHandler(previous);
    EXPECT_EQ(loggedWarnings(), QStringList({"one", "two", "three"}));

    CountingBoxes program, test;
    setProgramMessageBoxes(&program);
    EXPECT_EQ(messageBoxes().confirm("a"), kAnswerYes);
    setMessageBoxes(&test);
    messageBoxes().information("b");
    setMessageBoxes(nullptr);
    messageBoxes().plain("c");
    EXPECT_EQ(program.shown, 2);
    EXPECT_EQ(test.shown, 1);
    installWindowMessageBoxes();
}
