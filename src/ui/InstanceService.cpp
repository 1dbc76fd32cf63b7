#include "ui/InstanceService.h"

#include "cli/Instance.h"
#include "core/Log.h"
#include "core/ModifierKey.h"
#include "core/Settings.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QEvent>
#include <QMenu>
#include <QMetaObject>

namespace {

// Menus change in bursts (work starting, its progress): one signal for each.
constexpr int menuSettleMs = 100;

WheelMode::Mode modeNamed(const QString& word)
{
    return WheelMode::fromRawValue(word.toLower()).value_or(WheelMode::convert);
}

// The items Menu() lists: the visible ones, in order.
QList<QAction*> listedActions(const QMenu* menu)
{
    QList<QAction*> actions;
    for (QAction* action : menu->actions()) {
        if (action->isVisible())
            actions.append(action);
    }
    return actions;
}

} // namespace

InstanceService::InstanceService(QObject* parent) : QObject(parent)
{
    m_menuChanged.setSingleShot(true);
    m_menuChanged.setInterval(menuSettleMs);
    connect(&m_menuChanged, &QTimer::timeout, this,
            [this] { emitSignal(QStringLiteral("MenuChanged")); });
    connect(&Settings::shared(), &Settings::changed, this, &InstanceService::settingsChanged);
}

InstanceService::Claim InstanceService::claim(QString* why)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        if (why)
            *why = bus.lastError().message();
        return Claim::noBus;
    }
    // The name first: of two programs started at once, one gets it.
    const auto reply = bus.interface()->registerService(
        QString::fromLatin1(Instance::service), QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        if (why)
            *why = reply.error().message();
        return reply.isValid() ? Claim::taken : Claim::noBus;
    }
    bus.registerObject(QString::fromLatin1(Instance::path), this, QDBusConnection::ExportAllSlots);
    m_claimed = true;
    m_keysSent = gestureKeys();
    return Claim::claimed;
}

void InstanceService::setTrayMenu(QMenu* menu, std::function<bool()> trayShown)
{
    if (m_menu)
        m_menu->removeEventFilter(this);
    m_menu = menu;
    m_trayShown = std::move(trayShown);
    if (m_menu)
        m_menu->installEventFilter(this);
    menuChanged();
}

void InstanceService::menuChanged()
{
    m_menuChanged.start();
}

bool InstanceService::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_menu) {
        switch (event->type()) {
        case QEvent::ActionAdded:
        case QEvent::ActionChanged:
        case QEvent::ActionRemoved:
            menuChanged();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void InstanceService::emitSignal(const QString& name)
{
    if (!m_claimed)
        return;
    QDBusConnection::sessionBus().send(QDBusMessage::createSignal(
        QString::fromLatin1(Instance::path), QString::fromLatin1(Instance::interface), name));
}

void InstanceService::settingsChanged()
{
    // Only a change the extension would see: the file changes for every key.
    const QVariantMap keys = gestureKeys();
    if (keys == m_keysSent)
        return;
    m_keysSent = keys;
    emitSignal(QStringLiteral("GestureKeysChanged"));
}

void InstanceService::OpenSettings()
{
    QMetaObject::invokeMethod(this, &InstanceService::settingsRequested, Qt::QueuedConnection);
}

void InstanceService::OpenWheel(const QStringList& files, const QString& mode)
{
    QMetaObject::invokeMethod(
        this, [this, files, mode] { Q_EMIT wheelRequested(modeNamed(mode), files); },
        Qt::QueuedConnection);
}

void InstanceService::Trigger(const QString& mode)
{
    QMetaObject::invokeMethod(
        this, [this, mode] { Q_EMIT triggered(modeNamed(mode), !mode.isEmpty()); },
        Qt::QueuedConnection);
}

void InstanceService::TriggerAt(const QString& mode, int x, int y, int width, int height)
{
    QMetaObject::invokeMethod(
        this,
        [this, mode, x, y, width, height] {
            Q_EMIT triggeredAt(modeNamed(mode), QPoint(x, y), QSize(width, height));
        },
        Qt::QueuedConnection);
}

void InstanceService::DragEnded()
{
    QMetaObject::invokeMethod(this, &InstanceService::dragEnded, Qt::QueuedConnection);
}

void InstanceService::HotKeyPressed()
{
    QMetaObject::invokeMethod(this, &InstanceService::hotKeyPressed, Qt::QueuedConnection);
}

void InstanceService::HotKeyGrabbed(const QString& accelerator, bool grabbed)
{
    if (!grabbed)
        qCWarning(lcApp, "the desktop holds %s: the hot key is off", qUtf8Printable(accelerator));
    QMetaObject::invokeMethod(
        this, [this, accelerator, grabbed] { Q_EMIT hotKeyGrabbed(accelerator, grabbed); },
        Qt::QueuedConnection);
}

QVariantMap InstanceService::GestureKeys()
{
    qCInfo(lcApp, "the desktop's extension reads the trigger keys");
    return gestureKeys();
}

QVariantMap InstanceService::gestureKeys()
{
    const Settings& settings = Settings::shared();
    QVariantMap keys;
    for (const WheelMode::Mode mode : WheelMode::all())
        keys.insert(WheelMode::rawValue(mode), ModifierKey::rawValue(settings.triggerKey(mode)));
    keys.insert(QStringLiteral("hotkey"), settings.get(SettingKeys::hotKey)
                                              ? settings.hotKeyKeys().accelerator()
                                              : QString());
    return keys;
}

QVariantMap InstanceService::Menu()
{
    QStringList titles;
    QVariantList enabled;
    if (m_menu) {
        for (const QAction* action : listedActions(m_menu)) {
            titles.append(action->isSeparator() ? QString() : action->text());
            enabled.append(action->isEnabled());
        }
    }
    return {{QStringLiteral("tray"), m_trayShown && m_trayShown()},
            {QStringLiteral("titles"), titles},
            {QStringLiteral("enabled"), enabled}};
}

void InstanceService::ActivateMenuItem(int index, const QString& title)
{
    if (!m_menu)
        return;
    const QList<QAction*> actions = listedActions(m_menu);
    if (index < 0 || index >= actions.size())
        return;
    QAction* action = actions.at(index);
    // The menu may have changed since the extension read it.
    if (action->isSeparator() || !action->isEnabled() || action->text() != title)
        return;
    QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
}
