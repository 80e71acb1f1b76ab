#pragma once
// Starts http_fixture.py (beside this header) on 127.0.0.1 (a free port) for the test's lifetime
// and reads back the requests it recorded.
#include <string>
#include <utility>
#include <vector>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

struct RecordedRequest {
    std::string line;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    // The value of a header (name ignoring case); "<none>" when absent.
    std::string header(const std::string& name) const
    {
        for (const auto& [k, v] : headers)
            if (QString::fromStdString(k).compare(QString::fromStdString(name), Qt::CaseInsensitive) == 0) return v;
        return "<none>";
    }
};

class HttpServer {
public:
    QTemporaryDir root;
    int port = 0;

    // With credentials ("user:password") the server also answers proxy requests that carry
    // them; forwarding, it is only a proxy and sends those requests on to the server named.
    explicit HttpServer(const QString& proxyCredentials = {}, bool forwarding = false)
    {
        QStringList args{VMAR_HTTP_FIXTURE, "--root", root.path()};
        if (!proxyCredentials.isEmpty()) args << "--proxy" << proxyCredentials;
        if (forwarding) args << "--forward";
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start("python3", args);
        if (process_.waitForStarted(10000) && process_.waitForReadyRead(10000))
            port = QString::fromLatin1(process_.readLine()).trimmed().toInt();
    }
    ~HttpServer()
    {
        process_.kill();
        process_.waitForFinished(5000);
    }
    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port) + path; }
    void put(const QString& name, const std::string& bytes) const
    {
        QFile f(root.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes.data(), qint64(bytes.size()));
    }
    std::vector<RecordedRequest> requests() const
    {
        std::vector<RecordedRequest> out;
        QFile f(root.filePath("requests.log"));
        if (!f.open(QIODevice::ReadOnly)) return out;
        while (!f.atEnd()) {
            const QJsonObject o = QJsonDocument::fromJson(f.readLine()).object();
            RecordedRequest r;
            r.line = o["line"].toString().toStdString();
            for (const QJsonValue& h : o["headers"].toArray())
                r.headers.emplace_back(h.toArray()[0].toString().toStdString(), h.toArray()[1].toString().toStdString());
            const QByteArray body = QByteArray::fromBase64(o["body"].toString().toLatin1());
            r.body.assign(body.constData(), size_t(body.size()));
            out.push_back(std::move(r));
        }
        return out;
    }

private:
    QProcess process_;
};
