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

TEST(MultipartBody, TextFieldsAndEndByteForByte)
{
    TMsMultiPartFormDataStream body(kStamp);
    const std::string b = "---------------------------030924070504032";
    EXPECT_EQ(body.Boundary(), b);
    EXPECT_EQ(body.RequestContentType(), "multipart/form-data; boundary=" + b);
    EXPECT_TRUE(body.FirstPart());
    body.AddFormField("a", "1");
    EXPECT_FALSE(body.FirstPart());
    body.AddFormField("b", "2%d\xE9");
    body.PrepareStreamForDispatch();
    EXPECT_EQ(body.position, 0u);
    EXPECT_TRUE(body.FirstPart());
    EXPECT_EQ(bytesOf(body), "--" + b + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n--" + b +
                                 "\r\nContent-Disposition: form-data; name=\"b\"\r\n\r\n2%d\xE9\r\n--" + b + "--\r\n");
    // A file part: see the upload's form in the send tests.
}

TEST(MultipartBody, BoundaryShapeAndContentThatHoldsIt)
{
    const std::string now = TMsMultiPartFormDataStream().Boundary();
    EXPECT_TRUE(std::regex_match(now, std::regex("^-{27}[0-9]{15}$"))) << now;

    // A file holding the boundary moves the boundary on by a millisecond, as often as needed.
    const std::string first = TMsMultiPartFormDataStream::MakeBoundary(kStamp);
    const std::string second = TMsMultiPartFormDataStream::MakeBoundary(kStamp.addMSecs(1));
    const std::string third = TMsMultiPartFormDataStream::MakeBoundary(kStamp.addMSecs(2));
    TMsMultiPartFormDataStream body(kStamp);
    body.AddFormField("a", "1");
    body.AddStream("file", "f", "x--" + first + "y--" + second + "z", "t/t");
    body.PrepareStreamForDispatch();
    EXPECT_EQ(body.Boundary(), third);
    const std::string all = bytesOf(body);
    EXPECT_EQ(all.rfind("--" + third + "\r\n", 0), 0u);
    EXPECT_NE(all.find("x--" + first + "y--" + second + "z\r\n--" + third + "--\r\n"), std::string::npos);
    EXPECT_EQ(body.RequestContentType(), "multipart/form-data; boundary=" + third);
}
