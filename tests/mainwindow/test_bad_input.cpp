// Faults and bad input through the real window: whatever is wrong with the database, the
// program's load and close keep every line of the additions file; oversized text files
// do not stall the start.

#include <functional>
#include <optional>
#include <set>

#include "compressed.h"
#include "file_io.h"
#include "main_window_fixture.h"
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
    const char* file; // the database file changed, if any
    std::function<std::optional<std::string>(sample::DemoDatabase&)> bytes; // its new bytes; none: removed
    std::vector<std::string> extraLines = {}; // appended to the additions file before the start
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

    const auto removed = [](sample::DemoDatabase&) -> std::optional<std::string> { return std::nullopt; };
    const std::vector<Fault> faults = {
        {"categories missing", "itemcateg.bin", removed},
        {"categories empty", "itemcateg.bin", [](auto&) { return std::string(); }},
        {"categories garbage", "itemcateg.bin", [](auto&) { return std::string(500, 'x'); }},
        {"categories cut inside a record", "itemcateg.bin",
         [](auto& db) { const auto p = sample::itemCategoriesPayload(db.categories); return deflated(p, p.size() - 10); }},
        {"a category the lines use is missing", "itemcateg.bin",
         [](auto& db) {
             uint32_t gone = 0; // the category of a change to a database location
             for (const rnew_node& r : db.additions.locations)
                 if (r.id != 0) gone = r.categoryId;
             std::vector<rCateg> fewer;
             for (const rCateg& c : db.categories)
                 if (c.id != gone) fewer.push_back(c);
             return bytesOf(sample::writeItemCategories(fewer));
         }, {}, true},
        {"map index missing", "vmarmap.bin", removed},
        {"map index cut", "vmarmap.bin",
         [](auto& db) { const auto p = sample::mapIndexPayload(db.mapIndex); return deflated(p, p.size() - 30); }},
        {"master file missing", "master_vmar.loc", removed},
        {"master file cut in half", "master_vmar.loc",
         [](auto& db) { const auto p = sample::masterPayload(db.master); return deflated(p, p.size() / 2); }},
        {"master file without its end tag", "master_vmar.loc",
         [](auto& db) { db.master.endTag = false; return bytesOf(sample::writeMasterFile(db.master)); }},
        {"master header value 0", "master_vmar.loc",
         [](auto& db) { db.master.headerValue = 0; return bytesOf(sample::writeMasterFile(db.master)); }},
        {"a locked target and a comment", nullptr, {}, {lockedLine, "# to check in game"}, true},
    };

    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what);
        MainWindowFixture f;
        sample::DemoDatabase db = sample::buildDemoDatabase(options); // the folder's content
        if (fault.file) {
            const QString file = "database/" + QString::fromStdString(f.database()) + "/" + fault.file;
            const std::optional<std::string> bytes = fault.bytes(db);
            bytes ? f.writeFile(file, *bytes) : void(QFile::remove(f.exe + file));
        }
        const QString additions = f.additionsPath();
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
    for (int i = 0; i < 2; ++i) {
        w->Timer3.start(1);
        QTest::qWait(50); // the autosave timer fires
    }
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(f.readFile(f.additionsPath()).split('\r').front().endsWith("-Autosaver"));
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
