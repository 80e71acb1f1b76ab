#pragma once
// The main window shown offscreen in edit mode, with helpers that act as the user does on
// the map (hover, right click and a menu item, Shift+click, keys), and a runner that
// answers the location editor without a modal loop.
#include <functional>
#include <memory>

#include "location_editor.h"
#include "location_tree_model.h"
#include "location_tree_view.h"
#include "main_window_fixture.h"

struct EditWindow {
    MainWindowFixture f;
    std::unique_ptr<TForm4> w;
    // What the user does in the editor; it must close it. Unset: the editor is cancelled.
    std::function<void(TForm2&)> inEditor;
    int editorRuns = 0;

    explicit EditWindow(int locations = 300) : f(true, locations) { start(); }

    void start()
    {
        MainWindowDialogs d = f.dialogs();
        d.editor = [this](TForm2& e) {
            ++editorRuns;
            if (inEditor)
                inEditor(e);
            else
                QTest::mouseClick(e.Button1, Qt::LeftButton);
        };
        w = std::make_unique<TForm4>(f.exe, d);
        w->FormActivate();
        w->resize(1100, 760);
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        if (!w->but_editmode->isChecked()) QTest::mouseClick(w->but_editmode, Qt::LeftButton);
        // Zoomed in with every category drawn.
        if (w->checkLod->isChecked()) QTest::mouseClick(w->checkLod, Qt::LeftButton);
        w->ZoomBar->setValue(1500);
    }

    LocationTree& tree() { return w->MyTreeStore; }
    const rItemdata& item(int node) { return *tree().nodeData(node)->item; }

    // The first visible, unlocked location matching the test.
    int findLocation(const std::function<bool(const TNodeData&)>& wanted = nullptr)
    {
        int found = kNoTreeNode;
        tree().forEachLocation([&](int node, const TNodeData& d) {
            if (found != kNoTreeNode || !tree().isVisible(node) || !d.item || d.item->locked) return;
            if (!wanted || wanted(d)) found = node;
        });
        return found;
    }
    // A location of the database, unchanged by the user.
    int dbLocation()
    {
        return findLocation([](const TNodeData& d) { return d.item->id != 0 && d.item->fromMaster; });
    }
    // Nodes whose name is `name`, in tree order.
    std::vector<int> named(const std::string& name)
    {
        std::vector<int> nodes;
        tree().forEachLocation([&](int node, const TNodeData& d) {
            if (d.item && d.item->name == name) nodes.push_back(node);
        });
        return nodes;
    }

    // The user's own locations (id 0) named `name`.
    std::vector<int> userMade(const std::string& name)
    {
        std::vector<int> out;
        for (int n : named(name))
            if (item(n).id == 0) out.push_back(n);
        return out;
    }

    void paint() { w->ImageMapView->repaint(); }
    // Shows the node's map centred on it and puts the mouse over its icon.
    QPoint hover(int node)
    {
        w->localize_data(node, true);
        paint();
        QPoint p = iconOf(*w, node);
        // A point of its icon that no icon drawn before it covers.
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -3; dx <= 3; ++dx) {
                const QPoint q = p + QPoint(dx, dy);
                if (w->interaction->getmapnode(uint16_t(q.x()), uint16_t(q.y())) == node) {
                    p = q;
                    dy = dx = 4;
                }
            }
        // Every shown location lands at the same place: move off it first.
        moveOverMap(*w, p + QPoint(40, 40));
        moveOverMap(*w, p);
        EXPECT_EQ(w->scene.HotNode, node);
        return p;
    }
    // A point of a zone away from every icon, near `around`, with the mouse over it.
    QPoint hoverEmpty(QPoint around)
    {
        paint();
        for (int r = 12; r < 300; r += 7)
            for (QPoint delta : {QPoint(r, 0), QPoint(0, r), QPoint(-r, 0), QPoint(0, -r), QPoint(r, r)}) {
                const QPoint p = around + delta;
                // A point the pointer cannot reach is passed over like one that is not empty.
                if (!w->ImageMapView->rect().contains(p) || !mouseOverMap(*w, p, 1000)) continue;
                if (w->scene.ZoneUnderMouse && w->scene.HotNode == kNoTreeNode &&
                    w->interaction->getmapnode(uint16_t(p.x()), uint16_t(p.y())) == kNoTreeNode)
                    return p;
            }
        ADD_FAILURE() << "no empty point in a zone";
        return around;
    }
    // Right click at the point, then a click on the item of the map menu.
    void mapMenu(QPoint p, QAction* item)
    {
        QContextMenuEvent event(QContextMenuEvent::Mouse, p, w->ImageMapView->mapToGlobal(p));
        QApplication::sendEvent(w->ImageMapView, &event);
        ASSERT_TRUE(w->Menu_image->isVisible());
        ASSERT_TRUE(item->isEnabled()) << item->objectName().toStdString();
        QTest::mouseClick(w->Menu_image, Qt::LeftButton, {}, w->Menu_image->actionGeometry(item).center());
    }
    // Focus on a node's row of the tree, then a click on the item of the tree's menu.
    void treeMenu(int node, QAction* item)
    {
        const QModelIndex index = w->MyTreeModel->indexOf(node);
        ASSERT_TRUE(index.isValid());
        w->MyTree->scrollTo(index);
        const QPoint p = w->MyTree->visualRect(index).center();
        QTest::mouseClick(w->MyTree->viewport(), Qt::LeftButton, {}, p);
        QContextMenuEvent event(QContextMenuEvent::Mouse, p, w->MyTree->viewport()->mapToGlobal(p));
        QApplication::sendEvent(w->MyTree->viewport(), &event);
        ASSERT_TRUE(w->MyTree->Menu1->isVisible());
        QTest::mouseClick(w->MyTree->Menu1, Qt::LeftButton, {}, w->MyTree->Menu1->actionGeometry(item).center());
    }
    // Mouse over the node's icon, then key "i": its editor.
    void keyI(int node)
    {
        w->ImageMapView->setFocus();
        moveOverMap(*w, hover(node));
        QTest::keyClick(w->ImageMapView, Qt::Key_I);
    }
    void shiftClick(QPoint p) { QTest::mouseClick(w->ImageMapView, Qt::LeftButton, Qt::ShiftModifier, p); }
};

