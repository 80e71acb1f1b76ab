#include "message_boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace {

QPointer<QWidget>& boxParent()
{
    static QPointer<QWidget> p;
    return p;
}

class QtMessageBoxes : public MessageBoxes {
public:
    void information(const QString& text) override
    {
        QMessageBox::information(boxParent(), QApplication::applicationName(), text, QMessageBox::Ok);
    }
    int confirm(const QString& text) override
    {
        auto b = QMessageBox::question(boxParent(), QApplication::applicationName(), text,
                                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                       QMessageBox::Yes);
        if (b == QMessageBox::Yes) return kAnswerYes;
        if (b == QMessageBox::No) return kAnswerNo;
        return kAnswerCancel;
    }
    void plain(const QString& text) override
    {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, boxParent());
        box.exec();
    }
};

MessageBoxes*& current()
{
    static MessageBoxes* c = nullptr;
    return c;
}

} // namespace

MessageBoxes& messageBoxes()
{
    static QtMessageBoxes qtBoxes;
    return current() ? *current() : qtBoxes;
}

void setMessageBoxes(MessageBoxes* boxes)
{
    current() = boxes;
}

void setMessageBoxParent(QWidget* parent)
{
    boxParent() = parent;
}
