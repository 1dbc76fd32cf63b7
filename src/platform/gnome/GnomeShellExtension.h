#pragma once

#include "platform/DesktopExtension.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QVariantMap>
#include <optional>

// Our GNOME Shell extension as the Shell sees it, over its
// org.gnome.Shell.Extensions interface on the session bus.
class GnomeShellExtension : public DesktopExtension
{
    Q_OBJECT

public:
    static constexpr auto uuid = "flingdial@flingdial.org";

    explicit GnomeShellExtension(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                                 QObject* parent = nullptr);

    QString name() const override;
    QString manager() const override;
    State state() override;
    QString failure() override;
    QString enableCommand() const override;
    bool enable(QString* why) override;

    // The Shell's number for an extension's state (GNOME 43 to 50).
    static State fromShellState(int shellState);

private Q_SLOTS:
    void shellReported(const QString& extension, const QVariantMap& info);

private:
    // What the Shell says about the extension; nothing when it doesn't
    // answer, an empty map when it doesn't know the extension.
    std::optional<QVariantMap> info();

    QDBusConnection m_bus;
    QDBusServiceWatcher m_shell;
};
