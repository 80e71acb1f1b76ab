// Translation of a form's controls from their "Tag" property.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QWidget>

#include "cp1252.h"
#include "image_control.h"
#include "ressource.h"
#include "ressource_widgets.h"

void TranslateForm(QWidget* form)
{
    if (!form) return;
    const auto children = form->findChildren<QWidget*>();
    for (QWidget* w : children) {
        const int tag = w->property("Tag").toInt();
        if (tag == 0) continue;
        // Qt paints every widget double-buffered already; nothing to switch on.
        if (qobject_cast<QPushButton*>(w) || qobject_cast<QRadioButton*>(w) || qobject_cast<QCheckBox*>(w)) {
            static_cast<QAbstractButton*>(w)->setText(ToDisplay(GetCaptionText(tag)));
        } else if (auto* label = qobject_cast<QLabel*>(w); label && !label->property("Picture").toBool()) {
            label->setText(ToDisplay(GetCaptionText(tag)));
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            group->setTitle(ToDisplay(GetCaptionText(tag)));
        } else if (qobject_cast<QToolButton*>(w) || qobject_cast<ImageControl*>(w) || qobject_cast<QLabel*>(w)) {
            // A label marked "Picture" stands for an image control: it shows a picture, never
            // a caption, and its tag names its hint.
            const std::string hint = GetHintText(tag);
            // The leading "@" asks the hint window for a simple hint; the tool tip shows the text.
            w->setProperty("Hint", FromCp1252(hint));
            w->setProperty("ShowHint", true);
            w->setProperty("ParentShowHint", false);
            w->setToolTip(hint.empty() ? QString() : ToDisplay(hint.substr(1)));
        }
    }
}
