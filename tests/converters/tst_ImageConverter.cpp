#include "base/Errors.h"
#include "converters/image/ImageConverter.h"
#include "core/Deps.h"
#include "core/Engines.h"
#include "core/NameReservations.h"
#include "core/Settings.h"
#include "core/Shell.h"
#include "support/TestSupport.h"

#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

using TestSupport::ScopedEnv;
using TestSupport::writeFile;

namespace {

QByteArray head(const QString& path, int length = 16)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(length) : QByteArray();
}

bool hasMagic(const QString& path, const QString& format)
{
    const QByteArray bytes = head(path);
    if (format == QLatin1String("jpg"))
        return bytes.startsWith("\xFF\xD8\xFF");
    if (format == QLatin1String("png"))
        return bytes.startsWith("\x89PNG");
    if (format == QLatin1String("webp"))
        return bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP";
    if (format == QLatin1String("heic"))
        return bytes.mid(4, 4) == "ftyp" &&
               (bytes.mid(8, 4) == "heic" || bytes.mid(8, 4) == "mif1");
    if (format == QLatin1String("avif"))
        return bytes.mid(4, 4) == "ftyp" && bytes.mid(8, 4) == "avif";
    if (format == QLatin1String("tiff"))
        return bytes.startsWith("II*") || bytes.startsWith("MM\0*");
    if (format == QLatin1String("bmp"))
        return bytes.startsWith("BM");
    if (format == QLatin1String("gif"))
        return bytes.startsWith("GIF8");
    if (format == QLatin1String("pdf"))
        return bytes.startsWith("%PDF");
    if (format == QLatin1String("jxl")) // the box container, or a bare codestream
        return bytes.startsWith(QByteArray("\0\0\0\x0cJXL \r\n\x87\n", 12)) ||
               bytes.startsWith("\xff\x0a");
    return false;
}

// A picture with a gradient, text, and a transparent left third.
QImage drawing(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor(200, 30, 40));
    gradient.setColorAt(1, QColor(20, 60, 220));
    painter.fillRect(QRect(width / 3, 0, width - width / 3, height), gradient);
    painter.setPen(Qt::yellow);
    painter.drawText(QRect(width / 3, 0, width - width / 3, height), Qt::AlignCenter, u"Fling"_s);
    return image;
}

// A 200×100 JPEG with a black left edge whose EXIF orientation says
// "rotate 90° clockwise to display".
QByteArray sidewaysJpeg()
{
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter(&image).fillRect(0, 0, 20, 100, Qt::black);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_RGB32).save(&buffer, "JPEG", 95);
    const QByteArray tiff("II*\0\x08\0\0\0"                    // little-endian header, IFD at 8
                          "\x01\0"                             // one entry
                          "\x12\x01\x03\0\x01\0\0\0\x06\0\0\0" // Orientation, SHORT, 1, value 6
                          "\0\0\0\0",                          // no next IFD
                          26);
    const QByteArray exif = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray segment("\xFF\xE1");
    segment.append(char((exif.size() + 2) >> 8))
        .append(char((exif.size() + 2) & 0xFF))
        .append(exif);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

// Whether the stored pixels (orientation flag ignored) are the sideways
// JPEG's turned upright: its black edge on top.
bool storedUpright(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(false);
    const QImage stored = reader.read();
    return stored.size() == QSize(100, 200) && stored.pixelColor(50, 5).lightness() < 60;
}

QColor pixelOf(const QString& path, int x, int y)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.read().pixelColor(x, y);
}

bool isWhite(const QColor& colour)
{
    return colour.red() > 240 && colour.green() > 240 && colour.blue() > 240;
}

int frameCount(const QString& path)
{
    QProcess identify;
    identify.start(u"identify-im6.q16"_s, {u"-format"_s, u"%n\\n"_s, path});
    identify.waitForFinished();
    return QString::fromUtf8(identify.readAllStandardOutput())
        .split(QLatin1Char('\n'))
        .constFirst()
        .toInt();
}

Operation resizeTool()
{
    for (const Operation& tool : ImageConverter::tools()) {
        if (tool.title == u"Resize…"_s)
            return tool;
    }
    qFatal("no Resize… tool");
}

} // namespace

// Runs every conversion and tool on pictures the test draws, once with
// ImageMagick and once with it hidden, and reads the results back.
class TestImageConverter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void everyTargetFromEverySource_data();
    void everyTargetFromEverySource();
    void transparencyBecomesWhite_data();
    void transparencyBecomesWhite();
    void quality();
    void framesAndPages();
    void compressing();
    void resizing();
    void resizeAnswers_data();
    void resizeAnswers();
    void resizeByAPercentage();
    void resizeKeepsTheDepth_data();
    void resizeKeepsTheDepth();
    void squareRotateFlip_data();
    void squareRotateFlip();
    void strippingMetadata();
    void webpFromTheEngine();
    void mergingIntoPdf();
    void removingBackgrounds();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    // Hides ImageMagick for the rest of the test function when asked to.
    void useImageMagick(bool use);
    QString sources(const QString& format);

    TestSupport::PrivateSettings m_settings;
    QTemporaryDir m_sources;
    std::unique_ptr<ScopedEnv> m_hidden;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<NameReservations::Scope> m_names;
    bool m_hasImageMagick = false;
};

void TestImageConverter::initTestCase()
{
    m_hasImageMagick = ImageConverter::imageMagick().has_value();

    const QImage picture = drawing(120, 80);
    const auto save = [&](const QString& format, const char* qtFormat) {
        QVERIFY(picture.save(m_sources.filePath(u"source."_s + format), qtFormat));
    };
    save(u"png"_s, "PNG");
    save(u"jpg"_s, "JPEG");
    save(u"bmp"_s, "BMP");
    save(u"tiff"_s, "TIFF");
    save(u"webp"_s, "WEBP");
    save(u"ico"_s, "ICO");
    const QString png = m_sources.filePath(u"source.png"_s);
    for (const char* format : {"gif", "heic", "avif", "jxl"})
        Engines::images().process(
            png, m_sources.filePath(u"source."_s + QLatin1String(format)),
            ImageEngine::Request{QString::fromLatin1(format), 80, {}, false, false, {}});
    writeFile(m_sources.filePath(u"source.svg"_s),
              "<svg xmlns='http://www.w3.org/2000/svg' width='120' height='80'>"
              "<rect x='40' width='80' height='80' fill='#c03040'/></svg>");
    if (m_hasImageMagick)
        Shell::run(*ImageConverter::imageMagick(), {png, m_sources.filePath(u"source.psd"_s)});
}

void TestImageConverter::init()
{
    m_hidden.reset();
    m_names.reset();
    m_names = std::make_unique<NameReservations::Scope>();
    m_dir = std::make_unique<QTemporaryDir>();
    Settings::shared().reset(SettingKeys::jpegQuality);
}

void TestImageConverter::useImageMagick(bool use)
{
    if (use && !m_hasImageMagick)
        QSKIP("ImageMagick is not installed");
    if (!use)
        m_hidden =
            std::make_unique<ScopedEnv>("FLINGDIAL_TOOL_DIRS", path(u"no-tools"_s).toLocal8Bit());
}

QString TestImageConverter::sources(const QString& format)
{
    const QString source = m_sources.filePath(u"source."_s + format);
    const QString copy = path(u"picture."_s + format);
    QFile::copy(source, copy);
    return copy;
}

void TestImageConverter::everyTargetFromEverySource_data()
{
    QTest::addColumn<bool>("imageMagick");
    QTest::addColumn<QString>("source");
    for (const bool magick : {true, false}) {
        for (const char* source : {"png", "jpg", "webp", "heic", "tiff", "avif", "jxl", "bmp",
                                   "gif", "ico", "psd", "svg"}) {
            QTest::addRow("%s from %s", magick ? "ImageMagick" : "engine", source)
                << magick << QString::fromLatin1(source);
        }
    }
}

void TestImageConverter::everyTargetFromEverySource()
{
    QFETCH(bool, imageMagick);
    QFETCH(QString, source);
    useImageMagick(imageMagick);
    if (source == QLatin1String("psd") && !m_hasImageMagick)
        QSKIP("ImageMagick is not installed: no PSD file to start from");
    const QString input = sources(source);
    const QSize size = *ImageConverter::pixelSize(input);
    QCOMPARE(size, QSize(120, 80));
    for (const QString& target : ImageConverter::targets()) {
        const QString out = ImageConverter::convert(input, target);
        QVERIFY2(hasMagic(out, target),
                 qPrintable(target + u": "_s + QString::fromLatin1(head(out).toHex())));
        if (target != QLatin1String("pdf"))
            QCOMPARE(ImageConverter::pixelSize(out), size);
    }
}

void TestImageConverter::transparencyBecomesWhite_data()
{
    QTest::addColumn<bool>("imageMagick");
    QTest::newRow("ImageMagick") << true;
    QTest::newRow("engine") << false;
}

void TestImageConverter::transparencyBecomesWhite()
{
    QFETCH(bool, imageMagick);
    useImageMagick(imageMagick);
    const QString png = sources(u"png"_s);
    for (const QString& target : {u"jpg"_s, u"bmp"_s}) {
        const QString out = ImageConverter::convert(png, target);
        QVERIFY2(isWhite(pixelOf(out, 5, 40)), qPrintable(target));
        QVERIFY2(!isWhite(pixelOf(out, 100, 70)), qPrintable(target));
    }
}

void TestImageConverter::quality()
{
    // A busy picture, so that quality shows in the size.
    QImage noise(400, 300, QImage::Format_RGB32);
    quint32 seed = 7;
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, (seed = seed * 1664525u + 1013904223u) >> 8);
    const QString png = path(u"noise.png"_s);
    QVERIFY(noise.save(png));
    for (const bool magick : {true, false}) {
        if (magick && !m_hasImageMagick)
            continue;
        if (!magick)
            useImageMagick(false);
        const auto jpegAt = [&](int setting) {
            Settings::shared().set(SettingKeys::jpegQuality, setting);
            const QString out = ImageConverter::convert(png, u"jpg"_s);
            QFile file(out);
            file.open(QIODevice::ReadOnly);
            return file.readAll();
        };
        QCOMPARE(jpegAt(5), jpegAt(10));
        QCOMPARE(jpegAt(250), jpegAt(100));
        QVERIFY(jpegAt(30).size() < jpegAt(90).size());
    }
}

void TestImageConverter::framesAndPages()
{
    useImageMagick(true);
    const QString gif = path(u"moving.gif"_s);
    QProcess ffmpeg;
    ffmpeg.start(u"ffmpeg"_s, {u"-v"_s, u"error"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                               u"testsrc=size=64x48:rate=10:duration=1"_s, gif});
    QVERIFY(ffmpeg.waitForFinished() && ffmpeg.exitCode() == 0);
    QCOMPARE(frameCount(ImageConverter::convert(gif, u"webp"_s)), 10);

    const QString big = writeFile(path(u"big.png"_s));
    QVERIFY(drawing(90, 60).save(big));
    const QString pages = path(u"pages.tiff"_s);
    Shell::run(*ImageConverter::imageMagick(), {big, sources(u"png"_s), pages});
    QCOMPARE(frameCount(pages), 2);
    const QString first = ImageConverter::convert(pages, u"png"_s);
    QCOMPARE(frameCount(first), 1);
    QCOMPARE(ImageConverter::pixelSize(first), QSize(90, 60));
    useImageMagick(false);
    QCOMPARE(ImageConverter::pixelSize(ImageConverter::convert(pages, u"png"_s)), QSize(90, 60));
}

void TestImageConverter::compressing()
{
    // A picture with grain, like a photo, which compression makes smaller.
    QImage picture = drawing(600, 400).convertToFormat(QImage::Format_RGB32);
    quint32 seed = 3;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const QRgb pixel = picture.pixel(x, y);
            const int grain = int(seed >> 28);
            picture.setPixel(x, y, qRgb(qRed(pixel) ^ grain, qGreen(pixel) ^ grain, qBlue(pixel)));
        }
    }
    const auto saved = [&](const char* format, int quality) {
        const QString file = path(u"picture."_s + QString::fromLatin1(format).toLower());
        QFile::remove(file);
        picture.save(file, format, quality);
        return file;
    };
    if (m_hasImageMagick) {
        const QString out = ImageConverter::compress(saved("PNG", -1));
        QCOMPARE(out, path(u"picture compressed.png"_s));
        QVERIFY(hasMagic(out, u"png"_s));
        const QString webp = ImageConverter::compress(saved("WEBP", 100));
        QCOMPARE(webp, path(u"picture compressed.webp"_s));
    }
    useImageMagick(false);
    const QString png = saved("PNG", -1);
    const QString jpeg = ImageConverter::compress(png);
    QCOMPARE(jpeg, path(u"picture compressed.jpg"_s));
    QVERIFY(hasMagic(jpeg, u"jpg"_s));
    QVERIFY(QFileInfo(jpeg).size() < QFileInfo(png).size());
    QCOMPARE(TestSupport::failureOf([&] { ImageConverter::compress(sources(u"webp"_s)); }),
             Deps::imageMagickRequired().text());

    // A result that would be larger is not kept.
    const QString dot = path(u"dot.png"_s);
    QImage one(1, 1, QImage::Format_RGB32);
    one.fill(Qt::red);
    QVERIFY(one.save(dot));
    const QStringList before = TestSupport::namesIn(m_dir->path());
    QCOMPARE(TestSupport::failureOf([&] { ImageConverter::compress(dot); }),
             u"dot.png is already as small as it gets."_s);
    QCOMPARE(TestSupport::namesIn(m_dir->path()), before);
}

void TestImageConverter::resizing()
{
    const QString photo = path(u"photo.png"_s);
    QImage big(4032, 3024, QImage::Format_RGB32);
    big.fill(Qt::darkCyan);
    QVERIFY(big.save(photo));
    for (const bool magick : {true, false}) {
        if (magick && !m_hasImageMagick)
            continue;
        useImageMagick(magick);
        const QString half = ImageConverter::resizeByPercent(photo, 50);
        QVERIFY(half.startsWith(path(u"photo 50%"_s)));
        QCOMPARE(ImageConverter::pixelSize(half), QSize(2016, 1512));
    }
    const QString dot = path(u"dot.png"_s);
    QImage one(1, 1, QImage::Format_RGB32);
    one.fill(Qt::red);
    QVERIFY(one.save(dot));
    QCOMPARE(ImageConverter::pixelSize(ImageConverter::resizeByPercent(dot, 50)), QSize(1, 1));

    const TestSupport::ScriptedAnswers answer(" 800 \n");
    const QStringList resized = resizeTool().perform({sources(u"png"_s)});
    QCOMPARE(resized, QStringList{path(u"picture 800px.png"_s)});
    QCOMPARE(ImageConverter::pixelSize(resized.first()), QSize(800, 533));
    QVERIFY_THROWS_EXCEPTION(
        Fail, ImageConverter::resizeByPercent(writeFile(path(u"no.png"_s), "x"), 50));
}

void TestImageConverter::resizeAnswers_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("size"); // 0: rejected
    QTest::newRow("plain") << u"800"_s << 800;
    QTest::newRow("plus sign") << u"+800"_s << 800;
    QTest::newRow("zero") << u"0"_s << 0;
    QTest::newRow("negative") << u"-5"_s << 0;
    QTest::newRow("inner space") << u"8 00"_s << 0;
    QTest::newRow("unit") << u"800px"_s << 0;
    QTest::newRow("too large for an int") << u"99999999999"_s << 0;
}

void TestImageConverter::resizeAnswers()
{
    QFETCH(QString, answer);
    QFETCH(int, size);
    QCOMPARE(ImageConverter::parseSize(answer).value_or(0), size);
    if (size == 0) {
        const TestSupport::ScriptedAnswers typed(answer.toUtf8() + '\n');
        QCOMPARE(TestSupport::failureOf([&] { resizeTool().perform({path(u"any.png"_s)}); }),
                 u"“%1” isn’t a valid size."_s.arg(answer));
    }
}

// "50%" or "50 %" at the Resize… prompt scales by that much.
void TestImageConverter::resizeByAPercentage()
{
    const QString photo = path(u"photo.png"_s);
    QVERIFY(drawing(400, 300).save(photo));
    for (const auto& [typed, percent] :
         {std::pair{"50%\n", 50}, std::pair{" 25 % \n", 25}, std::pair{"+200%\n", 200}}) {
        const TestSupport::ScriptedAnswers answer(typed);
        const QStringList resized = resizeTool().perform({photo});
        QCOMPARE(resized.size(), 1);
        QCOMPARE(QFileInfo(resized.first()).fileName(), u"photo %1%.png"_s.arg(percent));
        QCOMPARE(ImageConverter::pixelSize(resized.first()),
                 QSize(400 * percent / 100, 300 * percent / 100));
    }
    for (const QString& wrong : {u"0%"_s, u"1001%"_s, u"50%%"_s, u"-50%"_s, u"%50"_s, u"12.5%"_s}) {
        QCOMPARE(ImageConverter::parsePercent(wrong), std::nullopt);
        const TestSupport::ScriptedAnswers typed(wrong.toUtf8() + '\n');
        QCOMPARE(TestSupport::failureOf([&] { resizeTool().perform({photo}); }),
                 u"“%1” isn’t a valid size."_s.arg(wrong));
    }
    QCOMPARE(ImageConverter::parsePercent(u"1000%"_s), 1000);
}

void TestImageConverter::resizeKeepsTheDepth_data()
{
    QTest::addColumn<bool>("magick");
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<int>("depth"); // bits per sample in the PNG header
    for (const bool magick : {true, false}) {
        const char* engine = magick ? "ImageMagick" : "engine";
        QTest::addRow("%s, 8-bit colour", engine) << magick << QImage::Format_RGB32 << 8;
        QTest::addRow("%s, 8-bit grey", engine) << magick << QImage::Format_Grayscale8 << 8;
        QTest::addRow("%s, 16-bit colour", engine) << magick << QImage::Format_RGBX64 << 16;
        QTest::addRow("%s, 16-bit grey", engine) << magick << QImage::Format_Grayscale16 << 16;
    }
}

// An 8-bit picture stays 8-bit (half the size of a 16-bit one), a 16-bit
// one keeps its precision.
void TestImageConverter::resizeKeepsTheDepth()
{
    QFETCH(bool, magick);
    QFETCH(QImage::Format, format);
    QFETCH(int, depth);
    useImageMagick(magick);
    const QString source = path(u"scan.png"_s);
    QVERIFY(drawing(300, 200).convertToFormat(format).save(source));
    QCOMPARE(int(TestSupport::readFile(source).at(24)), depth);
    const QString resized = ImageConverter::resizeToLongestSide(source, 150);
    QCOMPARE(ImageConverter::pixelSize(resized), QSize(150, 100));
    QCOMPARE(int(TestSupport::readFile(resized).at(24)), depth);
}

void TestImageConverter::squareRotateFlip_data()
{
    transparencyBecomesWhite_data();
}

void TestImageConverter::squareRotateFlip()
{
    QFETCH(bool, imageMagick);
    useImageMagick(imageMagick);
    // Red and blue bands at the sides, green in the middle.
    QImage wide(400, 300, QImage::Format_RGB32);
    wide.fill(Qt::green);
    QPainter painter(&wide);
    painter.fillRect(0, 0, 50, 300, Qt::red);
    painter.fillRect(350, 0, 50, 300, Qt::blue);
    painter.end();
    const QString file = path(u"bands.png"_s);
    QVERIFY(wide.save(file));

    const QString square = ImageConverter::cropSquare(file);
    QCOMPARE(square, path(u"bands square.png"_s));
    QCOMPARE(ImageConverter::pixelSize(square), QSize(300, 300));
    QCOMPARE(pixelOf(square, 0, 0), QColor(Qt::green));
    QCOMPARE(pixelOf(square, 299, 299), QColor(Qt::green));

    const QString rotated = ImageConverter::rotate(file);
    QCOMPARE(ImageConverter::pixelSize(rotated), QSize(300, 400));
    QCOMPARE(pixelOf(rotated, 150, 10), QColor(Qt::red)); // the left side is now on top
    const QString flipped = ImageConverter::flip(file);
    QCOMPARE(flipped, path(u"bands flipped.png"_s));
    QCOMPARE(pixelOf(flipped, 10, 150), QColor(Qt::blue));
}

void TestImageConverter::strippingMetadata()
{
    const QString jpeg = writeFile(path(u"portrait.jpg"_s), sidewaysJpeg());
    QCOMPARE(QImageReader(jpeg).transformation(), QImageIOHandler::TransformationRotate90);

    const QString clean = ImageConverter::stripMetadata(jpeg);
    QCOMPARE(clean, path(u"portrait clean.jpg"_s));
    QCOMPARE(QImageReader(clean).transformation(), QImageIOHandler::TransformationNone);
    QVERIFY(storedUpright(clean));
    QVERIFY(!head(clean, 64).contains("Exif"));
}

void TestImageConverter::webpFromTheEngine()
{
    useImageMagick(false);
    // Odd sizes that aren't a multiple of the rows the engine converts at a
    // time: every row must land where it belongs.
    QImage picture(201, 75, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixelColor(x, y,
                                  x < 67 ? QColor(Qt::transparent) : QColor(3 * y, x, 255 - 3 * y));
    const QString png = path(u"odd.png"_s);
    QVERIFY(picture.save(png));
    const QImage webp =
        QImage(ImageConverter::convert(png, u"webp"_s)).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(webp.size(), picture.size());
    for (int y = 0; y < picture.height(); ++y) {
        QCOMPARE(webp.pixelColor(5, y).alpha(), 0);
        QCOMPARE(webp.pixelColor(150, y).alpha(), 255);
        for (int x = 70; x < picture.width(); x += 10) {
            const QColor expected = picture.pixelColor(x, y), found = webp.pixelColor(x, y);
            QVERIFY2(qAbs(found.red() - expected.red()) + qAbs(found.blue() - expected.blue()) < 24,
                     qPrintable(u"pixel %1,%2"_s.arg(x).arg(y)));
        }
    }

    // A sideways photo: upright pixels, and EXIF that no longer says to turn them.
    const QString jpeg = writeFile(path(u"portrait.jpg"_s), sidewaysJpeg());
    const QString out = ImageConverter::convert(jpeg, u"webp"_s);
    const QByteArray bytes = head(out, 1 << 20);
    QVERIFY(bytes.contains("EXIF"));
    QVERIFY(bytes.contains(QByteArray("\x12\x01\x03\0\x01\0\0\0\x01\0", 10)));
    QVERIFY(storedUpright(out));
}

void TestImageConverter::mergingIntoPdf()
{
    const QString first = sources(u"png"_s);
    const QString second = sources(u"jpg"_s);
    const QString broken = writeFile(path(u"broken.png"_s), "not a picture");
    const QString merged = ImageConverter::mergeToPdf({first, broken, second});
    QCOMPARE(merged, path(u"picture merged.pdf"_s));
    QProcess pdfinfo;
    pdfinfo.start(u"pdfinfo"_s, {u"-f"_s, u"1"_s, u"-l"_s, u"2"_s, merged});
    QVERIFY(pdfinfo.waitForFinished());
    const QString info = QString::fromUtf8(pdfinfo.readAllStandardOutput());
    QVERIFY2(info.contains(QRegularExpression(u"Pages:\\s+2\\n"_s)), qPrintable(info));
    QVERIFY2(info.contains(QRegularExpression(u"Page +2 size: +120 x 80 pts"_s)), qPrintable(info));

    QCOMPARE(ImageConverter::mergeToPdf({first}), path(u"picture.pdf"_s));
    QCOMPARE(TestSupport::failureOf([&] { ImageConverter::mergeToPdf({broken}); }),
             u"None of these images can be read."_s);
    QVERIFY(!QFileInfo::exists(path(u"broken.pdf"_s)));
}

void TestImageConverter::removingBackgrounds()
{
    QImage scene(480, 360, QImage::Format_RGB32);
    scene.fill(QColor(235, 235, 235));
    QPainter painter(&scene);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(180, 40, 30));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPoint(240, 180), 110, 110);
    painter.setBrush(QColor(30, 90, 170));
    painter.drawRect(200, 140, 80, 80);
    painter.end();
    const QString file = path(u"ball.png"_s);
    QVERIFY(scene.save(file));
    const QString cutout = ImageConverter::removeBackground(file);
    QCOMPARE(cutout, path(u"ball cutout.png"_s));
    const QImage result(cutout);
    QVERIFY(result.hasAlphaChannel());
    QCOMPARE(result.size(), scene.size());
    for (const QPoint corner : {QPoint(2, 2), QPoint(477, 2), QPoint(2, 357), QPoint(477, 357)})
        QCOMPARE(qAlpha(result.pixel(corner)), 0);
    QCOMPARE(qAlpha(result.pixel(240, 180)), 255);

    QImage flat(300, 200, QImage::Format_RGB32);
    flat.fill(QColor(90, 140, 60));
    const QString plain = path(u"flat.png"_s);
    QVERIFY(flat.save(plain));
    QCOMPARE(TestSupport::failureOf([&] { ImageConverter::removeBackground(plain); }),
             u"No subject found in flat.png."_s);
}

QTEST_MAIN(TestImageConverter)
#include "tst_ImageConverter.moc"
