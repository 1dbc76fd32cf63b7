#include "converters/archive/ArchiveConverter.h"

#include "base/Errors.h"
#include "base/FileKind.h"
#include "base/FileOps.h"
#include "base/Formats.h"
#include "base/Translate.h"
#include "core/ChildProcess.h"
#include "core/Conversions.h"
#include "core/Deps.h"
#include "core/Job.h"
#include "core/Output.h"
#include "core/Plugins.h"
#include "core/ResultGuard.h"
#include "core/ScratchDirectory.h"
#include "core/Shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ArchiveConverter {

FLINGDIAL_TR_CONTEXT(ArchiveConverter)

namespace {

const QString macMetadataFolder = QStringLiteral("__MACOSX");
const QString finderMetadata = QStringLiteral(".DS_Store");

QString program(const QString& name)
{
    // A missing archiver shows up as a launch failure naming it.
    return Deps::find(name).value_or(QStringLiteral("/usr/bin/") + name);
}

QString parentOf(const QString& path)
{
    return QFileInfo(path).absolutePath();
}

QString lastComponent(const QString& path)
{
    return QFileInfo(path).fileName();
}

// flingdial-unpack's exit statuses (its Status).
enum UnpackStatus {
    cantOpen = 1,
    encrypted = 3,
    unreadable = 4,
    damaged = 5,
    cantWrite = 6,
    cantFinish = 7,
};

// What went wrong, by flingdial-unpack's exit status.
QString unpackFailure(int status)
{
    switch (status) {
    case cantOpen:
        return tr("The archive or the folder to unpack it into can’t be opened.");
    case unreadable:
        return tr("It isn’t an archive Flingdial can read.");
    case damaged:
        return tr("The archive is damaged.");
    case cantWrite:
        return tr("One of its entries can’t be written.");
    case cantFinish:
        return tr("The last of it can’t be written.");
    default:
        return QString();
    }
}

// Unpacks into `folder` through the helper, which keeps only regular files,
// folders and symbolic links that stay inside it.
void unpack(const QString& archive, const QString& folder)
{
    const auto helper = Plugins::helper(QStringLiteral("flingdial-unpack"));
    if (!helper)
        throw Fail(tr("The archive reader is missing. Reinstall Flingdial."));
    ChildProcess child(*helper, {archive, folder});
    child.start();
    child.wait({}, [](const QByteArray& line) {
        if (line.startsWith("progress "))
            Job::reportFraction(line.mid(9).trimmed().toDouble());
    });
    if (child.succeeded())
        return;
    const QString name = lastComponent(archive);
    // A crash's exit code is the signal's number, not a status.
    const int status = child.process().exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    if (status == encrypted)
        throw Fail(tr("%1 is password protected.").arg(name));
    // Our sentence, then libarchive's own words.
    QStringList lines = {tr("%1 can’t be extracted.").arg(name), unpackFailure(status),
                         QString::fromUtf8(child.standardError()).trimmed()};
    lines.removeAll(QString());
    throw Fail(lines.join(QLatin1Char('\n')));
}

// The names an archive unpacked into `folder`; macOS resource forks are
// never wanted, the Finder's folder settings only when asked.
QStringList unpackedNames(const QString& folder, bool dropFinderMetadata)
{
    QStringList names = FileOps::entryNames(folder);
    names.removeAll(macMetadataFolder);
    if (dropFinderMetadata)
        names.removeAll(finderMetadata);
    return names;
}

// Everything packing takes from the named files and folders, without the
// metadata macOS adds and without pipes, sockets or devices.
QList<QByteArray> entriesToPack(const QString& parent, const QStringList& names)
{
    return FileOps::plainTree(parent, names, [](const QString& name) {
        return name == finderMetadata || name == macMetadataFolder;
    });
}

// The archivers read their lists of names from a file, so that no name is
// taken for an option or a pattern.
QString writeList(const ScratchDirectory& scratch, const QByteArray& list)
{
    QFile file(scratch.filePath(QStringLiteral("names")));
    if (!file.open(QIODevice::WriteOnly) || file.write(list) != list.size() || !file.flush())
        throw SystemError(
            tr("The list of files to pack couldn’t be written: %1").arg(file.errorString()));
    return file.fileName();
}

void packZip(const QString& parent, const QList<QByteArray>& entries, const QString& output)
{
    QByteArray list;
    for (const QByteArray& entry : entries) {
        if (entry.contains('\n'))
            throw Fail(tr("“%1” has a line break in its name, which ZIP can’t hold.")
                           .arg(QFileInfo(QFile::decodeName(entry)).fileName().simplified()));
        // zip drops the "./", which keeps a leading "-" from reading as an option.
        list += "./" + entry + '\n';
    }
    const ScratchDirectory scratch;
    const QString listFile = writeList(scratch, list);
    Shell::Watch watch;
    watch.workingDirectory = parent;
    watch.stdinFile = listFile;
    // -nw: no wildcards in the names; -y: links as links; -X: no extra attributes.
    Shell::run(program(QStringLiteral("zip")),
               {QStringLiteral("-q"), QStringLiteral("-X"), QStringLiteral("-y"),
                QStringLiteral("-nw"), output, QStringLiteral("-@")},
               watch);
}

void packTar(const QString& parent, const QList<QByteArray>& entries, bool compressed,
             const QString& output)
{
    QByteArray list;
    for (const QByteArray& entry : entries)
        list += entry + '\0';
    const ScratchDirectory scratch;
    const QString listFile = writeList(scratch, list);
    // -n: the list already holds each folder's contents; --null also turns
    // off the special meaning of "-C" lines.
    Shell::run(program(QStringLiteral("bsdtar")),
               {compressed ? QStringLiteral("-czf") : QStringLiteral("-cf"), output,
                QStringLiteral("-C"), parent, QStringLiteral("-n"), QStringLiteral("--null"),
                QStringLiteral("-T"), listFile});
}

bool isLoneCompressedFile(const QString& file)
{
    static const QStringList keys = {QStringLiteral("gz"), QStringLiteral("bz2"),
                                     QStringLiteral("xz")};
    return keys.contains(FileKind::ext(file)) &&
           !lastComponent(file).toLower().contains(QLatin1String(".tar."));
}

QString decompress(const QString& file)
{
    const QString key = FileKind::ext(file);
    const QString tool = key == QLatin1String("gz")    ? QStringLiteral("gzip")
                         : key == QLatin1String("bz2") ? QStringLiteral("bzip2")
                                                       : QStringLiteral("xz");
    const auto decompressor = Deps::find(tool);
    if (!decompressor)
        throw Fail(tr("This computer can’t open .%1 files.").arg(key));
    const QString compressed = lastComponent(file);
    const QString wanted = Output::directory(file) + QLatin1Char('/') +
                           compressed.left(compressed.lastIndexOf(QLatin1Char('.')));
    return ResultGuard::make(wanted, [&](const QString& result) {
        Shell::run(*decompressor, {QStringLiteral("-dc"), file}, std::nullopt, result);
    });
}

// Unpacks next to where the result goes, so that nothing is copied across
// file systems; one entry is the result itself, several share a folder.
QString unpackArchive(const QString& file)
{
    ResultGuard folder(Output::directory(file) + QLatin1Char('/') + Output::baseName(file));
    folder.makeDirectory();
    try {
        unpack(file, folder.path());
    } catch (const Fail& failure) {
        throw Fail(folder.inUserTerms(failure.message()));
    }
    FileOps::removeQuietly(folder.path() + QLatin1Char('/') + macMetadataFolder);
    FileOps::removeQuietly(folder.path() + QLatin1Char('/') + finderMetadata);
    const QStringList names = unpackedNames(folder.path(), true);
    if (names.isEmpty())
        throw Fail(tr("%1 is empty.").arg(lastComponent(file)));
    if (names.size() > 1)
        return folder.commit();
    ResultGuard single(Output::directory(file) + QLatin1Char('/') + names.first());
    FileOps::move(folder.path() + QLatin1Char('/') + names.first(), single.path());
    return single.commit();
}

} // namespace

const QStringList& formats()
{
    static const QStringList list = {QStringLiteral("zip"), QStringLiteral("tar"),
                                     QStringLiteral("tar.gz")};
    return list;
}

QList<Operation> compressOperations()
{
    QList<Operation> operations;
    for (const QString& format : formats()) {
        Operation operation = Operation::allFiles(
            Formats::title(format), Formats::symbol(format),
            [format](const QStringList& files) { return compress(files, format); });
        operation.isConversion = true;
        operation.target = format;
        operation.takesFolders = true;
        operations.append(operation);
    }
    return operations;
}

QList<Operation> tools()
{
    return {Operation::perFile(tr("Extract"), QStringLiteral("archivebox"), extract)};
}

Operation compressToZip()
{
    Operation operation = Operation::allFiles(
        tr("Compress to ZIP"), QStringLiteral("doc.zipper"),
        [](const QStringList& files) { return compress(files, QStringLiteral("zip")); });
    operation.takesFolders = true;
    return operation;
}

void pack(const QString& parent, const QStringList& names, const QString& format,
          const QString& output)
{
    const QList<QByteArray> entries = entriesToPack(parent, names);
    if (format == QLatin1String("zip"))
        packZip(parent, entries, output);
    else
        packTar(parent, entries, format != QLatin1String("tar"), output);
}

QString compress(const QStringList& files, const QString& format)
{
    const QString first = files.first();
    const QString parent = parentOf(first);
    const QString name = files.size() == 1
                             ? lastComponent(first)
                             : tr("Archive", "the name of a new archive of several files");
    const QString wanted =
        Output::directory(first) + QLatin1Char('/') + name + QLatin1Char('.') + format;

    const bool oneFolder = std::all_of(files.cbegin(), files.cend(), [&](const QString& file) {
        return parentOf(file) == parent;
    });
    QStringList names;
    for (const QString& file : files)
        names.append(lastComponent(file));
    if (oneFolder)
        return ResultGuard::make(wanted,
                                 [&](const QString& out) { pack(parent, names, format, out); });
    const ScratchDirectory scratch;
    for (const QString& file : files)
        FileOps::copy(file, scratch.filePath(lastComponent(file)));
    return ResultGuard::make(wanted,
                             [&](const QString& out) { pack(scratch.path(), names, format, out); });
}

QString convert(const QString& file, const QString& format)
{
    const ScratchDirectory scratch;
    unpack(file, scratch.path());
    const QStringList names = unpackedNames(scratch.path(), false);
    if (names.isEmpty())
        throw Fail(tr("%1 is empty.").arg(lastComponent(file)));
    return ResultGuard::make(Output::candidate(file, QString(), format),
                             [&](const QString& out) { pack(scratch.path(), names, format, out); });
}

QString extract(const QString& file)
{
    return isLoneCompressedFile(file) ? decompress(file) : unpackArchive(file);
}

ConverterFamily family()
{
    ConverterFamily family;
    family.kind = FileKind::archive;
    family.targets = [](const QString&) { return formats(); };
    family.convert = [](const QString& file, const QString& target) {
        return QStringList{convert(file, target)};
    };
    family.tools = [] { return tools() << compressToZip(); };
    return family;
}

} // namespace ArchiveConverter
