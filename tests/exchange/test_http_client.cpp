// The HTTP client against the local fixture server: what goes on the wire, statuses,
// redirects, time-outs and the proxy.
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include "http_client.h"
#include "http_server.h"
#include "wait_until.h"

TEST(HttpClient, GetAndPostSendTheHeadersOfTheProtocolChosen)
{
    HttpServer server;
    ASSERT_GT(server.port, 0);
    server.put("a.txt", "hello");
    HttpClient http;
    std::string body;
    int steps = 0;
    std::vector<std::string> status;
    http.onWork = [&](int64_t, int64_t) { ++steps; };
    http.onStatus = [&](const std::string& s) { status.push_back(s); };
    ASSERT_TRUE(http.get(server.url("/files/a.txt"), body).ok);
    EXPECT_EQ(body, "hello");
    EXPECT_GT(steps, 0);
    EXPECT_EQ(status, (std::vector<std::string>{"Connecting to 127.0.0.1.", "Connected.", "Disconnected."}));
    http.settings.http11 = false;
    std::string reply;
    ASSERT_TRUE(http.post(server.url("/upload"), std::string("a\0b", 3), "multipart/form-data; boundary=x", reply).ok);
    EXPECT_EQ(reply, "<done>");

    const auto r = server.requests();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].line, "GET /files/a.txt HTTP/1.1");
    EXPECT_EQ(r[0].header("User-Agent"), "Mozilla/3.0 (compatible; Indy Library)");
    EXPECT_EQ(r[0].header("Accept"), "text/html, */*");
    EXPECT_EQ(r[0].header("Content-Type"), "text/html");
    EXPECT_EQ(r[0].header("Accept-Encoding"), "<none>");
    EXPECT_EQ(r[1].line, "POST /upload HTTP/1.0");
    EXPECT_EQ(r[1].header("Content-Type"), "multipart/form-data; boundary=x");
    EXPECT_EQ(r[1].header("Content-Length"), "3");
    EXPECT_EQ(r[1].header("Expect"), "<none>");
    EXPECT_EQ(r[1].body, std::string("a\0b", 3));
}

TEST(HttpClient, FailuresCarryTheStatusLineOrTheTransferText)
{
    HttpServer server;
    server.put("a.txt", "A");
    server.put("big.txt", "12345");
    HttpClient http;
    std::string body;
    EXPECT_TRUE(http.get(server.url("/redirect/2/files/a.txt"), body).ok);
    EXPECT_EQ(body, "A");
    http.limits.idleTimeoutMs = 300;
    // The error is the status line or the transfer's text; other schemes, a redirect to
    // one and a cut body fail too. Only a transfer that began leaves a (partial) body.
    struct Case {
        std::string url, error;
        bool exact, began;
    } cases[] = {{server.url("/files/none"), "HTTP/1.1 404 Not Found", true, false},
                 {server.url("/status/500"), "HTTP/1.1 500 Internal Server Error", true, false},
                 {server.url("/redirect/3/files/a.txt"), "redirect", false, false},
                 {"file:///etc/passwd", "", false, false},
                 {"ftp://127.0.0.1/x", "", false, false},
                 {server.url("/redirect-file"), "", false, false},
                 {server.url("/truncated"), "", false, true},
                 {server.url("/slow"), "Read timed out", true, true}};
    for (const Case& c : cases) {
        QElapsedTimer clock;
        clock.start();
        const HttpResult r = http.get(c.url, body);
        EXPECT_FALSE(r.ok) << c.url;
        EXPECT_TRUE(c.exact ? r.error == c.error : r.error.find(c.error) != std::string::npos) << c.url << ": " << r.error;
        EXPECT_TRUE(c.began || body.empty()) << c.url;
        EXPECT_LT(clock.elapsed(), 5000) << c.url;
    }
    http.limits.maxBytes = 3;
    EXPECT_FALSE(http.get(server.url("/files/big.txt"), body).ok);
}

TEST(HttpClient, ProxyBasicAuthenticationFirstOrAfterA407)
{
    HttpServer server("user:secret");
    server.put("a.txt", "via proxy");
    const std::string target = server.url("/files/a.txt");
    HttpClient http;
    http.settings.proxyHost = "127.0.0.1";
    http.settings.proxyPort = server.port;
    http.settings.proxyUser = "user";
    http.settings.proxyPassword = "secret";
    std::string body;

    http.settings.proxyBasicFirst = true;
    ASSERT_TRUE(http.get(target, body).ok);
    EXPECT_EQ(body, "via proxy");
    auto r = server.requests();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].line, "GET " + target + " HTTP/1.1");
    EXPECT_EQ(r[0].header("Proxy-Authorization"), "Basic dXNlcjpzZWNyZXQ=");

    HttpClient second;
    second.settings = http.settings;
    second.settings.proxyBasicFirst = false;
    ASSERT_TRUE(second.get(target, body).ok);
    r = server.requests();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[1].header("Proxy-Authorization"), "<none>");
    EXPECT_EQ(r[2].header("Proxy-Authorization"), "Basic dXNlcjpzZWNyZXQ=");

    http.settings.proxyPassword = "wrong-pass";
    const HttpResult bad = http.get(target, body);
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.error.find("wrong-pass"), std::string::npos);

    // An unsafe host or a port out of range sends nothing.
    const size_t before = server.requests().size();
    for (auto [host, port] : {std::pair<std::string, int>{"127.0.0.1", 0}, {"127.0.0.1", 65536},
                              {"http://127.0.0.1", server.port}, {"u@127.0.0.1", server.port},
                              {"127.0.0.1/x", server.port}, {"127.0.0.1:1", server.port}}) {
        http.settings.proxyHost = host;
        http.settings.proxyPort = port;
        EXPECT_FALSE(http.get(target, body).ok) << host << ":" << port;
    }
    EXPECT_EQ(server.requests().size(), before);
}

// Through a proxy that asks for a password, the request sent again with the credentials
// after its 407 is no redirect, while real redirects still count against the limit. A new
// client for each limit: only a client's first request meets the 407.
TEST(HttpClient, TheProxysPasswordRoundIsNoRedirect)
{
    HttpServer server;
    HttpServer proxy("user:secret", true);
    ASSERT_GT(proxy.port, 0);
    server.put("a.txt", "A");
    for (bool basicFirst : {false, true}) {
        SCOPED_TRACE(basicFirst ? "Basic first" : "Basic after a 407");
        std::string reply;
        HttpClient upload;
        upload.settings = {"127.0.0.1", proxy.port, "user", "secret", basicFirst, true};
        upload.limits.maxRedirects = 0;
        EXPECT_TRUE(upload.post(server.url("/upload"), "x", "text/plain", reply).ok);
        EXPECT_EQ(upload.post(server.url("/redirect-upload"), "x", "text/plain", reply).error, "HTTP/1.1 302 Found");
        HttpClient list;
        list.settings = upload.settings;
        EXPECT_TRUE(list.get(server.url("/redirect/2/files/a.txt"), reply).ok);
        EXPECT_EQ(reply, "A");
        EXPECT_EQ(list.get(server.url("/redirect/3/files/a.txt"), reply).error, "Maximum (2) redirects followed");
    }
    const auto asked = proxy.requests();
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.front().header("Proxy-Authorization"), "<none>");
}

TEST(HttpClient, AbortEndsTheTransferAndRefusesTheNext)
{
    HttpServer server;
    HttpClient http;
    http.limits.idleTimeoutMs = 20000;
    bool busyMeanwhile = false;
    const test_wait::WhenReady abort([] { return AnyTransferBusy(); },
                                     [&] {
                                         busyMeanwhile = AnyTransferBusy();
                                         AbortAllTransfers();
                                     },
                                     "the transfer is under way");
    QElapsedTimer clock;
    clock.start();
    std::string body;
    EXPECT_EQ(http.get(server.url("/slow"), body).error, "Transfer aborted");
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_TRUE(busyMeanwhile);
    EXPECT_FALSE(AnyTransferBusy());
    EXPECT_TRUE(http.wasAborted());
    EXPECT_EQ(http.get(server.url("/upload"), body).error, "Transfer aborted");
    EXPECT_EQ(server.requests().size(), 1u);
}
