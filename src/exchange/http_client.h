#pragma once
// The HTTP client of the update and sending dialogs, on libcurl. Transfers run on the
// calling (GUI) thread: the client waits on its sockets at most 50 ms at a time and
// lets the caller process window events in between, so the window stays alive without a
// second thread. Only http and https are spoken, redirects included.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// What the user set up in the update dialog's options (pref.ini keys PRXS to HTTP).
struct HttpSettings {
    std::string proxyHost;   // empty: no proxy
    int proxyPort = 0;
    std::string proxyUser;   // empty: no proxy authentication
    std::string proxyPassword;
    bool proxyBasicFirst = false; // send Basic credentials on the first request, not after a 407
    bool http11 = true;           // HTTP/1.1, else HTTP/1.0
};

// The proxy and protocol settings of pref.ini.
HttpSettings HttpSettingsFromPreferences();

struct HttpLimits {
    int64_t connectTimeoutMs = 10000;
    int64_t idleTimeoutMs = 10000; // no byte in or out for this long fails the transfer
    int maxRedirects = 2;          // 0: a 3xx answer fails
    size_t maxBytes = 0;           // cap on the received body; 0: none
};

// Where a GET puts the bytes; returns False to fail the transfer (disk full).
using HttpSink = std::function<bool(const char* data, size_t size)>;

struct HttpResult {
    bool ok = false;
    std::string error; // the status line of an HTTP failure, else the transfer's own text
    long status = 0;
};

class HttpClient {
public:
    HttpClient();
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    HttpSettings settings;
    HttpLimits limits;
    // Bytes received so far and the announced total (0 when unknown), at each step.
    std::function<void(int64_t done, int64_t total)> onWork;
    // The state of the connection in words ("Connecting to host.", "Connected.", "Disconnected.").
    std::function<void(const std::string& text)> onStatus;
    // Called about every 50 ms while a transfer waits; processes window events by default.
    std::function<void()> pump;

    // GET into the sink. Status 400 and above fails.
    HttpResult get(const std::string& url, const HttpSink& sink);
    // GET into memory (bounded by limits.maxBytes).
    HttpResult get(const std::string& url, std::string& body);
    // POST of a body with its content type; reply receives the answer's body.
    HttpResult post(const std::string& url, const std::string& body, const std::string& contentType,
                    std::string& reply);

    // Ends the running transfer at its next wait (it fails with "Transfer aborted"), and
    // refuses every later one: the client is being shut down.
    void abort() { aborted_ = true; }
    bool busy() const { return busy_; }
    // Whether the last transfer ended by abort().
    bool wasAborted() const { return aborted_; }

    // The client's HTTP user agent and accepted types.
    static const char* const kUserAgent;

private:
    HttpResult perform(const std::string& url, const HttpSink& sink, const std::string* postBody,
                       const std::string& contentType);

    struct Handles;
    std::unique_ptr<Handles> h_;
    bool aborted_ = false;
    bool busy_ = false;
};

// Aborts every transfer in progress in the process (a termination request ends them first).
void AbortAllTransfers();
// True while any client of the process transfers.
bool AnyTransferBusy();

// The proxy address handed to libcurl, or empty when the host is unsafe or the port is out
// of 1..65535: a bare host name or address, without scheme, path or credentials.
std::string ProxyAddress(const std::string& host, int port);
