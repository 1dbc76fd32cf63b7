#pragma once

#include "platform/Notifier.h"

#include <QHash>

// Notifications through org.freedesktop.Notifications on the session bus,
// with a "default" action; the server's ActionInvoked signal reports clicks.
class DBusNotifier : public Notifier
{
    Q_OBJECT

public:
    explicit DBusNotifier(QObject* parent = nullptr);

    bool isAvailable() const override;
    void post(const QString& title, const QString& body, const QStringList& paths) override;

private Q_SLOTS:
    void onActionInvoked(uint id, const QString& action);
    void onClosed(uint id, uint reason);

private:
    QHash<uint, QStringList> m_paths;
    bool m_listening = false;
};
