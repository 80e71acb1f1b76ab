// Every caption the user reads shows whole: in both interface languages, in the side panel's
// pages at the window's smallest and at a large size, and in every dialog.

#include "about_dialog.h"
#include "edit_window_fixture.h"
#include "first_start_dialog.h"
#include "location_editor.h"
#include "main_window_fixture.h"
#include "nickname_dialog.h"
#include "preferences_dialog.h"
#include "route_options_dialog.h"
#include "send_dialog.h"
#include "update_dialog.h"

namespace {

// Widgets under `root`, shown, whose text is wider or taller than the room they give it.
QStringList cutCaptions(QWidget* root)
{
    QStringList cut;
    auto report = [&](QWidget* w, const QString& text, int need, int room) {
        cut << QString("%1 \"%2\": needs %3, has %4").arg(w->objectName(), text).arg(need).arg(room);
    };
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(root) || w->window() != root->window()) continue;
        const QFontMetrics fm = w->fontMetrics();
        if (auto* l = qobject_cast<QLabel*>(w)) {
            if (l->text().isEmpty() || l->wordWrap() || l->textFormat() == Qt::RichText) continue;
            const QSize need = l->sizeHint();
            if (l->width() < need.width()) report(w, l->text(), need.width(), l->width());
            else if (l->height() < fm.height()) report(w, l->text(), fm.height(), l->height());
        } else if (auto* b = qobject_cast<QCheckBox*>(w); b || qobject_cast<QRadioButton*>(w)) {
            auto* button = static_cast<QAbstractButton*>(w);
            if (button->text().isEmpty()) continue;
            const QSize need = button->sizeHint();
            if (button->width() < need.width()) report(w, button->text(), need.width(), button->width());
        } else if (auto* p = qobject_cast<QPushButton*>(w)) {
            if (p->text().isEmpty()) continue;
            const int need = fm.horizontalAdvance(p->text()) + 8;
            if (p->width() < need) report(w, p->text(), need, p->width());
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            if (g->title().isEmpty()) continue;
            const int need = fm.horizontalAdvance(g->title()) + 12;
            if (g->width() < need) report(w, g->title(), need, g->width());
        } else if (auto* c = qobject_cast<QComboBox*>(w)) {
            if (c->isEditable() || c->currentText().isEmpty()) continue;
            QStyleOptionComboBox option;
            option.initFrom(c);
            const QRect field = c->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, c);
            const int need = fm.horizontalAdvance(c->currentText());
            if (field.width() < need) report(w, c->currentText(), need, field.width());
        } else if (auto* t = qobject_cast<QTabBar*>(w)) {
            for (int i = 0; i < t->count(); ++i) {
                const int need = fm.horizontalAdvance(t->tabText(i));
                if (t->tabRect(i).width() < need) report(w, t->tabText(i), need, t->tabRect(i).width());
            }
        }
    }
    return cut;
}

// The sample folder in the interface language given, its window started and shown.
struct LanguageWindow {
    MainWindowFixture f;
    std::unique_ptr<TForm4> w;
    explicit LanguageWindow(const char* language)
    {
        f.writeFile("pref.ini", "#\r\n[VERS]=1\r\n[LANG]=" + std::string(language) + "\r\n[DBDB]=" + f.database() + "\r\n");
        w = f.startShown();
        EXPECT_EQ(InterfaceLang, language);
    }
};

class CaptionsFit : public ::testing::TestWithParam<const char*> {};

} // namespace

TEST_P(CaptionsFit, SidePanelPagesAtTheSmallestAndALargeWindow)
{
    LanguageWindow lw(GetParam());
    TForm4& w = *lw.w;
    // A map shown, so that the zone lists hold its zones' names.
    w.localize_data(RealmInfo->mapIndex->zones.front()->treeNode, false);
    for (QSize size : {w.minimumSizeHint().expandedTo(QSize(300, 200)), QSize(1600, 1000)}) {
        w.resize(size);
        for (int page = 0; page < 4; ++page) {
            if (!w.but_liste[page]->isChecked()) QTest::mouseClick(w.but_liste[page], Qt::LeftButton);
            ASSERT_EVENTUALLY(w.Pages->currentIndex() == page && w.PanelDock->isVisible());
            QCoreApplication::processEvents();
            EXPECT_EQ(cutCaptions(w.Pages->currentWidget()).join("\n").toStdString(), "")
                << "page " << page << " at " << w.width() << " x " << w.height();
        }
    }
}

TEST_P(CaptionsFit, Dialogs)
{
    LanguageWindow lw(GetParam());
    TForm4& w = *lw.w;
    auto check = [](QDialog& d, const char* name) {
        d.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&d));
        EXPECT_EQ(cutCaptions(&d).join("\n").toStdString(), "") << name;
        d.close();
    };
    {
        TForm1 d(&w);
        check(d, "first start");
    }
    {
        TForm5 about(&w);
        check(about, "about");
    }
    {
        TForm6 nick(&w);
        check(nick, "nickname");
    }
    {
        TForm3 prefs(&w, {});
        for (int i = 0; i < prefs.findChild<QTabWidget*>()->count(); ++i) {
            prefs.findChild<QTabWidget*>()->setCurrentIndex(i);
            check(prefs, "preferences");
        }
    }
    {
        TForm_wpoptions route({"rouge", "vert"}, &w);
        check(route, "route options");
    }
    {
        Tmail_fic send(&w);
        check(send, "send");
    }
    {
        TForm_update update(&w);
        check(update, "update");
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, CaptionsFit, ::testing::Values("Francais", "English"));

TEST(CaptionsFitEditor, BulkChangeBoxAndOptionsShowWhole)
{
    EditWindow e;
    const int db = e.dbLocation();
    ASSERT_NE(db, kNoTreeNode);
    e.tree().nodeData(db)->item->name = "Grottes & Puits d'Ecume-Noire du Phare";
    bool ran = false;
    e.inEditor = [&](TForm2& ed) {
        ran = true;
        EXPECT_EQ(cutCaptions(&ed).join("\n").toStdString(), "");
        // Shown whole, its "&" as written rather than as a shortcut marker.
        EXPECT_FALSE(QString(ed.CheckBox2->text()).remove("&&").contains('&'));
        EXPECT_EQ(ed.CheckBox2->text().replace("&&", "&").simplified().toStdString(),
                  ToDisplay(FormatRessource(GetInfoText(14), e.item(db).name)).simplified().toStdString());
        // The box is not covered by the attribute tree, and the bulk options it opens show whole.
        EXPECT_FALSE(ed.treebool->geometry().intersects(ed.CheckBox2->geometry()));
        QTest::mouseClick(ed.CheckBox2, Qt::LeftButton, {}, QPoint(8, ed.CheckBox2->height() / 2));
        EXPECT_TRUE(ed.GroupBox1->isVisible());
        EXPECT_EQ(cutCaptions(&ed).join("\n").toStdString(), "");
        QTest::mouseClick(ed.Button1, Qt::LeftButton);
    };
    e.keyI(db);
    EXPECT_TRUE(ran);
}

TEST(CaptionsFitToolBar, DatabaseIconShowsNoCaptionWithoutItsPicture)
{
    // A database without its icon: the place of the icon on the tool bar stays empty, after
    // the start and after the captions are translated again.
    MainWindowFixture f;
    ASSERT_TRUE(QFile::remove(f.exe + "database/" + QString::fromStdString(f.database()) + "/ico.bmp"));
    auto w = f.startShown();
    EXPECT_EQ(w->Image1->text().toStdString(), "");
    EXPECT_TRUE(w->Image1->pixmap().isNull());
    w->init_formcaption();
    EXPECT_EQ(w->Image1->text().toStdString(), "");
    // Its hint still names it in the status bar.
    QTest::mouseMove(w->Image1, QPoint(1, 1));
    EXPECT_EQ(w->statusBar()->currentMessage().toStdString(), ToDisplay(GetHintText(5).substr(1)).toStdString());
}

TEST(CaptionsFitEditor, NamesWithAnAmpersandShowItInMenusAndCaptions)
{
    // "&" marks a shortcut in Qt's captions: names from the data show it as written.
    EditWindow e;
    const int db = e.dbLocation();
    ASSERT_NE(db, kNoTreeNode);
    e.tree().nodeData(db)->item->name = "Puits & Source";
    e.tree().nodeData(db)->category->name = "Armes & Armures";
    const auto showsAmpersand = [](QString caption) { return !caption.remove("&&").contains('&'); };
    // Copied, then the map menu over it names it in its items.
    e.mapMenu(e.hover(db), e.w->Copiernode1);
    const QPoint p = e.hover(db);
    QContextMenuEvent event(QContextMenuEvent::Mouse, p, e.w->ImageMapView->mapToGlobal(p));
    QApplication::sendEvent(e.w->ImageMapView, &event);
    ASSERT_TRUE(e.w->Menu_image->isVisible());
    for (QAction* a : {e.w->Copiernode1, e.w->coupernode1, e.w->hyperlink1}) {
        EXPECT_TRUE(a->text().contains("&&")) << a->objectName().toStdString() << ": " << a->text().toStdString();
        EXPECT_TRUE(showsAmpersand(a->text())) << a->text().toStdString();
    }
    e.w->Menu_image->close();
    bool ran = false;
    e.inEditor = [&](TForm2& ed) {
        ran = true;
        EXPECT_TRUE(showsAmpersand(ed.GroupBox3->title())) << ed.GroupBox3->title().toStdString();
        EXPECT_TRUE(ed.acc6->text().contains("&&")) << ed.acc6->text().toStdString();
        EXPECT_TRUE(showsAmpersand(ed.acc6->text())) << ed.acc6->text().toStdString();
        QTest::mouseClick(ed.Button1, Qt::LeftButton);
    };
    e.keyI(db);
    EXPECT_TRUE(ran);
}
