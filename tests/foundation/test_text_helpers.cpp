// Text helpers, numeric conversions and small file queries.
#include <climits>

#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ctime>

#include <QTimeZone>

#include "delphi_conv.h"
#include "file_io.h"
#include "test_util.h"
#include "text_helpers.h"
#include "widget_helpers.h"

namespace {

TEST(TextHelpers, NormalizeTextFoldsOnlyTheDocumentedLetters)
{
    EXPECT_EQ(NormalizeText("\xEA\xE7\xF9"), "ECU");
    EXPECT_EQ(NormalizeText("\xC9\xE1\xF1"), "\xC9\xE1\xF1");
    std::string all(256, '\0');
    for (int i = 0; i < 256; ++i) all[size_t(i)] = char(i);
    std::string expected = all;
    for (char c = 'a'; c <= 'z'; ++c) expected[size_t(c)] = char(c - 32);
    const std::pair<const char*, char> folds[] = {{"\xE0\xE2\xE4", 'A'}, {"\xE7", 'C'}, {"\xE8\xE9\xEA\xEB", 'E'},
                                                   {"\xEE\xEF", 'I'}, {"\xF4\xF6", 'O'}, {"\xF9\xFB\xFC", 'U'}};
    for (const auto& [from, to] : folds)
        for (const char* p = from; *p; ++p) expected[uint8_t(*p)] = to;
    EXPECT_EQ(NormalizeText(all), expected);
}

TEST(TextHelpers, CalcDistanceInWholeThousands)
{
    const std::tuple<WorldPoint, WorldPoint, int64_t> cases[] = {
        {{0, 0}, {3000, 4000}, 5000}, {{1999, 0}, {0, 0}, 1000}, {{2500, 1500}, {0, 0}, 2000},
        {{-1999, 0}, {0, 0}, 1000}, {{-999, 0}, {999, 0}, 0}, // division truncates toward zero
        {{INT_MIN, 0}, {INT_MAX, 0}, 4294966000LL}, {{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, 6073999000LL}};
    for (const auto& [p, q, d] : cases) EXPECT_EQ(CalcDistance(p, q), d) << p.x << "," << p.y;
}

TEST(TextHelpers, LabelsLinesAndMemo)
{
    EXPECT_EQ(FormatLabelText("{Nom}|a@b", true), "Nom\ra -> b");
    EXPECT_EQ(FormatLabelText("{Nom}|a@b", false), "Nom|a -> b");
    EXPECT_EQ(LinesToText({"a", "", "b"}), "a|b");
    EXPECT_EQ(TextToLines("a||b|"), (std::vector<std::string>{"a", "", "b"}));
    QPlainTextEdit memo("old");
    const std::pair<std::string, QString> cases[] = {{"a||\xE9t\xE9|", QString::fromUtf8("a\n\n\u00E9t\u00E9")},
                                                     {"|b", "\nb"}, {"", ""}}; // a first empty line is kept
    const std::string stored[] = {"a|\xE9t\xE9", "|b", ""};
    for (size_t i = 0; i < 3; ++i) {
        TextToMemo(&memo, cases[i].first);
        EXPECT_EQ(memo.toPlainText(), cases[i].second);
        EXPECT_EQ(MemoToText(&memo), stored[i]);
    }
    memo.setPlainText(QString(QChar(0x4E2D)));
    EXPECT_FALSE(MemoToText(&memo).has_value());
}

TEST(TextHelpers, SmallConversionsAndFileQueries)
{
    const std::pair<const char*, int> coords[] = {{"70", 65}, {"-3", 0}, {"", 0}, {"a", 0}, {"42", 42}};
    for (const auto& [text, v] : coords) EXPECT_EQ(StrToCoord(text), v) << text;
    EXPECT_EQ(IntToHex4(65537) + IntToHex4(0xABCD) + IntToHex4(-1), "0001ABCDFFFF");
    EXPECT_TRUE(IsErasedName("@x") && IsComment("#x"));
    EXPECT_FALSE(IsErasedName("x@") || IsErasedName("") || IsComment(" #x") || IsComment(""));

    QTemporaryDir dir;
    const QString f = dir.filePath("f.txt");
    std::string twenty;
    for (int i = 0; i < 20; ++i) twenty += "line\r\n";
    const std::pair<std::string, int> files[] = {{twenty, 8}, {"", 1}, {"a\nb\nc\n", 3}, {"a\r\nb", 2}};
    for (const auto& [bytes, lines] : files) {
        writeBytes(f, bytes);
        EXPECT_EQ(CountFileLines(f), lines);
    }
    EXPECT_EQ(GetFileSizeOf(f), 4);
    EXPECT_EQ(CountFileLines(dir.filePath("missing")), 0);
    EXPECT_EQ(GetFileSizeOf(dir.filePath("missing")), -1);
}

TEST(DelphiConv, TrimAndNumbers)
{
    EXPECT_EQ(DelphiTrim("\t\x01 a b \r\n"), "a b");
    EXPECT_EQ(DelphiTrim("\xA0x\xA0"), "\xA0x\xA0"); // only codes up to the blank go
    int32_t v = 0;
    const std::pair<const char*, int32_t> good[] = {{"2147483647", INT_MAX}, {"-2147483648", INT_MIN}, {"+7", 7}};
    for (const auto& [text, value] : good) EXPECT_TRUE(TryParseInt(text, v) && v == value) << text;
    for (const char* bad : {"2147483648", "-2147483649", "99999999999999999999", "12a", "", "+", " 5", "+-5", "0x10"})
        EXPECT_FALSE(TryParseInt(bad, v)) << bad;

    EXPECT_EQ(FloatToStrComma(1.5) + " " + FloatToStrComma(-0.25), "1,5 -0,25");
    double d = 0;
    for (double x : {0.1, 123.456, -1e-5, 45000.75})
        EXPECT_TRUE(TryParseFloatComma(FloatToStrComma(x), d) && d == x) << x;
    for (const char* bad : {"1.5", "", "abc", "1,5x", "+-1,5", "inf", "1,,5"})
        EXPECT_FALSE(TryParseFloatComma(bad, d)) << bad;

    EXPECT_DOUBLE_EQ(DateTimeToDays(QDateTime(QDate(1899, 12, 30), QTime(12, 0))), 0.5);
    EXPECT_DOUBLE_EQ(DateTimeToDays(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
    for (const QDateTime& t : {QDateTime(QDate(2024, 3, 15), QTime(18, 30, 15, 250)),
                               QDateTime(QDate(1899, 12, 29), QTime(6, 0))}) {
        const QDateTime back = DaysToDateTime(DateTimeToDays(t));
        EXPECT_EQ(std::pair(back.date(), back.time()), std::pair(t.date(), t.time()));
    }
    // 02:30 on the last Sunday of March does not exist in Paris time; a day count has no zone.
    const QByteArray oldTz = qgetenv("TZ");
    qputenv("TZ", "Europe/Paris");
    tzset();
    const double gap = DateTimeToDays(QDateTime(QDate(2024, 3, 31), QTime(2, 30), Qt::UTC));
    EXPECT_EQ(DaysToDateTime(gap).toString("dd/MM/yyyy hh:mm:ss"), "31/03/2024 02:30:00");
    if (oldTz.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", oldTz);
    tzset();
}

} // namespace
