#include "converters/office/LibreOffice.h"

#include "base/Errors.h"
#include "base/Translate.h"
#include "core/ChildProcess.h"
#include "core/Deps.h"
#include "core/Shell.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace LibreOffice {

FLINGDIAL_TR_CONTEXT(LibreOffice)

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

// Runs soffice in a session of its own, so that a time-out or a cancel ends
// the helpers it starts too. Returns what it said on standard error.
QString runWithin(const QString& program, const QStringList& arguments, const QString& folder)
{
    ChildProcess child(program, arguments);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), Shell::searchPath());
    // What LibreOffice leaves in the temporary folder goes with our scratch folder.
    const QString temporary = folder + QStringLiteral("/.temporary");
    QDir().mkpath(temporary);
    environment.insert(QStringLiteral("TMPDIR"), temporary);
    child.process().setProcessEnvironment(environment);
    child.start();
    const auto limit = std::chrono::duration_cast<std::chrono::milliseconds>(timeLimit());
    if (child.wait({limit, std::nullopt}) == ChildProcess::Ending::outOfTime)
        throw Fail(tr("LibreOffice didn’t respond in time."));
    const QString errors = QString::fromLocal8Bit(child.standardError());
    if (!child.succeeded())
        throw Fail(tr("LibreOffice failed (%1).\n%2")
                       .arg(child.exitCode())
                       .arg(errors.trimmed().right(800)));
    return errors;
}

// Whether the file starts the way its format does: ZIP containers (Office
// Open XML, OpenDocument, iWork 2013 and later) and the compound files of
// Office 97–2003. LibreOffice would read anything else as plain text.
bool hasItsFormatsSignature(const QString& path)
{
    static const QStringList zip = {
        QStringLiteral("docx"), QStringLiteral("xlsx"),    QStringLiteral("pptx"),
        QStringLiteral("odt"),  QStringLiteral("ods"),     QStringLiteral("odp"),
        QStringLiteral("key"),  QStringLiteral("numbers"), QStringLiteral("pages")};
    static const QStringList compound = {QStringLiteral("doc"), QStringLiteral("xls"),
                                         QStringLiteral("ppt")};
    const QFileInfo info(path);
    const QString key = info.suffix().toLower();
    if (info.isDir() || (!zip.contains(key) && !compound.contains(key)))
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray start = file.read(8);
    if (zip.contains(key))
        return start.startsWith("PK\x03\x04");
    // iWork '09 files are ZIPs too; compound files start with D0 CF 11 E0.
    return start == QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
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

QList<Made> convertAll(const QStringList& sources, const QString& format,
                       const QString& outputFolder, const QStringList& extra)
{
    const auto program = Deps::libreOffice();
    if (!program)
        throw Fail(Deps::libreOfficeNeeded());
    // Links named 0.pptx, 1.pptx …: no two sources share a result name, and
    // no name of the user's reaches LibreOffice's command line. A file that
    // isn't what its name says is never handed over.
    const QString inputs = QDir(outputFolder).filePath(QStringLiteral(".sources"));
    QDir().mkpath(inputs);
    QStringList linked;
    QList<bool> readable;
    for (qsizetype i = 0; i < sources.size(); ++i) {
        readable.append(hasItsFormatsSignature(sources.at(i)));
        if (!readable.last())
            continue;
        const QString link = QStringLiteral("%1/%2.%3")
                                 .arg(inputs)
                                 .arg(i)
                                 .arg(QFileInfo(sources.at(i)).suffix().toLower());
        if (!QFile::link(QFileInfo(sources.at(i)).absoluteFilePath(), link))
            throw SystemError(
                tr("“%1” couldn’t be prepared for LibreOffice.").arg(fileName(sources.at(i))));
        linked.append(link);
    }
    QString errors;
    if (!linked.isEmpty()) {
        const QString cache = cacheFolder();
        QLockFile lock(cache + QStringLiteral("/libreoffice.lock"));
        lock.setStaleLockTime(std::chrono::milliseconds(timeLimit()) * 2);
        lock.lock();
        errors = runWithin(*program,
                           arguments(cache + QStringLiteral("/libreoffice-profile"), format,
                                     outputFolder, linked, extra),
                           outputFolder);
    }
    QList<Made> made;
    for (qsizetype i = 0; i < sources.size(); ++i) {
        const QString file =
            QDir(outputFolder).filePath(QStringLiteral("%1.%2").arg(i).arg(extensionOf(format)));
        if (readable.at(i) && QFileInfo(file).isFile() && QFileInfo(file).size() > 0)
            made.append({file, QString()});
        else if (!readable.at(i) || errors.contains(QLatin1String("could not be loaded")) ||
                 sources.size() > 1)
            made.append(
                {QString(), tr("LibreOffice couldn’t open %1.").arg(fileName(sources.at(i)))});
        else
            made.append({QString(), tr("LibreOffice didn’t produce a file.")});
    }
    return made;
}

QString convert(const QString& source, const QString& format, const QString& outputFolder,
                const QStringList& extra)
{
    const Made made = convertAll({source}, format, outputFolder, extra).first();
    if (!made.failure.isEmpty())
        throw Fail(made.failure);
    return made.file;
}

} // namespace LibreOffice
