#pragma once
// Works the preferences dialog as a user does, through the runner the program's command
// uses: clicks on its tabs, lists, legend rows and buttons.
#include <functional>

#include <QListWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "preferences_dialog.h"

// Runs these steps on the next preferences dialog, shown, instead of its modal loop.
struct PreferencesScript {
    explicit PreferencesScript(std::function<void(TForm3&)> steps)
    {
        setPreferencesRunner([steps](TForm3& d) {
            d.show();
            steps(d);
        });
    }
    ~PreferencesScript() { setPreferencesRunner({}); }
};

inline void click(QWidget* w)
{
    QTest::mouseClick(w, Qt::LeftButton);
}

inline void clickRow(QListWidget* list, const QString& name)
{
    const auto found = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
}

// Steps that pick the row in the list and press OK.
inline std::function<void(TForm3&)> pickAndOk(QListWidget* TForm3::*list, const QString& row)
{
    return [list, row](TForm3& d) {
        clickRow(d.*list, row);
        click(d.Button1);
    };
}

// Clicks the page's tab.
inline void showPage(TForm3& d, QWidget* page)
{
    QTabBar* tabs = d.PageControl1->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(d.PageControl1->indexOf(page)).center());
    ASSERT_EQ(d.PageControl1->currentWidget(), page);
}

// Brings up the legend and clicks the row's name, which focuses it.
inline void focusLegendRow(TForm3& d, int row)
{
    showPage(d, d.TabSheet3);
    d.Tree_leg->setFocus();
    QTest::mouseClick(d.Tree_leg->viewport(), Qt::LeftButton, {},
                      d.Tree_leg->visualItemRect(d.Tree_leg->topLevelItem(row)).center() + QPoint(30, 0));
}
