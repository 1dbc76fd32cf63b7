#include "core/Shell.h"

#include "core/Errors.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace Shell {

namespace {

constexpr qsizetype complaintLength = 800;

QString failureMessage(const QString& executable, int status, const QByteArray& out,
                       const QByteArray& err)
{
    const QString complaint = QString::fromUtf8(err.isEmpty() ? out : err).trimmed();
    return QStringLiteral("%1 failed (%2).\n%3")
        .arg(QFileInfo(executable).fileName())
        .arg(status)
        .arg(complaint.right(complaintLength));
}

void prepareOutputFile(const QString& path)
{
    // Opening it here empties it and reports a bad path before anything starts.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw SystemError(file.errorString());
}

} // namespace

QString searchPath()
{
    return QStringLiteral("/usr/local/bin:/usr/bin:/bin:/usr/local/sbin:/usr/sbin:/sbin");
}

QString run(const QString& executable, const QStringList& arguments,
            const std::optional<QString>& workingDirectory,
            const std::optional<QString>& stdoutFile, bool returningErrors)
{
    QProcess process;
    process.setProgram(executable);
    process.setArguments(arguments);
    if (workingDirectory)
        process.setWorkingDirectory(*workingDirectory);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), searchPath());
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    if (stdoutFile) {
        prepareOutputFile(*stdoutFile);
        process.setStandardOutputFile(*stdoutFile, QIODevice::Truncate);
    }

    // QProcess reads both pipes while it waits, so a child that fills one
    // of them never blocks.
    process.start();
    if (!process.waitForStarted(-1))
        throw SystemError(
            QStringLiteral("%1: %2").arg(QFileInfo(executable).fileName(), process.errorString()));
    process.waitForFinished(-1);
    const QByteArray out = stdoutFile ? QByteArray() : process.readAllStandardOutput();
    const QByteArray err = process.readAllStandardError();

    // After a crash the exit code is the signal number, never 0.
    const int status = process.exitCode();
    if (process.exitStatus() != QProcess::NormalExit || status != 0)
        throw Fail(failureMessage(executable, status, out, err));
    return QString::fromUtf8(returningErrors ? err : out);
}

QString osascript(const QString& script)
{
    return run(QStringLiteral("/usr/bin/osascript"), {QStringLiteral("-e"), script}).trimmed();
}

} // namespace Shell
