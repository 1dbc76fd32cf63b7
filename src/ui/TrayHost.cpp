#include "ui/TrayHost.h"

#include "platform/Platform.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>

namespace {

const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
// Often enough to show the icon within two seconds of a new panel.
constexpr int pollIntervalMs = 1000;
// A watcher registers before its host does.
constexpr int hostDelayMs = 200;

} // namespace

TrayHost::TrayHost(QObject* parent) : QObject(parent)
{
    m_poll.setInterval(pollIntervalMs);
    connect(&m_poll, &QTimer::timeout, this, &TrayHost::poll);
}

void TrayHost::watch()
{
    m_watcher.setConnection(QDBusConnection::sessionBus());
    m_watcher.addWatchedService(watcherService);
    // A new watcher (a panel started or restarted) wants the icon again.
    connect(&m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        m_statusNotifierHost = false;
        m_present = m_trayManager != 0;
        QTimer::singleShot(hostDelayMs, this, &TrayHost::poll);
    });
    connect(&m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        m_statusNotifierHost = false;
        m_present = m_trayManager != 0;
    });
    m_poll.start();
    poll();
}

bool TrayHost::isPresent() const
{
    return m_present;
}

void TrayHost::poll()
{
    const quintptr manager = Platform::shared().trayManager();
    const bool newManager = manager != 0 && manager != m_trayManager;
    m_trayManager = manager;
    if (!m_statusNotifierHost)
        m_statusNotifierHost = hasStatusNotifierHost();
    const bool present = manager != 0 || m_statusNotifierHost;
    const bool appearedNow = present && (!m_present || newManager);
    m_present = present;
    if (appearedNow)
        Q_EMIT appeared();
}

bool TrayHost::hasStatusNotifierHost() const
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(watcherService))
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        watcherService, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << watcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(get, QDBus::Block, 1000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().first().value<QDBusVariant>().variant().toBool();
}
