#include "engines/images/VipsImageEngine.h"

#include "base/Errors.h"
#include "base/FileKind.h"
#include "base/Translate.h"
#include "engines/images/ExifTiff.h"
#include "engines/images/ImagePdf.h"
#include "engines/images/JxlContainer.h"
#include "engines/images/LocationRemover.h"
#include "engines/images/VipsMetadata.h"
#include "engines/images/WebpWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMap>
#include <cmath>
#include <gmodule.h>
#include <mutex>
#include <vips/vips8>

using vips::VError;
using vips::VImage;

namespace {

FLINGDIAL_TR_CONTEXT(VipsImageEngine)

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
        // FLINGDIAL_VIPS_MODULES_DIR replaces the folder, as it does where
        // the program looks for them, so that tests can leave one out.
        const QByteArray override = qgetenv("FLINGDIAL_VIPS_MODULES_DIR");
        const QDir modules(!override.isNull()
                               ? QString::fromLocal8Bit(override)
                               : QStringLiteral(FLINGDIAL_VIPS_LIBDIR "/vips-modules-%1.%2")
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
           format == QLatin1String("bmp") || format == QLatin1String("jxl");
}

int freeBlob(void* data, void*)
{
    g_free(data);
    return 0;
}

void setBlob(VImage& image, const char* name, const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return;
    image.set(name, freeBlob, g_memdup2(bytes.constData(), gsize(bytes.size())),
              size_t(bytes.size()));
}

// A profile libjxl describes in its own words ("RGB_D65_SRG_Rel_Lin").
bool isMadeUpLinearProfile(const QByteArray& icc)
{
    static const QByteArray linear("\0L\0i\0n", 6); // in the UTF-16 description
    return icc.size() > 8 && icc.mid(4, 4) == "jxl " && icc.contains(linear);
}

// libvips reads no EXIF or XMP from JPEG XL files: they come from the
// container's boxes. (The codestream's own orientation is the one that
// counts, so the EXIF one is never applied.)
VImage withContainerMetadata(VImage image, const QString& path)
{
    if (FileKind::ext(path) != QLatin1String("jxl"))
        return image;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return image;
    const JxlContainer::Metadata found = JxlContainer::metadata(file);
    image = image.copy();
    // libjxl hands lossy pictures over as 8-bit sRGB but labels them with
    // a linear profile of its own making: they are sRGB, unlabelled.
    if (image.format() == VIPS_FORMAT_UCHAR &&
        isMadeUpLinearProfile(VipsMetadata::blob(image, VIPS_META_ICC_NAME)))
        image.remove(VIPS_META_ICC_NAME);
    if (!found.exif.isEmpty())
        setBlob(image, VIPS_META_EXIF_NAME, QByteArrayLiteral("Exif\0\0") + found.exif);
    setBlob(image, VIPS_META_XMP_NAME, found.xmp);
    return image;
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
        throw Fail(QCoreApplication::translate("VipsImageEngine",
                                               "%1 has more pixels than can be opened (%2 × %3).")
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
        return Fail(QCoreApplication::translate("VipsImageEngine", "%1 is damaged or incomplete.")
                        .arg(fileName(input)));
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
        return withContainerMetadata(image, path);
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

void writeFile(const QString& output, const QByteArray& bytes)
{
    QFile file(output);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        file.remove();
        throw Fail::cantSave(output);
    }
}

// libvips writes no EXIF into TIFF files: it is added afterwards.
void saveTiff(const VImage& image, const QString& output, bool strip)
{
    image.tiffsave(native(output).constData(),
                   VImage::option()
                       ->set("strip", strip)
                       ->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_DEFLATE));
    if (!strip && image.get_typeof(VIPS_META_EXIF_NAME))
        ExifTiff::addToTiffFile(output, VipsMetadata::uprightExif(image));
}

// JPEG XL at the quality of JPEG; EXIF and XMP in the container's boxes,
// the colour profile in the codestream.
void saveJxl(const VImage& image, const QString& output, std::optional<int> quality, bool strip)
{
    auto* options = VImage::option()->set("strip", strip);
    if (quality)
        options->set("Q", *quality);
    VipsBlob* encoded = eightBitSRGB(image).jxlsave_buffer(options);
    size_t length = 0;
    const void* bytes = vips_blob_get(encoded, &length);
    const QByteArray codestream(static_cast<const char*>(bytes), qsizetype(length));
    vips_area_unref(VIPS_AREA(encoded));
    if (strip)
        writeFile(output, codestream);
    else
        writeFile(output,
                  JxlContainer::withMetadata(codestream, VipsMetadata::uprightExif(image),
                                             VipsMetadata::blob(image, VIPS_META_XMP_NAME)));
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
        saveTiff(image, output, strip);
    else if (format == QLatin1String("jxl"))
        saveJxl(image, output, quality, strip);
    else if (format == QLatin1String("bmp"))
        onWhite(image).magicksave(path.constData(),
                                  VImage::option()->set("format", "bmp")->set("strip", strip));
    else if (format == QLatin1String("gif"))
        eightBitSRGB(image).gifsave(path.constData(), VImage::option()->set("strip", strip));
    else
        throw Fail(
            QCoreApplication::translate("VipsImageEngine", "This image format can’t be written."));
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

bool isAnimatable(const QString& key)
{
    return key == QLatin1String("gif") || key == QLatin1String("webp");
}

// Every frame of an animated GIF or WebP, one above the other, with the
// frames' height and delays in its metadata.
std::optional<VImage> allFrames(const QString& path)
{
    if (!isAnimatable(FileKind::ext(path)))
        return std::nullopt;
    const VImage first = openFile(path, VIPS_ACCESS_RANDOM);
    const int frames = first.get_typeof(VIPS_META_N_PAGES) ? first.get_int(VIPS_META_N_PAGES) : 1;
    if (frames <= 1)
        return std::nullopt;
    if (double(first.width()) * first.height() * frames > ImageEngine::pixelLimit)
        throw Fail(
            QCoreApplication::translate(
                "VipsImageEngine", "%1 has more pixels than can be opened (%2 frames of %3 × %4).")
                .arg(fileName(path))
                .arg(frames)
                .arg(first.width())
                .arg(first.height()));
    return VImage::new_from_file(native(path).constData(),
                                 VImage::option()
                                     ->set("n", -1)
                                     ->set("access", VIPS_ACCESS_SEQUENTIAL)
                                     ->set("fail_on", VIPS_FAIL_ON_TRUNCATED));
}

void saveAnimated(const VImage& frames, const QString& output, const QString& format,
                  std::optional<int> quality)
{
    const QByteArray path = native(output);
    if (format == QLatin1String("webp")) {
        auto* options = VImage::option();
        if (quality)
            options->set("Q", *quality);
        rgb(frames).webpsave(path.constData(), options);
    } else {
        eightBitSRGB(frames).gifsave(path.constData());
    }
}

// Pictures stored in a lossy format: photos, as a rule.
bool isPhotographic(const QString& path)
{
    static const QStringList lossy = {QStringLiteral("jpg"), QStringLiteral("heic"),
                                      QStringLiteral("webp"), QStringLiteral("avif")};
    return lossy.contains(FileKind::ext(path));
}

// The highest JPEG quality whose file fits a size, then smaller pixels
// when even a low quality doesn't fit. Each try encodes in memory; the next
// quality to try is read off the sizes so far (the logarithm of the size
// runs nearly straight with the quality), so a search takes a few tries.
class JpegSearch
{
public:
    static constexpr int lowest = 30;
    static constexpr int highest = 95;
    static constexpr int smallestSide = 320;

    explicit JpegSearch(VImage image) : m_image(std::move(image)) {}

    // The JPEG, or nothing when even the smallest pixels don't fit.
    QByteArray within(qint64 maxBytes)
    {
        while (true) {
            if (QByteArray found = best(maxBytes); !found.isEmpty())
                return found;
            const qint64 atLowest = m_tried.value(lowest);
            const int longest = std::max(m_image.width(), m_image.height());
            if (longest <= smallestSide)
                return {};
            // The size goes with the pixels: shrink to about the share that
            // fits, a little further so that the next round fits.
            const double share = std::sqrt(double(maxBytes) / double(atLowest)) * 0.9;
            const double scale = std::max(share, double(smallestSide) / longest);
            m_image = m_image.resize(scale).copy_memory();
            m_tried.clear();
        }
    }

    // The size at the lowest quality and the smallest pixels.
    static qint64 smallest(const VImage& image)
    {
        const double longest = std::max(image.width(), image.height());
        const VImage small = longest > smallestSide ? image.resize(smallestSide / longest) : image;
        return encode(small, lowest).size();
    }

private:
    static QByteArray encode(const VImage& image, int quality)
    {
        VipsBlob* encoded = image.jpegsave_buffer(
            VImage::option()->set("Q", quality)->set("optimize_coding", true));
        size_t length = 0;
        const void* bytes = vips_blob_get(encoded, &length);
        QByteArray jpeg(static_cast<const char*>(bytes), qsizetype(length));
        vips_area_unref(VIPS_AREA(encoded));
        return jpeg;
    }

    // The quality whose size is about `target`, from the two tried
    // qualities nearest to it, kept strictly between `low` and `high`.
    int guess(double target, int low, int high) const
    {
        auto nearest = m_tried.constBegin();
        auto other = m_tried.constEnd();
        for (auto it = m_tried.constBegin(); it != m_tried.constEnd(); ++it) {
            if (std::abs(std::log(double(it.value()) / target)) <
                std::abs(std::log(double(nearest.value()) / target)))
                nearest = it;
        }
        for (auto it = m_tried.constBegin(); it != m_tried.constEnd(); ++it) {
            if (it != nearest &&
                (other == m_tried.constEnd() ||
                 std::abs(it.key() - nearest.key()) < std::abs(other.key() - nearest.key())))
                other = it;
        }
        // About twice the bytes for ten more quality, until two sizes tell.
        double slope = std::log(2.0) / 10;
        if (other != m_tried.constEnd() && other.value() != nearest.value())
            slope = std::log(double(other.value()) / double(nearest.value())) /
                    (other.key() - nearest.key());
        const double estimate =
            nearest.key() + std::log(target / double(nearest.value())) / std::max(slope, 1e-3);
        return std::clamp(int(std::lround(estimate)), low + 1, high - 1);
    }

    // The best quality that fits, or nothing when the lowest doesn't.
    QByteArray best(qint64 maxBytes)
    {
        int low = lowest - 1;   // the highest quality known to fit
        int high = highest + 1; // the lowest known not to
        QByteArray fitting;
        int quality = 75;
        while (high - low > 1) {
            QByteArray tried = encode(m_image, quality);
            m_tried.insert(quality, tried.size());
            if (tried.size() <= maxBytes) {
                low = quality;
                fitting = std::move(tried);
            } else {
                high = quality;
            }
            if (high - low <= 1)
                break;
            // Aim a little under the size, so that the try likely fits.
            quality = guess(double(maxBytes) * 0.99, low, high);
        }
        if (fitting.isEmpty() && !m_tried.contains(lowest))
            m_tried.insert(lowest, encode(m_image, lowest).size());
        return fitting;
    }

    VImage m_image;
    QMap<int, qint64> m_tried; // quality → bytes
};

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
        if (!moves && !request.fitInto && isAnimatable(request.format)) {
            if (const auto frames = allFrames(input)) {
                saveAnimated(*frames, output, request.format, request.quality);
                return;
            }
        }
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
        throw Fail(tr("Can’t decode %1.").arg(fileName(input)));
    }
    try {
        save(upright, output, format,
             isPhotographic(input) ? std::optional(stripQuality) : std::nullopt, true);
    } catch (const VError&) {
        QFile::remove(output);
        throw Fail::cantSave(output);
    }
}

void VipsImageEngine::removeLocation(const QString& input, const QString& output)
{
    LocationRemover::remove(input, output);
}

void VipsImageEngine::writeJpegWithin(const QString& input, const QString& output, qint64 maxBytes)
{
    VImage image;
    try {
        image = onWhite(open(input, false).autorot()).copy_memory();
    } catch (const VError&) {
        throw Fail(tr("Can’t decode %1.").arg(fileName(input)));
    }
    try {
        const QByteArray jpeg = JpegSearch(image).within(maxBytes);
        if (jpeg.isEmpty())
            throw Fail(tr("%1 can’t be made smaller than about %2 without falling below %3 "
                          "pixels.")
                           .arg(fileName(input),
                                // Rounded up: that size, asked for, fits.
                                QLocale().formattedDataSize((JpegSearch::smallest(image) + 999) /
                                                                1000 * 1000,
                                                            0, QLocale::DataSizeSIFormat))
                           .arg(JpegSearch::smallestSide));
        writeFile(output, jpeg);
    } catch (const VError&) {
        throw Fail::cantSave(output);
    }
}

qint64 VipsImageEngine::memoryNeed(const QString& input, const QString& format)
{
    const auto size = pixelSize(input);
    if (!size)
        return 0;
    const double pixels = double(size->width()) * size->height();
    // Measured peaks per pixel, rounded up: streaming writers hold a few
    // rows, the others the whole picture and their encoder's own copies.
    double perPixel = 4;
    if (format == QLatin1String("webp"))
        perPixel = 6;
    else if (format == QLatin1String("heic") || format == QLatin1String("avif") ||
             format == QLatin1String("jxl"))
        perPixel = 24;
    if (isAnimatable(format))
        perPixel *= frameCount(input);
    constexpr double base = 48 << 20;
    return qint64(base + pixels * perPixel);
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
