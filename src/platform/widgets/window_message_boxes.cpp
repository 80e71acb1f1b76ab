#include "window_message_boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include "message_boxes.h"

namespace {

QPointer<QWidget>& boxParent()
{
    static QPointer<QWidget> p;
    return p;
}

// Texts are shown as plain text: a server's answer or a version text is never read as HTML.
class QtMessageBoxes : public MessageBoxes {
public:
    void information(const QString& text) override
    {
        QMessageBox box(QMessageBox::Information, QApplication::applicationName(), text, QMessageBox::Ok, boxParent());
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
    int confirm(const QString& text) override
    {
        QMessageBox box(QMessageBox::Question, QApplication::applicationName(), text,
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, boxParent());
        box.setDefaultButton(QMessageBox::Yes);
        box.setTextFormat(Qt::PlainText);
        const int b = box.exec();
        if (b == QMessageBox::Yes) return kAnswerYes;
        if (b == QMessageBox::No) return kAnswerNo;
        return kAnswerCancel;
    }
    void plain(const QString& text) override
    {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, boxParent());
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
};

} // namespace

void installWindowMessageBoxes()
{
    static QtMessageBoxes boxes;
    setProgramMessageBoxes(&boxes);
}

void setMessageBoxParent(QWidget* parent)
{
    boxParent() = parent;
}
