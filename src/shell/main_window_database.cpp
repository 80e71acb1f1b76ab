// The main window's database: load and clear, colours, the additions file's host.
#include <QComboBox>
#include <QElapsedTimer>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolButton>

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPixmap>
#include <QTreeWidget>

#include "cp1252.h"
#include "criteria_tree.h"
#include "file_io.h"
#include "database_globals.h"
#include "delphi_conv.h"
#include "folders.h"
#include "hint_window.h"
#include "image_helpers.h"
#include "log.h"
#include "map_input.h"
#include "map_interaction.h"
#include "map_widget.h"
#include "location_tree_model.h"
#include "location_tree_view.h"
#include "main_window.h"
#include "map_input.h"
#include "map_widget.h"
#include "map_paths.h"
#include "master_file.h"
#include "progress_bar.h"
#include "search_result_model.h"
#include "path_resolver.h"
#include "preferences.h"
#include "ressource.h"
#include "text_helpers.h"
#include "text_files.h"
#include "tree_update_bracket.h"
#include "url_list.h"
#include "widget_helpers.h"

void TForm4::load_database()
{
    trace("load_database");
    QElapsedTimer clock;
    clock.start();
    Listiconmap.clear();
    assign_icon(Listiconmap, QSize(11, 11), DataDir + "baseico.bmp");

    ComboCateg->clear();
    if (CommonData)
        for (const auto& c : CommonData->categories)
            ComboCateg->addItem(ToDisplay(c->name), QVariant::fromValue<quintptr>(quintptr(c.get())));
    SortComboItems(ComboCateg);
    ComboCateg->setCurrentIndex(0);

    const std::string all = GetCaptionText(73);
    Combocheck->blockSignals(true);
    Combocheck->clear();
    Combocheck->addItem(ToDisplay(all));
    if (CommonData)
        for (const auto& c : CommonData->categories)
            Combocheck->addItem(ToDisplay(c->name), QVariant::fromValue<quintptr>(quintptr(c.get())));
    SortComboItems(Combocheck);
    Combocheck->setCurrentIndex(Combocheck->findText(ToDisplay(all)));
    Combocheck->blockSignals(false);

    static const std::vector<tboolspec> noSpecs;
    const std::vector<tboolspec>& attributeList = CommonData ? CommonData->specNames : noSpecs;
    fill_booltree(treebool_search, false, attributeList, CriteriaKind::Search);
    fill_booltree(Treeitem, true, attributeList, CriteriaKind::ReadOnly);
    show_checked_only(Treeitem);
    ComboBox8->clear();
    if (CommonData)
        for (size_t i = 1; i < CommonData->typeNames.size(); ++i) ComboBox8->addItem(ToDisplay(CommonData->typeNames[i]));
    ComboBox8->setCurrentIndex(0);
    clear_search();
    CheckBox4->setChecked(false);
    load_tips();

    load_urllist();
    Memo1->clear();
    scene.SelectionChain = {kNoTreeNode, kNoTreeNode, kNoTreeNode, kNoTreeNode};
    RealmInfo = std::make_unique<TRealm_info>();

    fillRegionMenu();

    rnew_node copy;
    copy.typeId = 1;
    copy.categoryId = 1;
    copy.linkText = "RC";
    copy.hasItem = 1;
    CopyData = std::make_unique<TNodeData>(copy, nullptr);
    scene.ZoneUnderMouse = nullptr;

    ComboBox6->clear();
    ComboBox6->addItem(ToDisplay(GetCaptionText(88)));
    ComboBox6->addItem(ToDisplay(GetCaptionText(15)));
    for (const rRealm& r : RealmInfo->mapIndex->realms) ComboBox6->addItem(ToDisplay(r.name));
    ComboBox6->setCurrentIndex(0);

    static TData_common emptyCommon;
    MyTreeStore.init_tree(*RealmInfo->mapIndex, CommonData ? *CommonData : emptyCommon);
    scene.tree = &MyTreeStore;
    scene.common = CommonData.get();
    scene.realm = RealmInfo.get();
    scene.categoryIcons = &Listiconmap;
    trace("init_tree");

    additions_ = std::make_unique<AdditionsFile>(MyTreeStore, *RealmInfo, *this, MakeAdditionsFileName(DatabaseLang));
    {
        const TreeUpdateBracket bracket(MyTreeStore);
        try {
            MasterFileHooks hooks;
            hooks.log = [this](const std::string& line) { log(line); };
            hooks.progressStart = [this](int maximum) { showProgressBar(maximum); };
            hooks.progressPosition = [this](int position) { G32_ProgressBar1->SetPosition(position); };
            hooks.progressEnd = [this] { hideProgressBar(); };
            MasterFileLoader master(MyTreeStore, *RealmInfo, hooks);
            master.DatabaseDate = DatabaseDate; // a file without a date keeps the last one
            const bool masterWhole = master.loadmaster2();
            DatabaseDate = master.DatabaseDate;
            trace("loadmaster2");
            additions_->Loadref(masterWhole && RealmInfo->mapIndex->loadedWhole && CommonData
                                && CommonData->categoriesWhole);
            trace("loadref");
            if (auto ico = ResolveExistingPath(DatabaseLangDir, "ico.bmp")) {
                const QImage picture = ReadImageFile(*ico);
                if (!picture.isNull()) Image1->setPixmap(QPixmap::fromImage(picture));
                listmenu.clear();
                assign_icon(listmenu, QSize(16, 16), *ico);
            }
        } catch (const std::exception& e) {
            LogLine(std::string("database load stopped: ") + e.what());
        }
        // A load stopped halfway leaves neither the bar nor a held map behind.
        hideProgressBar();
        MyTreeStore.sortAll();
    }
    log(FormatRessource(GetInfoText(7), FloatToStrComma(clock.elapsed() / 1000.0)));
    Timer3.setInterval(300000);
    setAutosaveTimer(Preferences.AUTO);
    trace("database loaded");
}

void TForm4::load_tips()
{
    TipsWidth = 0;
    TipsLineHeight = 0;
    TipsList.clear();
    const auto path = ResolveExistingPath(ResDir, InterfaceLang + "/tips.txt");
    std::string text;
    if (!path || !ReadTextFileCapped(*path, text)) return;
    TipsList = ParseTips(text);
    QFont font("Arial");
    font.setPixelSize(11);
    const QFontMetrics metrics(font);
    for (const std::string& line : TipsList) {
        const QRect r = metrics.boundingRect(FromCp1252(line));
        TipsWidth = std::max(TipsWidth, r.width());
        TipsLineHeight = std::max(TipsLineHeight, r.height());
    }
}

void TForm4::clear_search()
{
    if (TreeResultModel && TreeResultModel->count() > 0) TreeResultModel->clear();
    // The count of the rows goes with them; a search writes its own.
    if (Label6) Label6->clear();
}

void TForm4::clear_database_view()
{
    clear_search();
    Timer3.stop();
    if (input) input->set_mousemode(0);
    scene.HitTestStream.clear();
    select_node(kNoTreeNode);
    scene.HotNode = kNoTreeNode;
    scene.InfoNode = kNoTreeNode;
    // The info page shows a location of the data about to go, and its node number would
    // name another location once the tree is built anew.
    if (interaction) interaction->clearInfoPanel();
    CopyData.reset();
    additions_.reset();
    MyTreeStore.clear();
    scene.ZoneUnderMouse = nullptr;
    scene.tree = nullptr;
    scene.realm = nullptr;
    // The categories die with the common data: nothing may point at them after this.
    scene.common = nullptr;
    for (QComboBox* combo : {Combocheck, ComboCateg}) {
        const QSignalBlocker block(combo);
        combo->clear();
    }
    RealmInfo.reset();
    Listiconmap.clear();
    listmenu.clear();
}

void TForm4::refresh_concolors(bool resetMap)
{
    if (resetMap) {
        clear_mapview();
        repaintMap();
    }
    RecolourAll = true;
    const TreeUpdateBracket bracket(MyTreeStore);
    update_concolors();
}

void TForm4::update_concolors()
{
    ::update_concolors(MyTreeStore, RecolourAll);
}

void TForm4::update_node_visibility()
{
    ::update_node_visibility(MyTreeStore, levelFilter, RecolourAll);
    update_pathcolors(scene); // a route in its location's colour follows the new level colour
    repaintMap();
}

// The additions file's host.

std::string TForm4::ask_pseudo()
{
    return dialogs_.pseudo ? dialogs_.pseudo(this) : std::string();
}

void TForm4::setAutosaveTimer(bool on)
{
    if (on)
        Timer3.start(300000);
    else
        Timer3.stop();
}

void TForm4::setSaveControlsEnabled(bool on)
{
    sauver1->setEnabled(on);
    but_sav->setEnabled(on);
}

void TForm4::log(const std::string& line)
{
    Memo1->appendPlainText(ToDisplay(line));
}

void TForm4::toggle_tagnew(bool modified)
{
    if (additions_)
        additions_->toggle_tagnew(modified);
    else
        setSaveControlsEnabled(modified);
}

bool TForm4::confirm_sauver(int reason)
{
    return additions_ ? additions_->confirm_sauver(reason) : true;
}

void TForm4::Sauver1Click()
{
    if (additions_) additions_->SaveRef(additions_->additionsPath());
}

void TForm4::Timer3Timer()
{
    if (!additions_ || !MyTreeStore.AutosaveAllowed) return;
    additions_->SaveRef(additions_->additionsPath());
}
