#include "desktop.h"

#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

bool IsWebAddress(const QString& address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) return false;
    const QString scheme = url.scheme().toLower();
    return scheme == "http" || scheme == "https";
}

namespace {
UrlOpener& opener()
{
    static UrlOpener o;
    return o;
}
} // namespace

void setUrlOpener(UrlOpener o)
{
    opener() = std::move(o);
}

bool OpenWebPage(const QString& address)
{
    if (!IsWebAddress(address)) return false;
    if (opener()) return opener()(address.trimmed(), false);
    return QDesktopServices::openUrl(QUrl(address.trimmed(), QUrl::StrictMode));
}

bool OpenFolder(const QString& path)
{
    if (opener()) return opener()(path, true);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

BusyCursor::BusyCursor()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor()
{
    QGuiApplication::restoreOverrideCursor();
}
