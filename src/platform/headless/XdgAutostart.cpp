#include "platform/headless/XdgAutostart.h"

#include "base/Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Desktop-entry Exec values quote arguments with double quotes.
QString quotedExec(const QString& path)
{
    QString escaped = path;
    for (const char* special : {"\\", "\"", "`", "$"})
        escaped.replace(QLatin1String(special), QLatin1Char('\\') + QLatin1String(special));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

} // namespace

XdgAutostart::XdgAutostart() : XdgAutostart(QCoreApplication::applicationFilePath()) {}

XdgAutostart::XdgAutostart(QString executable) : m_executable(std::move(executable)) {}

QString XdgAutostart::filePath() const
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/org.flingdial.Flingdial.desktop");
}

bool XdgAutostart::isEnabled() const
{
    if (!QFileInfo::exists(filePath()))
        return false;
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1String("Hidden=")))
            return line.mid(7).trimmed() != QLatin1String("true");
    }
    return true;
}

void XdgAutostart::enable()
{
    const QString folder = QFileInfo(filePath()).absolutePath();
    if (!QDir().mkpath(folder))
        throw SystemError(QStringLiteral("The folder “%1” couldn’t be created.").arg(folder));
    QSaveFile file(filePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        throw SystemError(file.errorString());
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Flingdial\n"
                                         "Comment=File conversions one gesture away\n"
                                         "Exec=%1\n"
                                         "Icon=org.flingdial.Flingdial\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(quotedExec(m_executable));
    file.write(entry.toUtf8());
    if (!file.commit())
        throw SystemError(file.errorString());
}

void XdgAutostart::disable()
{
    QFile file(filePath());
    if (file.exists() && !file.remove())
        throw SystemError(file.errorString());
}
