#pragma once

#include "platform/GlobalShortcuts.h"

#include <QDBusConnection>
#include <QHash>
#include <QVariantMap>
#include <functional>

class QDBusMessage;
class QDBusObjectPath;

// The program's shortcuts through the desktop's GlobalShortcuts portal
// (org.freedesktop.portal.GlobalShortcuts). Plasma 5.27's portal takes the
// shortcuts when the session is made and opens System Settings when asked
// to bind them; later ones bind them on request, after asking the user.
// So the session is made with the shortcuts, and they are bound only when
// it comes back without them.
class PortalShortcuts : public GlobalShortcuts
{
    Q_OBJECT

public:
    explicit PortalShortcuts(const QDBusConnection& bus, QObject* parent = nullptr);

    // Asks whether the session's portal offers global shortcuts and calls
    // `answer` with it (the first call starts the portal, which takes a moment).
    static void askOffered(const QDBusConnection& bus, QObject* context,
                           std::function<void(bool)> answer);
    // Asks for the session and the shortcuts; ends in ready() or failed().
    void start();

    QList<Bound> inForce() const override;
    QString whereToChange() const override;
    QString modifierKeysNote() const override { return {}; }
    // The portal can't let go of one shortcut; presses are ignored instead.
    void setHotKeyEnabled(bool) override {}

Q_SIGNALS:
    void ready();
    void failed(const QString& why);

private Q_SLOTS:
    void noteActivated(const QDBusObjectPath& session, const QString& id, qulonglong time,
                       const QVariantMap& options);
    void noteChanged(const QDBusMessage& message);
    void noteResponse(const QDBusMessage& message);

private:
    using Answer = std::function<void(uint response, const QVariantMap& results)>;
    // Calls a portal method that answers through a Request object.
    void request(const QString& method, QVariantList arguments, const QString& token,
                 Answer answer);
    void sessionMade(uint response, const QVariantMap& results);
    void bind();
    // Takes the shortcuts the portal reports; false when ours are missing.
    bool takeShortcuts(const QVariant& shortcuts);
    QVariant ourShortcuts() const;

    QDBusConnection m_bus;
    QString m_session;
    QHash<QString, Bound> m_bound;
    QHash<QString, Answer> m_pending; // by request path
    int m_requests = 0;
};
