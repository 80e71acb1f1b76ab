// The location editor's commands: the note's reference, the link page (place code, route
// codes and their options), the bulk change onto same-named locations, OK and delete.
#include "location_editor.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextBlock>

#include "cp1252.h"
#include "database_globals.h"
#include "delphi_conv.h"
#include "link_codes.h"
#include "map_paths.h"
#include "preferences.h"
#include "ressource.h"
#include "widget_helpers.h"

void TForm2::acc1Click()
{
    QTextCursor cursor = MemoInfo->textCursor();
    if (cursor.hasSelection()) {
        cursor.insertText("{" + cursor.selectedText() + "}");
    } else if (copyBufferFilled(host_.copyBuffer())) {
        cursor.insertText(ToDisplay("{" + host_.copyBuffer()->item->name + "}"));
    }
    MemoInfo->setTextCursor(cursor);
    MemoInfo->setFocus();
}

void TForm2::updateTrajet1()
{
    const RouteMenuState state = routeMenuState(linkText());
    trajet1->setEnabled(state.enabled);
    if (state.captionId) trajet1->setText(ToDisplay(GetMenuText(state.captionId)));
}

std::string TForm2::linkText() const
{
    return ToCp1252(Edit2->text()).value_or(std::string());
}

std::string TForm2::edit_route_options(const std::string& options)
{
    return runRouteOptions(options, this, routeOptionsRunner);
}

void TForm2::trajet1Click()
{
    const std::string link = linkText();
    if (link.empty() || link[0] != 'V') return;
    const std::string options = edit_route_options(routeOptionsOfCode(link));
    const auto parsed = parseRouteOptions(options);
    if (!parsed) return;
    if (const auto code = withRouteOptions(link, *parsed)) Edit2->setText(FromCp1252(*code));
}

void TForm2::Button8Click()
{
    if (!zone) return;
    const int x = Edit5->text().toInt(), y = Edit6->text().toInt();
    LastPlaceCode = buildPlaceCode(zone->zoneId, uint16_t(x), uint16_t(y));
    QApplication::clipboard()->setText(FromCp1252(LastPlaceCode));
}

void TForm2::Button6Click()
{
    Edit2->setText(FromCp1252(LastPlaceCode));
}

void TForm2::Button7Click()
{
    Edit2->clear();
}

void TForm2::Button5Click()
{
    const auto options = parseRouteOptions(edit_route_options(std::string(kDefaultRouteOptions)));
    if (!options) return;
    const std::vector<RouteWaypoint> waypoints = toRouteWaypoints(host_.waypoints());
    const BuiltRouteCode built = buildRouteCode(*options, zone, waypoints);
    if (built.status == RouteBuildStatus::FirstOutsideZone) {
        ShowRessourceMessage(50, false);
        return;
    }
    if (built.status != RouteBuildStatus::Ok) {
        ShowRessourceMessage(49, false);
        return;
    }
    Edit2->setText(FromCp1252(built.text));
}

void TForm2::Button11Click()
{
    const BuiltRouteCode built = buildWorldRouteCode(toRouteWaypoints(host_.waypoints()));
    if (built.status != RouteBuildStatus::Ok) {
        ShowRessourceMessage(49, false);
        return;
    }
    Edit2->setText(FromCp1252(built.text));
}

std::optional<std::string> TForm2::trimmedName() const
{
    const auto bytes = ToCp1252(Edit1->text());
    if (!bytes) return std::nullopt;
    return DelphiTrim(*bytes);
}

uint8_t TForm2::languageTag() const
{
    // Checked: written in the database's language; unchecked: in none (tag 0).
    return CheckBox12->isChecked() ? CurrentLangTag : 0;
}

void TForm2::allnode_modif(uint8_t tag)
{
    bulkCount = 0;
    const TNodeData* old = host_.editedTree().nodeData(node);
    if (!old || !old->item || !category) return;
    BulkChange change;
    change.name = CheckBox4->isChecked();
    change.note = CheckBox5->isChecked();
    change.attributesAndType = CheckBox6->isChecked();
    change.levels = CheckBox7->isChecked();
    change.newName = trimmedName().value_or(std::string());
    change.noteText = MemoToText(MemoInfo).value_or(std::string());
    change.attributes = get_flags();
    change.typeId = uint8_t(std::max(0, ComboBox1->currentIndex()));
    change.levelMin = uint8_t(Edit3->value());
    change.levelMax = uint8_t(Edit4->value());
    change.languageTag = tag;
    bulkCount = int32_t(applyBulkChange(host_.editedTree(), node, old->item->name, category->id, change).size());
}

void TForm2::Button2Click()
{
    const uint8_t tag = languageTag();
    const std::optional<std::string> name = trimmedName();
    if (name && (name->empty() || *name == placeholder)) {
        ShowRessourceMessage(17, false);
        Edit1->setFocus();
        return;
    }
    if (!category) {
        ShowRessourceMessage(62, false);
        return;
    }
    if (!name || forbiddenNameChar(*name)) {
        ShowRessourceMessage(18, false);
        return;
    }
    for (QTextBlock b = MemoInfo->document()->firstBlock(); b.isValid(); b = b.next()) {
        const std::optional<std::string> line = ToCp1252(b.text());
        if (!line) {
            ShowRessourceMessage(36, false, "?"); // a pasted character with no stored form
            return;
        }
        if (forbiddenNoteChar(*line)) {
            ShowRessourceMessage(24, false);
            return;
        }
    }
    const std::string note = MemoToText(MemoInfo).value_or(std::string());

    const TNodeData* old = modifyMode ? host_.editedTree().nodeData(node) : nullptr;
    if (modifyMode && !CheckBox2->isChecked() && old && old->item) {
        EditedValues now;
        now.linkText = linkText();
        now.name = *name;
        now.note = note;
        // Flags the user did not touch are the old set, whatever get_flags would add to it.
        now.attributes = flagsTouched_ ? get_flags() : old->item->attributes;
        now.categoryId = category->id;
        now.levelMin = Edit3->value();
        now.levelMax = Edit4->value();
        now.typeId = ComboBox1->currentIndex();
        now.languageTag = tag;
        const int oldCategory = originalCategory ? originalCategory->id : -1;
        if (sameValues(now, originalValues(*old->item, oldCategory))) {
            accept();
            return;
        }
    }
    if (Edit3->value() > Edit4->value()) Edit4->setValue(Edit3->value());

    changedTree = true;
    host_.endWaypoints();
    host_.toggle_tagnew(true);
    if (modifyMode && CheckBox2->isChecked()) allnode_modif(tag);

    rnew_node r;
    r.typeId = uint32_t(std::max(0, ComboBox1->currentIndex()));
    r.x = uint32_t(Edit5->text().toInt());
    r.y = uint32_t(Edit6->text().toInt());
    r.name = *name;
    r.zoneId = zone ? uint16_t(zone->zoneId) : 0;
    r.categoryId = category->id;
    r.description = note;
    r.levelMin = uint32_t(Edit3->value());
    r.levelMax = uint32_t(Edit4->value());
    r.attributes = get_flags();
    r.id = modifyMode ? id : 0;
    r.fromMaster = 0;
    r.linkText = linkText(); // untrimmed
    r.locked = CheckBox3->isChecked() ? 1 : 0;
    r.languageTag = tag;
    r.hasItem = 1;
    // The new location first: when it cannot be placed, the old one stays.
    resultNode = host_.addnode(r);
    if (modifyMode && resultNode != kNoTreeNode) host_.destroynode(node);
    host_.clear_search();
    Preferences.NIVP = Edit7->value();
    accept();
}

void TForm2::Button4Click()
{
    changedTree = true;
    host_.toggle_tagnew(true);
    const TNodeData* old = host_.editedTree().nodeData(node);
    if (old) {
        if (const auto tag = eraseTagRecord(*old)) host_.addnode(*tag);
        host_.destroynode(node);
    }
    host_.clear_search();
    resultNode = kNoTreeNode;
    accept();
}
