#include "desktop_services.h"
#include "paths.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>

namespace orvane {

namespace {

constexpr int showItemsTimeoutMs = 5000;

void openContainingFolder(const FilePath& path)
{
    openUrl(fileUrl(parentPath(path)));
}

} // namespace

bool openUrl(const QUrl& url)
{
    return url.isValid() && QDesktopServices::openUrl(url);
}

QUrl fileUrl(const FilePath& path)
{
    return QUrl::fromEncoded("file://" + path.toPercentEncoding("/"), QUrl::StrictMode);
}

void revealInFileManager(const FilePath& path)
{
    revealInFileManager(path, QDBusConnection::sessionBus());
}

void revealInFileManager(const FilePath& path, const QDBusConnection& bus)
{
    if (!bus.isConnected()) {
        openContainingFolder(path);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
                                                       QStringLiteral("/org/freedesktop/FileManager1"),
                                                       QStringLiteral("org.freedesktop.FileManager1"),
                                                       QStringLiteral("ShowItems"));
    const QString uri = QString::fromLatin1(fileUrl(path).toEncoded());
    call << QStringList{uri} << QString(); // no startup notification id
    // Asynchronous, so a file manager that is slow to start never freezes the window.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, showItemsTimeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [path](QDBusPendingCallWatcher* w) {
        if (w->isError())
            openContainingFolder(path);
        w->deleteLater();
    });
}

} // namespace orvane
