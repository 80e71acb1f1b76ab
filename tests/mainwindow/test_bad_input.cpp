// Faults and bad input through the real window: whatever is wrong with the database, the
// program's load and close keep every line of the additions file; oversized text files
// do not stall the start.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include <QCoreApplication>
#include <QComboBox>
#include <QElapsedTimer>

#include "compressed.h"
#include "database_globals.h"
#include "file_io.h"
#include "main_window_fixture.h"
#include "preferences.h"
#include "sample_writers.h"

namespace {

std::set<std::string> locationLines(const QByteArray& file)
{
    std::set<std::string> lines;
    const QList<QByteArray> all = file.split('\n');
    for (qsizetype i = 2; i < all.size(); ++i) { // after the header and the version line
        QByteArray l = all[i];
        if (l.endsWith('\r')) l.chop(1);
        if (!l.isEmpty()) lines.insert(l.toStdString());
    }
    return lines;
}

// Lets the autosave timer fire.
void runEventsFor(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

std::string bytesOf(const std::vector<uint8_t>& v)
{
    return std::string(v.begin(), v.end());
}

std::string deflated(std::vector<uint8_t> payload, size_t keep)
{
    payload.resize(std::min(keep, payload.size()));
    return bytesOf(DeflateBytes(payload.data(), payload.size()));
}

struct Fault {
    const char* what;
    std::function<void(MainWindowFixture&, sample::DemoDatabase&)> apply;
    std::vector<std::string> extraLines; // appended to the additions file before the start
    bool dropsDuplicate = false; // merged against a whole database, where the duplicate is dropped
};

} // namespace

TEST(AdditionsUnderFaults, NoFaultLosesALine)
{
    const auto options = MainWindowFixture::sampleOptions();
    const sample::DemoDatabase demo = sample::buildDemoDatabase(options);
    const rnew_node* locked = nullptr;
    for (const auto& rec : demo.master.records)
        if (rec.node.locked) locked = &rec.node;
    ASSERT_NE(locked, nullptr);
    rnew_node change = *locked;
    change.fromMaster = 0;
    change.description = "seen elsewhere";
    const std::string lockedLine = sample::additionsLine(change);

    auto dbFile = [](MainWindowFixture& f, const char* name) {
        return "database/" + QString::fromStdString(f.database()) + "/" + name;
    };
    const std::vector<Fault> faults = {
        {"categories missing", [&](auto& f, auto&) { QFile::remove(f.exe + dbFile(f, "itemcateg.bin")); }, {}, false},
        {"categories empty", [&](auto& f, auto&) { f.writeFile(dbFile(f, "itemcateg.bin"), ""); }, {}, false},
        {"categories garbage", [&](auto& f, auto&) { f.writeFile(dbFile(f, "itemcateg.bin"), std::string(500, 'x')); }, {}, false},
        {"categories cut inside a record",
         [&](auto& f, auto& db) {
             auto payload = sample::itemCategoriesPayload(db.categories);
             f.writeFile(dbFile(f, "itemcateg.bin"), deflated(payload, payload.size() - 10));
         }, {}, false},
        {"a category the lines use is missing",
         [&](auto& f, auto& db) {
             // The category of a change to a database location.
             uint32_t gone = 0;
             for (const rnew_node& r : db.additions.locations)
                 if (r.id != 0) gone = r.categoryId;
             std::vector<rCateg> fewer;
             for (const rCateg& c : db.categories)
                 if (c.id != gone) fewer.push_back(c);
             f.writeFile(dbFile(f, "itemcateg.bin"), bytesOf(sample::writeItemCategories(fewer)));
         }, {}, true},
        {"map index missing", [&](auto& f, auto&) { QFile::remove(f.exe + dbFile(f, "vmarmap.bin")); }, {}, false},
        {"map index cut",
         [&](auto& f, auto& db) {
             auto payload = sample::mapIndexPayload(db.mapIndex);
             f.writeFile(dbFile(f, "vmarmap.bin"), deflated(payload, payload.size() - 30));
         }, {}, false},
        {"master file missing", [&](auto& f, auto&) { QFile::remove(f.exe + dbFile(f, "master_vmar.loc")); }, {}, false},
        {"master file cut in half",
         [&](auto& f, auto& db) {
             auto payload = sample::masterPayload(db.master);
             f.writeFile(dbFile(f, "master_vmar.loc"), deflated(payload, payload.size() / 2));
         }, {}, false},
        {"master file without its end tag",
         [&](auto& f, auto& db) {
             db.master.endTag = false;
             f.writeFile(dbFile(f, "master_vmar.loc"), bytesOf(sample::writeMasterFile(db.master)));
         }, {}, false},
        {"master header value 0",
         [&](auto& f, auto& db) {
             db.master.headerValue = 0;
             f.writeFile(dbFile(f, "master_vmar.loc"), bytesOf(sample::writeMasterFile(db.master)));
         }, {}, false},
        {"a locked target and a comment", [](auto&, auto&) {}, {lockedLine, "# to check in game"}, true},
    };

    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what);
        MainWindowFixture f;
        sample::DemoDatabase db = sample::buildDemoDatabase(options); // the folder's content
        fault.apply(f, db);
        const QString additions = "ajouts/" + MakeAdditionsFileName(QString::fromStdString(f.database()));
        QByteArray original = f.readFile(additions);
        for (const std::string& l : fault.extraLines) original += QByteArray::fromStdString(l + "\r\n");
        // A duplicate (a new location on the point of the first one) is the one line a whole
        // database may drop.
        const std::string duplicate = [&] {
            rnew_node d = db.additions.locations.front();
            d.id = 0;
            d.name = "Twin";
            return sample::additionsLine(d);
        }();
        f.writeFile(additions, (original + QByteArray::fromStdString(duplicate + "\r\n")).toStdString());
        const std::set<std::string> before = locationLines(original);
        ASSERT_GE(before.size(), 6u);

        auto w = f.start();
        // Whole or not, the load rewrites the file only after a backup of it.
        EXPECT_EQ(QFile::exists(f.exe + additions + ".bak"), fault.dropsDuplicate);
        w->show();
        w->toggle_tagnew(true);
        f.boxes.answers = {kAnswerYes};
        EXPECT_TRUE(w->close()); // the closing question's Yes saves, and the window closes
        w.reset();

        const std::set<std::string> after = locationLines(f.readFile(additions));
        for (const std::string& l : before) EXPECT_TRUE(after.count(l)) << "lost: " << l;
        EXPECT_EQ(after.count(duplicate), fault.dropsDuplicate ? 0u : 1u);
        EXPECT_EQ(after.size(), before.size() + (fault.dropsDuplicate ? 0 : 1));
    }
}

TEST(AdditionsUnderFaults, AutosaveAsksTheNicknameOnce)
{
    MainWindowFixture f;
    int asked = 0;
    MainWindowDialogs dialogs = f.dialogs();
    dialogs.pseudo = [&asked](QWidget*) { return ++asked, std::string("Autosaver"); };
    auto w = std::make_unique<TForm4>(f.exe, dialogs);
    w->FormActivate();
    Preferences.PSEU.clear();
    Preferences.AUTO = true;
    w->Timer3.start(1);
    runEventsFor(50);
    w->Timer3.start(1);
    runEventsFor(50);
    EXPECT_EQ(asked, 1);
    const QString additions = "ajouts/" + MakeAdditionsFileName(QString::fromStdString(f.database()));
    EXPECT_TRUE(f.readFile(additions).split('\r').front().endsWith("-Autosaver"));
    EXPECT_TRUE(w->Timer3.isActive()); // the autosave goes on with setting AUTO
}

TEST(BadInput, OversizedTextFilesDoNotStallTheStart)
{
    MainWindowFixture f;
    auto big = [](const std::string& first, const std::string& line) {
        std::string text = first + "\r\n";
        while (text.size() < (size_t(24) << 20)) text += line;
        return text;
    };
    f.writeFile("res/Francais/link.txt", big("#links", "Site=http://127.0.0.1/\r\n"));
    f.writeFile("res/Francais/tips.txt", big("a tip", "another tip\r\n"));
    f.writeFile("database/" + QString::fromStdString(f.database()) + "/type.txt", big("#types", "Type\r"));
    f.writeFile("readme.txt", big("readme", "line\n"));
    QElapsedTimer clock;
    clock.start();
    auto w = f.start();
    EXPECT_LT(clock.elapsed(), 5000); // about 0.1 s; minutes before the files were capped
    EXPECT_EQ(w->SiteList.size(), kSmallTextLines);
    EXPECT_EQ(w->TipsList.size(), kSmallTextLines);
    EXPECT_EQ(w->ComboBox8->count(), 255); // type names 1 to 255
}

TEST(BadInput, StaleTemporariesOfSavesAreRemovedAtStart)
{
    MainWindowFixture f;
    const QString additions = "ajouts/" + MakeAdditionsFileName(QString::fromStdString(f.database()));
    const QStringList stale{additions + ".eiJujp", additions + ".bak.Ab12Cd", "pref.ini.x1Y2z3", "categpref.bin.QWERTY"};
    const QStringList kept{additions + ".fresh1", "pref.ini.toolong7", "notes.txt.abcdef", "ajouts/mine.txt.abcdef"};
    for (const QString& name : stale + kept) {
        f.writeFile(name, std::string(1000, 'x'));
        QFile file(f.exe + name);
        file.open(QIODevice::ReadWrite);
        if (name != kept.front()) // a minute old at least; the fresh one may be another instance's save
            file.setFileTime(QDateTime::currentDateTime().addSecs(-120), QFileDevice::FileModificationTime);
    }
    auto w = f.start();
    for (const QString& name : stale) EXPECT_FALSE(QFile::exists(f.exe + name)) << name.toStdString();
    for (const QString& name : kept) EXPECT_TRUE(QFile::exists(f.exe + name)) << name.toStdString();
}
