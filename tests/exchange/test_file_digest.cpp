// The digest of a whole file: what the update list's digests are compared with.
#include <sys/stat.h>

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "compressed.h"
#include "file_digest.h"
#include "test_util.h"

namespace {

std::string pseudoRandom(size_t size)
{
    std::string s(size, '\0');
    uint32_t x = 12345;
    for (char& c : s) c = char((x = x * 1664525u + 1013904223u) >> 24);
    return s;
}

} // namespace

TEST(FileDigest, KnownDigestsAndEveryPieceBoundary)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("f.bin");
    ASSERT_TRUE(writeBytes(path, ""));
    EXPECT_EQ(FileMd5Hex(path), "d41d8cd98f00b204e9800998ecf8427e");
    ASSERT_TRUE(writeBytes(path, "abc"));
    EXPECT_EQ(FileMd5Hex(path), "900150983cd24fb0d6963f7d28e17f72");
    ASSERT_TRUE(writeBytes(path, "12345678901234567890123456789012345678901234567890123456789012345678901234567890"));
    EXPECT_EQ(FileMd5Hex(path), "57edf4a22be3c955ac49da2e2107b67a");

    // Files read in several pieces, cut just before, on and after a piece's end, give the
    // digest of the whole content.
    const size_t piece = size_t(128) << 10;
    const std::string content = pseudoRandom(9 * piece + 5);
    for (size_t size : {piece - 1, piece, piece + 1, 8 * piece, 9 * piece + 5}) {
        const std::string part = content.substr(0, size);
        ASSERT_TRUE(writeBytes(path, part));
        EXPECT_EQ(FileMd5Hex(path), Md5Hex(part)) << size;
    }
}

TEST(FileDigest, MissingOrUnreadableIsEmptyInputAndNonRegularHasNone)
{
    QTemporaryDir dir;
    const std::string empty = "d41d8cd98f00b204e9800998ecf8427e";
    EXPECT_EQ(FileMd5Hex(dir.filePath("none.bin")), empty);

    const QString locked = dir.filePath("locked.bin");
    ASSERT_TRUE(writeBytes(locked, "secret"));
    ::chmod(QFile::encodeName(locked).constData(), 0);
    // The superuser reads it all the same.
    if (!QFile(locked).open(QIODevice::ReadOnly)) {
        EXPECT_EQ(FileMd5Hex(locked), empty);
    }

    // A FIFO with no writer would block a reader for ever; a folder has no content.
    const QString fifo = dir.filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(FileMd5Hex(fifo), "");
    EXPECT_EQ(FileMd5Hex(dir.path()), "");
}
