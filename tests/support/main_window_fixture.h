#pragma once
// A sample program folder in a temporary directory, scripted message boxes, and a main
// window started on it the way the program starts. It brings Qt's widgets and test
// library, the condition waits and the program's globals for the window tests that include it.
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>

#include "cp1252.h"
#include "database_globals.h"
#include "folders.h"
#include "main_window.h"
#include "map_interaction.h"
#include "map_widget.h"
#include "message_boxes.h"
#include "preferences.h"
#include "ressource.h"
#include "sample_folder.h"
#include "test_util.h"
#include "text_helpers.h"
#include "wait_until.h"

// The recording boxes, asked whether a text was shown in any kind of box.
struct ScriptedBoxes : RecordingBoxes {
    bool saw(const QString& text) const
    {
        for (const char* kind : {"info:", "confirm:", "plain:"})
            if (shown.contains(kind + text)) return true;
        return false;
    }
};

// The text message S<id> shows with its arguments.
inline QString messageText(int id, const std::string& a1 = {}, const std::string& a2 = {})
{
    return ToDisplay(FormatRessource(Ressources.message[size_t(id)], a1, a2));
}

struct MainWindowFixture {
    QTemporaryDir dir;
    QString exe;
    ScriptedBoxes boxes;
    int firstInfoCalls = 0;

    // The sample folder's options; sample::buildDemoDatabase gives its content.
    static sample::SampleOptions sampleOptions(int locations = 300, int zones = 6)
    {
        sample::SampleOptions options;
        options.locations = locations;
        options.zones = zones;
        options.categories = 6;
        options.imageSize = 64;
        return options;
    }

    explicit MainWindowFixture(bool writePrefs = true, int locations = 300, int zones = 6)
    {
        exe = dir.path() + "/";
        sample::makeSampleFolder(exe, sampleOptions(locations, zones));
        if (writePrefs) this->writePrefs();
    }

    std::string database() const
    {
        QDir db(exe + "database");
        return db.entryList(QDir::Dirs | QDir::NoDotAndDotDot).value(0).toStdString();
    }
    void writeFile(const QString& name, const std::string& bytes) const { writeBytes(exe + name, bytes); }
    // pref.ini naming the sample's language and database, then the lines of `more`.
    void writePrefs(const std::string& more = {}) const
    {
        writeFile("pref.ini", "#\r\n[VERS]=1\r\n[LANG]=Francais\r\n[DBDB]=" + database() + "\r\n" + more);
    }
    QString additionsPath() const
    {
        return "ajouts/" + MakeAdditionsFileName(QString::fromStdString(database()));
    }
    QByteArray readFile(const QString& name) const
    {
        QFile f(exe + name);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    MainWindowDialogs dialogs()
    {
        MainWindowDialogs d;
        d.firstInfo = [this](QWidget*) {
            ++firstInfoCalls;
            InterfaceLang = "Francais";
            DatabaseLang = QString::fromStdString(database());
            return true;
        };
        d.pseudo = [](QWidget*) { return std::string("Testeur"); };
        return d;
    }
    std::unique_ptr<TForm4> start()
    {
        auto w = std::make_unique<TForm4>(exe, dialogs());
        w->FormActivate();
        return w;
    }
    // The started window at that size, on screen.
    std::unique_ptr<TForm4> startShown(QSize size = {1000, 700})
    {
        auto w = start();
        w->resize(size);
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        return w;
    }
};

// Typing into a widget as the user does: focus, select all, type, and Return if asked.
inline void typeInto(QWidget* widget, const QString& text, bool pressReturn = false)
{
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(widget, text);
    if (pressReturn) QTest::keyClick(widget, Qt::Key_Return);
}

// Where the window's last paint drew a node's icon; (-1, -1) when it did not.
inline QPoint iconOf(const TForm4& w, int node)
{
    const ByteBuffer& d = w.scene.HitTestStream.data;
    for (size_t i = 0; i + sizeof(HitTestRecord) <= d.size(); i += sizeof(HitTestRecord)) {
        HitTestRecord r;
        std::memcpy(&r, d.data() + i, sizeof r);
        if (r.node == node) return QPoint(r.x, r.y);
    }
    return QPoint(-1, -1);
}

// Moves the mouse over the map to `p`; true once the map has taken the move in. On a real X
// server the pointer's motion comes back from the server after QTest returns, and a point
// off the screen never arrives.
inline bool mouseOverMap(TForm4& w, QPoint p, int timeoutMs = test_wait::kTimeoutMs)
{
    QTest::mouseMove(w.ImageMapView, p);
    return test_wait::waitUntil([&] { return w.scene.view.MouseWorld == w.scene.view.screen_to_world(p); },
                                timeoutMs);
}

inline void moveOverMap(TForm4& w, QPoint p)
{
    EXPECT_TRUE(mouseOverMap(w, p)) << "the map saw the mouse at " << p.x() << "," << p.y();
}

// The last non-empty line of the message panel.
inline QString lastFeedback(const TForm4& w)
{
    for (auto it = w.FeedbackList.rbegin(); it != w.FeedbackList.rend(); ++it)
        if (!it->text.empty()) return ToDisplay(it->text);
    return {};
}

// The item of a language or database sub-menu that names the folder; null when none does.
inline QAction* folderItem(QMenu* menu, const QString& folder)
{
    for (QAction* a : menu->actions())
        if (a->data().toString() == folder) return a;
    return nullptr;
}

// Opens the sub-menu and clicks the folder's item, as the user does from but_pref's arrow.
inline void clickFolder(QMenu* menu, const QString& folder)
{
    QAction* item = folderItem(menu, folder);
    ASSERT_NE(item, nullptr) << folder.toStdString();
    menu->popup(QPoint(10, 10));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
}

// The map menu's items, one a map.
inline QList<QAction*> mapItems(TForm4& w)
{
    QMenu* regions = w.findChild<QMenu*>("region1");
    return regions ? regions->actions() : QList<QAction*>{};
}

// Lets the event loop wait for events as the program's own loop does (QTest's waits never
// let it block), until the condition holds or five seconds have passed.
inline bool idleUntil(const std::function<bool()>& condition)
{
    QEventLoop loop;
    QTimer poll;
    poll.callOnTimeout([&] {
        if (condition()) loop.quit();
    });
    poll.start(10);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    return condition();
}
