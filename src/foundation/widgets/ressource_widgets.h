#pragma once
// Translation of a form's controls into the interface language.
class QWidget;

// Gives every widget of the form whose "Tag" property is not 0 its caption (buttons,
// labels, radio buttons, group boxes, check boxes) or its hint (tool buttons, images).
void TranslateForm(QWidget* form);
