// The editing commands in the real main window on a 100,000-location sample folder (1,000
// zones, 50 categories in the tree; the editor lists 250 categories and 96 attributes), the
// tree model following every change:
//   paste (1,000 of them), cut, modify with the editor's OK, opening the editor, the route
//   options dialog and the bulk change, each next to its baseline from the same run.
// Prints one line per measure and exits.
//   edit_bench [LOCATIONS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "database_globals.h"
#include "location_editing.h"
#include "location_editor.h"
#include "main_window.h"
#include "preferences.h"
#include "route_options_dialog.h"
#include "sample_folder.h"
#include "bench_clock.h"

namespace {

using benchclock::msSince;

using Clock = std::chrono::steady_clock;

struct Stats {
    double total = 0, worst = 0;
    int runs = 0;
    void add(double ms)
    {
        total += ms;
        worst = std::max(worst, ms);
        ++runs;
    }
    double mean() const { return runs ? total / runs : 0; }
};

Stats timeRuns(int runs, const std::function<void(int)>& body)
{
    Stats s;
    for (int i = 0; i < runs; ++i) {
        const auto t = Clock::now();
        body(i);
        s.add(msSince(t));
    }
    return s;
}

void print(const char* what, const Stats& s, const char* baselineName, const Stats& baseline)
{
    std::printf("%-16s mean_ms=%.2f max_ms=%.2f runs=%d   baseline %s mean_ms=%.2f\n", what, s.mean(), s.worst, s.runs,
                baselineName, baseline.mean());
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int locations = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir dir;
    const QString exe = dir.path() + "/";
    sample::SampleOptions options;
    options.locations = locations;
    options.zones = 1000;
    options.categories = 50;
    options.imageSize = 64;
    sample::makeSampleFolder(exe, options);
    const QString db = QDir(exe + "database").entryList(QDir::Dirs | QDir::NoDotAndDotDot).value(0);
    QFile pref(exe + "pref.ini");
    pref.open(QIODevice::WriteOnly);
    pref.write("#\r\n[VERS]=1\r\n[LANG]=Francais\r\n[DBDB]=" + db.toUtf8() + "\r\n");
    pref.close();

    // The editor and the route options dialog are answered by pressing their buttons.
    std::function<void(TForm2&)> inEditor = [](TForm2& e) { e.Button1->click(); };
    MainWindowDialogs dialogs;
    dialogs.pseudo = [](QWidget*) { return std::string("bench"); };
    dialogs.editor = [&](TForm2& e) { inEditor(e); };
    TForm4 w(exe, dialogs);
    w.FormActivate();
    w.resize(1200, 800);
    w.show();
    QApplication::processEvents();
    if (!CommonData || w.MyTreeStore.locationCount() == 0) {
        std::fprintf(stderr, "the sample database did not load\n");
        return 1;
    }
    // The editor lists every category and attribute of full tables; categories beyond the
    // sample's have no locations.
    for (int id = int(CommonData->categories.size()) + 1; id <= 250; ++id) {
        auto c = std::make_unique<rCateg>(*CommonData->categories.front());
        c->id = uint8_t(id);
        c->name = "Category " + std::to_string(id);
        CommonData->categories.push_back(std::move(c));
    }
    for (int id = int(CommonData->specNames.size()) + 1; id <= 96; ++id)
        CommonData->specNames.emplace_back(uint8_t(id), uint8_t(0), "Attribute " + std::to_string(id));

    std::vector<int> nodes;
    w.MyTreeStore.forEachLocation([&](int n, const TNodeData& d) {
        if (d.item && !d.item->locked && w.MyTreeStore.isVisible(n)) nodes.push_back(n);
    });
    std::printf("locations=%zu categories=%zu attributes=%zu\n", w.MyTreeStore.locationCount(),
                CommonData->categories.size(), CommonData->specNames.size());
    w.localize_data(nodes.front(), true);

    // Baseline of every command that changes locations: the full refresh of colours, paths
    // and links (what a command would cost if it recoloured the whole tree).
    const Stats rebuild = timeRuns(50, [&](int) { w.refresh_pathslinks(); });

    w.init_rcopiedata(nodes[1]);
    pMap_info* zone = w.MyTreeStore.nodeData(nodes[1])->zone;
    const Stats paste = timeRuns(1000, [&](int i) {
        w.scene.ZoneUnderMouse = zone;
        w.scene.MouseZonePoint = QPoint(100 + i * 37 % 60000, 200 + i * 53 % 60000);
        w.create_nodecopie();
    });
    print("paste", paste, "refresh", rebuild);

    const Stats cut = timeRuns(200, [&](int i) { w.couper_node(nodes[size_t(100 + i * 97) % nodes.size()]); });
    print("cut", cut, "refresh", rebuild);

    // Opening the editor (filled for a location) and closing it, against a plain dialog with
    // the same two lists.
    const Stats plainDialog = timeRuns(20, [&](int) {
        QDialog d(&w);
        auto* a = new QTreeWidget(&d);
        auto* b = new QTreeWidget(&d);
        for (const auto& c : CommonData->categories) a->addTopLevelItem(new QTreeWidgetItem({QString::fromStdString(c->name)}));
        for (const auto& s : CommonData->specNames) b->addTopLevelItem(new QTreeWidgetItem({QString::fromStdString(s.name)}));
        d.show();
        d.hide();
    });
    // Locations of the map shown that no command has touched yet, one per run (a location
    // of another map would add the map's loading to the command).
    size_t next = 0;
    auto fresh = [&] {
        for (;; ++next) {
            const TNodeData* d = w.MyTreeStore.nodeData(nodes[next]);
            if (d && d->zone && d->zone->regionId == w.scene.CurrentMapId) break;
        }
        return nodes[next++];
    };
    const Stats dialogOnly = timeRuns(20, [&](int) {
        TForm2 editor(w);
        editor.show();
        editor.Button1->click();
    });
    print("editor_dialog", dialogOnly, "plain_dialog", plainDialog);
    const Stats open = timeRuns(20, [&](int) { w.Appelle_modifierNode(fresh()); });
    print("editor_open", open, "refresh", rebuild);

    inEditor = [](TForm2& e) {
        e.Edit1->setText(e.Edit1->text() + "x");
        e.Button2->click();
    };
    const Stats modify = timeRuns(50, [&](int) { w.Appelle_modifierNode(fresh()); });
    print("modify_ok", modify, "editor_open", open);

    const Stats emptyDialog = timeRuns(20, [&](int) {
        QDialog d(&w);
        d.show();
        d.hide();
    });
    const Stats routeOptions = timeRuns(20, [&](int) {
        runRouteOptions("0091", &w, [](TForm_wpoptions& o) {
            o.show();
            o.Button1->click();
        });
    });
    print("route_options", routeOptions, "empty_dialog", emptyDialog);

    // The bulk change over the whole tree against a plain walk of it.
    const Stats walk = timeRuns(20, [&](int) {
        size_t n = 0;
        w.MyTreeStore.forEachLocation([&](int, const TNodeData& d) { n += d.item ? d.item->name.size() : 0; });
        if (n == 1) std::puts("");
    });
    const int bulkNode = fresh();
    const TNodeData& target = *w.MyTreeStore.nodeData(bulkNode);
    const std::string name = target.item->name;
    BulkChange change;
    change.name = change.note = change.attributesAndType = false;
    change.levels = true;
    const Stats bulk = timeRuns(20, [&](int i) {
        change.levelMin = uint8_t(i);
        change.levelMax = uint8_t(i);
        applyBulkChange(w.MyTreeStore, bulkNode, name, target.category->id, change);
    });
    print("bulk_change", bulk, "tree_walk", walk);
    return 0;
}
