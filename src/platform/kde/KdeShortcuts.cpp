#include "platform/kde/KdeShortcuts.h"

#include "core/Log.h"
#include "platform/kde/KGlobalAccelShortcuts.h"
#include "platform/kde/PortalShortcuts.h"

#include <QDBusConnection>

KdeShortcuts::KdeShortcuts(QObject* parent) : GlobalShortcuts(parent) {}

void KdeShortcuts::start()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCWarning(lcApp, "no session bus: no global shortcuts");
        return;
    }
    PortalShortcuts::askOffered(bus, this, [this](bool offered) {
        if (offered)
            usePortal();
        else
            useKGlobalAccel();
    });
}

void KdeShortcuts::usePortal()
{
    auto* portal = new PortalShortcuts(QDBusConnection::sessionBus(), this);
    connect(portal, &PortalShortcuts::failed, this, [this, portal](const QString& why) {
        qCWarning(lcApp, "the shortcuts portal failed (%s): using kglobalaccel",
                  qUtf8Printable(why));
        portal->deleteLater();
        useKGlobalAccel();
    });
    adopt(portal);
    portal->start();
}

void KdeShortcuts::useKGlobalAccel()
{
    auto* direct = new KGlobalAccelShortcuts(QDBusConnection::sessionBus(), this);
    adopt(direct);
    QString why;
    if (!direct->start(&why)) {
        qCWarning(lcApp, "no global shortcuts: kglobalaccel didn't take them (%s)",
                  qUtf8Printable(why));
        return;
    }
    direct->setHotKeyEnabled(m_hotKeyEnabled);
}

void KdeShortcuts::adopt(GlobalShortcuts* backend)
{
    m_backend = backend;
    connect(backend, &GlobalShortcuts::activated, this, [this, backend](const QString& id) {
        if (backend == m_backend)
            Q_EMIT activated(id);
    });
    connect(backend, &GlobalShortcuts::changed, this, [this, backend] {
        if (backend == m_backend)
            Q_EMIT changed();
    });
}

QList<GlobalShortcuts::Bound> KdeShortcuts::inForce() const
{
    return m_backend ? m_backend->inForce() : QList<Bound>();
}

QString KdeShortcuts::whereToChange() const
{
    return m_backend ? m_backend->whereToChange() : tr("System Settings → Shortcuts");
}

QString KdeShortcuts::modifierKeysNote() const
{
    return tr("Shift, Ctrl and the other trigger keys work while dragging only when System "
              "Settings → Legacy X11 App Support lets X11 programs see the modifier keys "
              "(“Only Meta, Control, Alt and Shift keys” or more); the shortcuts above work "
              "without it.");
}

void KdeShortcuts::setHotKeyEnabled(bool enabled)
{
    m_hotKeyEnabled = enabled;
    if (m_backend)
        m_backend->setHotKeyEnabled(enabled);
}
