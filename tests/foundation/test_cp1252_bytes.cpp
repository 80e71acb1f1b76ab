// Windows-1252 conversion, the byte reader and writer, the path resolver. (The zone record:
// see the map index tests.)
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "byte_io.h"
#include "cp1252.h"
#include "path_resolver.h"
#include "test_util.h"

namespace {

TEST(Cp1252, EveryByteRoundTripsAndForeignTextIsRefused)
{
    std::string all(256, '\0');
    for (int i = 0; i < 256; ++i) all[size_t(i)] = char(i);
    const QString text = FromCp1252(all);
    EXPECT_EQ(text.size(), 256);
    EXPECT_EQ(text[0x80], QChar(0x20AC));
    EXPECT_EQ(ToCp1252(text), all);
    EXPECT_FALSE(ToCp1252(QString::fromUtf8("a\u4E2Db")).has_value());
    EXPECT_FALSE(FromDisplay(QString(QChar(0x4E2D))).has_value());
    EXPECT_EQ(ToDisplay("a\rb\r"), "a\nb\n");
    EXPECT_EQ(FromDisplay("a\nb"), "a\rb");
    EXPECT_EQ(FromDisplay("a\r\nb"), "a\rb");
}

TEST(ByteIo, FieldsRoundTripLittleEndianAndReadsPastTheEndFail)
{
    std::vector<uint8_t> buf;
    ByteWriter w(buf);
    w.u16(0x1234);
    w.i32(-5);
    w.f32(1.5f);
    w.f64(-2.25);
    w.shortString("hello", 8);
    w.shortString("toolong", 3);
    EXPECT_EQ(std::string(buf.begin(), buf.begin() + 6), "\x34\x12\xFB\xFF\xFF\xFF");
    EXPECT_EQ(std::string(buf.begin() + 18, buf.end()), std::string("\x05hello\0\0\0\x03too", 13));
    ByteReader r(buf);
    EXPECT_EQ(r.u16(), 0x1234);
    EXPECT_EQ(r.i32(), -5);
    EXPECT_EQ(r.f32(), 1.5f);
    EXPECT_EQ(r.f64(), -2.25);
    EXPECT_EQ(r.shortString(8), "hello");
    EXPECT_EQ(r.shortString(3), "too");
    EXPECT_TRUE(r.atEnd() && !r.failed());

    const std::vector<uint8_t> field = {200, 'a', 'b', 'c', 'd', 'e', 7};
    ByteReader c(field);
    EXPECT_EQ(c.shortString(5), "abcde"); // the length byte is clamped to the field
    EXPECT_FALSE(c.failed());
    EXPECT_EQ(c.u32(), 0u); // one byte left: zeros and a sticky failure
    EXPECT_TRUE(c.failed());
    EXPECT_EQ(c.u8(), 0u);
    ByteReader b(field.data(), 3);
    EXPECT_EQ(b.bytes(5), "\xC8" "ab");
    EXPECT_TRUE(b.failed());
}

TEST(PathResolver, MatchesCaseAndRefusesUnsafePaths)
{
    QTemporaryDir dir;
    const QString base = dir.path() + "/";
    ASSERT_TRUE(writeBytes(base + "maps/high/zone.jpg", "jpg"));
    EXPECT_EQ(ResolveDataPath(base, "Maps\\High\\Zone.JPG"), base + "maps/high/zone.jpg");
    EXPECT_EQ(ResolveExistingPath(base, "MAPS/high/ZONE.jpg"), base + "maps/high/zone.jpg");
    EXPECT_EQ(ResolveDataPath(base, "Maps\\Low\\Zone.jpg"), base + "maps/Low/Zone.jpg"); // tail as written
    EXPECT_FALSE(ResolveExistingPath(base, "Maps\\Low\\Zone.jpg"));
    for (const char* bad : {"..\\x", "maps/../../x", "/etc/passwd", "\\x", "C:\\x", "c:x", "", "maps//x", ".\\x"})
        EXPECT_FALSE(ResolveDataPath(base, bad).has_value()) << bad;
}

TEST(PathResolver, FindFolderNormalized)
{
    QTemporaryDir dir;
    const QString base = dir.path() + "/";
    for (const char* name : {"Francais", "abc", "ABC"}) QDir(base).mkpath(name);
    ASSERT_TRUE(writeBytes(base + "Deutsch", "a file"));
    for (const char* utf8 : {"fran\u00E7ais", "FRANCAIS", "Francais"})
        EXPECT_EQ(FindFolderNormalized(base, QString::fromUtf8(utf8)), QString("Francais")) << utf8;
    EXPECT_EQ(FindFolderNormalized(base, "abc"), QString("abc")); // an exact match wins
    EXPECT_EQ(FindFolderNormalized(base, "ABC"), QString("ABC"));
    for (const char* none : {"Deutsch", "", "..", ".", "English", "abc/.."})
        EXPECT_FALSE(FindFolderNormalized(base, none).has_value()) << none;
}

} // namespace
