// The multipart body byte for byte.
#include <regex>

#include <gtest/gtest.h>

#include "multipart_body.h"

namespace {
std::string bytesOf(const TMsMultiPartFormDataStream& s)
{
    return std::string(reinterpret_cast<const char*>(s.data.data()), s.data.size());
}
const QDateTime kStamp(QDate(2024, 3, 9), QTime(7, 5, 4, 32));
} // namespace

TEST(MultipartBody, BoundaryFromTheTimeFieldsByteForByteAndContentThatHoldsTheBoundary)
{
    const std::string now = TMsMultiPartFormDataStream().Boundary();
    EXPECT_TRUE(std::regex_match(now, std::regex("^-{27}[0-9]{15}$"))) << now;
    TMsMultiPartFormDataStream body(kStamp);
    const std::string b = "---------------------------030924070504032";
    EXPECT_EQ(body.Boundary(), b);
    EXPECT_EQ(body.RequestContentType(), "multipart/form-data; boundary=" + b);
    body.AddFormField("a", "1");
    body.AddFormField("b", "2%d\xE9");
    body.PrepareStreamForDispatch();
    EXPECT_EQ(body.position, 0u);
    EXPECT_EQ(bytesOf(body), "--" + b + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n--" + b +
                                 "\r\nContent-Disposition: form-data; name=\"b\"\r\n\r\n2%d\xE9\r\n--" + b + "--\r\n");
    // (A file part: see the upload's form in the send tests.)

    // A file holding the boundary moves the boundary on by a millisecond, as often as needed.
    const std::string second = TMsMultiPartFormDataStream::MakeBoundary(kStamp.addMSecs(1));
    const std::string third = TMsMultiPartFormDataStream::MakeBoundary(kStamp.addMSecs(2));
    TMsMultiPartFormDataStream held(kStamp);
    held.AddFormField("a", "1");
    held.AddStream("file", "f", "x--" + b + "y--" + second + "z", "t/t");
    held.PrepareStreamForDispatch();
    EXPECT_EQ(held.Boundary(), third);
    const std::string all = bytesOf(held);
    EXPECT_EQ(all.rfind("--" + third + "\r\n", 0), 0u);
    EXPECT_NE(all.find("x--" + b + "y--" + second + "z\r\n--" + third + "--\r\n"), std::string::npos);
    EXPECT_EQ(held.RequestContentType(), "multipart/form-data; boundary=" + third);
}
