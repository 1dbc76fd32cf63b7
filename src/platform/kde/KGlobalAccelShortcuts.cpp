#include "platform/kde/KGlobalAccelShortcuts.h"

#include "core/Log.h"
#include "platform/kde/KGlobalAccelWire.h"
#include "platform/kde/ShortcutKeys.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>

namespace {

const QString service = QStringLiteral("org.kde.kglobalaccel");
const QString path = QStringLiteral("/kglobalaccel");
const QString interface = QStringLiteral("org.kde.KGlobalAccel");
const QString componentInterface = QStringLiteral("org.kde.kglobalaccel.Component");
constexpr int timeoutMs = 5000;

// kglobalaccel's flags for setting keys.
constexpr uint setPresent = 2;
constexpr uint isDefault = 8;

QList<KGlobalAccelSequence> toWire(const QList<QKeySequence>& keys)
{
    QList<KGlobalAccelSequence> wire;
    for (const QKeySequence& sequence : keys)
        wire.append({ShortcutKeys::toParts(sequence)});
    return wire;
}

QList<QKeySequence> fromWire(const QList<KGlobalAccelSequence>& wire)
{
    QList<QKeySequence> keys;
    for (const KGlobalAccelSequence& sequence : wire)
        if (const QKeySequence keySequence = ShortcutKeys::fromParts(sequence.parts);
            !keySequence.isEmpty())
            keys.append(keySequence);
    return keys;
}

// Keys from either interface: "ai" (one int per shortcut) or "a(ai)".
QList<QKeySequence> keysFrom(const QVariant& value)
{
    if (value.canConvert<QDBusArgument>()) {
        const QDBusArgument argument = value.value<QDBusArgument>();
        if (argument.currentSignature() == QLatin1String("ai"))
            return ShortcutKeys::fromCombined(qdbus_cast<QList<int>>(argument));
        return fromWire(qdbus_cast<QList<KGlobalAccelSequence>>(argument));
    }
    return ShortcutKeys::fromCombined(value.value<QList<int>>());
}

} // namespace

const QString KGlobalAccelShortcuts::component = QStringLiteral("flingdial");

KGlobalAccelShortcuts::KGlobalAccelShortcuts(const QDBusConnection& bus, QObject* parent)
    : GlobalShortcuts(parent), m_bus(bus)
{
    qDBusRegisterMetaType<KGlobalAccelSequence>();
    qDBusRegisterMetaType<QList<KGlobalAccelSequence>>();
}

QStringList KGlobalAccelShortcuts::actionId(const Action& action) const
{
    // Component and action, each by its id and by the name System Settings shows.
    return {component, action.id, QStringLiteral("Flingdial"), description(action)};
}

QDBusMessage KGlobalAccelShortcuts::call(const QString& method, const QVariantList& arguments) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return m_bus.call(message, QDBus::Block, timeoutMs);
}

std::optional<QList<QKeySequence>>
KGlobalAccelShortcuts::setKeys(const QStringList& id, const QList<QKeySequence>& keys, uint flags)
{
    QDBusMessage answer =
        call(QStringLiteral("setShortcutKeys"), {id, QVariant::fromValue(toWire(keys)), flags});
    if (answer.type() != QDBusMessage::ReplyMessage)
        answer = call(QStringLiteral("setShortcut"),
                      {id, QVariant::fromValue(ShortcutKeys::toCombined(keys)), flags});
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty()) {
        qCWarning(lcApp, "kglobalaccel refused the keys of %s: %s", qUtf8Printable(id.value(1)),
                  qUtf8Printable(answer.errorMessage()));
        return std::nullopt;
    }
    return keysFrom(answer.arguments().constFirst());
}

bool KGlobalAccelShortcuts::activate(const Action& action)
{
    const QStringList id = actionId(action);
    const QList<QKeySequence> defaults = {QKeySequence::fromString(action.defaultKeys)};
    if (!setKeys(id, defaults, isDefault))
        return false;
    // Without NoAutoloading: keys the user chose in System Settings stay.
    const auto keys = setKeys(id, defaults, setPresent);
    if (!keys)
        return false;
    m_keys.insert(action.id, *keys);
    return true;
}

bool KGlobalAccelShortcuts::start(QString* why)
{
    for (const Action& action : actions()) {
        const QDBusMessage answer = call(QStringLiteral("doRegister"), {actionId(action)});
        if (answer.type() != QDBusMessage::ReplyMessage) {
            if (why)
                *why = answer.errorMessage();
            return false;
        }
        if (!activate(action)) {
            if (why)
                *why = QStringLiteral("kglobalaccel refused the keys");
            return false;
        }
    }
    const QDBusMessage answer = call(QStringLiteral("getComponent"), {component});
    const QString componentPath = answer.arguments().value(0).value<QDBusObjectPath>().path();
    if (componentPath.isEmpty()) {
        if (why)
            *why = answer.errorMessage();
        return false;
    }
    m_bus.connect(service, componentPath, componentInterface,
                  QStringLiteral("globalShortcutPressed"), this,
                  SLOT(notePressed(QString, QString, qlonglong)));
    // Plasma 5 sends both; Plasma 6 only the second.
    for (const QString& signal :
         {QStringLiteral("yourShortcutGotChanged"), QStringLiteral("yourShortcutsChanged")})
        m_bus.connect(service, path, interface, signal, this, SLOT(noteChanged(QDBusMessage)));
    // While the program doesn't run, its keys belong to the other programs.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            &KGlobalAccelShortcuts::release);
    qCInfo(lcApp, "global shortcuts registered with kglobalaccel as “%s”",
           qUtf8Printable(component));
    Q_EMIT changed();
    return true;
}

void KGlobalAccelShortcuts::release()
{
    for (const Action& action : actions())
        call(QStringLiteral("setInactive"), {actionId(action)});
}

void KGlobalAccelShortcuts::setHotKeyEnabled(bool enabled)
{
    if (enabled == m_hotKeyEnabled || m_keys.isEmpty())
        return;
    m_hotKeyEnabled = enabled;
    for (const Action& action : actions()) {
        if (!action.hotKey)
            continue;
        if (enabled)
            activate(action);
        else
            call(QStringLiteral("setInactive"), {actionId(action)});
    }
}

void KGlobalAccelShortcuts::notePressed(const QString& componentName, const QString& actionName,
                                        qlonglong)
{
    if (componentName == component && action(actionName))
        Q_EMIT activated(actionName);
}

void KGlobalAccelShortcuts::noteChanged(const QDBusMessage& message)
{
    const QVariantList arguments = message.arguments();
    const QStringList id = arguments.value(0).toStringList();
    if (arguments.size() < 2 || id.value(0) != component || !action(id.value(1)))
        return;
    const QList<QKeySequence> keys = keysFrom(arguments.at(1));
    if (m_keys.value(id.value(1)) == keys)
        return;
    m_keys.insert(id.value(1), keys);
    qCInfo(lcApp, "the shortcut %s is now %s", qUtf8Printable(id.value(1)),
           qUtf8Printable(ShortcutKeys::text(keys)));
    Q_EMIT changed();
}

QList<GlobalShortcuts::Bound> KGlobalAccelShortcuts::inForce() const
{
    QList<Bound> bound;
    if (m_keys.isEmpty())
        return bound;
    for (const Action& action : actions())
        bound.append({action.id, description(action), ShortcutKeys::text(m_keys.value(action.id))});
    return bound;
}

QString KGlobalAccelShortcuts::whereToChange() const
{
    return tr("System Settings → Shortcuts → Flingdial");
}
