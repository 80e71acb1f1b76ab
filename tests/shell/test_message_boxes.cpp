// Qt's message boxes, as the program shows them: a server's text is shown as it is, never
// read as HTML.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include "message_boxes.h"

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
