// A large database left behind by a language switch or by the program's end: the window
// goes on without waiting for its records to be freed, and writes its files as before.
#include <future>

#include <QPointer>

#include "background_release.h"
#include "block_pool.h"
#include "main_window_fixture.h"

namespace {

constexpr int kLocations = 20000; // enough for the tree to go to the release thread

TEST(LargeTreeRelease, ALanguageSwitchFreesTheOldTreeOnTheReleaseThread)
{
    MainWindowFixture f(true, kLocations);
    WaitForBackgroundReleases();
    const size_t empty = RecordPool().bytesInUse();
    auto w = f.startShown();
    const size_t locations = w->MyTreeStore.locationCount();
    ASSERT_GE(locations, size_t(kLocations));
    const size_t loaded = RecordPool().bytesInUse();

    std::promise<void> go; // holds the release thread
    ReleaseInBackground([wait = go.get_future().share()] { wait.wait(); });
    clickFolder(w->Langage1, "English");
    EXPECT_EQ(InterfaceLang, "English");
    EXPECT_EQ(w->MyTreeStore.locationCount(), locations);
    // The old records are still there: the switch did not wait for them.
    EXPECT_GT(RecordPool().bytesInUse(), loaded + (loaded - empty) / 2);
    go.set_value();
    WaitForBackgroundReleases();
    EXPECT_EQ(RecordPool().bytesInUse(), loaded);
}

TEST(LargeTreeRelease, TheProgramsWindowWritesItsFilesAndLeavesItsTreeToTheSystem)
{
    MainWindowFixture f(true, kLocations);
    f.start().reset(); // a first run writes categpref.bin
    const QByteArray categ = f.readFile("categpref.bin");
    ASSERT_GT(categ.size(), 64);
    WaitForBackgroundReleases();
    const size_t empty = RecordPool().bytesInUse();
    QPointer<TForm4> w = f.startShown().release();
    w->setAttribute(Qt::WA_DeleteOnClose); // as the program's window
    QFile::remove(f.exe + "pref.ini");
    QFile::remove(f.exe + "categpref.bin");
    WaitForBackgroundReleases();
    const size_t loaded = RecordPool().bytesInUse();

    EXPECT_TRUE(w->close());
    ASSERT_EVENTUALLY(w.isNull());
    EXPECT_TRUE(f.readFile("pref.ini").startsWith("#"));
    EXPECT_EQ(f.readFile("categpref.bin"), categ);
    WaitForBackgroundReleases();
    EXPECT_GT(RecordPool().bytesInUse(), empty + (loaded - empty) * 9 / 10);
}

} // namespace
