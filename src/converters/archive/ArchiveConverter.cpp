#include "converters/archive/ArchiveConverter.h"

#include "core/Conversions.h"
#include "core/Deps.h"
#include "core/Errors.h"
#include "core/FileKind.h"
#include "core/FileOps.h"
#include "core/FormatSymbol.h"
#include "core/Output.h"
#include "core/ResultGuard.h"
#include "core/ScratchDirectory.h"
#include "core/Shell.h"

#include <QDir>
#include <QFileInfo>

namespace ArchiveConverter {

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

// Unpacks into `folder`. bsdtar's defaults are what keep this safe: entries
// with "..", absolute names (made relative) and writes through symbolic
// links are refused. Never add -P, which turns all of that off.
void unpack(const QString& archive, const QString& folder)
{
    try {
        Shell::run(program(QStringLiteral("bsdtar")),
                   {QStringLiteral("-xf"), archive, QStringLiteral("-C"), folder,
                    QStringLiteral("--no-same-owner")});
    } catch (const Fail& failure) {
        // bsdtar asks for a passphrase on the terminal it doesn't have.
        if (failure.message().contains(QLatin1String("assphrase")))
            throw Fail(QStringLiteral("%1 is password protected.").arg(lastComponent(archive)));
        throw;
    }
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

QStringList zipArguments(const QString& output, const QStringList& names)
{
    QStringList arguments = {QStringLiteral("-r"), QStringLiteral("-X"), QStringLiteral("-q"),
                             QStringLiteral("-y"), output};
    // zip drops a leading "./", which keeps names that start with "-" from
    // reading as options.
    for (const QString& name : names)
        arguments.append(QStringLiteral("./") + name);
    arguments << QStringLiteral("-x") << QStringLiteral("*.DS_Store")
              << QStringLiteral("__MACOSX/*");
    return arguments;
}

QStringList tarArguments(const QString& mode, const QString& parent, const QString& output,
                         const QStringList& names)
{
    return QStringList{mode,
                       output,
                       QStringLiteral("--exclude"),
                       finderMetadata,
                       QStringLiteral("-C"),
                       parent,
                       QStringLiteral("--")} +
           names;
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
        throw Fail(QStringLiteral("This computer can’t open .%1 files.").arg(key));
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
        throw Fail(lastComponent(file) + QStringLiteral(" is empty."));
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
            Conversions::title(format), FormatSymbol::named(format),
            [format](const QStringList& files) { return compress(files, format); });
        operation.isConversion = true;
        operations.append(operation);
    }
    return operations;
}

QList<Operation> tools()
{
    return {Operation::perFile(QStringLiteral("Extract"), QStringLiteral("archivebox"), extract)};
}

Operation compressToZip()
{
    return Operation::allFiles(
        QStringLiteral("Compress to ZIP"), QStringLiteral("doc.zipper"),
        [](const QStringList& files) { return compress(files, QStringLiteral("zip")); });
}

void pack(const QString& parent, const QStringList& names, const QString& format,
          const QString& output)
{
    if (format == QLatin1String("zip"))
        Shell::run(program(QStringLiteral("zip")), zipArguments(output, names), parent);
    else
        Shell::run(program(QStringLiteral("bsdtar")),
                   tarArguments(format == QLatin1String("tar") ? QStringLiteral("-cf")
                                                               : QStringLiteral("-czf"),
                                parent, output, names));
}

QString compress(const QStringList& files, const QString& format)
{
    const QString first = files.first();
    const QString parent = parentOf(first);
    const QString name = files.size() == 1 ? lastComponent(first) : QStringLiteral("Archive");
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
        throw Fail(lastComponent(file) + QStringLiteral(" is empty."));
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
