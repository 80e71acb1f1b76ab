// Comparing listed files with the disk and replacing them from the fixture server.
#include <sys/stat.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "compressed.h"
#include "file_digest.h"
#include "http_client.h"
#include "http_server.h"
#include "test_util.h"
#include "update_files.h"

namespace {
const std::string kEmptyMd5 = "d41d8cd98f00b204e9800998ecf8427e";

ttreeup entry(const std::string& name, const std::string& folder, const std::string& md5, const std::string& url = "",
              bool compressed = false)
{
    ttreeup e;
    e.FileName = name;
    e.Folder = folder;
    e.Md5 = md5;
    e.Url = url;
    e.Compressed = compressed;
    e.Kind = "all";
    return e;
}

mode_t modeOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

QStringList leftovers(const QString& dir)
{
    return QDir(dir).entryList({"dl.*"}, QDir::Files | QDir::Hidden);
}

struct UpdateFolder {
    QTemporaryDir top;
    QString exe;
    UpdateFolder()
    {
        exe = top.path() + "/prog/";
        QDir().mkpath(exe + "DataBase/Demo");
        writeBytes(exe + "DataBase/Demo/master_vmar.loc", "old master");
        writeBytes(exe + "readme.txt", "old readme");
    }
};
} // namespace

TEST(UpdateFiles, DigestsSelectChangedFilesAndRefuseEscapingPaths)
{
    UpdateFolder f;
    std::vector<ttreeup> list{
        entry("readme.txt", "", Md5Hex("old readme")),                 // unchanged
        entry("README.TXT", "", Md5Hex("new readme")),                 // changed, found ignoring case
        entry("Master_Vmar.LOC", "database\\DEMO\\", "0"),             // changed, found ignoring case
        entry("new.bin", "", kEmptyMd5),                               // missing and listed as empty
        entry("new.bin", "extra\\", "1"),                              // missing, its folder is made
        entry("x.txt", "..\\", "1"),                                   // outside the program folder
        entry("..", "", "1"),                                          // not a file name
        entry("a/b", "", "1"),                                         // a path, not a name
        entry("y.txt", "deep\\er\\", "1"),                             // two missing levels
        entry("Vmar_ajouts_Demo.txt", "AJOUTS\\", "1"),                 // the user's own additions
    };
    list[4].Kind = "bas";
    list[4].KindName = "demo";
    const CompareOutcome out = compare_files(list, f.exe, true, "Francais", "Demo", "refused");
    std::vector<bool> visible;
    for (const ttreeup& e : list) visible.push_back(e.Visible);
    EXPECT_EQ(visible, (std::vector<bool>{false, true, true, false, true, true, true, true, true, true}));
    EXPECT_EQ(EntryTargetPath(f.exe, list[2]), f.exe + "DataBase/Demo/master_vmar.loc");
    EXPECT_TRUE(QFileInfo(f.exe + "extra").isDir());
    EXPECT_TRUE(list[4].Fetchable);
    for (size_t i : {5u, 6u, 7u, 8u, 9u}) {
        EXPECT_FALSE(list[i].Fetchable) << i;
        EXPECT_EQ(list[i].StatusText, "refused") << i;
    }
    EXPECT_TRUE(out.folderFailed);
    EXPECT_EQ(out.selected, 8);
    EXPECT_FALSE(QFileInfo::exists(f.top.path() + "/x.txt"));
    EXPECT_FALSE(QFileInfo::exists(f.exe + "deep"));

    // Unfiltered, an entry of another database is selected too.
    list[4].KindName = "other";
    EXPECT_EQ(compare_files(list, f.exe, false, "Francais", "Demo", "refused").selected, 8);
    EXPECT_EQ(compare_files(list, f.exe, true, "Francais", "Demo", "refused").selected, 7);
}

TEST(UpdateFiles, ReplacesOnlyVerifiedDownloadsInOneStep)
{
    UpdateFolder f;
    HttpServer server;
    const std::string fresh = "new content";
    server.put("new.txt", fresh);
    const std::vector<uint8_t> packed = DeflateBytes(reinterpret_cast<const uint8_t*>(fresh.data()), fresh.size());
    server.put("new.z", std::string(packed.begin(), packed.end()));
    server.put("plain.z", "not a zlib stream");
    HttpClient http;
    http.limits.idleTimeoutMs = 300;
    std::string error;

    // A program file keeps its execute bit; a new file is 0644.
    QFile::setPermissions(f.exe + "readme.txt", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                    QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                                    QFile::ExeOther);
    ASSERT_EQ(modeOf(f.exe + "readme.txt"), 0755u);
    EXPECT_EQ(FetchEntry(http, f.exe, entry("readme.txt", "", Md5Hex(fresh), server.url("/files/new.txt")), error),
              FetchResult::Replaced);
    EXPECT_EQ(readBytes(f.exe + "readme.txt"), fresh);
    EXPECT_EQ(modeOf(f.exe + "readme.txt"), 0755u);
    EXPECT_EQ(FetchEntry(http, f.exe, entry("added.txt", "", Md5Hex(fresh), server.url("/files/new.z"), true), error),
              FetchResult::Replaced);
    EXPECT_EQ(readBytes(f.exe + "added.txt"), fresh);
    EXPECT_EQ(modeOf(f.exe + "added.txt"), 0644u);

    // Every failure leaves the old file and no temporary file.
    const QString master = f.exe + "DataBase/Demo/master_vmar.loc";
    const std::string md5 = Md5Hex(fresh), upper = QString::fromStdString(md5).toUpper().toStdString();
    auto toMaster = [&](const std::string& sum, const std::string& url, bool compressed = false) {
        return entry("master_vmar.loc", "DataBase\\Demo\\", sum, url, compressed);
    };
    struct Case {
        ttreeup e;
        FetchResult want;
    } cases[] = {
        {toMaster(upper, server.url("/files/new.txt")), FetchResult::VerifyFailed},
        {toMaster(md5, server.url("/files/plain.z"), true), FetchResult::VerifyFailed},
        {toMaster(md5, server.url("/files/none")), FetchResult::DownloadFailed},
        {toMaster(md5, server.url("/truncated")), FetchResult::DownloadFailed},
        {toMaster(md5, server.url("/slow")), FetchResult::DownloadFailed},
        {toMaster(md5, "file://" + master.toStdString()), FetchResult::DownloadFailed},
        {entry("x.txt", "..\\", md5, server.url("/files/new.txt")), FetchResult::VerifyFailed},
    };
    for (const Case& c : cases) {
        error.clear();
        EXPECT_EQ(FetchEntry(http, f.exe, c.e, error), c.want) << c.e.Url;
        EXPECT_EQ(readBytes(master), "old master");
        EXPECT_EQ(c.want == FetchResult::DownloadFailed, !error.empty()) << c.e.Url;
        EXPECT_TRUE(leftovers(f.exe).isEmpty()) << leftovers(f.exe).join(",").toStdString();
        EXPECT_TRUE(leftovers(f.exe + "DataBase/Demo").isEmpty());
    }
    EXPECT_EQ(QDir(f.top.path()).entryList(QDir::Files).size(), 0);
}

TEST(UpdateFiles, ARunningProgramIsRenamedOver)
{
    UpdateFolder f;
    HttpServer server;
    server.put("new.bin", "new program");
    ASSERT_TRUE(QFile::copy("/bin/sleep", f.exe + "sleepy"));
    QFile::setPermissions(f.exe + "sleepy", QFile::permissions("/bin/sleep"));
    QProcess running;
    running.start(f.exe + "sleepy", {"20"});
    ASSERT_TRUE(running.waitForStarted());
    HttpClient http;
    std::string error;
    EXPECT_EQ(FetchEntry(http, f.exe, entry("sleepy", "", Md5Hex("new program"), server.url("/files/new.bin")), error),
              FetchResult::Replaced);
    EXPECT_EQ(readBytes(f.exe + "sleepy"), "new program");
    EXPECT_EQ(modeOf(f.exe + "sleepy") & 0111, 0111u);
    EXPECT_EQ(running.state(), QProcess::Running);
    running.kill();
    running.waitForFinished();
}

TEST(UpdateFiles, SymbolicLinksLeadingOutsideAreNeverWrittenThrough)
{
    UpdateFolder f;
    QTemporaryDir outsideDir;
    const QString outside = outsideDir.path() + "/";
    writeBytes(outside + "zone.jpg", "outside zone");
    writeBytes(outside + "readme_outside.txt", "outside readme");
    QDir().mkpath(f.exe + "real");
    writeBytes(f.exe + "real/inner.txt", "inner");
    ASSERT_TRUE(QFile::link(outside, f.exe + "maps_link"));                       // folder link out
    ASSERT_TRUE(QFile::link(outside + "readme_outside.txt", f.exe + "notes.txt")); // file link out
    ASSERT_TRUE(QFile::link(outside + "gone.txt", f.exe + "dangling.txt"));        // would be created out
    ASSERT_TRUE(QFile::link(f.exe + "real", f.exe + "inner_link"));                // link that stays inside

    std::vector<ttreeup> list{
        entry("zone.jpg", "maps_link\\", "1"),       // through the folder link
        entry("fresh.jpg", "maps_link\\sub\\", "1"), // a missing folder behind the link
        entry("notes.txt", "", "1"),                 // the target itself is a link out
        entry("dangling.txt", "", "1"),
        entry("inner.txt", "inner_link\\", "1"), // stays inside: fetched as usual
    };
    const CompareOutcome out = compare_files(list, f.exe, false, "Francais", "Demo", "refused");
    EXPECT_EQ(out.selected, 5);
    EXPECT_TRUE(out.folderFailed);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_FALSE(list[i].Fetchable) << i;
        EXPECT_EQ(list[i].StatusText, "refused") << i;
    }
    EXPECT_TRUE(list[4].Fetchable);
    EXPECT_FALSE(QFileInfo::exists(outside + "sub"));

    HttpServer server;
    server.put("new.txt", "new");
    HttpClient http;
    std::string error;
    for (ttreeup e : list) {
        e.Md5 = Md5Hex("new");
        e.Url = server.url("/files/new.txt");
        const FetchResult want = e.FileName == "inner.txt" ? FetchResult::Replaced : FetchResult::VerifyFailed;
        EXPECT_EQ(FetchEntry(http, f.exe, e, error), want) << e.FileName;
    }
    EXPECT_EQ(readBytes(outside + "zone.jpg"), "outside zone");
    EXPECT_EQ(readBytes(outside + "readme_outside.txt"), "outside readme");
    EXPECT_EQ(QDir(outside).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"readme_outside.txt", "zone.jpg"}));
    EXPECT_EQ(readBytes(f.exe + "real/inner.txt"), "new");
}
