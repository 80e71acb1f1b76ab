// Sending the additions file: the upload's form on the wire, the server's verdicts, and
// the hand-off to a fake xdg-email that records its arguments.
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "compressed.h"
#include "fake_mail_client.h"
#include "http_client.h"
#include "http_server.h"
#include "send_additions.h"
#include "test_util.h"

TEST(SendAdditions, UploadUserKeepsOnlyLetters)
{
    EXPECT_EQ(upload_user(""), "anonymous");
    EXPECT_EQ(upload_user("123 "), "anonymous");
    EXPECT_EQ(upload_user("\xE9t\xE9"), "t"); // accented letters are dropped
    EXPECT_EQ(upload_user("\xE9\xE8"), "anonymous");
    const std::string secret = UploadSecret();
    EXPECT_EQ(secret.size(), 32u);
    EXPECT_EQ(secret.find_first_not_of("0123456789abcdef"), std::string::npos);
}

TEST(SendAdditions, UploadPostsTheFormAndJudgesTheAnswer)
{
    HttpServer server;
    QTemporaryDir dir;
    const std::string content = "line 1\r\n\x00\xFF line 2\r\nline 3\r\n";
    const QString file = dir.filePath("Vmar_ajouts_Demo.txt");
    ASSERT_TRUE(writeBytes(file, content));
    HttpClient http;
    http.limits.maxRedirects = 0;

    std::string reply = UploadAdditions(http, server.url("/upload"), "Demo", "Jean Paul", file, "Vmar_ajouts_Demo.txt");
    EXPECT_TRUE(UploadSucceeded(reply));
    const auto r = server.requests();
    ASSERT_EQ(r.size(), 1u);
    const std::string type = r[0].header("Content-Type");
    const std::string prefix = "multipart/form-data; boundary=";
    ASSERT_EQ(type.rfind(prefix, 0), 0u);
    const std::string b = type.substr(prefix.size());
    auto field = [&b](const std::string& name, const std::string& value) {
        return "--" + b + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value;
    };
    const std::string expected = field("type", "vmar") + "\r\n" + field("base", "Demo_jeanpaul") + "\r\n" +
                                 field("pass", UploadSecret()) + "\r\n--" + b +
                                 "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"Vmar_ajouts_Demo.txt\""
                                 "\r\nContent-Type: application/msword\r\n\r\n" +
                                 content + "\r\n--" + b + "--\r\n";
    EXPECT_EQ(r[0].body, expected);

    server.put("reply.txt", "x<done>y");
    EXPECT_TRUE(UploadSucceeded(UploadAdditions(http, server.url("/upload"), "Demo", "", file, "f")));
    server.put("reply.txt", "<html>refused</html>");
    reply = UploadAdditions(http, server.url("/upload"), "Demo", "", file, "f");
    EXPECT_FALSE(UploadSucceeded(reply));
    EXPECT_EQ(reply, "<html>refused</html>");
    // An error page or a redirect fails even when its body holds the word.
    reply = UploadAdditions(http, server.url("/status/500"), "Demo", "", file, "f");
    EXPECT_EQ(reply, "HTTP/1.1 500 Internal Server Error");
    reply = UploadAdditions(http, server.url("/redirect-upload"), "Demo", "", file, "f");
    EXPECT_EQ(reply, "HTTP/1.1 302 Found");
    reply = UploadAdditions(http, server.url("/upload"), "Demo", "", dir.filePath("missing.txt"), "f");
    EXPECT_FALSE(UploadSucceeded(reply));
    EXPECT_NE(reply.find("missing.txt"), std::string::npos);
    EXPECT_EQ(server.requests().size(), 5u); // the unreadable file sent nothing
}

namespace {
std::string mailFailure(const std::string& a)
{
    try {
        SendMailMapi(a, a, "self", "self", "Ajouts \xE9t\xE9", "l1\rl2\r\nl3", "/tmp/f.txt", true);
    } catch (const tMailFileException& e) {
        return e.what();
    }
    return "";
}
} // namespace

TEST(SendAdditions, MailGoesToXdgEmailWithExactArguments)
{
    {
        FakeMailClient fake(0);
        EXPECT_EQ(mailFailure("cartes@example.org"), "");
        EXPECT_EQ(fake.argv(), (std::vector<std::string>{"--subject", "Ajouts \xC3\xA9t\xC3\xA9", "--body",
                                                         "l1\nl2\nl3", "--attach", "/tmp/f.txt",
                                                         "cartes@example.org"}));
    }
    for (auto [exitCode, present, code] : {std::tuple{4, true, "4"}, {0, false, "1"}}) { // failing or absent
        FakeMailClient fake(exitCode, present);
        EXPECT_EQ(mailFailure("cartes@example.org"), std::string("Impossible d'envoyer le message.\n\nMAPI ERROR: ") + code + ".");
    }
    FakeMailClient fake(0);
    for (const char* bad : {"", "-x@y", "a b@c", "a@b?cc=d", "mailto:a@b", "MAILTO:a@b", "a@b@c", "@b", "a@"}) {
        EXPECT_EQ(mailFailure(bad), "Impossible d'envoyer le message.\n\n.") << bad;
        EXPECT_TRUE(fake.argv().empty()) << bad;
    }
}
