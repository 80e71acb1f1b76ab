// The search page on the 100,000-location sample (1,000 zones, 50 categories), through the
// real main window: "ou" in names and notes, levels 10..60, one required attribute, run by
// a click on Button1 (search, fill of the result list, sort by name), repeated and after an
// edit of the tree (the folded index is rebuilt); the result list with 10,000 results
// (fill, sort by name, re-sort from the header); a whole-tree name lookup that misses.
// Each is printed next to its baseline from the same run:
//   search: a walk of the tree that copies every name and note through NormalizeText;
//   result list: a QTreeWidget with one item per result, sorted by its own header sort;
//   lookup: the walk of the tree node by node (find_node_byname).
// Budgets: repeated search 15 ms, first after an edit 60 ms, fill 3 ms, sorts 5 ms,
// lookup miss 5 ms, on one core (run it under taskset -c N).
#include <benchmark/benchmark.h>

#include "qt_bench_main.h"

#include <algorithm>
#include <array>
#include <random>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "cp1252.h"
#include "criteria_tree.h"
#include "delphi_conv.h"
#include "main_window.h"
#include "message_boxes.h"
#include "name_lookup.h"
#include "sample_folder.h"
#include "search.h"
#include "search_result_model.h"
#include "spec_set.h"
#include "text_helpers.h"

namespace {

class QuietBoxes : public MessageBoxes {
public:
    void information(const QString&) override {}
    int confirm(const QString&) override { return kAnswerNo; }
    void plain(const QString&) override {}
};

struct Program {
    QTemporaryDir dir;
    QuietBoxes boxes;
    std::unique_ptr<TForm4> window;
    std::vector<int> tenThousand; // 10,000 location nodes in a shuffled order
    int requiredId = 0;

    Program()
    {
        sample::SampleOptions o;
        o.locations = 100000;
        o.zones = 1000;
        o.categories = 50;
        const QString exe = dir.path() + "/";
        sample::makeSampleFolder(exe, o);
        const QString database = QDir(exe + "database").entryList(QDir::Dirs | QDir::NoDotAndDotDot).value(0);
        QFile prefs(exe + "pref.ini");
        prefs.open(QIODevice::WriteOnly);
        prefs.write(("#\r\n[VERS]=1\r\n[LANG]=Francais\r\n[DBDB]=" + database + "\r\n").toUtf8());
        prefs.close();
        setMessageBoxes(&boxes);
        window = std::make_unique<TForm4>(exe);
        window->resize(1200, 800);
        window->show();
        window->FormActivate();
        window->but_liste[2]->click(); // the search page

        // "ou" in name and note, levels 10..60, the first attribute required.
        TForm4& w = *window;
        w.Edit1->setText("ou");
        w.CheckBox1->setChecked(true);
        w.CheckBox2->setChecked(true);
        w.CheckBox4->setChecked(true);
        w.Edit3->setText("10");
        w.Edit2->setText("60");
        // The attribute most locations carry is the one required.
        std::array<int, 97> carried{};
        w.MyTreeStore.forEachLocation([&](int, const TNodeData& d) {
            for (int id = 1; id <= 96; ++id) carried[size_t(id)] += HasSpec(d.item->attributes, id);
        });
        requiredId = int(std::max_element(carried.begin() + 1, carried.end()) - carried.begin());
        for (QTreeWidgetItemIterator it(w.treebool_search); *it; ++it)
            if ((*it)->data(0, kSpecIdRole).toInt() == requiredId) (*it)->setCheckState(0, Qt::Checked);

        w.MyTreeStore.forEachLocation([&](int node, const TNodeData&) { tenThousand.push_back(node); });
        std::mt19937 rng(11);
        std::shuffle(tenThousand.begin(), tenThousand.end(), rng);
        tenThousand.resize(std::min<size_t>(tenThousand.size(), 10000));
    }
};

Program& program()
{
    // Made on first use and freed before the application object goes.
    static Program* p = [] {
        auto* made = new Program;
        qAddPostRoutine([] { delete &program(); });
        return made;
    }();
    return *p;
}

void BM_Search_Button1_Repeated(benchmark::State& state)
{
    TForm4& w = *program().window;
    w.Button1->click();
    for (auto _ : state) w.Button1->click();
    state.counters["results"] = w.TreeResultModel->count();
}
BENCHMARK(BM_Search_Button1_Repeated)->Unit(benchmark::kMillisecond);

void BM_Search_Button1_AfterTreeEdit(benchmark::State& state)
{
    TForm4& w = *program().window;
    for (auto _ : state) {
        w.MyTreeStore.contentChanged(); // as after any add, delete or sort
        w.Button1->click();
    }
    state.counters["results"] = w.TreeResultModel->count();
}
BENCHMARK(BM_Search_Button1_AfterTreeEdit)->Unit(benchmark::kMillisecond);

// The parts of a click: the folded index rebuilt, and the scan alone.
void BM_Search_Part_IndexRebuild(benchmark::State& state)
{
    TForm4& w = *program().window;
    for (auto _ : state) {
        w.MyTreeStore.contentChanged();
        w.searcher->refresh();
    }
}
BENCHMARK(BM_Search_Part_IndexRebuild)->Unit(benchmark::kMillisecond);

// Baseline: the same tests on a walk of the tree that folds copies of every text.
void BM_Search_Baseline_WalkCopyingNormalizeText(benchmark::State& state)
{
    TForm4& w = *program().window;
    const std::string needle = NormalizeText("OU");
    SpecSet required;
    SetSpec(required, program().requiredId, true);
    size_t found = 0;
    for (auto _ : state) {
        std::vector<int> results;
        w.MyTreeStore.forEachLocation([&](int node, const TNodeData& d) {
            const rItemdata& item = *d.item;
            if (IsErasedName(item.name)) return;
            if (NormalizeText(item.name).find(needle) == std::string::npos &&
                NormalizeText(item.description).find(needle) == std::string::npos)
                return;
            if (!(item.levelMin <= 60 && item.levelMax >= 10)) return;
            for (int i = 0; i < 3; ++i)
                if ((item.attributes.w[i] & required.w[i]) != required.w[i]) return;
            results.push_back(node);
        });
        found = results.size();
        benchmark::DoNotOptimize(results.data());
    }
    state.counters["matches_before_attribute_rule"] = double(found);
}
BENCHMARK(BM_Search_Baseline_WalkCopyingNormalizeText)->Unit(benchmark::kMillisecond);

void BM_ResultList_Fill10000(benchmark::State& state)
{
    TForm4& w = *program().window;
    for (auto _ : state) {
        w.TreeResultModel->setResults(program().tenThousand);
        w.TreeResult->doItemsLayout();
    }
}
BENCHMARK(BM_ResultList_Fill10000)->Unit(benchmark::kMillisecond);

void BM_ResultList_SortByName10000(benchmark::State& state)
{
    TForm4& w = *program().window;
    for (auto _ : state) {
        state.PauseTiming();
        w.TreeResultModel->setResults(program().tenThousand);
        state.ResumeTiming();
        w.reset_resultheader(); // what a search ends with
    }
}
BENCHMARK(BM_ResultList_SortByName10000)->Unit(benchmark::kMillisecond);

void BM_ResultList_HeaderResort10000(benchmark::State& state)
{
    TForm4& w = *program().window;
    w.TreeResultModel->setResults(program().tenThousand);
    w.reset_resultheader();
    for (auto _ : state) w.TreeResultModel->headerClick(SearchResultModel::colName); // turns the order round
}
BENCHMARK(BM_ResultList_HeaderResort10000)->Unit(benchmark::kMillisecond);

// Baseline: a QTreeWidget holding one item per result.
void BM_ResultList_Baseline_QTreeWidgetFill10000(benchmark::State& state)
{
    TForm4& w = *program().window;
    QTreeWidget list;
    list.setColumnCount(4);
    for (auto _ : state) {
        list.clear();
        QList<QTreeWidgetItem*> items;
        for (int node : program().tenThousand) {
            const TNodeData* d = w.MyTreeStore.nodeData(node);
            auto* item = new QTreeWidgetItem();
            item->setText(0, ToDisplay(d->item->name));
            item->setText(1, ToDisplay(d->zone->name));
            items.push_back(item);
        }
        list.addTopLevelItems(items);
    }
}
BENCHMARK(BM_ResultList_Baseline_QTreeWidgetFill10000)->Unit(benchmark::kMillisecond);

void BM_ResultList_Baseline_QTreeWidgetSort10000(benchmark::State& state)
{
    TForm4& w = *program().window;
    QTreeWidget list;
    list.setColumnCount(4);
    QList<QTreeWidgetItem*> items;
    for (int node : program().tenThousand) {
        auto* item = new QTreeWidgetItem();
        item->setText(0, ToDisplay(w.MyTreeStore.nodeData(node)->item->name));
        items.push_back(item);
    }
    list.addTopLevelItems(items);
    Qt::SortOrder order = Qt::AscendingOrder;
    for (auto _ : state) {
        list.sortItems(0, order);
        order = order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    }
}
BENCHMARK(BM_ResultList_Baseline_QTreeWidgetSort10000)->Unit(benchmark::kMillisecond);

void BM_LookupMiss_FoldedIndex(benchmark::State& state)
{
    TForm4& w = *program().window;
    for (auto _ : state)
        benchmark::DoNotOptimize(w.searcher->findByName("Nulle part au monde", false, -1, kNoTreeNode));
}
BENCHMARK(BM_LookupMiss_FoldedIndex)->Unit(benchmark::kMillisecond);

void BM_LookupMiss_Baseline_TreeWalk(benchmark::State& state)
{
    TForm4& w = *program().window;
    for (auto _ : state)
        benchmark::DoNotOptimize(find_node_byname(w.MyTreeStore, "Nulle part au monde", false, -1, kNoTreeNode));
}
BENCHMARK(BM_LookupMiss_Baseline_TreeWalk)->Unit(benchmark::kMillisecond);

} // namespace

VMAR_QT_BENCHMARK_MAIN();
