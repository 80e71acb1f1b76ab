// Reading only regular files within a size, and writes that never leave the program folder
// through a symbolic link.
#include <sys/stat.h>

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "file_io.h"
#include "folders.h"
#include "test_util.h"
#include "vector_file.h"
// Only regular files are read: a FIFO would block the start, a device never end.
TEST(RegularFilesOnly, FifosDevicesAndOversizedFilesAreRefusedWithoutBlocking)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("zone.vec"), zero = dir.filePath("zero.vec");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    MemoryStream s;
    LoadVectorFile(fifo, s);
    LoadVectorFile(zero, s);
    LoadVectorFile(dir.path(), s);
    EXPECT_TRUE(s.data.empty());

    std::vector<uint8_t> bytes;
    EXPECT_FALSE(ReadWholeFile(fifo, bytes));
    EXPECT_FALSE(ReadWholeFile(zero, bytes));
    std::string text;
    EXPECT_FALSE(ReadTextFileCapped(fifo, text));
    EXPECT_EQ(CountFileLines(fifo), 0);
    EXPECT_EQ(GetFileSizeOf(zero), -1);

    // A vector file past its cap is refused whole; a link to a regular file is read.
    const QString big = dir.filePath("big.vec");
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(kVectorFileCap + 1)); // sparse: no disk used
    }
    LoadVectorFile(big, s);
    EXPECT_TRUE(s.data.empty());
    ASSERT_TRUE(QFile::resize(big, 4));
    ASSERT_TRUE(QFile::link(big, dir.filePath("linked.vec")));
    EXPECT_TRUE(ReadWholeFile(dir.filePath("linked.vec"), bytes));
    EXPECT_EQ(bytes, std::vector<uint8_t>(4, 0));
    EXPECT_FALSE(ReadWholeFile(dir.filePath("linked.vec"), bytes, 3));
}

TEST(ProgramFolderWrites, NoSaveGoesThroughALinkLeadingOutside)
{
    QTemporaryDir top;
    const QString exe = top.path() + "/prog/", outside = top.path() + "/outside/";
    QDir().mkpath(exe + "ajouts");
    QDir().mkpath(outside);
    writeBytes(outside + "pref.ini", "outside");
    ASSERT_TRUE(QFile::link(outside + "pref.ini", exe + "pref.ini"));
    ASSERT_TRUE(QFile::link(outside, exe + "ajouts/linked"));
    ASSERT_TRUE(QFile::link(outside + "new.bin", exe + "categpref.bin")); // dangling
    ASSERT_TRUE(QFile::link(exe + "ajouts", exe + "inside"));
    const QString savedExe = ExeDir;
    ExeDir = exe;
    QString error;
    EXPECT_FALSE(WriteFileAtomic(exe + "pref.ini", std::string("new"), &error));
    EXPECT_TRUE(error.contains("symbolic link")) << error.toStdString();
    EXPECT_FALSE(WriteFileAtomic(exe + "ajouts/linked/mine.txt", std::string("new")));
    EXPECT_FALSE(WriteFileAtomic(exe + "categpref.bin", std::string("new")));
    EXPECT_EQ(readBytes(outside + "pref.ini"), "outside");
    EXPECT_EQ(QDir(outside).entryList(QDir::Files), QStringList{"pref.ini"});
    // Links that stay inside, and paths outside the program folder, write as before.
    EXPECT_TRUE(WriteFileAtomic(exe + "inside/mine.txt", std::string("new")));
    EXPECT_EQ(readBytes(exe + "ajouts/mine.txt"), "new");
    EXPECT_TRUE(WriteFileAtomic(outside + "other.txt", std::string("new")));
    ExeDir = savedExe;
}
