#include "http_client.h"

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>

#include <QCoreApplication>
#include <QUrl>
#include <curl/curl.h>

#include "preferences.h"

const char* const HttpClient::kUserAgent = "Mozilla/3.0 (compatible; Indy Library)";

namespace {

std::set<HttpClient*>& clients()
{
    static std::set<HttpClient*> c;
    return c;
}

using Clock = std::chrono::steady_clock;

// A request's header list, freed on every way out of the request.
struct HeaderListFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, HeaderListFree>;

// Appends a line; when libcurl cannot, the list stays as it was (and still owned).
void appendHeader(HeaderList& list, const std::string& line)
{
    if (curl_slist* longer = curl_slist_append(list.get(), line.c_str())) {
        (void)list.release(); // the same list, one line longer
        list.reset(longer);
    }
}

// State of one transfer that libcurl's callbacks reach.
struct Transfer {
    CURL* easy = nullptr;
    const HttpSink* sink = nullptr;
    const HttpLimits* limits = nullptr;
    std::function<void(int64_t, int64_t)>* onWork = nullptr;
    std::function<void(const std::string&)>* onStatus = nullptr;
    bool connected = false;
    std::string statusLine;
    // The answer whose header lines arrive: its status and whether it names a new address.
    long headerStatus = 0;
    bool headerLocation = false;
    int redirects = 0; // answers that sent the request to a new address
    std::string failure; // set by a callback that stopped the transfer
    size_t received = 0;
    curl_off_t lastDown = -1, lastUp = -1;
    Clock::time_point lastActivity = Clock::now();
    Clock::time_point lastWork{};
};

bool httpFailure(long status, int maxRedirects)
{
    return status >= 400 || (maxRedirects == 0 && status >= 300 && status < 400);
}

// Whether a header line holds the named header (its name in lower case, with the colon).
bool isHeader(const std::string& line, const char* name)
{
    const size_t n = std::strlen(name);
    if (line.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(line[i])) != name[i]) return false;
    return true;
}

size_t onHeader(char* data, size_t size, size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    std::string line(data, n);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    t->lastActivity = Clock::now();
    if (line.rfind("HTTP/", 0) == 0) {
        t->statusLine = line;
        const size_t blank = line.find(' ');
        t->headerStatus = blank == std::string::npos ? 0 : std::strtol(line.c_str() + blank + 1, nullptr, 10);
        t->headerLocation = false;
        if (!t->connected && *t->onStatus) (*t->onStatus)("Connected.");
        t->connected = true;
    } else if (isHeader(line, "location:")) {
        t->headerLocation = line.find_first_not_of(" \t", 9) != std::string::npos;
    } else if (line.empty()) {
        // The end of one answer's header. Only a 3xx with a new address counts against the
        // redirect limit: the proxy's 407 and the request sent again with its credentials
        // are one request, not a redirect, though libcurl's own count takes them for one.
        // With no redirect allowed libcurl follows none, and the 3xx fails as an HTTP error.
        const bool redirect = t->headerStatus >= 300 && t->headerStatus < 400 && t->headerLocation;
        const int allowed = t->limits->maxRedirects;
        if (redirect && allowed > 0 && ++t->redirects > allowed) {
            t->failure = "Maximum (" + std::to_string(allowed) + ") redirects followed";
            return 0;
        }
    }
    return n;
}

size_t onBody(char* data, size_t size, size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    t->lastActivity = Clock::now();
    long status = 0;
    curl_easy_getinfo(t->easy, CURLINFO_RESPONSE_CODE, &status);
    if (httpFailure(status, t->limits->maxRedirects)) {
        t->failure = t->statusLine.empty() ? "HTTP error " + std::to_string(status) : t->statusLine;
        return 0;
    }
    if (t->limits->maxBytes && t->received + n > t->limits->maxBytes) {
        t->failure = "The answer is larger than " + std::to_string(t->limits->maxBytes) + " bytes";
        return 0;
    }
    t->received += n;
    if (!(*t->sink)(data, n)) {
        t->failure = "The received data could not be written";
        return 0;
    }
    return n;
}

int onProgress(void* user, curl_off_t downTotal, curl_off_t downNow, curl_off_t, curl_off_t upNow)
{
    auto* t = static_cast<Transfer*>(user);
    if (downNow != t->lastDown || upNow != t->lastUp) {
        const auto now = Clock::now();
        t->lastActivity = now;
        // The progress shows at most every 20 ms, and always when the download is complete.
        if (downNow != t->lastDown && *t->onWork &&
            (now - t->lastWork >= std::chrono::milliseconds(20) || (downTotal > 0 && downNow == downTotal))) {
            t->lastWork = now;
            (*t->onWork)(int64_t(downNow), int64_t(downTotal));
        }
        t->lastDown = downNow;
        t->lastUp = upNow;
    }
    return 0;
}

void globalInit()
{
    static const bool done = [] {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        return true;
    }();
    (void)done;
}

} // namespace

struct HttpClient::Handles {
    CURL* easy = nullptr;
    CURLM* multi = nullptr;
    ~Handles()
    {
        if (easy) curl_easy_cleanup(easy);
        if (multi) curl_multi_cleanup(multi);
    }
};

std::string ProxyAddress(const std::string& host, int port)
{
    if (host.empty() || port < 1 || port > 65535) return {};
    for (unsigned char c : host)
        if (c <= ' ' || c == '/' || c == '@' || c == '\\' || c == '?' || c == '#' || c >= 0x7F) return {};
    // A colon is allowed for a bracketed IPv6 address only; "host:1" would hide a second port.
    if (host.find(':') != std::string::npos && !(host.front() == '[' && host.back() == ']')) return {};
    return "http://" + host + ":" + std::to_string(port);
}

HttpClient::HttpClient() : h_(std::make_unique<Handles>())
{
    globalInit();
    h_->easy = curl_easy_init();
    h_->multi = curl_multi_init();
    // The one handle keeps its cookies in memory from one transfer to the next.
    if (h_->easy) curl_easy_setopt(h_->easy, CURLOPT_COOKIEFILE, "");
    pump = [] { QCoreApplication::processEvents(); };
    clients().insert(this);
}

HttpClient::~HttpClient()
{
    clients().erase(this);
}

HttpResult HttpClient::get(const std::string& url, const HttpSink& sink)
{
    return perform(url, sink, nullptr, "text/html");
}

HttpResult HttpClient::get(const std::string& url, std::string& body)
{
    body.clear();
    const HttpSink sink = [&body](const char* d, size_t n) {
        body.append(d, n);
        return true;
    };
    return perform(url, sink, nullptr, "text/html");
}

HttpResult HttpClient::post(const std::string& url, const std::string& body, const std::string& contentType,
                            std::string& reply)
{
    reply.clear();
    const HttpSink sink = [&reply](const char* d, size_t n) {
        reply.append(d, n);
        return true;
    };
    return perform(url, sink, &body, contentType);
}

HttpResult HttpClient::perform(const std::string& url, const HttpSink& sink, const std::string* postBody,
                               const std::string& contentType)
{
    HttpResult result;
    if (busy_) {
        result.error = "A transfer is already running";
        return result;
    }
    if (!h_->easy || !h_->multi) {
        result.error = "The HTTP library could not be initialised";
        return result;
    }
    CURL* e = h_->easy;
    Transfer t;
    t.easy = e;
    t.sink = &sink;
    t.limits = &limits;
    t.onWork = &onWork;
    t.onStatus = &onStatus;

    curl_easy_setopt(e, CURLOPT_URL, url.c_str());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // Redirects are counted in onHeader; with no redirect allowed a 3xx answer is the failure.
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, limits.maxRedirects > 0 ? 1L : 0L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, -1L);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_BUFFERSIZE, 256L * 1024);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, long(limits.connectTimeoutMs));
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION, settings.http11 ? CURL_HTTP_VERSION_1_1 : CURL_HTTP_VERSION_1_0);
    curl_easy_setopt(e, CURLOPT_USERAGENT, kUserAgent);
    char errorText[CURL_ERROR_SIZE] = {0};
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(e, CURLOPT_XFERINFODATA, &t);

    HeaderList headers;
    appendHeader(headers, "Accept: text/html, */*");
    appendHeader(headers, "Content-Type: " + contentType);
    if (postBody) {
        appendHeader(headers, "Expect:");
        curl_easy_setopt(e, CURLOPT_POST, 1L);
        curl_easy_setopt(e, CURLOPT_POSTFIELDS, postBody->data());
        curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(postBody->size()));
    } else {
        curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
    }
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());

    if (!settings.proxyHost.empty()) {
        const std::string proxy = ProxyAddress(settings.proxyHost, settings.proxyPort);
        if (proxy.empty()) {
            result.error = "Invalid proxy server or port";
            return result;
        }
        curl_easy_setopt(e, CURLOPT_PROXY, proxy.c_str());
        curl_easy_setopt(e, CURLOPT_PROXYUSERNAME, settings.proxyUser.empty() ? nullptr : settings.proxyUser.c_str());
        curl_easy_setopt(e, CURLOPT_PROXYPASSWORD,
                         settings.proxyUser.empty() ? nullptr : settings.proxyPassword.c_str());
        curl_easy_setopt(e, CURLOPT_PROXYAUTH,
                         settings.proxyBasicFirst ? CURLAUTH_BASIC : (CURLAUTH_BASIC | CURLAUTH_ONLY));
    } else {
        // An empty text rather than none: no proxy from the environment either.
        curl_easy_setopt(e, CURLOPT_PROXY, "");
    }

    if (aborted_) {
        result.error = "Transfer aborted";
        return result;
    }
    busy_ = true;
    if (onStatus) {
        const QUrl target(QString::fromStdString(url));
        onStatus("Connecting to " + target.host().toStdString() + ".");
    }
    curl_multi_add_handle(h_->multi, e);
    CURLcode code = CURLE_OK;
    bool finished = false;
    std::string stopped;
    t.lastActivity = Clock::now();
    Clock::time_point lastPump = t.lastActivity;
    while (!finished) {
        int running = 0;
        curl_multi_perform(h_->multi, &running);
        int left = 0;
        while (CURLMsg* msg = curl_multi_info_read(h_->multi, &left)) {
            if (msg->msg == CURLMSG_DONE) {
                code = msg->data.result;
                finished = true;
            }
        }
        if (finished) break;
        curl_multi_poll(h_->multi, nullptr, 0, 50, nullptr);
        // Window events between two waits; at most every 20 ms, so a fast transfer is not
        // slowed down by an event pass per network packet.
        if (pump && Clock::now() - lastPump >= std::chrono::milliseconds(20)) {
            pump();
            lastPump = Clock::now();
        }
        if (aborted_) {
            stopped = "Transfer aborted";
            break;
        }
        const auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t.lastActivity);
        if (limits.idleTimeoutMs > 0 && idle.count() > limits.idleTimeoutMs) {
            stopped = "Read timed out";
            break;
        }
    }
    curl_multi_remove_handle(h_->multi, e);
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, nullptr);
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, nullptr);
    curl_easy_setopt(e, CURLOPT_POSTFIELDS, nullptr);
    headers.reset();
    busy_ = false;
    if (onStatus) onStatus("Disconnected.");

    curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &result.status);
    if (!stopped.empty()) {
        result.error = stopped;
    } else if (!t.failure.empty()) {
        result.error = t.failure;
    } else if (code != CURLE_OK) {
        result.error = errorText[0] ? errorText : curl_easy_strerror(code);
    } else if (httpFailure(result.status, limits.maxRedirects)) {
        result.error = t.statusLine.empty() ? "HTTP error " + std::to_string(result.status) : t.statusLine;
    } else {
        result.ok = true;
    }
    return result;
}

void AbortAllTransfers()
{
    for (HttpClient* c : clients()) c->abort();
}

bool AnyTransferBusy()
{
    for (HttpClient* c : clients())
        if (c->busy()) return true;
    return false;
}

HttpSettings HttpSettingsFromPreferences()
{
    HttpSettings s;
    s.proxyHost = Preferences.PRXS;
    s.proxyPort = Preferences.PRXP;
    s.proxyUser = Preferences.PRXN;
    s.proxyPassword = Preferences.PRXM;
    s.proxyBasicFirst = Preferences.PRXB;
    s.http11 = Preferences.HTTP != 0;
    return s;
}
