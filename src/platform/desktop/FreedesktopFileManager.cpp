#include "platform/desktop/FreedesktopFileManager.h"

#include "platform/desktop/DBusServices.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

void FreedesktopFileManager::reveal(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    if (DBusServices::isAvailable(service)) {
        QStringList uris;
        for (const QString& path : paths)
            uris.append(QUrl::fromLocalFile(path).toString());
        QDBusMessage show = QDBusMessage::createMethodCall(
            service, QStringLiteral("/org/freedesktop/FileManager1"), service,
            QStringLiteral("ShowItems"));
        show << uris << QString();
        QDBusConnection::sessionBus().asyncCall(show);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(paths.first()).absolutePath()));
}
