#include "core/Catalog.h"

#include "converters/ArchiveConverter.h"
#include "converters/DocumentConverter.h"
#include "converters/ImageConverter.h"
#include "converters/MediaConverter.h"
#include "converters/PDFConverter.h"
#include "converters/SlidesConverter.h"
#include "converters/SpreadsheetConverter.h"
#include "converters/SubtitleConverter.h"
#include "core/Deps.h"
#include "core/FormatSymbol.h"

#include <QSet>

namespace Catalog {

namespace {

std::optional<QString> ffmpegReason()
{
    if (Deps::ffmpeg())
        return std::nullopt;
    return Deps::ffmpegMissingReason();
}

std::optional<QString> slidesReason()
{
    if (Deps::hasApp(QStringLiteral("Keynote")) || Deps::libreOffice())
        return std::nullopt;
    return Deps::libreOfficeNeeded();
}

UnavailableReason fixedReason(const std::optional<QString>& reason)
{
    return [reason](const QString&) { return reason; };
}

std::optional<QString> noReason(const QString&)
{
    return std::nullopt;
}

template<typename Convert> ConvertOne oneResult(Convert convert)
{
    return [convert](const QString& file, const QString& target) {
        return QStringList{convert(file, target)};
    };
}

QList<Operation> imageConversions(const QStringList& files)
{
    QStringList targets = ImageConverter::targets();
    const bool allGif = commonExt(files) == QStringLiteral("gif");
    if (allGif)
        targets += MediaConverter::gifVideoTargets();
    const std::optional<QString> ffmpegMissing = allGif ? ffmpegReason() : std::nullopt;
    const auto isVideo = [](const QString& target) {
        return MediaConverter::gifVideoTargets().contains(target);
    };
    return formats(
        targets, files,
        [&](const QString& target) {
            return isVideo(target) ? ffmpegMissing : ImageConverter::unavailableReason(target);
        },
        [isVideo](const QString& file, const QString& target) {
            return QStringList{isVideo(target) ? MediaConverter::convert(file, target)
                                               : ImageConverter::convert(file, target)};
        });
}

QList<Operation> withReason(QList<Operation> operations, const std::optional<QString>& reason)
{
    for (Operation& operation : operations)
        operation.unavailableReason = reason;
    return operations;
}

} // namespace

std::optional<FileKind::Kind> commonKind(const QStringList& files)
{
    QSet<FileKind::Kind> kinds;
    for (const QString& file : files)
        kinds.insert(FileKind::of(file));
    if (kinds.size() != 1)
        return std::nullopt;
    return *kinds.constBegin();
}

std::optional<QString> commonExt(const QStringList& files)
{
    QSet<QString> keys;
    for (const QString& file : files)
        keys.insert(FileKind::ext(file));
    if (keys.size() != 1)
        return std::nullopt;
    return *keys.constBegin();
}

QString title(const QString& target)
{
    if (target == QLatin1String("tar.gz"))
        return QStringLiteral("GZIP");
    return target.toUpper();
}

QList<Operation> formats(const QStringList& targets, const QStringList& files,
                         const UnavailableReason& unavailable, const ConvertOne& convert)
{
    QStringList remaining = targets;
    if (const auto common = commonExt(files))
        remaining.removeAll(*common);

    QList<Operation> operations;
    for (const QString& target : remaining) {
        Operation operation(title(target), [convert, target](const QStringList& inputs) {
            QStringList results;
            for (const QString& file : inputs)
                results += convert(file, target);
            return results;
        });
        operation.symbol = FormatSymbol::named(target);
        operation.isConversion = true;
        operation.unavailableReason = unavailable ? unavailable(target) : std::nullopt;
        operations.append(operation);
    }
    return operations;
}

QList<Operation> conversions(const QStringList& files)
{
    const auto kind = commonKind(files);
    if (!kind)
        return ArchiveConverter::compressOperations();
    const QString key = commonExt(files).value_or(QString());

    switch (*kind) {
    case FileKind::image:
        return imageConversions(files);
    case FileKind::video:
        return formats(MediaConverter::videoTargets(), files, fixedReason(ffmpegReason()),
                       oneResult(MediaConverter::convert));
    case FileKind::audio:
        return formats(MediaConverter::audioTargets(), files, fixedReason(ffmpegReason()),
                       oneResult(MediaConverter::convert));
    case FileKind::pdf:
        return formats(PDFConverter::targets(), files, noReason, PDFConverter::convert);
    case FileKind::document:
        return formats(DocumentConverter::targets(key.isEmpty() ? QStringLiteral("docx") : key),
                       files, noReason, oneResult(DocumentConverter::convert));
    case FileKind::slides:
        return formats(SlidesConverter::targets(key), files, fixedReason(slidesReason()),
                       SlidesConverter::convert);
    case FileKind::spreadsheet:
        return formats(
            SpreadsheetConverter::targets(key), files,
            [key](const QString& target) {
                return SpreadsheetConverter::unavailableReason(key, target);
            },
            oneResult(SpreadsheetConverter::convert));
    case FileKind::subtitle:
        return formats({QStringLiteral("srt"), QStringLiteral("vtt")}, files, noReason,
                       oneResult(SubtitleConverter::convert));
    case FileKind::archive:
        return formats(ArchiveConverter::formats(), files, noReason,
                       oneResult(ArchiveConverter::convert));
    case FileKind::folder:
    case FileKind::other:
        break;
    }
    return ArchiveConverter::compressOperations();
}

QList<Operation> tools(const QStringList& files)
{
    const auto kind = commonKind(files);
    const Operation zip = ArchiveConverter::compressToZip();
    if (!kind)
        return {zip};
    switch (*kind) {
    case FileKind::image:
        return ImageConverter::tools();
    case FileKind::video:
        return withReason(MediaConverter::videoTools(), ffmpegReason());
    case FileKind::audio:
        return withReason(MediaConverter::audioTools(), ffmpegReason());
    case FileKind::pdf:
        return PDFConverter::tools();
    case FileKind::subtitle:
        return SubtitleConverter::tools() << zip;
    case FileKind::archive:
        return ArchiveConverter::tools() << zip;
    default:
        return {zip};
    }
}

QList<Operation> slices(WheelMode::Mode mode, const QStringList& files)
{
    if (files.isEmpty())
        return {};
    switch (mode) {
    case WheelMode::convert:
        return conversions(files);
    case WheelMode::tools:
        return tools(files);
    case WheelMode::actions:
        break;
    }
    return {};
}

} // namespace Catalog
