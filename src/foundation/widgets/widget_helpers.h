#pragma once
// Helpers between the data's texts and the widgets: numeric edits, memos, folder lists.
#include <functional>
#include <optional>
#include <string>

#include <QString>
#include <QStringList>

class QAction;
class QComboBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;

// Keeps a numeric edit's text within [min, max]; an empty text stays empty. Text that is
// not a number (pasted) becomes min; a number too long to read becomes max.
void ClampEditValue(QLineEdit* edit, int min, int max);

// Fills a memo with one line per piece of the stored text between "|".
void TextToMemo(QPlainTextEdit* memo, const std::string& text);
// Joins the memo's lines with "|"; nothing when a line has no Windows-1252 form.
std::optional<std::string> MemoToText(QPlainTextEdit* memo);

// The sub-folder names a mask (folder + "/" + pattern, "*.*" meaning every name) finds,
// sorted ignoring case; "." and "..", and hidden dot-folders, are left out.
QStringList FindSubFolders(const QString& mask);
// Adds the sub-folders to the list and selects the one named `name`, else the first whose
// name matches it (upper case, French accents folded), else the first.
void ListSubFolders(const QString& mask, const QString& name, QListWidget* list);
// Replaces the menu's items by one radio item per sub-folder, with the Tag property, the
// folder name as data ("&" doubled in the caption) and the click handler, and checks the
// one matching `name` as CheckFolderItem does.
void BuildFolderMenu(const QString& mask, const QString& name, int tag,
                     const std::function<void(QAction*)>& onClick, QMenu* menu);
// Checks the item of a folder menu whose folder is `name`, else the first whose folder
// matches it normalised, else the first item; returns it (nullptr for an empty menu).
QAction* CheckFolderItem(QMenu* menu, const QString& name);
// True when two folder names normalise to the same text.
bool SameFolderName(const QString& a, const QString& b);

// Sorts a combo box's items (text and data) alphabetically for French readers: letter case
// and French accents ignored, equal texts kept in their order. The current
// item stays current.
void SortComboItems(QComboBox* combo);
