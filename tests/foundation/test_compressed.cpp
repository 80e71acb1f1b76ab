// zlib-stream files: round trips, failures that leave the stream untouched, the cap,
// decompressing to a file, and the byte scrambling.
#include <algorithm>
#include <fstream>
#include <random>

#include <sys/resource.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "compressed.h"
#include "test_util.h"

namespace {

MemoryStream streamOf(const std::string& s, size_t position)
{
    MemoryStream m;
    m.data.assign(s.begin(), s.end());
    m.position = position;
    return m;
}

std::string deflate(const std::string& s)
{
    auto p = DeflateBytes(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    return std::string(p.begin(), p.end());
}

class CompressedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::mt19937 rng(7); // partly compressible, partly random
        for (size_t i = 0; i < 100000; ++i) plain.push_back(char(i % 3 ? i / 7 : rng()));
        packed = deflate(plain);
    }
    bool inflate(const std::string& in, std::vector<uint8_t>& out, size_t cap = kInflateCap)
    {
        return InflateBytes(reinterpret_cast<const uint8_t*>(in.data()), in.size(), out, cap);
    }
    QString path(const char* name) const { return dir.filePath(name); }
    QTemporaryDir dir;
    std::string plain, packed;
};

TEST_F(CompressedTest, InflatesIntoTheStreamAtItsPosition)
{
    std::vector<uint8_t> out = {'x'};
    ASSERT_TRUE(inflate(packed, out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "x" + plain);
    ASSERT_TRUE(writeBytes(path("a.z"), packed) && writeBytes(path("b.z"), deflate("ab")));
    MemoryStream empty;
    ASSERT_TRUE(LoadCompressedFile(empty, path("a.z")));
    EXPECT_EQ(std::make_pair(empty.toString(), empty.position), std::make_pair(plain, plain.size()));
    const std::tuple<size_t, std::string, size_t> cases[] = {
        {3, "012ab56789", 5}, {10, "0123456789ab", 12}, {12, std::string("0123456789\0\0ab", 14), 14}};
    for (const auto& [pos, expected, after] : cases) {
        MemoryStream s = streamOf("0123456789", pos);
        ASSERT_TRUE(LoadCompressedFile(s, path("b.z")));
        EXPECT_EQ(std::make_pair(s.toString(), s.position), std::make_pair(expected, after)) << pos;
    }
}

TEST_F(CompressedTest, DamagedInputFailsAndLeavesStreamAsItWas)
{
    std::string flipped = packed;
    flipped[flipped.size() / 2] ^= 0x10;
    const std::pair<const char*, std::string> inputs[] = {{"truncated", packed.substr(0, packed.size() - 3)},
                                                          {"half", packed.substr(0, packed.size() / 2)},
                                                          {"flipped", flipped},
                                                          {"garbage", "this is not a zlib stream"},
                                                          {"empty", ""}};
    for (const auto& [name, bytes] : inputs) {
        ASSERT_TRUE(writeBytes(path(name), bytes));
        for (size_t pos : {0, 4, 6, 9}) {
            MemoryStream s = streamOf("abcdef", pos);
            EXPECT_FALSE(LoadCompressedFile(s, path(name))) << name;
            EXPECT_EQ(std::make_pair(s.toString(), s.position), std::make_pair(std::string("abcdef"), pos)) << name;
        }
        std::vector<uint8_t> out = {1, 2};
        EXPECT_FALSE(inflate(bytes, out));
        EXPECT_EQ(out, (std::vector<uint8_t>{1, 2}));
    }
    MemoryStream s = streamOf("abc", 1);
    EXPECT_FALSE(LoadCompressedFile(s, path("missing.z")));
    EXPECT_EQ(s.toString(), "abc");

    std::vector<uint8_t> out = {9}; // the cap: one byte short fails whole, exactly enough passes
    EXPECT_FALSE(inflate(packed, out, plain.size() - 1));
    EXPECT_EQ(out, std::vector<uint8_t>{9});
    EXPECT_TRUE(inflate(packed, out, plain.size()));
    EXPECT_EQ(out.size(), plain.size() + 1);
}

// The whole-buffer inflate must give zlib's verdict and bytes on every kind of input:
// stored, fixed and dynamic blocks, streams that grow past the first output guess, every
// truncation, damage anywhere, trailing bytes, bad headers and checksums, and the cap.
TEST_F(CompressedTest, AgreesWithZlibOnGoodDamagedAndCappedStreams)
{
    const std::string small = plain.substr(0, 3000);
    std::vector<std::string> inputs = {deflate(std::string(1 << 20, 'z')), deflate(""), "", packed + "trailing bytes"};
    for (int level : {0, 1, 9, 6}) {
        auto p = DeflateBytes(reinterpret_cast<const uint8_t*>(small.data()), small.size(), level);
        inputs.emplace_back(p.begin(), p.end());
    }
    const std::string level6 = inputs.back();
    // Header check, preset dictionary, 64 KiB window (both with a passing header check), checksum.
    for (auto [at, value] : {std::pair{1, 0x9d}, {1, 0x20}, {0, 0x88}, {-1, 0x00}}) {
        std::string bad = level6;
        bad[at < 0 ? bad.size() - 1 : size_t(at)] = char(value);
        if (at == 0) bad[1] = char(0x1c);
        inputs.push_back(bad);
    }
    for (size_t i = 0; i < level6.size(); i += 5) {
        inputs.push_back(level6.substr(0, i));
        for (int mask : {0x01, 0x10, 0x80}) {
            inputs.push_back(level6);
            inputs.back()[i] ^= char(mask);
        }
    }
    int accepted = 0;
    for (const std::string& stream : inputs)
        for (size_t cap : {kInflateCap, small.size(), small.size() - 1, size_t(1) << 20, (size_t(1) << 20) - 1}) {
            const auto* src = reinterpret_cast<const uint8_t*>(stream.data());
            ByteBuffer expected = {7}, got = {7};
            std::vector<uint8_t> zeroFilled = {7};
            const bool zlibOk = ZlibInflateBytes(src, stream.size(), expected, cap);
            ASSERT_EQ(InflateBytes(src, stream.size(), got, cap), zlibOk) << stream.size() << " cap " << cap;
            ASSERT_EQ(InflateBytes(src, stream.size(), zeroFilled, cap), zlibOk) << stream.size() << " cap " << cap;
            ASSERT_TRUE(got == expected && std::equal(got.begin(), got.end(), zeroFilled.begin(), zeroFilled.end()));
            accepted += zlibOk;
        }
    EXPECT_GT(accepted, 20); // the set holds both verdicts
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// With address space for 4x the input but not for the 8x the whole-buffer decoder asks for
// first, a stream still inflates, as it did with zlib's inflate alone.
TEST(CompressedMemory, TooLittleRoomForTheFirstGuessStillInflates)
{
    if (kAddressSanitizer) GTEST_SKIP() << "the sanitizer reserves address space of its own";
    std::mt19937 rng(5);
    std::vector<uint8_t> plain(8 << 20);
    for (auto& b : plain) b = uint8_t(rng());
    const std::vector<uint8_t> packed = DeflateBytes(plain.data(), plain.size());
    const auto inflateWithLittleRoom = [&] {
        std::ifstream statm("/proc/self/statm");
        size_t pages = 0;
        statm >> pages;
        const rlim_t room = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (48u << 20);
        const rlimit limit{room, room};
        setrlimit(RLIMIT_AS, &limit);
        ByteBuffer out;
        std::_Exit(InflateBytes(packed.data(), packed.size(), out) && out.size() == plain.size() ? 0 : 1);
    };
    EXPECT_EXIT(inflateWithLittleRoom(), ::testing::ExitedWithCode(0), "");
}

TEST_F(CompressedTest, DecompressFileLeavesNoDestinationOnFailure)
{
    ASSERT_TRUE(writeBytes(path("src.z"), packed) && writeBytes(path("bad.z"), packed.substr(0, 100)) &&
                writeBytes(path("old.bin"), "old"));
    ASSERT_TRUE(DecompressFile(path("src.z"), path("out.bin")));
    EXPECT_EQ(readBytes(path("out.bin")), plain);
    EXPECT_FALSE(DecompressFile(path("bad.z"), path("none.bin")));
    EXPECT_FALSE(DecompressFile(path("missing.z"), path("none.bin")));
    EXPECT_FALSE(DecompressFile(path("bad.z"), path("old.bin")));
    EXPECT_EQ(readBytes(path("old.bin")), "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"bad.z", "old.bin", "out.bin", "src.z"}));
}

TEST_F(CompressedTest, ScrambleXorsWithMd5OfKey)
{
    EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    const std::string original = plain.substr(0, 100), k = Md5Hex("");
    MemoryStream s = streamOf(original, 50);
    ScrambleStream(s, "");
    EXPECT_EQ(s.data[0], uint8_t(original[0] ^ 'd'));
    for (size_t i : {1, 32, 99}) EXPECT_EQ(s.data[i], uint8_t(original[i] ^ k[i % 32])) << i;
    ScrambleStream(s, "");
    EXPECT_EQ(s.toString(), original);
}

} // namespace
