// Vector files: u16 blocks of u16 points converted to fractions of the zone, y turned.
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "byte_io.h"
#include "test_util.h"
#include "vector_file.h"

namespace {

// Raw vector bytes, one block per list of coordinates; a negative first value forces the count.
std::string raw(const std::vector<std::vector<int>>& blocks)
{
    std::vector<uint8_t> out;
    ByteWriter w(out);
    for (const auto& b : blocks) {
        const bool forced = !b.empty() && b[0] < 0;
        w.u16(uint16_t(forced ? -b[0] : int(b.size() / 2)));
        for (size_t i = forced; i < b.size(); ++i) w.u16(uint16_t(b[i]));
    }
    return std::string(out.begin(), out.end());
}

class VectorFileTest : public ::testing::Test {
protected:
    std::string load(const std::string& bytes, MemoryStream s = {})
    {
        EXPECT_TRUE(writeBytes(dir.filePath("zone.vec"), bytes));
        LoadVectorFile(dir.filePath("zone.vec"), s);
        EXPECT_EQ(s.position, s.size());
        return s.toString();
    }
    QTemporaryDir dir;
};

TEST_F(VectorFileTest, PointsBecomeFractionsWithYTurned)
{
    EXPECT_EQ(load(raw({{0, 0, 65535, 65535}})), std::string("\x02\0\0\0\0\0\0\0\x80\x3F\0\0\x80\x3F\0\0\0\0", 18));
    const std::vector<int> pts = {100, 200, 30000, 65000, 1, 65534};
    const std::string converted = load(raw({pts}));
    EXPECT_EQ(converted.size(), 2 + 3 * 8u);

    MemoryStream gap; // written at the position; a gap before it reads as zeros
    gap.data = {7};
    gap.position = 3;
    EXPECT_EQ(load(raw({pts}), gap), std::string("\x07\0\0", 3) + converted);
}

TEST_F(VectorFileTest, EmptyAndBrokenBlocksAreDropped)
{
    const std::vector<int> a = {100, 200, 300, 400}, b = {1, 2};
    const std::string expected = load(raw({a, b}));
    EXPECT_EQ(expected.size(), 2 + 16 + 2 + 8u);
    EXPECT_EQ(load(raw({a, {}, b})), expected);
    EXPECT_EQ(load(raw({a, b, {-3, 5, 5, 6, 6}})), expected); // says three points, holds two
    EXPECT_EQ(load(raw({a, b}) + "\x7F"), expected);
    EXPECT_EQ(load(""), "");

    MemoryStream s;
    s.data = {1, 2, 3};
    s.position = 1;
    LoadVectorFile(dir.filePath("missing.vec"), s);
    EXPECT_EQ(std::make_pair(s.toString(), s.position), std::make_pair(std::string("\x01\x02\x03"), size_t(1)));
}

} // namespace

