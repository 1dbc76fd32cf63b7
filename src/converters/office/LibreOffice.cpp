#include "converters/office/LibreOffice.h"

#include "core/Deps.h"
#include "core/Errors.h"
#include "core/Shell.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <csignal>
#include <unistd.h>

namespace LibreOffice {

namespace {

QString cacheFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                           QStringLiteral("/flingdial");
    QDir().mkpath(folder);
    return folder;
}

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

QString extensionOf(const QString& format)
{
    return format.section(QLatin1Char(':'), 0, 0).toLower();
}

// Runs soffice in a process group of its own, so that a time-out ends the
// helpers it starts too. Returns what it said on standard error.
QString runWithin(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), Shell::searchPath());
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setChildProcessModifier([] { ::setsid(); });
    process.start();
    if (!process.waitForStarted(-1))
        throw SystemError(QStringLiteral("soffice: %1").arg(process.errorString()));
    const auto limit = std::chrono::duration_cast<std::chrono::milliseconds>(timeLimit());
    if (!process.waitForFinished(int(limit.count()))) {
        ::kill(-pid_t(process.processId()), SIGKILL);
        process.waitForFinished(-1);
        throw Fail(QStringLiteral("LibreOffice didn’t respond in time."));
    }
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw Fail(QStringLiteral("LibreOffice failed (%1).\n%2")
                       .arg(process.exitCode())
                       .arg(errors.trimmed().right(800)));
    return errors;
}

} // namespace

std::chrono::seconds timeLimit()
{
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("FLINGDIAL_LIBREOFFICE_TIMEOUT", &ok);
    return std::chrono::seconds(ok && seconds > 0 ? seconds : 180);
}

QStringList arguments(const QString& profile, const QString& format, const QString& outputFolder,
                      const QStringList& sources, const QStringList& extra)
{
    QStringList list = {QStringLiteral("-env:UserInstallation=") +
                            QUrl::fromLocalFile(profile).toString(QUrl::FullyEncoded),
                        QStringLiteral("--headless"),
                        QStringLiteral("--norestore"),
                        QStringLiteral("--nolockcheck"),
                        QStringLiteral("--convert-to"),
                        format,
                        QStringLiteral("--outdir"),
                        outputFolder};
    list += extra;
    // Absolute paths never read as options.
    for (const QString& source : sources)
        list.append(QFileInfo(source).absoluteFilePath());
    return list;
}

QString convert(const QString& source, const QString& format, const QString& outputFolder,
                const QStringList& extra)
{
    const auto program = Deps::libreOffice();
    if (!program)
        throw Fail(Deps::libreOfficeNeeded());
    const QString cache = cacheFolder();
    // One run at a time on the profile: two would spoil each other's.
    QLockFile lock(cache + QStringLiteral("/libreoffice.lock"));
    lock.setStaleLockTime(std::chrono::milliseconds(timeLimit()) * 2);
    lock.lock();
    const QString errors =
        runWithin(*program, arguments(cache + QStringLiteral("/libreoffice-profile"), format,
                                      outputFolder, {source}, extra));

    const QString wanted =
        QFileInfo(source).completeBaseName() + QLatin1Char('.') + extensionOf(format);
    const QString made = QDir(outputFolder).filePath(wanted);
    if (QFileInfo(made).isFile() && QFileInfo(made).size() > 0)
        return made;
    if (errors.contains(QLatin1String("could not be loaded")))
        throw Fail(QStringLiteral("LibreOffice couldn’t open %1.").arg(fileName(source)));
    throw Fail(QStringLiteral("LibreOffice didn’t produce a file."));
}

} // namespace LibreOffice
