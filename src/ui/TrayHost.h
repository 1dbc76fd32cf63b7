#pragma once

#include <QDBusServiceWatcher>
#include <QObject>
#include <QTimer>

// Whether something shows tray icons: a StatusNotifierItem host on the
// session bus, or an XEmbed tray manager on the display. A panel may start
// after the program (a race at login) or restart, so both are watched;
// Qt decides between them once, when the first tray icon is made, so the
// icon must not be made before a host exists.
class TrayHost : public QObject
{
    Q_OBJECT

public:
    explicit TrayHost(QObject* parent = nullptr);

    bool isPresent() const;
    void watch();

Q_SIGNALS:
    // A host appeared, or a new one took over from one that went away.
    void appeared();

private:
    void poll();
    bool hasStatusNotifierHost() const;

    QDBusServiceWatcher m_watcher;
    QTimer m_poll;
    quintptr m_trayManager = 0;
    bool m_statusNotifierHost = false;
    bool m_present = false;
};
