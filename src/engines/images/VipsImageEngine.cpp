#include "engines/images/VipsImageEngine.h"

#include "base/Errors.h"
#include "base/FileKind.h"
#include "engines/images/ImagePdf.h"
#include "engines/images/WebpWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gmodule.h>
#include <mutex>
#include <vips/vips8>

using vips::VError;
using vips::VImage;

namespace {

constexpr int pdfJpegQuality = 90;
constexpr int stripQuality = 92;
constexpr int webpDefaultQuality = 75;

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

int orientation(const VImage& image)
{
    return image.get_typeof(VIPS_META_ORIENTATION) ? image.get_int(VIPS_META_ORIENTATION) : 1;
}

// libvips loads its optional format modules (HEIF, ImageMagick, OpenSlide,
// PDF, JPEG XL) at start-up, and a hundred libraries with them. The engine
// starts without them and loads them the first time a file needs one.
void startWithoutOptionalFormats()
{
    // libvips looks for its modules under $VIPSHOME/lib when that is set.
    const bool hadHome = qEnvironmentVariableIsSet("VIPSHOME");
    const QByteArray home = qgetenv("VIPSHOME");
    qputenv("VIPSHOME", "/nonexistent");
    const int status = VIPS_INIT("flingdial");
    if (hadHome)
        qputenv("VIPSHOME", home);
    else
        qunsetenv("VIPSHOME");
    if (status != 0)
        qFatal("libvips can't start: %s", vips_error_buffer());
}

void loadOptionalFormats()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const QDir modules(QStringLiteral(FLINGDIAL_VIPS_LIBDIR "/vips-modules-%1.%2")
                               .arg(VIPS_MAJOR_VERSION)
                               .arg(VIPS_MINOR_VERSION));
        const QStringList names =
            modules.entryList({QStringLiteral("vips-*.so")}, QDir::Files, QDir::Name);
        for (const QString& name : names)
            // Modules register their formats when opened and stay resident.
            g_module_open(QFile::encodeName(modules.filePath(name)).constData(),
                          G_MODULE_BIND_LAZY);
    });
}

bool needsOptionalFormats(const QString& format)
{
    return format == QLatin1String("heic") || format == QLatin1String("avif") ||
           format == QLatin1String("bmp");
}

// Runs a read; when no built-in format understands the file, loads the
// optional formats and tries again.
template<typename Read> VImage withEveryFormat(const Read& read)
{
    try {
        return read();
    } catch (const VError&) {
        loadOptionalFormats();
        return read();
    }
}

VImage openFile(const QString& path, VipsAccess access)
{
    VImage image = withEveryFormat([&] {
        // A truncated or damaged file fails instead of showing black where
        // its data ends.
        return VImage::new_from_file(
            native(path).constData(),
            VImage::option()->set("access", access)->set("fail_on", VIPS_FAIL_ON_TRUNCATED));
    });
    if (double(image.width()) * image.height() > ImageEngine::pixelLimit)
        throw Fail(QStringLiteral("%1 has more pixels than can be opened (%2 × %3).")
                       .arg(fileName(path))
                       .arg(image.width())
                       .arg(image.height()));
    return image;
}

// Upright and shrunk to fit a square, decoded at a reduced size where the
// format allows.
VImage fitted(const QString& path, int side, VipsSize size)
{
    openFile(path, VIPS_ACCESS_SEQUENTIAL); // the size and damage checks
    return withEveryFormat([&] {
        return VImage::thumbnail(native(path).constData(), side,
                                 VImage::option()->set("height", side)->set("size", size));
    });
}

// Pixels are read while they are written: a failure at that point is the
// input's when a loader reports it.
Fail failureOf(const VError& error, const QString& input, const QString& output)
{
    const QString words = QString::fromUtf8(error.what());
    if (words.contains(QLatin1String("load")) || words.contains(QLatin1String("read")) ||
        words.contains(QLatin1String("truncated")) || words.contains(QLatin1String("premature")))
        return Fail(QStringLiteral("%1 is damaged or incomplete.").arg(fileName(input)));
    return Fail::cantSave(output);
}

// Opens the first page or frame. Plain conversions of upright pictures
// stream from top to bottom; everything else needs to move around.
VImage open(const QString& path, bool streaming)
{
    try {
        VImage image = openFile(path, VIPS_ACCESS_RANDOM);
        if (streaming && orientation(image) == 1)
            image = openFile(path, VIPS_ACCESS_SEQUENTIAL);
        return image;
    } catch (const VError&) {
        throw Fail::cantRead(path);
    }
}

// Fitted into a square of `side` (larger or smaller), in the input's own
// depth: thumbnail() would turn 16 bits per sample into 8.
VImage keepsItsDepth(const QString& path, int side)
{
    const VipsBandFormat depth = openFile(path, VIPS_ACCESS_SEQUENTIAL).format();
    if (depth != VIPS_FORMAT_USHORT)
        return fitted(path, side, VIPS_SIZE_BOTH);
    const VImage upright = open(path, false).autorot();
    const VImage scaled =
        upright.resize(double(side) / std::max(upright.width(), upright.height()));
    return scaled.format() == depth ? scaled : scaled.cast(depth);
}

bool hasAlpha(const VImage& image)
{
    return image.has_alpha();
}

VImage eightBitSRGB(VImage image)
{
    const VipsInterpretation interpretation = image.interpretation();
    if (interpretation == VIPS_INTERPRETATION_B_W || interpretation == VIPS_INTERPRETATION_GREY16)
        image = image.colourspace(VIPS_INTERPRETATION_B_W);
    else
        image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    if (image.format() != VIPS_FORMAT_UCHAR)
        image = image.cast(VIPS_FORMAT_UCHAR);
    return image;
}

// Three or four bands: what the RGB(A) writers take.
VImage rgb(VImage image)
{
    image = eightBitSRGB(image);
    if (image.bands() < 3)
        image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    return image;
}

VImage onWhite(VImage image)
{
    image = eightBitSRGB(image);
    if (!hasAlpha(image))
        return image;
    const std::vector<double> white(static_cast<size_t>(image.bands() - 1), 255.0);
    return image.flatten(VImage::option()->set("background", white)).cast(VIPS_FORMAT_UCHAR);
}

void save(VImage image, const QString& output, const QString& format, std::optional<int> quality,
          bool strip)
{
    if (needsOptionalFormats(format))
        loadOptionalFormats();
    const QByteArray path = native(output);
    const auto options = [&] {
        auto* o = VImage::option()->set("strip", strip);
        if (quality)
            o->set("Q", *quality);
        return o;
    };
    if (format == QLatin1String("jpg"))
        onWhite(image).jpegsave(path.constData(), options());
    else if (format == QLatin1String("png"))
        image.pngsave(path.constData(), VImage::option()->set("strip", strip));
    else if (format == QLatin1String("heic") || format == QLatin1String("avif"))
        eightBitSRGB(image).heifsave(
            path.constData(),
            options()->set("compression", format == QLatin1String("heic")
                                              ? VIPS_FOREIGN_HEIF_COMPRESSION_HEVC
                                              : VIPS_FOREIGN_HEIF_COMPRESSION_AV1));
    else if (format == QLatin1String("webp"))
        WebpWriter::write(rgb(image), output, quality.value_or(webpDefaultQuality), strip);
    else if (format == QLatin1String("tiff"))
        image.tiffsave(path.constData(),
                       VImage::option()
                           ->set("strip", strip)
                           ->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_DEFLATE));
    else if (format == QLatin1String("bmp"))
        onWhite(image).magicksave(path.constData(),
                                  VImage::option()->set("format", "bmp")->set("strip", strip));
    else if (format == QLatin1String("gif"))
        eightBitSRGB(image).gifsave(path.constData(), VImage::option()->set("strip", strip));
    else
        throw Fail(QStringLiteral("This image format can’t be written."));
}

// The picture as a PDF page: JPEG for photos, lossless samples otherwise.
ImagePdf::Page pdfPage(const VImage& upright, bool photographic)
{
    const VImage flat = onWhite(upright);
    ImagePdf::Page page;
    page.width = flat.width();
    page.height = flat.height();
    page.components = flat.bands() == 1 ? 1 : 3;
    const VImage samples =
        page.components == 1 ? flat : flat.extract_band(0, VImage::option()->set("n", 3));
    if (photographic) {
        VipsBlob* blob =
            samples.jpegsave_buffer(VImage::option()->set("Q", pdfJpegQuality)->set("strip", true));
        size_t length = 0;
        const void* bytes = vips_blob_get(blob, &length);
        page.data = QByteArray(static_cast<const char*>(bytes), static_cast<qsizetype>(length));
        vips_area_unref(VIPS_AREA(blob));
        page.jpeg = true;
    } else {
        size_t length = 0;
        void* memory = samples.write_to_memory(&length);
        page.data = QByteArray(static_cast<const char*>(memory), static_cast<qsizetype>(length));
        g_free(memory);
    }
    return page;
}

// Pictures stored in a lossy format: photos, as a rule.
bool isPhotographic(const QString& path)
{
    static const QStringList lossy = {QStringLiteral("jpg"), QStringLiteral("heic"),
                                      QStringLiteral("webp"), QStringLiteral("avif")};
    return lossy.contains(FileKind::ext(path));
}

} // namespace

VipsImageEngine::VipsImageEngine()
{
    startWithoutOptionalFormats();
    // Operations are never repeated, so caching them only holds memory.
    vips_cache_set_max(0);
    // Decoders warn about details they skip (colour profiles they ignore);
    // failures still arrive as errors.
    g_log_set_handler(
        "VIPS", G_LOG_LEVEL_WARNING, [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {},
        nullptr);
}

std::optional<QSize> VipsImageEngine::pixelSize(const QString& path)
{
    try {
        const VImage image = openFile(path, VIPS_ACCESS_RANDOM);
        return QSize(image.width(), image.height());
    } catch (const VError&) {
        return std::nullopt;
    }
}

int VipsImageEngine::frameCount(const QString& path)
{
    try {
        const VImage image = openFile(path, VIPS_ACCESS_RANDOM);
        return image.get_typeof(VIPS_META_N_PAGES) ? std::max(1, image.get_int(VIPS_META_N_PAGES))
                                                   : 1;
    } catch (const VError&) {
        return 1;
    }
}

void VipsImageEngine::process(const QString& input, const QString& output, const Request& request)
{
    const bool moves = request.rotateClockwise || request.flipHorizontally || request.centreCrop;
    try {
        VImage image;
        if (request.fitInto) {
            image = keepsItsDepth(input, *request.fitInto);
        } else {
            image = open(input, !moves).autorot();
        }
        if (request.rotateClockwise)
            image = image.rot(VIPS_ANGLE_D90);
        if (request.flipHorizontally)
            image = image.flip(VIPS_DIRECTION_HORIZONTAL);
        if (request.centreCrop) {
            const int width = std::min(request.centreCrop->width(), image.width());
            const int height = std::min(request.centreCrop->height(), image.height());
            image = image.crop((image.width() - width) / 2, (image.height() - height) / 2, width,
                               height);
        }
        if (request.format == QLatin1String("pdf")) {
            const auto asItIs =
                moves || request.fitInto ? std::nullopt : ImagePdf::jpegAsItIs(input);
            ImagePdf::write({asItIs ? *asItIs : pdfPage(image, isPhotographic(input))}, output);
            return;
        }
        save(image, output, request.format, request.quality, false);
    } catch (const VError& error) {
        QFile::remove(output);
        throw failureOf(error, input, output);
    }
}

void VipsImageEngine::stripMetadata(const QString& input, const QString& output)
{
    if (!pixelSize(input))
        throw Fail::cantRead(input);
    const QString format = FileKind::ext(input);
    VImage upright;
    try {
        upright = open(input, false).autorot();
    } catch (const VError&) {
        throw Fail(QStringLiteral("Can’t decode %1.").arg(fileName(input)));
    }
    try {
        save(upright, output, format,
             isPhotographic(input) ? std::optional(stripQuality) : std::nullopt, true);
    } catch (const VError&) {
        QFile::remove(output);
        throw Fail::cantSave(output);
    }
}

int VipsImageEngine::writePdf(const QStringList& inputs, const QString& output)
{
    QList<ImagePdf::Page> pages;
    for (const QString& input : inputs) {
        try {
            const auto asItIs = ImagePdf::jpegAsItIs(input);
            pages.append(asItIs ? *asItIs
                                : pdfPage(open(input, false).autorot(), isPhotographic(input)));
        } catch (const Error&) {
            // Unreadable files are left out.
        } catch (const VError&) {
        }
    }
    if (!pages.isEmpty())
        ImagePdf::write(pages, output);
    return static_cast<int>(pages.size());
}

std::optional<ImageEngine::Pixels> VipsImageEngine::loadUpright(const QString& path,
                                                                std::optional<int> fitInto)
{
    try {
        VImage image =
            rgb(fitInto ? fitted(path, *fitInto, VIPS_SIZE_DOWN) : open(path, false).autorot());
        if (!image.has_alpha())
            image = image.bandjoin_const({255});
        size_t length = 0;
        void* memory = image.write_to_memory(&length);
        Pixels pixels{QSize(image.width(), image.height()),
                      QByteArray(static_cast<const char*>(memory), qsizetype(length))};
        g_free(memory);
        return pixels;
    } catch (const Error&) {
        return std::nullopt;
    } catch (const VError&) {
        return std::nullopt;
    }
}
