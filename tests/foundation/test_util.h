#pragma once
// Small file helpers for fixtures written into a QTemporaryDir.
#include <string>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

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
