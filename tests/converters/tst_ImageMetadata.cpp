#include "base/Errors.h"
#include "converters/image/ImageConverter.h"
#include "core/Deps.h"
#include "core/Engines.h"
#include "core/NameReservations.h"
#include "core/Settings.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <webp/encode.h>
#include <webp/mux.h>
#ifdef FLINGDIAL_TEST_LIBJXL
#include <jxl/decode.h>
#endif

using namespace Qt::StringLiterals;

using TestSupport::ScopedEnv;

namespace {

// Every tag exiftool reads from a file, "group:name" → value, numbers as
// numbers, without the file system's and exiftool's own.
QJsonObject tagsOf(const QString& path)
{
    QProcess exiftool;
    exiftool.start(u"exiftool"_s, {u"-json"_s, u"-a"_s, u"-G1"_s, u"-n"_s, u"-b"_s, path});
    exiftool.waitForFinished(60000);
    const QJsonObject all =
        QJsonDocument::fromJson(exiftool.readAllStandardOutput()).array().at(0).toObject();
    QJsonObject kept;
    for (auto it = all.constBegin(); it != all.constEnd(); ++it) {
        const QString group = it.key().section(QLatin1Char(':'), 0, 0);
        if (group == QLatin1String("System") || group == QLatin1String("File") ||
            group == QLatin1String("ExifTool") || it.key() == QLatin1String("SourceFile"))
            continue;
        kept.insert(it.key(), it.value());
    }
    return kept;
}

QStringList keysWith(const QJsonObject& tags, const QString& part)
{
    QStringList keys;
    for (const QString& key : tags.keys()) {
        if (key.contains(part, Qt::CaseInsensitive))
            keys.append(key);
    }
    return keys;
}

QJsonValue tagNamed(const QJsonObject& tags, const QString& name)
{
    for (auto it = tags.constBegin(); it != tags.constEnd(); ++it) {
        if (it.key().section(QLatin1Char(':'), 1) == name)
            return it.value();
    }
    return {};
}

QByteArray iccOf(const QString& path)
{
    QProcess exiftool;
    exiftool.start(u"exiftool"_s, {u"-b"_s, u"-ICC_Profile"_s, path});
    exiftool.waitForFinished(60000);
    return exiftool.readAllStandardOutput();
}

#ifdef FLINGDIAL_TEST_LIBJXL
// The colour profile a JPEG XL file was made from, as libjxl gives it back
// (exiftool can't read it out of the codestream).
QByteArray jxlOriginalIcc(const QString& path)
{
    QByteArray bytes = TestSupport::readFile(path);
    JxlDecoder* decoder = JxlDecoderCreate(nullptr);
    JxlDecoderSubscribeEvents(decoder, JXL_DEC_COLOR_ENCODING);
    JxlDecoderSetInput(decoder, reinterpret_cast<const uint8_t*>(bytes.constData()),
                       size_t(bytes.size()));
    JxlDecoderCloseInput(decoder);
    QByteArray icc;
    for (JxlDecoderStatus status = JxlDecoderProcessInput(decoder);
         status == JXL_DEC_COLOR_ENCODING || status == JXL_DEC_BASIC_INFO;
         status = JxlDecoderProcessInput(decoder)) {
        if (status != JXL_DEC_COLOR_ENCODING)
            continue;
        size_t size = 0;
        JxlDecoderGetICCProfileSize(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL, &size);
        icc.resize(qsizetype(size));
        JxlDecoderGetColorAsICCProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL,
                                       reinterpret_cast<uint8_t*>(icc.data()), size);
        break;
    }
    JxlDecoderDestroy(decoder);
    return icc;
}
#endif

// 64 × 48 stored pixels with a black band along the left edge: a portrait
// photo as a phone stores it, turned 90° and marked "rotate to display".
QImage sidewaysPixels()
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(QColor(200, 180, 90));
    QPainter(&image).fillRect(0, 0, 10, 48, Qt::black);
    image.setColorSpace(QColorSpace(QColorSpace::AdobeRgb));
    return image;
}

// Upright means portrait with the band along the top.
bool showsUpright(const ImageEngine::Pixels& pixels)
{
    if (pixels.size != QSize(48, 64))
        return false;
    const auto at = [&](int x, int y) {
        return uchar(pixels.rgba.at((y * pixels.size.width() + x) * 4));
    };
    return at(24, 3) < 60 && at(24, 40) > 120;
}

void run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    QVERIFY(process.waitForFinished(60000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
}

// An animated WebP made with libwebp itself: frames of changing colour,
// each shown for the given milliseconds.
QByteArray animatedWebp(const QList<int>& delays)
{
    WebPAnimEncoderOptions options;
    WebPAnimEncoderOptionsInit(&options);
    WebPAnimEncoder* encoder = WebPAnimEncoderNew(32, 24, &options);
    WebPConfig config;
    WebPConfigInit(&config);
    config.lossless = 1;
    int timestamp = 0;
    for (qsizetype i = 0; i < delays.size(); ++i) {
        QImage frame(32, 24, QImage::Format_RGBA8888);
        frame.fill(QColor(int(i * 8), 100, 255 - int(i * 8)));
        WebPPicture picture;
        WebPPictureInit(&picture);
        picture.width = 32;
        picture.height = 24;
        picture.use_argb = 1;
        WebPPictureImportRGBA(&picture, frame.constBits(), int(frame.bytesPerLine()));
        WebPAnimEncoderAdd(encoder, &picture, timestamp, &config);
        WebPPictureFree(&picture);
        timestamp += delays.at(i);
    }
    WebPAnimEncoderAdd(encoder, nullptr, timestamp, nullptr);
    WebPData data;
    WebPDataInit(&data);
    WebPAnimEncoderAssemble(encoder, &data);
    const QByteArray bytes(reinterpret_cast<const char*>(data.bytes), qsizetype(data.size));
    WebPDataClear(&data);
    WebPAnimEncoderDelete(encoder);
    return bytes;
}

// The delay of every frame, as Qt's readers see them.
QList<int> frameDelays(const QString& path)
{
    QImageReader reader(path);
    QList<int> delays;
    while (reader.canRead() && !reader.read().isNull())
        delays.append(reader.nextImageDelay());
    return delays;
}

} // namespace

// Conversions keep the metadata each format can carry, and the location
// can be removed alone. exiftool (a test dependency) reads the results.
class TestImageMetadata : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void conversionsKeepLocationAndProfile_data();
    void conversionsKeepLocationAndProfile();
    void jpegXlIsASourceToo();
    void removeLocationKeepsEveryOtherTag_data();
    void removeLocationKeepsEveryOtherTag();
    void removeLocationFromImageMagickPng();
    void xmpGpsPropertiesAreBlanked();
    void animationKeepsFramesAndDelays();
    void animatedToStillTakesTheFirstFrame();
    void compressToSize();
    void jpegXlMissing();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    TestSupport::PrivateSettings m_settings;
    QTemporaryDir m_sources;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<NameReservations::Scope> m_names;
    QString m_photo; // sideways, GPS, camera, date, XMP, Adobe RGB profile
    QJsonObject m_photoTags;
};

void TestImageMetadata::initTestCase()
{
    if (QStandardPaths::findExecutable(u"exiftool"_s).isEmpty())
        QSKIP("exiftool is not installed (libimage-exiftool-perl)");
    m_photo = m_sources.filePath(u"phone.jpg"_s);
    QVERIFY(sidewaysPixels().save(m_photo, "JPEG", 95));
    run(u"exiftool"_s,
        {u"-q"_s, u"-overwrite_original"_s, u"-Orientation#=6"_s, u"-GPSLatitude=48.8584"_s,
         u"-GPSLatitudeRef=N"_s, u"-GPSLongitude=2.2945"_s, u"-GPSLongitudeRef=E"_s,
         u"-GPSAltitude=35"_s, u"-Make=Flingcam"_s, u"-Model=F1"_s,
         u"-DateTimeOriginal=2024:05:01 10:00:00"_s, u"-ExposureTime=1/250"_s,
         u"-XMP-dc:Title=Tower"_s, u"-XMP-exif:GPSLatitude=48.8584 N"_s,
         u"-XMP-exif:GPSLongitude=2.2945 E"_s, m_photo});
    m_photoTags = tagsOf(m_photo);
    QVERIFY(!keysWith(m_photoTags, u"GPSLatitude"_s).isEmpty());
    QCOMPARE(tagNamed(m_photoTags, u"Orientation"_s).toInt(), 6);
}

void TestImageMetadata::init()
{
    m_names.reset();
    m_names = std::make_unique<NameReservations::Scope>();
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestImageMetadata::conversionsKeepLocationAndProfile_data()
{
    QTest::addColumn<QString>("target");
    for (const char* target : {"jpg", "png", "webp", "heic", "avif", "tiff", "jxl"})
        QTest::newRow(target) << QString::fromLatin1(target);
}

void TestImageMetadata::conversionsKeepLocationAndProfile()
{
    QFETCH(QString, target);
    if (target == QLatin1String("jxl") && !Deps::jpegXl())
        QSKIP("libvips' JPEG XL module is not installed");
    const QString source = path(u"phone.jpg"_s);
    QVERIFY(QFile::copy(m_photo, source));
    const QString out =
        ImageConverter::convert(source, target == QLatin1String("jpg") ? u"png"_s : target);
    const QString result =
        target == QLatin1String("jpg") ? ImageConverter::convert(out, u"jpg"_s) : out;
    const QJsonObject tags = tagsOf(result);

    // EXIF: place, camera, date and exposure.
    QCOMPARE(tagNamed(tags, u"GPSLatitude"_s).toDouble(), 48.8584);
    QCOMPARE(tagNamed(tags, u"GPSLongitude"_s).toDouble(), 2.2945);
    QCOMPARE(tagNamed(tags, u"Make"_s).toString(), u"Flingcam"_s);
    QCOMPARE(tagNamed(tags, u"DateTimeOriginal"_s).toString(), u"2024:05:01 10:00:00"_s);
    QCOMPARE(tagNamed(tags, u"ExposureTime"_s).toDouble(), 0.004);
    // XMP.
    QCOMPARE(tagNamed(tags, u"Title"_s).toString(), u"Tower"_s);
    // The colour profile, byte for byte.
    const QByteArray profile = iccOf(m_photo);
    QVERIFY(!profile.isEmpty());
    if (target == QLatin1String("jxl")) {
#ifdef FLINGDIAL_TEST_LIBJXL
        QCOMPARE(jxlOriginalIcc(result), profile);
#else
        QSKIP("libjxl's headers are missing: the profile in the codestream can't be read");
#endif
    } else {
        QCOMPARE(iccOf(result), profile);
    }
    // Turned upright once: pixels upright, and nothing says to turn them again.
    QVERIFY(tagNamed(tags, u"Orientation"_s).toInt(1) == 1);
    const auto pixels = Engines::images().loadUpright(result, std::nullopt);
    QVERIFY(pixels);
    QVERIFY2(showsUpright(*pixels),
             qPrintable(u"%1 × %2"_s.arg(pixels->size.width()).arg(pixels->size.height())));
}

void TestImageMetadata::jpegXlIsASourceToo()
{
    if (!Deps::jpegXl())
        QSKIP("libvips' JPEG XL module is not installed");
    const QString source = path(u"phone.jpg"_s);
    QVERIFY(QFile::copy(m_photo, source));
    const QString jxl = ImageConverter::convert(source, u"jxl"_s);
    QVERIFY(QFile::remove(source));
    const QString jpeg = ImageConverter::convert(jxl, u"jpg"_s);
    QCOMPARE(jpeg, path(u"phone.jpg"_s));
    const QJsonObject tags = tagsOf(jpeg);
    QCOMPARE(tagNamed(tags, u"GPSLatitude"_s).toDouble(), 48.8584);
    QCOMPARE(tagNamed(tags, u"Title"_s).toString(), u"Tower"_s);
    const auto pixels = Engines::images().loadUpright(jpeg, std::nullopt);
    QVERIFY(pixels && showsUpright(*pixels));
    // The pixels are sRGB: no linear profile of libjxl's making comes along.
    QVERIFY(!iccOf(jpeg).contains(QByteArray("\0L\0i\0n", 6)));
}

void TestImageMetadata::removeLocationKeepsEveryOtherTag_data()
{
    conversionsKeepLocationAndProfile_data();
}

void TestImageMetadata::removeLocationKeepsEveryOtherTag()
{
    QFETCH(QString, target);
    if (target == QLatin1String("jxl") && !Deps::jpegXl())
        QSKIP("libvips' JPEG XL module is not installed");
    QString source = path(u"phone.jpg"_s);
    QVERIFY(QFile::copy(m_photo, source));
    if (target != QLatin1String("jpg"))
        source = ImageConverter::convert(source, target);
    const QJsonObject before = tagsOf(source);
    QVERIFY(!keysWith(before, u"GPS"_s).isEmpty());

    const QList<Operation> tools = ImageConverter::tools();
    const auto removal = std::find_if(tools.cbegin(), tools.cend(), [](const Operation& tool) {
        return tool.title == QLatin1String("Remove Location");
    });
    QVERIFY(removal != tools.cend());
    const QStringList results = removal->perform({source});
    QCOMPARE(results.size(), 1);
    QVERIFY(results.first().endsWith(u" no location."_s + target));
    const QJsonObject after = tagsOf(results.first());

    QCOMPARE(keysWith(after, u"GPS"_s), QStringList());
    // Everything else, as it was (exiftool works the composite tags out anew).
    for (auto it = before.constBegin(); it != before.constEnd(); ++it) {
        if (it.key().contains(u"GPS"_s) || it.key().startsWith(u"Composite:"_s))
            continue;
        QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));
    }
    // And the picture is still a picture.
    QVERIFY(Engines::images().loadUpright(results.first(), std::nullopt));
}

void TestImageMetadata::removeLocationFromImageMagickPng()
{
    const auto magick = ImageConverter::imageMagick();
    if (!magick)
        QSKIP("ImageMagick is not installed");
    // ImageMagick keeps EXIF in a hexadecimal text chunk, and each GPS
    // value once more in a text chunk of its own.
    const QString png = path(u"magick.png"_s);
    run(*magick, {m_photo, png});
    const QJsonObject before = tagsOf(png);
    QVERIFY(keysWith(before, u"GPS"_s).size() > 3);
    const QJsonObject after = tagsOf(ImageConverter::removeLocation(png));
    QCOMPARE(keysWith(after, u"GPS"_s), QStringList());
    QCOMPARE(tagNamed(after, u"Make"_s).toString(), u"Flingcam"_s);
    QCOMPARE(tagNamed(after, u"Title"_s).toString(), u"Tower"_s);
}

void TestImageMetadata::xmpGpsPropertiesAreBlanked()
{
    // XMP written by other programs: GPS as attributes and as elements,
    // other properties around them.
    const QString packet = TestSupport::writeFile(
        path(u"place.xmp"_s),
        "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF "
        "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
        "<rdf:Description rdf:about='' xmlns:exif='http://ns.adobe.com/exif/1.0/' "
        "xmlns:dc='http://purl.org/dc/elements/1.1/' xmlns:xmp='http://ns.adobe.com/xap/1.0/' "
        "exif:GPSLatitude='48,51.5N' xmp:Rating='4' exif:GPSVersionID='2.3.0.0'>"
        "<exif:GPSLongitude>2,17.67E</exif:GPSLongitude>"
        "<dc:subject><rdf:Bag><rdf:li>tower</rdf:li></rdf:Bag></dc:subject>"
        "</rdf:Description></rdf:RDF></x:xmpmeta>");
    const QString jpeg = path(u"plain.jpg"_s);
    QVERIFY(sidewaysPixels().save(jpeg, "JPEG"));
    run(u"exiftool"_s, {u"-q"_s, u"-overwrite_original"_s, u"-XMP<="_s + packet, jpeg});
    const QJsonObject before = tagsOf(jpeg);
    QVERIFY(keysWith(before, u"GPS"_s).size() >= 3);
    const QJsonObject after = tagsOf(ImageConverter::removeLocation(jpeg));
    QCOMPARE(keysWith(after, u"GPS"_s), QStringList());
    QCOMPARE(tagNamed(after, u"Rating"_s).toInt(), 4);
    QCOMPARE(tagNamed(after, u"Subject"_s).toString(), u"tower"_s);
}

void TestImageMetadata::animationKeepsFramesAndDelays()
{
    QList<int> delays;
    for (int i = 0; i < 30; ++i)
        delays.append(QList<int>{40, 80, 120}.at(i % 3));
    const QString webp = TestSupport::writeFile(path(u"spin.webp"_s), animatedWebp(delays));
    QCOMPARE(frameDelays(webp), delays);

    const QString gif = ImageConverter::convert(webp, u"gif"_s);
    QCOMPARE(frameDelays(gif), delays);
    QVERIFY(QFile::remove(webp));
    const QString back = ImageConverter::convert(gif, u"webp"_s);
    QCOMPARE(back, webp);
    QCOMPARE(frameDelays(back), delays);
}

void TestImageMetadata::animatedToStillTakesTheFirstFrame()
{
    const QString webp =
        TestSupport::writeFile(path(u"spin.webp"_s), animatedWebp({100, 100, 100}));
    const QString png = ImageConverter::convert(webp, u"png"_s);
    QImageReader reader(png);
    QCOMPARE(reader.imageCount(), 1);
    const QImage first = reader.read();
    QCOMPARE(first.size(), QSize(32, 24));
    QCOMPARE(first.pixelColor(5, 5), QColor(0, 100, 255));
}

void TestImageMetadata::compressToSize()
{
    // A busy 1600 × 1200 picture; the sizes asked for lie between what a
    // high and a low JPEG quality make of it.
    QImage noise(1600, 1200, QImage::Format_RGB32);
    quint32 seed = 11;
    for (int y = 0; y < noise.height(); ++y) {
        for (int x = 0; x < noise.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            noise.setPixel(x, y,
                           qRgb(x / 7 + int(seed >> 26), y / 5 + int(seed >> 28), (x + y) / 11));
        }
    }
    const QString png = path(u"busy.png"_s);
    QVERIFY(noise.save(png));
    const auto sizeAt = [&](int quality) {
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        noise.save(&buffer, "JPEG", quality);
        return qint64(jpeg.size());
    };
    const qint64 high = sizeAt(92);
    const qint64 low = sizeAt(45);
    for (const qint64 limit : {(high * 3 + low) / 4, (high + low * 3) / 4}) {
        const QString jpeg = ImageConverter::compressToSize(png, limit);
        const qint64 size = QFileInfo(jpeg).size();
        QVERIFY2(size <= limit && size >= limit * 9 / 10,
                 qPrintable(u"%1 for %2"_s.arg(size).arg(limit)));
        QCOMPARE(ImageConverter::pixelSize(jpeg), QSize(1600, 1200));
    }
    // Below what a low quality reaches, the picture gets smaller.
    const QString small = ImageConverter::compressToSize(png, low / 3);
    QVERIFY(QFileInfo(small).size() <= low / 3);
    QVERIFY(ImageConverter::pixelSize(small)->width() < 1600);
    const QString refusal =
        TestSupport::failureOf([&] { ImageConverter::compressToSize(png, 800); });
    QVERIFY2(refusal.startsWith(u"busy.png can’t be made smaller than about "_s) &&
                 refusal.endsWith(u" without falling below 320 pixels."_s),
             qPrintable(refusal));
    QCOMPARE(TestSupport::failureOf([&] { ImageConverter::compressToSize(png, 100'000'000); }),
             u"busy.png is already smaller than 100 MB."_s);
}

void TestImageMetadata::jpegXlMissing()
{
    const QTemporaryDir modules;
    const ScopedEnv hidden("FLINGDIAL_VIPS_MODULES_DIR", modules.path().toLocal8Bit());
    const std::optional<Component> missing = ImageConverter::unavailableReason(u"jxl"_s);
    QVERIFY(missing);
    QCOMPARE(missing->installCommand, u"sudo apt install libvips42 libjxl0.7"_s);
    QCOMPARE(missing->text(), u"JPEG XL needs libvips’ JPEG XL module.\nInstall it with:  "
                              "sudo apt install libvips42 libjxl0.7"_s);
    QVERIFY(!ImageConverter::unavailableReason(u"webp"_s));
}

QTEST_MAIN(TestImageMetadata)
#include "tst_ImageMetadata.moc"
