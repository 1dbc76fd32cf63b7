#include "core/Shell.h"

#include "base/Errors.h"
#include "base/Translate.h"
#include "core/ChildProcess.h"

#include <QFile>
#include <QFileInfo>

namespace Shell {

FLINGDIAL_TR_CONTEXT(Shell)

namespace {

constexpr qsizetype complaintLength = 800;

QString failureMessage(const QString& executable, int status, const QByteArray& out,
                       const QByteArray& err)
{
    const QString complaint = QString::fromUtf8(err.isEmpty() ? out : err).trimmed();
    return tr("%1 failed (%2).\n%3")
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
    return run(executable, arguments,
               Watch{workingDirectory, stdoutFile, returningErrors, {}, std::nullopt});
}

QString run(const QString& executable, const QStringList& arguments, const Watch& watch)
{
    ChildProcess child(executable, arguments);
    QProcess& process = child.process();
    if (watch.workingDirectory)
        process.setWorkingDirectory(*watch.workingDirectory);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), searchPath());
    process.setProcessEnvironment(environment);
    if (watch.stdoutFile) {
        prepareOutputFile(*watch.stdoutFile);
        process.setStandardOutputFile(*watch.stdoutFile, QIODevice::Truncate);
    }
    if (watch.stdinFile)
        process.setStandardInputFile(*watch.stdinFile);
    child.start();
    child.wait({}, watch.outputLine);
    if (!child.succeeded())
        throw Fail(failureMessage(executable, child.exitCode(), child.standardOutput(),
                                  child.standardError()));
    return QString::fromUtf8(watch.returningErrors ? child.standardError()
                                                   : child.standardOutput());
}

} // namespace Shell
