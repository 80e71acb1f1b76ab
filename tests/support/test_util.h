#pragma once
// Small file helpers for fixtures written into a QTemporaryDir, and message boxes that record.
#include <algorithm>
#include <csignal>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include "compressed.h"
#include "message_boxes.h"

// The bytes as writeBytes takes them.
inline std::string bytesOf(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// The payload's first `keep` bytes (all of them unless told), compressed as the program's
// compressed files hold them.
inline std::string deflated(std::vector<uint8_t> payload, size_t keep = SIZE_MAX)
{
    payload.resize(std::min(keep, payload.size()));
    return bytesOf(DeflateBytes(payload.data(), payload.size()));
}

inline bool writeBytes(const QString& path, const std::string& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    return f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

inline std::string readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    const QByteArray all = f.readAll();
    return std::string(all.constData(), size_t(all.size()));
}

// Runs f while every write past 16 bytes fails: a failed write that folder permissions
// cannot give, since they do not bind the superuser.
template <class F>
auto withFailingWrites(F f)
{
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = saved;
    tiny.rlim_cur = 16;
    setrlimit(RLIMIT_FSIZE, &tiny);
    const auto result = f();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    return result;
}

// Message boxes installed while they live: they record what they show ("info:", "plain:" or
// "confirm:" and the text) and answer confirmations from `answers`, then with `answer`.
struct RecordingBoxes : MessageBoxes {
    QStringList shown;
    std::deque<int> answers;
    int answer = kAnswerCancel;
    RecordingBoxes() { setMessageBoxes(this); }
    ~RecordingBoxes() override { setMessageBoxes(nullptr); }
    void information(const QString& t) override { shown << "info:" + t; }
    void plain(const QString& t) override { shown << "plain:" + t; }
    int confirm(const QString& t) override
    {
        shown << "confirm:" + t;
        if (answers.empty()) return answer;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
};
