// Text saved as UTF-8 with a byte-order mark, read as Windows-1252.
#include <gtest/gtest.h>

#include "utf8_text.h"

TEST(Utf8Text, ReadAsWindows1252LineByLine)
{
    EXPECT_TRUE(HasUtf8Mark("\xEF\xBB\xBF#v250"));
    EXPECT_FALSE(HasUtf8Mark("#v250\xEF\xBB\xBF"));
    std::vector<size_t> lossy;
    // Accents and the euro sign have their Windows-1252 byte; a snowman, a character outside
    // the basic plane (one "?", not two) and a stray byte have none. Lines end at CR LF, CR
    // or LF and come out ended by CR LF.
    const std::string text = Utf8TextToCp1252("\xEF\xBB\xBF\xC3\xA9t\xC3\xA9 \xE2\x82\xAC\r\n"
                                              "a\xE2\x98\x83" "b\r"
                                              "\xF0\x9F\x90\xBA|\xFF\n"
                                              "\n"
                                              "end",
                                              lossy);
    EXPECT_EQ(text, "\xE9t\xE9 \x80\r\na?b\r\n?|?\r\n\r\nend\r\n");
    EXPECT_EQ(lossy, (std::vector<size_t>{2, 3}));
}
