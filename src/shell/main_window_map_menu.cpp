// The map's context menu `Menu_image`: its items, their captions and states when it opens,
// the items edit mode and the compass show or enable, the link items of the location under
// the mouse at its top, the maps sub-menu, and the commands its items run.
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionMenuItem>
#include <QToolButton>
#include <QWidgetAction>

#include "cp1252.h"
#include "database_globals.h"
#include "folders.h"
#include "link_codes.h"
#include "location_tree_view.h"
#include "main_window.h"
#include "map_interaction.h"
#include "map_paths.h"
#include "map_widget.h"
#include "markers.h"

namespace {

constexpr int kRedirTag = 255; // menu items made for the location under the mouse

// A menu separator, drawn by the style as the menu's own, with room above it so that it can
// be seen at the very top of a menu (a plain separator there lies on the menu's border).
class SeparatorLine : public QWidget {
public:
    SeparatorLine() { setFixedHeight(11); }
    QSize sizeHint() const override { return {20, 11}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        QStyleOptionMenuItem option;
        option.initFrom(this);
        option.state &= ~QStyle::State_Enabled; // nothing to choose, but drawn as the others
        option.menuItemType = QStyleOptionMenuItem::Separator;
        option.rect = rect();
        style()->drawControl(QStyle::CE_MenuItem, &option, &p, this);
    }
};

// Separators of the map menu. The separator under the link items of the location under the
// mouse (Tag 255) always shows, also alone at the very top, where Qt would collapse it (there
// it is a line widget). The menu's own separators show only between two visible items, none
// of them doubled, so the items hidden outside edit mode leave no empty groups behind.
void tidyMapMenuSeparators(QMenu* menu)
{
    QAction* pending = nullptr; // an own separator that shows if a visible item follows
    bool itemBefore = false;
    for (QAction* a : menu->actions()) {
        if (a->property("Tag").toInt() == kRedirTag) {
            // A link item, or the separator that ends them.
            itemBefore = !a->isSeparator() && !qobject_cast<QWidgetAction*>(a);
        } else if (!a->isSeparator()) {
            if (!a->isVisible()) continue;
            if (pending) pending->setVisible(true);
            pending = nullptr;
            itemBefore = true;
        } else {
            a->setVisible(false);
            if (itemBefore && !pending) pending = a;
            itemBefore = false;
        }
    }
}

std::vector<std::string> comboItems(const QComboBox* combo)
{
    std::vector<std::string> items;
    for (int i = 0; i < combo->count(); ++i) items.push_back(ToCp1252(combo->itemText(i)).value_or(""));
    return items;
}

} // namespace

void TForm4::buildMapMenu()
{
    Menu_image = new QMenu(this);
    Menu_image->setObjectName("Menu_image");
    Menu_image->setSeparatorsCollapsible(false); // tidyMapMenuSeparators does it
    ajouter1 = addMenuItem(Menu_image, "ajouter1", 30);
    ajouter1->setEnabled(false);
    Menu_image->addSeparator();
    Copiernode1 = addMenuItem(Menu_image, "Copiernode1", 32);
    Copiernode1->setEnabled(false);
    coupernode1 = addMenuItem(Menu_image, "coupernode1", 33);
    coupernode1->setEnabled(false);
    copierlelocref1 = addMenuItem(Menu_image, "copierlelocref1", 60);
    hyperlink1 = addMenuItem(Menu_image, "hyperlink1", 15);
    N6 = Menu_image->addSeparator();
    waypoint1 = addMenuItem(Menu_image, "waypoint1", 57);
    waypoint1->setCheckable(true);
    wpdefaire1 = addMenuItem(Menu_image, "wpdefaire1", 58);
    wpdefaire1->setEnabled(false);
    Menu_image->addSeparator();
    region1 = new QMenu(this);
    region1->setObjectName("region1");
    region1Action = Menu_image->addMenu(region1);
    region1Action->setObjectName("region1");
    region1Action->setProperty("Tag", 44);
    BMy = addMenuItem(Menu_image, "BMy", 39);
    BOther = addMenuItem(Menu_image, "BOther", 40);
    BMy->setVisible(false);
    BOther->setVisible(false);
}

void TForm4::wireMapMenu()
{
    ImageMapView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ImageMapView, &QWidget::customContextMenuRequested, this, &TForm4::Menu_imagePopup);

    // Create or modify, copy or paste, cut: the location under the mouse, or the point.
    auto hotLocation = [this] {
        return MyTreeStore.levelOf(scene.HotNode) == levelLocation ? scene.HotNode : kNoTreeNode;
    };
    connect(ajouter1, &QAction::triggered, this, [this, hotLocation] {
        const int hot = hotLocation();
        if (hot != kNoTreeNode)
            Appelle_modifierNode(hot);
        else
            interaction->Appelle_createloc();
    });
    connect(Copiernode1, &QAction::triggered, this, [this, hotLocation] {
        const int hot = hotLocation();
        if (hot != kNoTreeNode)
            init_rcopiedata(hot);
        else
            create_nodecopie();
    });
    connect(coupernode1, &QAction::triggered, this, [this, hotLocation] {
        const int hot = hotLocation();
        if (hot != kNoTreeNode) couper_node(hot);
    });
    connect(hyperlink1, &QAction::triggered, this, &TForm4::hyperlink1Click);
    connect(copierlelocref1, &QAction::triggered, this, [this] {
        if (!scene.ZoneUnderMouse) return;
        LastPlaceCode = buildPlaceCode(int16_t(scene.ZoneUnderMouse->zoneId), uint16_t(scene.MouseZonePoint.x()),
                                       uint16_t(scene.MouseZonePoint.y()));
        QApplication::clipboard()->setText(FromCp1252(LastPlaceCode));
    });

    connect(waypoint1, &QAction::triggered, this, [this] {
        scene.waypointMode = waypoint1->isChecked();
        erase_listWP();
    });
    connect(wpdefaire1, &QAction::triggered, this, [this] {
        if (remove_last_waypoint(scene)) repaintMap();
        update_waypointmenu();
    });
    // An emptied waypoint list ends the waypoint mode.
    scene.hooks.erase_listWP = [this] {
        waypoint1->setChecked(false);
        update_waypointmenu();
    };
    scene.hooks.checkMapMenu = [this](int32_t mapId) { checkRegionItem(mapId); };

    auto placeMarker = [this](tboussole& marker, QComboBox* combo, QLineEdit* ex, QLineEdit* ey) {
        const auto placed = place_marker_at_mouse(scene, marker, comboItems(combo), combo->currentIndex());
        if (!placed) return;
        {
            const QSignalBlocker block(combo);
            combo->setCurrentIndex(placed->comboIndex);
        }
        ex->setText(FromCp1252(placed->editX));
        ey->setText(FromCp1252(placed->editY));
        if (MasterListShown) press_liste(3);
        repaintMap();
    };
    connect(BMy, &QAction::triggered, this, [=, this] { placeMarker(scene.MyPos, ComboBox4, Edit_myX, Edit_myY); });
    connect(BOther, &QAction::triggered, this,
            [=, this] { placeMarker(scene.OtherPos, ComboBox5, Edit_otherX, Edit_otherY); });

    interaction->hooks().popupRedirChanged = [this] {
        vider_popup_redir();
        const std::vector<std::string>& captions = interaction->popupRedirItems();
        for (size_t i = 0; i < captions.size(); ++i) add_popupredir_items(captions[i], int(i));
    };
}

void TForm4::Menu_imagePopup(const QPoint& position)
{
    toggle_mode_nozone();
    // Captions for the location under the mouse, or for the point when there is none.
    const std::string copied = CopyData && CopyData->item ? CopyData->item->name : std::string();
    const auto captions = interaction->Menu_imagePopup(copied, ToCp1252(DatabaseLang).value_or(""));
    if (captions) {
        const std::pair<QAction*, const MenuItemText*> items[] = {{ajouter1, &captions->ajouter1},
                                                                   {Copiernode1, &captions->Copiernode1},
                                                                   {coupernode1, &captions->coupernode1},
                                                                   {hyperlink1, &captions->hyperlink1}};
        for (const auto& [action, text] : items) {
            // The captions name locations and the database; "&&" shows an "&" they hold.
            if (!text->caption.empty()) action->setText(ToDisplay(text->caption).replace('&', QStringLiteral("&&")));
            action->setEnabled(text->enabled && scene.ZoneUnderMouse != nullptr);
        }
    }
    tidyMapMenuSeparators(Menu_image);
    Menu_image->popup(ImageMapView->mapToGlobal(position));
}

bool TForm4::toggle_mode_nozone()
{
    const bool zone = scene.ZoneUnderMouse != nullptr;
    ajouter1->setEnabled(zone);
    copierlelocref1->setEnabled(zone);
    if (!zone) {
        Copiernode1->setEnabled(false);
        coupernode1->setEnabled(false);
        hyperlink1->setEnabled(false);
    }
    BMy->setEnabled(zone && but_boussole->isChecked());
    BOther->setEnabled(zone && but_boussole->isChecked());
    waypoint1->setEnabled(zone);
    return zone;
}

void TForm4::showMapMenuEditItems(bool on)
{
    for (QAction* a : {copierlelocref1, N6, ajouter1, Copiernode1, coupernode1, hyperlink1, waypoint1, wpdefaire1})
        a->setVisible(on);
}

void TForm4::update_waypointmenu()
{
    const WaypointMenuState menu = ::update_waypointmenu(scene);
    waypoint1->setText(ToDisplay(menu.caption));
    wpdefaire1->setEnabled(menu.undoEnabled);
}

// ---- The maps sub-menu ----------------------------------------------------------------

void TForm4::fillRegionMenu()
{
    region1->clear();
    delete regionGroup_;
    regionGroup_ = new QActionGroup(region1);
    for (size_t i = 0; i < RealmInfo->mapIndex->maps.size(); ++i) add_region_item(*RealmInfo->mapIndex->maps[i], int(i));
}

void TForm4::add_region_item(const rRegion& map, int index)
{
    if (map.menuFlag == 0) return;
    QAction* a = region1->addAction(ToDisplay(map.name));
    a->setCheckable(true);
    a->setProperty("Tag", -index);
    regionGroup_->addAction(a);
    connect(a, &QAction::triggered, this, [this, index] { regionClick(index); });
}

void TForm4::regionClick(int index)
{
    if (!RealmInfo || index < 0 || size_t(index) >= RealmInfo->mapIndex->maps.size()) return;
    const rRegion& map = *RealmInfo->mapIndex->maps[size_t(index)];
    localize_data(MyTreeStore.find_map_masternode(map.homeZoneId), false, false, 0, 0);
}

void TForm4::checkRegionItem(int32_t mapId)
{
    for (QAction* a : region1->actions()) {
        const int index = -a->property("Tag").toInt();
        const bool mine = RealmInfo && index >= 0 && size_t(index) < RealmInfo->mapIndex->maps.size() &&
                          RealmInfo->mapIndex->maps[size_t(index)]->mapId == mapId;
        a->setChecked(mine);
    }
}

// ---- Link items of the location under the mouse ----------------------------------------

void TForm4::vider_popup_redir()
{
    while (!Menu_image->actions().isEmpty()) {
        QAction* first = Menu_image->actions().front();
        if (first->property("Tag").toInt() != kRedirTag) break;
        Menu_image->removeAction(first);
        first->deleteLater();
    }
}

void TForm4::add_popupredir_items(const std::string& caption, int position)
{
    QAction* item = nullptr;
    if (caption != "-") {
        item = new QAction(ToDisplay(caption).replace('&', "&&"), Menu_image);
        item->setData(QByteArray(caption.data(), qsizetype(caption.size())));
        connect(item, &QAction::triggered, this, [this, item] { popupredir_click(item); });
    } else if (position > 0) {
        item = new QAction(Menu_image);
        item->setSeparator(true);
    } else {
        // Alone at the top: a separator with room to be seen.
        auto* lineItem = new QWidgetAction(Menu_image);
        lineItem->setDefaultWidget(new SeparatorLine());
        lineItem->setEnabled(false);
        item = lineItem;
    }
    item->setProperty("Tag", kRedirTag);
    Menu_image->insertAction(Menu_image->actions().value(position), item);
}
