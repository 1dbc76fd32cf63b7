#include "platform/desktop/DBusNotifier.h"

#include "platform/desktop/DBusServices.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");

} // namespace

DBusNotifier::DBusNotifier(QObject* parent) : Notifier(parent) {}

bool DBusNotifier::isAvailable() const
{
    return DBusServices::isAvailable(service);
}

void DBusNotifier::post(const QString& title, const QString& body, const QStringList& paths)
{
    if (!isAvailable())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!m_listening) {
        bus.connect(service, path, interface, QStringLiteral("ActionInvoked"), this,
                    SLOT(onActionInvoked(uint, QString)));
        bus.connect(service, path, interface, QStringLiteral("NotificationClosed"), this,
                    SLOT(onClosed(uint, uint)));
        m_listening = true;
    }
    QDBusMessage notify =
        QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Notify"));
    const QVariantMap hints = {
        {QStringLiteral("desktop-entry"), QStringLiteral("org.flingdial.Flingdial")}};
    notify << QStringLiteral("Flingdial") << uint(0) << QStringLiteral("org.flingdial.Flingdial")
           << title << body << QStringList{QStringLiteral("default"), tr("Show")} << hints
           << int(-1);
    // Never wait for the server: the answer carries the id to remember.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(notify), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, paths](QDBusPendingCallWatcher* call) {
                const QDBusPendingReply<uint> reply = *call;
                if (reply.isValid())
                    m_paths.insert(reply.value(), paths);
                call->deleteLater();
            });
}

void DBusNotifier::onActionInvoked(uint id, const QString& action)
{
    if (action == QLatin1String("default") && m_paths.contains(id))
        Q_EMIT activated(m_paths.value(id));
}

void DBusNotifier::onClosed(uint id, uint)
{
    m_paths.remove(id);
}
