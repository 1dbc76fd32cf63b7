#include "platform/kde/PortalShortcuts.h"

#include "core/Log.h"
#include "platform/kde/ShortcutKeys.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace {

const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString interface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
// Plasma 5.27's portal names the shortcuts' component after the program's
// id, if the portal found one, followed by this token.
const QString sessionToken = QStringLiteral("flingdial");
constexpr int offerTimeoutMs = 10000;

// One shortcut as the portal sends it: "(sa{sv})".
struct PortalShortcut
{
    QString id;
    QVariantMap properties;
};

} // namespace

Q_DECLARE_METATYPE(PortalShortcut)

namespace {

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

QString pathOf(const QVariant& value)
{
    return value.canConvert<QDBusObjectPath>() && value.userType() == qMetaTypeId<QDBusObjectPath>()
               ? value.value<QDBusObjectPath>().path()
               : value.toString();
}

} // namespace

PortalShortcuts::PortalShortcuts(const QDBusConnection& bus, QObject* parent)
    : GlobalShortcuts(parent), m_bus(bus)
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

void PortalShortcuts::askOffered(const QDBusConnection& bus, QObject* context,
                                 std::function<void(bool)> answer)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({interface, QStringLiteral("version")});
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(get, offerTimeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [watcher, answer = std::move(answer)] {
                         watcher->deleteLater();
                         answer(!watcher->isError());
                     });
}

QVariant PortalShortcuts::ourShortcuts() const
{
    QList<PortalShortcut> list;
    for (const Action& action : actions())
        list.append(
            {action.id,
             {{QStringLiteral("description"), description(action)},
              {QStringLiteral("preferred_trigger"),
               ShortcutKeys::portalTrigger(QKeySequence::fromString(action.defaultKeys))}}});
    return QVariant::fromValue(list);
}

void PortalShortcuts::start()
{
    m_bus.connect(service, path, interface, QStringLiteral("Activated"), this,
                  SLOT(noteActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    m_bus.connect(service, path, interface, QStringLiteral("ShortcutsChanged"), this,
                  SLOT(noteChanged(QDBusMessage)));
    const QString token = QStringLiteral("flingdial%1").arg(++m_requests);
    request(QStringLiteral("CreateSession"),
            {QVariantMap{{QStringLiteral("handle_token"), token},
                         {QStringLiteral("session_handle_token"), sessionToken},
                         {QStringLiteral("shortcuts"), ourShortcuts()}}},
            token,
            [this](uint response, const QVariantMap& results) { sessionMade(response, results); });
}

void PortalShortcuts::request(const QString& method, QVariantList arguments, const QString& token,
                              Answer answer)
{
    // The answer comes as a signal of a Request object whose path the
    // caller knows in advance: listen before asking.
    QString sender = m_bus.baseService().mid(1);
    sender.replace(u'.', u'_');
    const QString handle = path + QStringLiteral("/request/") + sender + u'/' + token;
    m_pending.insert(handle, std::move(answer));
    m_bus.connect(service, handle, QStringLiteral("org.freedesktop.portal.Request"),
                  QStringLiteral("Response"), this, SLOT(noteResponse(QDBusMessage)));

    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, handle, method] {
        watcher->deleteLater();
        const QDBusMessage reply = watcher->reply();
        if (reply.type() == QDBusMessage::ReplyMessage) {
            const QString given = pathOf(reply.arguments().value(0));
            // Older portals chose the path themselves.
            if (!given.isEmpty() && given != handle && m_pending.contains(handle)) {
                m_pending.insert(given, m_pending.take(handle));
                m_bus.connect(service, given, QStringLiteral("org.freedesktop.portal.Request"),
                              QStringLiteral("Response"), this, SLOT(noteResponse(QDBusMessage)));
            }
            return;
        }
        m_pending.remove(handle);
        Q_EMIT failed(QStringLiteral("%1: %2").arg(method, reply.errorMessage()));
    });
}

void PortalShortcuts::noteResponse(const QDBusMessage& message)
{
    const Answer answer = m_pending.take(message.path());
    if (!answer)
        return;
    const QVariantList arguments = message.arguments();
    QVariantMap results;
    if (arguments.size() > 1 && arguments.at(1).canConvert<QDBusArgument>())
        results = qdbus_cast<QVariantMap>(arguments.at(1).value<QDBusArgument>());
    answer(arguments.value(0).toUInt(), results);
}

void PortalShortcuts::sessionMade(uint response, const QVariantMap& results)
{
    m_session = pathOf(results.value(QStringLiteral("session_handle")));
    if (response != 0 || m_session.isEmpty()) {
        Q_EMIT failed(QStringLiteral("the portal made no session (response %1)").arg(response));
        return;
    }
    if (takeShortcuts(results.value(QStringLiteral("shortcuts")))) {
        qCInfo(lcApp, "global shortcuts registered through the portal");
        Q_EMIT changed();
        Q_EMIT ready();
        return;
    }
    bind();
}

void PortalShortcuts::bind()
{
    const QString token = QStringLiteral("flingdial%1").arg(++m_requests);
    request(
        QStringLiteral("BindShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(m_session)), ourShortcuts(), QString(),
         QVariantMap{{QStringLiteral("handle_token"), token}}},
        token, [this](uint response, const QVariantMap& results) {
            if (response == 1) {
                // The user said no: nothing is bound, and nothing else tries.
                qCWarning(lcApp, "the portal's global shortcuts were declined");
                Q_EMIT ready();
                return;
            }
            if (response != 0 || !takeShortcuts(results.value(QStringLiteral("shortcuts")))) {
                Q_EMIT failed(
                    QStringLiteral("the portal bound no shortcuts (response %1)").arg(response));
                return;
            }
            qCInfo(lcApp, "global shortcuts bound through the portal");
            Q_EMIT changed();
            Q_EMIT ready();
        });
}

bool PortalShortcuts::takeShortcuts(const QVariant& shortcuts)
{
    if (!shortcuts.canConvert<QDBusArgument>())
        return false;
    const auto list = qdbus_cast<QList<PortalShortcut>>(shortcuts.value<QDBusArgument>());
    QHash<QString, Bound> bound;
    for (const PortalShortcut& shortcut : list)
        if (const Action* known = action(shortcut.id))
            bound.insert(
                shortcut.id,
                {shortcut.id,
                 shortcut.properties.value(QStringLiteral("description"), description(*known))
                     .toString(),
                 shortcut.properties.value(QStringLiteral("trigger_description")).toString()});
    if (bound.size() != actions().size())
        return false;
    m_bound = bound;
    return true;
}

void PortalShortcuts::noteActivated(const QDBusObjectPath& session, const QString& id, qulonglong,
                                    const QVariantMap&)
{
    if (session.path() == m_session && action(id))
        Q_EMIT activated(id);
}

void PortalShortcuts::noteChanged(const QDBusMessage& message)
{
    const QVariantList arguments = message.arguments();
    if (pathOf(arguments.value(0)) != m_session || !takeShortcuts(arguments.value(1)))
        return;
    qCInfo(lcApp, "the portal's shortcuts changed");
    Q_EMIT changed();
}

QList<GlobalShortcuts::Bound> PortalShortcuts::inForce() const
{
    QList<Bound> bound;
    if (m_bound.isEmpty())
        return bound;
    for (const Action& action : actions())
        bound.append(m_bound.value(action.id));
    return bound;
}

QString PortalShortcuts::whereToChange() const
{
    return tr("System Settings → Shortcuts");
}
