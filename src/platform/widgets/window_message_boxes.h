#pragma once
// The message boxes the program shows: Qt's QMessageBox, centred on the main window.
class QWidget;

// Makes Qt's message boxes the program's own (see setProgramMessageBoxes); texts are shown
// as plain text, never read as HTML. The application calls it once at start-up.
void installWindowMessageBoxes();
// The window the boxes are centred on; nullptr for none.
void setMessageBoxParent(QWidget* parent);
