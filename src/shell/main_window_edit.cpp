// The main window's editing commands: modify (through the location editor), create, cut,
// copy, paste, reference and delete, with the menu items, tree commands, map key and
// Shift+click that reach them.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>

#include "cp1252.h"
#include "criteria_tree.h"
#include "database_globals.h"
#include "location_editing.h"
#include "location_editor.h"
#include "location_tree_view.h"
#include "main_window.h"
#include "map_input.h"
#include "map_interaction.h"
#include "map_paths.h"
#include "preferences.h"
#include "ressource.h"
#include "tree_update_bracket.h"
#include "tree_visibility.h"
#include "widget_helpers.h"

void TForm4::setupEditCommands()
{
    MyTree->onModify = [this](int node) { Appelle_modifierNode(node); };
    MyTree->onCopy = [this](int node) { init_rcopiedata(node); };
    MyTree->onCut = [this](int node) { couper_node(node); };

    interaction->hooks().Appelle_modifierNode = [this](int node) { Appelle_modifierNode(node); };
    interaction->hooks().runLocationEditor = [this](const CreateLocationRequest& r) { return runLocationEditor(r); };
    input->hooks.onModifyNode = [this](int node) {
        if (MyTreeStore.levelOf(node) == levelLocation) Appelle_modifierNode(node);
    };
    input->hooks.onCreateLocation = [this] { interaction->Appelle_createloc(); };
}

int TForm4::addnode(const rnew_node& record)
{
    return MyTreeStore.addnode(record);
}

void TForm4::destroynode(int node)
{
    if (!MyTreeStore.isNode(node)) return;
    // The hovered location and the info page's location must not outlive their node.
    const bool hovered = node == scene.InfoNode;
    const bool onInfoPage = interaction && node == interaction->infoPanel().node;
    MyTreeStore.destroynode(node);
    // Its paths point at the item just freed: drop them before anything recolours or draws
    // them (the selection change below recolours the paths).
    std::erase_if(scene.Paths, [node](const rwpitem& p) { return p.node == node; });
    if (scene.OwnPath.node == node) scene.OwnPath = rwpitem{};
    if (hovered && interaction) interaction->affiche_memoinfo(kNoTreeNode, 0);
    if (onInfoPage) interaction->clearInfoPanel();
    select_node(kNoTreeNode);
    scene.HotNode = kNoTreeNode;
    scene.Target.Visible = false;
}

void TForm4::destroynode_runtime(int node)
{
    if (!MyTreeStore.isNode(node)) return;
    destroynode(node);
    build_paths(scene);
    build_links(scene);
}

void TForm4::addtag_node_erase(int node)
{
    const TNodeData* d = MyTreeStore.nodeData(node);
    if (!d) return;
    if (const auto tag = eraseTagRecord(*d)) addnode(*tag);
}

void TForm4::refresh_pathslinks()
{
    ::refresh_pathslinks(scene, RecolourAll);
}

void TForm4::refreshAfterEdit(int changed)
{
    if (RecolourAll) {
        refresh_pathslinks();
        return;
    }
    // Only the edited location's colour can be stale: every other one is as the last
    // refresh left it.
    if (TNodeData* d = MyTreeStore.levelOf(changed) == levelLocation ? MyTreeStore.nodeData(changed) : nullptr) {
        static const std::vector<rSpecColor> none;
        if (d->item && d->category) d->item->colour = locationColour(*d, CommonData ? CommonData->specColors : none);
    }
    build_paths(scene);
    build_links(scene);
}

void TForm4::init_rcopiedata(int node)
{
    if (!CopyData) CopyData = std::make_unique<TNodeData>();
    const TNodeData* source = MyTreeStore.levelOf(node) == levelLocation ? MyTreeStore.nodeData(node) : nullptr;
    fillCopyBuffer(*CopyData, source);
    QApplication::clipboard()->setText(FromCp1252(CopyData->item->name));
}

void TForm4::couper_node(int node)
{
    const TNodeData* d = MyTreeStore.levelOf(node) == levelLocation ? MyTreeStore.nodeData(node) : nullptr;
    if (!d || !d->item) return;
    if (d->item->locked) {
        ShowRessourceMessage(45, false);
        return;
    }
    {
        TreeUpdateBracket bracket(MyTreeStore);
        toggle_tagnew(true);
        init_rcopiedata(node);
        addtag_node_erase(node);
        destroynode_runtime(node);
    }
    clear_search();
    repaintMap();
}

void TForm4::create_nodecopie()
{
    if (!copyBufferFilled(CopyData.get()) || !scene.ZoneUnderMouse) return;
    {
        TreeUpdateBracket bracket(MyTreeStore);
        const QPoint p = scene.MouseZonePoint;
        const int added = addnode(pasteRecord(*CopyData, *scene.ZoneUnderMouse, uint16_t(p.x()), uint16_t(p.y())));
        MyTreeStore.sortAll();
        if (added != kNoTreeNode) {
            toggle_tagnew(true);
            refreshAfterEdit(added);
            localize_data(added, false);
        }
    }
    repaintMap();
}

void TForm4::hyperlink1Click()
{
    if (!copyBufferFilled(CopyData.get())) return;
    const int node = scene.HotNode;
    TNodeData* d = MyTreeStore.levelOf(node) == levelLocation ? MyTreeStore.nodeData(node) : nullptr;
    if (!d || !d->item) return;
    // A locked location's line would be ignored by the next load and dropped by the save.
    if (d->item->locked) {
        ShowRessourceMessage(45, false);
        return;
    }
    d->item->description = noteWithReference(d->item->description, CopyData->item->name);
    MyTreeStore.markUserLocation(node);
    MyTreeStore.contentChanged(); // the note changed in place
    toggle_tagnew(true);
    refreshAfterEdit(node);
    localize_data(node, false, false, 0, 0);
}

void TForm4::endWaypoints()
{
    ::erase_listWP(scene);
    scene.waypointMode = false;
    if (scene.hooks.erase_listWP) scene.hooks.erase_listWP(); // waypoint1 unchecked
}

void TForm4::execEditor(TForm2& editor)
{
    if (dialogs_.editor) {
        editor.show();
        dialogs_.editor(editor);
        editor.hide();
    } else {
        editor.exec();
    }
    // The player level the editor kept.
    Editlvl->setText(QString::number(Preferences.NIVP));
}

void TForm4::Appelle_modifierNode(int node)
{
    const TNodeData* d = MyTreeStore.levelOf(node) == levelLocation ? MyTreeStore.nodeData(node) : nullptr;
    if (!d || !d->item) return;
    {
        TreeUpdateBracket bracket(MyTreeStore);
        if (d->item->locked) {
            ShowRessourceMessage(45, false);
        } else {
            const rItemdata& it = *d->item;
            TForm2 editor(*this);
            editor.modifyMode = true;
            editor.node = node;
            editor.zone = d->zone;
            editor.id = it.id;
            editor.category = d->category;
            editor.originalCategory = d->category;
            editor.setBulkCaption(ToDisplay(FormatRessource(GetInfoText(14), it.name)));
            editor.CheckBox2->show();
            editor.setWindowTitle(ToDisplay(FormatRessource(GetInfoText(17), it.name, std::to_string(it.id))));
            editor.Edit5->setText(QString::number(it.x));
            editor.Edit6->setText(QString::number(it.y));
            editor.Edit3->setValue(it.levelMin);
            editor.Edit4->setValue(it.levelMax);
            editor.CheckBox12->setChecked(it.languageTag == CurrentLangTag);
            editor.CheckBox12->setVisible(Preferences.TRAN);
            editor.ComboBox1->setCurrentIndex(it.typeId < editor.ComboBox1->count() ? it.typeId : 0);
            editor.Edit1->setText(ToDisplay(it.name));
            editor.Edit2->setText(FromCp1252(linkTextOf(it)));
            editor.CheckBox3->setChecked(it.locked != 0);
            TextToMemo(editor.MemoInfo, it.description);
            set_flagchecks(editor.treebool, UnpackSpecs(it.attributes));
            editor.Edit7->setValue(Preferences.NIVP);
            execEditor(editor);
            // Cancel and an untouched OK leave colours, paths and links as they are.
            if (editor.changedTree) refreshAfterEdit(editor.resultNode);
            if (editor.bulkCount > 0) show_feedback(65, 3, std::to_string(editor.bulkCount + 1), "");
            if (editor.resultNode != kNoTreeNode) localize_data(editor.resultNode, false);
        }
    }
    repaintMap();
}

int TForm4::runLocationEditor(const CreateLocationRequest& request)
{
    TForm2 editor(*this);
    editor.modifyMode = request.mode != 0;
    editor.zone = request.zone;
    editor.Edit5->setText(FromCp1252(request.xText));
    editor.Edit6->setText(FromCp1252(request.yText));
    editor.CheckBox12->setChecked(request.languageMatches);
    editor.CheckBox12->setVisible(request.languageMatchShown);
    editor.Edit7->setValue(request.playerLevel);
    editor.Button4->setVisible(request.button4Shown);
    execEditor(editor);
    return editor.resultNode;
}
