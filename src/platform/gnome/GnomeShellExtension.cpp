#include "platform/gnome/GnomeShellExtension.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString shellService = QStringLiteral("org.gnome.Shell");
const QString shellPath = QStringLiteral("/org/gnome/Shell");
const QString extensionsInterface = QStringLiteral("org.gnome.Shell.Extensions");
// The Shell answers at once; a stuck one mustn't hold the settings window.
constexpr int callTimeoutMs = 2000;

QString uuidText()
{
    return QString::fromLatin1(GnomeShellExtension::uuid);
}

} // namespace

GnomeShellExtension::GnomeShellExtension(const QDBusConnection& bus, QObject* parent)
    : DesktopExtension(parent), m_bus(bus),
      m_shell(shellService, bus, QDBusServiceWatcher::WatchForOwnerChange)
{
    m_bus.connect(shellService, shellPath, extensionsInterface,
                  QStringLiteral("ExtensionStateChanged"), this,
                  SLOT(shellReported(QString, QVariantMap)));
    // A Shell that starts again (on X11, or after a crash) has its own idea.
    connect(&m_shell, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &DesktopExtension::stateChanged);
}

DesktopExtension::State GnomeShellExtension::fromShellState(int shellState)
{
    // ENABLED (ACTIVE from GNOME 45), DISABLED (INACTIVE), ERROR,
    // OUT_OF_DATE, DOWNLOADING, INITIALIZED, and from GNOME 45 DISABLING and
    // ENABLING; UNINSTALLED.
    switch (shellState) {
    case 1:
    case 8:
        return State::on;
    case 3:
        return State::failed;
    case 4:
        return State::outdated;
    case 99:
        return State::missing;
    default:
        return State::off;
    }
}

QString GnomeShellExtension::name() const
{
    return tr("Flingdial’s GNOME Shell extension");
}

QString GnomeShellExtension::manager() const
{
    return tr("the Extensions app");
}

std::optional<QVariantMap> GnomeShellExtension::info()
{
    QDBusMessage call = QDBusMessage::createMethodCall(shellService, shellPath, extensionsInterface,
                                                       QStringLiteral("GetExtensionInfo"));
    call.setArguments({uuidText()});
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    return qdbus_cast<QVariantMap>(reply.arguments().at(0));
}

DesktopExtension::State GnomeShellExtension::state()
{
    const std::optional<QVariantMap> known = info();
    if (!known)
        return State::unknown;
    if (!known->isEmpty())
        return fromShellState(known->value(QStringLiteral("state")).toInt());
    // The Shell looks for extensions when it starts: one installed since
    // waits for the next login.
    const QString metadata = QStandardPaths::locate(
        QStandardPaths::GenericDataLocation,
        QStringLiteral("gnome-shell/extensions/%1/metadata.json").arg(uuidText()));
    return metadata.isEmpty() ? State::missing : State::newLogin;
}

QString GnomeShellExtension::failure()
{
    return info().value_or(QVariantMap()).value(QStringLiteral("error")).toString();
}

QString GnomeShellExtension::enableCommand() const
{
    return QStringLiteral("gnome-extensions enable %1").arg(uuidText());
}

bool GnomeShellExtension::enable(QString* why)
{
    QDBusMessage call = QDBusMessage::createMethodCall(shellService, shellPath, extensionsInterface,
                                                       QStringLiteral("EnableExtension"));
    call.setArguments({uuidText()});
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        if (why)
            *why = tr("GNOME Shell didn’t answer: %1").arg(reply.errorMessage());
        return false;
    }
    if (!reply.arguments().value(0).toBool()) {
        if (why)
            *why = tr("GNOME Shell doesn’t know the extension yet: log out and back in, then "
                      "turn it on.");
        return false;
    }
    return true;
}

void GnomeShellExtension::shellReported(const QString& extension, const QVariantMap&)
{
    if (extension == uuidText())
        Q_EMIT stateChanged();
}
