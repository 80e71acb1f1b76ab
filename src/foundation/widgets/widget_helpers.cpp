#include "widget_helpers.h"

#include <QActionGroup>
#include <QComboBox>
#include <QSignalBlocker>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>

#include <algorithm>
#include <vector>

#include "cp1252.h"
#include "delphi_conv.h"
#include "text_helpers.h"

void ClampEditValue(QLineEdit* edit, int min, int max)
{
    if (!edit) return;
    const QString text = edit->text();
    if (text.isEmpty()) return;
    int64_t v = 0;
    QString t = text.trimmed();
    bool allDigits = !t.isEmpty();
    for (QChar c : t)
        if (!c.isDigit() && c != '-' && c != '+') allDigits = false;
    if (!TryParseInt64(t.toStdString(), v)) {
        // Digits only but too long to read: it can only be too large.
        v = (allDigits && !t.startsWith('-')) ? int64_t(max) : int64_t(min);
        edit->setText(QString::number(v));
    }
    if (v < min) edit->setText(QString::number(min));
    else if (v > max) edit->setText(QString::number(max));
    edit->setSelection(0, edit->text().size() == 2 ? 2 : 1);
}

void TextToMemo(QPlainTextEdit* memo, const std::string& text)
{
    // One setPlainText: appending to an empty memo would swallow leading empty lines.
    QStringList lines;
    for (const std::string& line : TextToLines(text)) lines << FromCp1252(line);
    memo->setPlainText(lines.join('\n'));
}

std::optional<std::string> MemoToText(QPlainTextEdit* memo)
{
    std::vector<std::string> lines;
    const QTextDocument* doc = memo->document();
    if (!(doc->blockCount() == 1 && doc->firstBlock().text().isEmpty())) {
        for (QTextBlock b = doc->firstBlock(); b.isValid(); b = b.next()) {
            auto bytes = ToCp1252(b.text());
            if (!bytes) return std::nullopt;
            lines.push_back(*bytes);
        }
    }
    return LinesToText(lines);
}

bool SameFolderName(const QString& a, const QString& b)
{
    auto x = ToCp1252(a), y = ToCp1252(b);
    if (!x || !y) return a.compare(b, Qt::CaseInsensitive) == 0;
    return NormalizeText(*x) == NormalizeText(*y);
}

QStringList FindSubFolders(const QString& mask)
{
    const int slash = mask.lastIndexOf('/');
    const QString folder = slash >= 0 ? mask.left(slash + 1) : QStringLiteral("./");
    QString pattern = slash >= 0 ? mask.mid(slash + 1) : mask;
    if (pattern.isEmpty() || pattern == "*.*") pattern = "*";
    QDir dir(folder);
    QStringList names = dir.entryList({pattern}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    names.removeIf([](const QString& n) { return n.startsWith('.'); });
    return names;
}

void ListSubFolders(const QString& mask, const QString& name, QListWidget* list)
{
    const QStringList names = FindSubFolders(mask);
    const int first = list->count();
    list->addItems(names);
    // The exact name first: on Linux "English" and "english" can both exist.
    int match = int(names.indexOf(name));
    for (int i = 0; match < 0 && i < names.size(); ++i)
        if (SameFolderName(names[i], name)) match = i;
    if (match >= 0)
        list->setCurrentRow(first + match);
    else if (list->count() > 0)
        list->setCurrentRow(0);
}

void BuildFolderMenu(const QString& mask, const QString& name, int tag,
                     const std::function<void(QAction*)>& onClick, QMenu* menu)
{
    menu->clear();
    for (QActionGroup* g : menu->findChildren<QActionGroup*>(Qt::FindDirectChildrenOnly)) delete g;
    auto* group = new QActionGroup(menu);
    group->setExclusive(true);
    for (const QString& n : FindSubFolders(mask)) {
        // A menu caption takes "&" as a shortcut marker: "&&" shows one. The item keeps
        // the folder name itself as its data.
        QAction* a = menu->addAction(QString(n).replace('&', QStringLiteral("&&")));
        a->setData(n);
        a->setCheckable(true);
        a->setProperty("Tag", tag);
        group->addAction(a);
        if (onClick) QObject::connect(a, &QAction::triggered, menu, [a, onClick] { onClick(a); });
    }
    CheckFolderItem(menu, name);
}

QAction* CheckFolderItem(QMenu* menu, const QString& name)
{
    const QList<QAction*> items = menu->actions();
    QAction* found = nullptr;
    for (QAction* a : items)
        if (!found && a->data().toString() == name) found = a;
    for (QAction* a : items)
        if (!found && SameFolderName(a->data().toString(), name)) found = a;
    if (!found && !items.isEmpty()) found = items.first();
    if (found) found->setChecked(true);
    return found;
}

void SortComboItems(QComboBox* combo)
{
    if (!combo) return;
    struct Item {
        std::string key;
        QString text;
        QVariant data;
        bool current;
    };
    std::vector<Item> items;
    for (int i = 0; i < combo->count(); ++i) {
        const QString text = combo->itemText(i);
        const std::string key = NormalizeText(ToCp1252(text).value_or(text.toStdString()));
        items.push_back({key, text, combo->itemData(i), i == combo->currentIndex()});
    }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.key < b.key; });
    const QSignalBlocker block(combo);
    combo->clear();
    for (const Item& item : items) {
        combo->addItem(item.text, item.data);
        if (item.current) combo->setCurrentIndex(combo->count() - 1);
    }
}
