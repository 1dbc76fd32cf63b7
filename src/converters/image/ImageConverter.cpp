#include "converters/image/ImageConverter.h"

#include "base/Errors.h"
#include "base/FileKind.h"
#include "base/Translate.h"
#include "converters/media/MediaCompression.h"
#include "converters/media/MediaConverter.h"
#include "converters/media/SizeLimit.h"
#include "converters/ocr/OcrConverter.h"
#include "core/Ask.h"
#include "core/Deps.h"
#include "core/Engines.h"
#include "core/Output.h"
#include "core/ResultGuard.h"
#include "core/ScratchDirectory.h"
#include "core/Settings.h"
#include "core/Shell.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <limits>

namespace ImageConverter {
FLINGDIAL_TR_CONTEXT(ImageConverter)

namespace {

constexpr int compressQuality = 60;

using Request = ImageEngine::Request;

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

bool isAnimatable(const QString& key)
{
    return key == QLatin1String("gif") || key == QLatin1String("webp");
}

// A small file may declare billions of pixels, in one picture or across the
// frames of an animation, and ImageMagick's own limits differ from system
// to system: the engine reads the header first and refuses such a file
// with a sentence naming it.
void refuseOversized(const QString& input, bool allFrames)
{
    ImageEngine& engine = Engines::images();
    const auto size = engine.pixelSize(input);
    if (!size || !allFrames)
        return;
    const int frames = engine.frameCount(input);
    if (double(size->width()) * size->height() * frames > ImageEngine::pixelLimit)
        throw Fail(tr("%1 has more pixels than can be opened (%2 frames of %3 × %4).")
                       .arg(fileName(input))
                       .arg(frames)
                       .arg(size->width())
                       .arg(size->height()));
}

// Runs ImageMagick: the input (first frame or page only, unless it may stay
// animated), the orientation applied, then the given options and the output.
void magick(const QString& program, const QString& input, const QStringList& options,
            const QString& output, bool firstFrameOnly = true)
{
    refuseOversized(input, !firstFrameOnly);
    // ImageMagick reads %d, [n], a "format:" prefix and wildcards in names:
    // it gets a link with a name of ours, the format kept by its extension.
    const ScratchDirectory links;
    const QString link =
        links.filePath(QStringLiteral("input.") + QFileInfo(input).suffix().toLower());
    if (!QFile::link(input, link))
        throw Fail::cantRead(input);
    try {
        Shell::run(program, QStringList{firstFrameOnly ? link + QStringLiteral("[0]") : link,
                                        QStringLiteral("-auto-orient")} +
                                options + QStringList{output});
    } catch (const Fail& failure) {
        // One sentence naming the file, then ImageMagick's own words about
        // the file the user knows.
        QString words = failure.message().section(QLatin1Char('\n'), 1);
        words.replace(link, input);
        throw Fail(tr("ImageMagick couldn’t convert %1.").arg(fileName(input)) +
                   (words.isEmpty() ? QString() : QLatin1Char('\n') + words));
    }
}

void engine(const QString& input, const QString& output, const Request& request)
{
    Engines::images().process(input, output, request);
}

QSize requirePixelSize(const QString& file)
{
    const auto size = pixelSize(file);
    if (!size)
        throw Fail::cantRead(file);
    return *size;
}

// The bits per sample a PNG file declares (1 to 16), read from its header.
std::optional<int> pngDepth(const QString& file)
{
    QFile png(file);
    if (!png.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray header = png.read(25);
    if (header.size() < 25 || !header.startsWith("\x89PNG\r\n\x1a\n") ||
        header.mid(12, 4) != "IHDR")
        return std::nullopt;
    return int(static_cast<unsigned char>(header.at(24)));
}

// ImageMagick's options that keep a PNG's depth, so that no version or
// build of it writes an 8-bit picture it has scaled with 16 bits per sample.
QStringList depthKept(const QString& file)
{
    const auto depth = pngDepth(file);
    if (!depth)
        return {};
    return {QStringLiteral("-depth"), QString::number(*depth > 8 ? 16 : 8)};
}

// What a tool takes of memory for a picture: ImageMagick holds it at 16
// bits a channel, and the result beside it.
qint64 toolMemoryNeed(const QString& file)
{
    const auto size = Engines::images().pixelSize(file);
    constexpr qint64 base = 64 << 20;
    return size ? base + qint64(size->width()) * size->height() * 16 : base;
}

// One tool step with ImageMagick when it is there, else the engine.
QString eitherEngine(const QString& file, const QString& suffix, const QStringList& magickOptions,
                     const Request& request)
{
    const QString key = FileKind::ext(file);
    return ResultGuard::make(Output::candidate(file, suffix, key), [&](const QString& out) {
        if (const auto program = imageMagick())
            magick(*program, file, magickOptions + depthKept(file), out);
        else
            engine(file, out,
                   Request{request.format.isEmpty() ? key : request.format, request.quality,
                           request.fitInto, request.rotateClockwise, request.flipHorizontally,
                           request.centreCrop});
    });
}

QStringList resizeAll(const QStringList& files)
{
    const QString answer =
        Ask::text(tr("Resize Images"),
                  tr("Longest side in pixels, or a percentage (for example 1600 or 50%):"),
                  QStringLiteral("1600"));
    if (const auto percent = parsePercent(answer))
        return Operation::sideBySide(
            files, [&](const QString& file) { return resizeByPercent(file, *percent); },
            toolMemoryNeed);
    const auto size = parseSize(answer);
    if (!size)
        throw Fail(tr("“%1” isn’t a valid size.").arg(answer));
    return Operation::sideBySide(
        files, [&](const QString& file) { return resizeToLongestSide(file, *size); },
        toolMemoryNeed);
}

QStringList compressAllToSize(const QStringList& files)
{
    const qint64 bytes = SizeLimit::ask();
    return Operation::sideBySide(
        files, [&](const QString& file) { return compressToSize(file, bytes); },
        [](const QString& file) {
            return Engines::images().memoryNeed(file, QStringLiteral("jpg"));
        });
}

void convertTo(const QString& file, const QString& target, const QString& out)
{
    const int quality = Settings::shared().jpegQuality();
    ImageEngine& images = Engines::images();
    const auto program = imageMagick();
    // The engine converts whatever it reads: it keeps the metadata each
    // format can carry and every frame of an animation. ImageMagick takes
    // what the engine can't read.
    if (!program || images.pixelSize(file) || target == QLatin1String("heic") ||
        target == QLatin1String("pdf") || target == QLatin1String("jxl")) {
        images.process(file, out, Request{target, quality, {}, false, false, {}});
        return;
    }
    QStringList options;
    if (target == QLatin1String("jpg") || target == QLatin1String("bmp"))
        options << QStringLiteral("-background") << QStringLiteral("white")
                << QStringLiteral("-alpha") << QStringLiteral("remove") << QStringLiteral("-alpha")
                << QStringLiteral("off");
    static const QStringList withQuality = {QStringLiteral("jpg"), QStringLiteral("webp"),
                                            QStringLiteral("avif")};
    if (withQuality.contains(target))
        options << QStringLiteral("-quality") << QString::number(quality);
    const bool animated = isAnimatable(target) && isAnimatable(FileKind::ext(file));
    magick(*program, file, options, out, !animated);
}

} // namespace

const QStringList& targets()
{
    static const QStringList list = {QStringLiteral("jpg"),  QStringLiteral("png"),
                                     QStringLiteral("webp"), QStringLiteral("heic"),
                                     QStringLiteral("tiff"), QStringLiteral("avif"),
                                     QStringLiteral("jxl"),  QStringLiteral("bmp"),
                                     QStringLiteral("gif"),  QStringLiteral("pdf")};
    return list;
}

QList<Operation> tools()
{
    const auto each = [](const QString& title, const QString& symbol,
                         std::function<QString(const QString&)> step) {
        return Operation::perFile(title, symbol, std::move(step), toolMemoryNeed);
    };
    return {
        each(tr("Compress"), QStringLiteral("arrow.down.right.and.arrow.up.left"), compress)
            .withSummary(Operation::sizeChange),
        Operation(tr("Compress to Size…"), compressAllToSize)
            .withSymbol(QStringLiteral("gauge.with.dots.needle.33percent"))
            .withSummary(Operation::sizeChange),
        each(tr("Half Size"), QStringLiteral("square.resize.down"),
             [](const QString& file) { return resizeByPercent(file, 50); }),
        Operation(tr("Resize…"), resizeAll).withSymbol(QStringLiteral("ruler")),
        each(tr("Rotate"), QStringLiteral("rotate.right"), rotate),
        each(tr("Flip"),
             QStringLiteral("arrow.left.and.right.righttriangle.left.righttriangle.right"), flip),
        each(tr("Square"), QStringLiteral("crop"), cropSquare),
        each(tr("Strip Metadata"), QStringLiteral("eye.slash"), stripMetadata),
        each(tr("Remove Location"), QStringLiteral("location.slash"), removeLocation),
        each(tr("Remove Background"), QStringLiteral("person.crop.rectangle"), removeBackground),
        Operation::allFiles(tr("Merge into PDF"), QStringLiteral("doc.on.doc"), mergeToPdf),
        OcrConverter::searchablePdf(),
        OcrConverter::extractText(),
    };
}

std::optional<Component> unavailableReason(const QString& target)
{
    // The built-in engine writes every target itself, JPEG XL with a module
    // of libvips that may be missing.
    if (target == QLatin1String("jxl"))
        return Deps::jpegXlReason();
    return std::nullopt;
}

std::optional<QString> imageMagick()
{
    return Deps::imageMagick();
}

QString convert(const QString& file, const QString& target)
{
    return ResultGuard::make(Output::candidate(file, QString(), target),
                             [&](const QString& out) { convertTo(file, target, out); });
}

std::optional<QSize> pixelSize(const QString& file)
{
    return Engines::images().pixelSize(file);
}

QString compress(const QString& file)
{
    const QString key = FileKind::ext(file);
    const auto program = imageMagick();
    const qint64 before = QFileInfo(file).size();
    const auto result = [&](const QString& extension, const auto& write) {
        return ResultGuard::make(
            Output::candidate(file, QStringLiteral(" compressed"), extension),
            [&](const QString& out) {
                write(out);
                if (QFileInfo(out).size() >= before)
                    throw Fail(tr("%1 is already as small as it gets.").arg(fileName(file)));
            });
    };
    if (key == QLatin1String("png") && program)
        return result(key, [&](const QString& out) {
            magick(*program, file,
                   {QStringLiteral("-strip"), QStringLiteral("-colors"), QStringLiteral("256"),
                    QStringLiteral("-define"), QStringLiteral("png:compression-level=9")},
                   out);
        });
    if (key == QLatin1String("png") || key == QLatin1String("jpg"))
        return result(QStringLiteral("jpg"), [&](const QString& out) {
            engine(file, out,
                   Request{QStringLiteral("jpg"), compressQuality, {}, false, false, {}});
        });
    if (key == QLatin1String("heic"))
        return result(key, [&](const QString& out) {
            engine(file, out, Request{key, compressQuality, {}, false, false, {}});
        });
    if (!program)
        throw Fail(Deps::imageMagickRequired().text());
    return result(key, [&](const QString& out) {
        magick(*program, file,
               {QStringLiteral("-strip"), QStringLiteral("-quality"),
                QString::number(compressQuality)},
               out);
    });
}

QString compressToSize(const QString& file, qint64 bytes)
{
    SizeLimit::refuseWhenItFits(file, bytes);
    const QString wanted =
        Output::candidate(file, QLatin1Char(' ') + SizeLimit::spoken(bytes), QStringLiteral("jpg"));
    return ResultGuard::make(
        wanted, [&](const QString& out) { Engines::images().writeJpegWithin(file, out, bytes); });
}

QString resizeToLongestSide(const QString& file, int longestSide,
                            const std::optional<QString>& suffix)
{
    const QString n = QString::number(longestSide);
    const QSize size = requirePixelSize(file);
    const double scale = double(longestSide) / std::max(size.width(), size.height());
    const QSize resized(std::max(1, qRound(size.width() * scale)),
                        std::max(1, qRound(size.height() * scale)));
    if (double(resized.width()) * resized.height() > ImageEngine::pixelLimit)
        throw Fail(tr("At %1 pixels, %2 would have more pixels than can be saved (%3 × %4).")
                       .arg(n, fileName(file))
                       .arg(resized.width())
                       .arg(resized.height()));
    Request request;
    request.fitInto = longestSide;
    return eitherEngine(file, suffix.value_or(QStringLiteral(" ") + n + QStringLiteral("px")),
                        {QStringLiteral("-resize"), n + QLatin1Char('x') + n}, request);
}

QString resizeByPercent(const QString& file, int percent)
{
    const QSize size = requirePixelSize(file);
    const qint64 scaled = qint64(std::max(size.width(), size.height())) * percent;
    // Too large a result is refused by its pixel count, not cut to an int.
    const int longest = int(std::clamp<qint64>(scaled / 100, 1, std::numeric_limits<int>::max()));
    return resizeToLongestSide(file, longest, QStringLiteral(" %1%").arg(percent));
}

std::optional<int> parsePercent(const QString& answer)
{
    static const QRegularExpression percent(QStringLiteral("^\\+?([0-9]{1,4}) ?%$"));
    const auto match = percent.match(answer);
    if (!match.hasMatch())
        return std::nullopt;
    const int value = match.captured(1).toInt();
    if (value < 1 || value > maxResizePercent)
        return std::nullopt;
    return value;
}

std::optional<int> parseSize(const QString& answer)
{
    static const QRegularExpression whole(QStringLiteral("^[+-]?[0-9]+$"));
    if (!whole.match(answer).hasMatch())
        return std::nullopt;
    bool ok = false;
    const int value = answer.toInt(&ok);
    if (!ok || value <= 0)
        return std::nullopt;
    return value;
}

QString rotate(const QString& file)
{
    Request request;
    request.rotateClockwise = true;
    return eitherEngine(file, QStringLiteral(" rotated"),
                        {QStringLiteral("-rotate"), QStringLiteral("90")}, request);
}

QString flip(const QString& file)
{
    Request request;
    request.flipHorizontally = true;
    return eitherEngine(file, QStringLiteral(" flipped"), {QStringLiteral("-flop")}, request);
}

QString cropSquare(const QString& file)
{
    const QSize size = requirePixelSize(file);
    const int side = std::min(size.width(), size.height());
    const QString s = QString::number(side);
    Request request;
    request.centreCrop = QSize(side, side);
    return eitherEngine(file, QStringLiteral(" square"),
                        {QStringLiteral("-gravity"), QStringLiteral("center"),
                         QStringLiteral("-crop"), s + QLatin1Char('x') + s + QStringLiteral("+0+0"),
                         QStringLiteral("+repage")},
                        request);
}

QString stripMetadata(const QString& file)
{
    return ResultGuard::make(
        Output::candidate(file, QStringLiteral(" clean"), FileKind::ext(file)),
        [&](const QString& out) { Engines::images().stripMetadata(file, out); });
}

QString removeLocation(const QString& file)
{
    return ResultGuard::make(
        Output::candidate(file, QStringLiteral(" no location"), FileKind::ext(file)),
        [&](const QString& out) { Engines::images().removeLocation(file, out); });
}

QString removeBackground(const QString& file)
{
    return ResultGuard::make(
        Output::candidate(file, QStringLiteral(" cutout"), QStringLiteral("png")),
        [&](const QString& out) {
            if (!Engines::backgroundRemover().removeBackground(file, out))
                throw Fail(tr("No subject found in %1.").arg(fileName(file)));
        });
}

QString mergeToPdf(const QStringList& files)
{
    const QString first = files.first();
    const QString wanted = Output::candidate(
        first, files.size() > 1 ? QStringLiteral(" merged") : QString(), QStringLiteral("pdf"));
    return ResultGuard::make(wanted, [&](const QString& out) {
        if (Engines::images().writePdf(files, out) == 0)
            throw Fail(tr("None of these images can be read."));
    });
}

namespace {

bool isVideoTarget(const QString& target)
{
    return MediaConverter::gifVideoTargets().contains(target);
}

} // namespace

ConverterFamily family()
{
    ConverterFamily family;
    family.kind = FileKind::image;
    family.targets = [](const QString& from) {
        QStringList list = targets();
        if (from == QLatin1String("gif"))
            list += MediaConverter::gifVideoTargets();
        return list;
    };
    family.missing = [](const QString&, const QString& target) {
        return isVideoTarget(target) ? Deps::ffmpegReason() : unavailableReason(target);
    };
    family.convert = [](const QString& file, const QString& target) {
        return QStringList{isVideoTarget(target) ? MediaConverter::convert(file, target)
                                                 : convert(file, target)};
    };
    // A drop of many pictures runs side by side, within the memory they need.
    family.convertAll = [](const QStringList& files, const QString& target) {
        if (isVideoTarget(target))
            return Operation::sideBySide(
                files, [&](const QString& file) { return MediaConverter::convert(file, target); },
                MediaCompression::memoryNeed);
        return Operation::sideBySide(
            files, [&](const QString& file) { return convert(file, target); },
            [&](const QString& file) { return Engines::images().memoryNeed(file, target); });
    };
    family.tools = tools;
    return family;
}

} // namespace ImageConverter
