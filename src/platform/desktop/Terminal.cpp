#include "platform/desktop/Terminal.h"

#include "base/Errors.h"
#include "base/Translate.h"
#include "core/Component.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

namespace Terminal {

FLINGDIAL_TR_CONTEXT(Terminal)

namespace {

// gsettings answers at once; a hung session bus must not hang the action.
constexpr int gsettingsTimeoutMs = 2000;

// The desktops named in XDG_CURRENT_DESKTOP ("ubuntu:GNOME"), in upper case.
QStringList desktops(const QProcessEnvironment& environment)
{
    return environment.value(QStringLiteral("XDG_CURRENT_DESKTOP"))
        .toUpper()
        .split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

QStringList searchPath(const QProcessEnvironment& environment)
{
    return environment.value(QStringLiteral("PATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

QString findProgram(const QString& program, const QProcessEnvironment& environment)
{
    if (program.isEmpty())
        return {};
    if (program.contains(QLatin1Char('/'))) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    const QStringList path = searchPath(environment);
    // An empty search path means none, not the default one.
    return path.isEmpty() ? QString() : QStandardPaths::findExecutable(program, path);
}

// GNOME's default terminal, through gsettings as GNOME reads it.
QString gnomeTerminal(const QProcessEnvironment& environment)
{
    const QString gsettings = findProgram(QStringLiteral("gsettings"), environment);
    if (gsettings.isEmpty())
        return {};
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(gsettings, {QStringLiteral("get"),
                              QStringLiteral("org.gnome.desktop.default-applications.terminal"),
                              QStringLiteral("exec")});
    if (!process.waitForFinished(gsettingsTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    // A GVariant string: 'gnome-terminal'.
    QString value = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('\'')) &&
        value.endsWith(QLatin1Char('\'')))
        value = value.mid(1, value.size() - 2);
    return value;
}

// KDE's TerminalApplication from the first kdeglobals that sets it.
QString kdeTerminal(const QProcessEnvironment& environment)
{
    QStringList folders;
    const QString home = environment.value(QStringLiteral("HOME"), QDir::homePath());
    folders << environment.value(QStringLiteral("XDG_CONFIG_HOME"),
                                 home + QStringLiteral("/.config"));
    folders << environment.value(QStringLiteral("XDG_CONFIG_DIRS"), QStringLiteral("/etc/xdg"))
                   .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& folder : std::as_const(folders)) {
        const QString file = folder + QStringLiteral("/kdeglobals");
        if (!QFileInfo(file).isFile())
            continue;
        // QSettings reads the keys of [General] as top-level ones.
        const QSettings globals(file, QSettings::IniFormat);
        const QString value =
            globals.value(QStringLiteral("TerminalApplication")).toString().trimmed();
        if (!value.isEmpty())
            return value;
    }
    return {};
}

// The candidates in order, each a command line as the user wrote it.
QStringList candidates(const QProcessEnvironment& environment)
{
    QStringList list;
    list << environment.value(QStringLiteral("TERMINAL")).trimmed();
    const QStringList current = desktops(environment);
    if (current.contains(QStringLiteral("GNOME")))
        list << gnomeTerminal(environment);
    if (current.contains(QStringLiteral("KDE")))
        list << kdeTerminal(environment);
    list << QStringLiteral("x-terminal-emulator") << QStringLiteral("gnome-terminal")
         << QStringLiteral("konsole") << QStringLiteral("xfce4-terminal")
         << QStringLiteral("mate-terminal") << QStringLiteral("lxterminal")
         << QStringLiteral("qterminal") << QStringLiteral("tilix") << QStringLiteral("terminator")
         << QStringLiteral("kitty") << QStringLiteral("alacritty") << QStringLiteral("foot")
         << QStringLiteral("xterm");
    return list;
}

// The Debian package of the desktop's own terminal, else xterm.
QString suggestedPackage(const QProcessEnvironment& environment)
{
    const std::pair<const char*, const char*> ownTerminals[] = {
        {"GNOME", "gnome-terminal"}, {"KDE", "konsole"},    {"XFCE", "xfce4-terminal"},
        {"MATE", "mate-terminal"},   {"LXQT", "qterminal"}, {"LXDE", "lxterminal"}};
    const QStringList current = desktops(environment);
    for (const auto& [desktop, package] : ownTerminals) {
        if (current.contains(QLatin1String(desktop)))
            return QString::fromLatin1(package);
    }
    return QStringLiteral("xterm");
}

} // namespace

QStringList command(const QProcessEnvironment& environment)
{
    for (const QString& candidate : candidates(environment)) {
        QStringList words = QProcess::splitCommand(candidate);
        if (words.isEmpty())
            continue;
        const QString program = findProgram(words.first(), environment);
        if (program.isEmpty())
            continue;
        words.first() = program;
        return words;
    }
    return {};
}

void open(const QString& folder)
{
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QStringList words = command(environment);
    if (words.isEmpty())
        throw Fail(Component{QStringLiteral("terminal"),
                             QStringLiteral("sudo apt install ") + suggestedPackage(environment),
                             tr("No terminal program is installed.\nInstall one with:")}
                       .text());
    if (!QProcess::startDetached(words.first(), words.mid(1), folder))
        throw Fail(
            tr("The terminal “%1” couldn’t be started.").arg(QFileInfo(words.first()).fileName()));
}

} // namespace Terminal
