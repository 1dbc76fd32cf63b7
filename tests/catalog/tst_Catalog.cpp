#include "base/Errors.h"
#include "catalog/Catalog.h"
#include "core/Deps.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

using TestSupport::ScopedEnv;

namespace {

QStringList titles(const QList<Operation>& operations)
{
    QStringList list;
    for (const Operation& operation : operations)
        list.append(operation.title);
    return list;
}

QStringList split(const QString& text)
{
    return text.split(QLatin1Char(','), Qt::SkipEmptyParts);
}

} // namespace

// Each test points the program search at a folder holding stand-ins for
// exactly the components the case has installed.
class TestCatalog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void sliceSets_data();
    void sliceSets();
    void reasons_data();
    void reasons();
    void conversionsCarryTheirFormat();
    void firstFailureStopsTheConversion();

private:
    QStringList files(const QString& names);
    void install(const QString& programs);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScopedEnv> m_toolDirs;
};

void TestCatalog::init()
{
    m_toolDirs.reset(); // restores the variable before it is set again
    m_dir = std::make_unique<QTemporaryDir>();
    QDir(m_dir->path()).mkpath(u"bin"_s);
    m_toolDirs =
        std::make_unique<ScopedEnv>("FLINGDIAL_TOOL_DIRS", m_dir->filePath(u"bin"_s).toLocal8Bit());
}

QStringList TestCatalog::files(const QString& names)
{
    QStringList paths;
    for (const QString& name : split(names)) {
        const QString path = m_dir->filePath(name);
        if (name.endsWith(QLatin1Char('/')))
            QDir().mkpath(path);
        else
            TestSupport::writeFile(path);
        paths.append(QDir::cleanPath(path));
    }
    return paths;
}

void TestCatalog::install(const QString& programs)
{
    for (const QString& program : split(programs))
        TestSupport::writeExecutable(m_dir->filePath(u"bin/"_s + program));
}

void TestCatalog::sliceSets_data()
{
    QTest::addColumn<QString>("names");
    QTest::addColumn<QString>("convert");
    QTest::addColumn<QString>("tools");

    const QString imageTools = QStringLiteral(
        "Compress,Compress to Size…,Half Size,Resize…,Rotate,Flip,Square,Strip Metadata,Remove "
        "Location,Remove Background,Merge into PDF,Make Searchable PDF,Extract Text");
    const QString videoTools =
        u"Compress,Compress to Size…,Trim…,Extract Audio,Mute,720p,Rotate,Speed 2×,Frame,"
        "Strip Metadata,Remove Location,Merge"_s;
    const QString audioTools = u"Trim…,Compress,Compress to Size…,Normalize,Reverse,Mono,Merge"_s;
    const QString pdfTools =
        u"Compress,Merge,Split,Rotate,Extract Pages…,Remove Pages…,Make Searchable"_s;
    const QString zipOnly = u"Compress to ZIP"_s;
    const QString archives = u"ZIP,TAR,GZIP"_s;

    QTest::newRow("several PNG") << u"a.png,b.png"_s << u"JPG,WEBP,HEIC,TIFF,AVIF,JXL,BMP,GIF,PDF"_s
                                 << imageTools;
    QTest::newRow("one GIF") << u"a.gif"_s << u"JPG,PNG,WEBP,HEIC,TIFF,AVIF,JXL,BMP,PDF,MP4,WEBM"_s
                             << imageTools;
    QTest::newRow("JPG and PNG") << u"a.jpg,b.PNG"_s
                                 << u"JPG,PNG,WEBP,HEIC,TIFF,AVIF,JXL,BMP,GIF,PDF"_s << imageTools;
    QTest::newRow("MOV videos") << u"a.mov,b.mov"_s << u"MP4,MKV,WEBM,AVI,WMV,GIF"_s << videoTools;
    QTest::newRow("WAV audio") << u"a.wav"_s << u"MP3,M4A,FLAC,OGG,OPUS,AIFF,WMA"_s << audioTools;
    QTest::newRow("SRT") << u"a.srt"_s << u"VTT"_s << u"Shift Timing…,Compress to ZIP"_s;
    QTest::newRow("SRT and VTT") << u"a.srt,b.vtt"_s << u"SRT,VTT"_s
                                 << u"Shift Timing…,Compress to ZIP"_s;
    QTest::newRow("TAR.GZ") << u"a.tar.gz"_s << u"ZIP,TAR"_s << u"Extract,Compress to ZIP"_s;
    QTest::newRow("PDF") << u"a.pdf"_s << u"DOCX,TXT,MD,RTF,HTML,EPUB,JPG,PNG"_s << pdfTools;
    QTest::newRow("DOCX") << u"a.docx"_s << u"PDF,TXT,MD,RTF,HTML,ODT,EPUB"_s << zipOnly;
    QTest::newRow("pages through LibreOffice")
        << u"a.pages"_s << u"PDF,DOCX,EPUB,TXT,RTF,MD,HTML"_s << zipOnly;
    QTest::newRow("PPTX") << u"a.pptx"_s << u"PDF,JPG,PNG"_s << zipOnly;
    QTest::newRow("CSV") << u"a.csv"_s << u"XLSX,TSV,ODS,PDF"_s << zipOnly;
    QTest::newRow("folder") << u"Photos/"_s << archives << zipOnly;
    QTest::newRow("unknown file") << u"data.xyz"_s << archives << zipOnly;
    QTest::newRow("PNG and MP3") << u"a.png,b.mp3"_s << archives << zipOnly;
}

void TestCatalog::sliceSets()
{
    QFETCH(QString, names);
    QFETCH(QString, convert);
    QFETCH(QString, tools);
    install(u"ffmpeg,magick,soffice"_s);
    const QStringList paths = files(names);
    QCOMPARE(titles(Catalog::conversions(paths)), split(convert));
    QCOMPARE(titles(Catalog::tools(paths)), split(tools));
}

void TestCatalog::reasons_data()
{
    QTest::addColumn<QString>("names");
    QTest::addColumn<QString>("installed");
    QTest::addColumn<QString>("mode");
    // title=reason pairs for the entries that carry one; every other entry carries none.
    QTest::addColumn<QStringList>("expected");

    const QString ffmpeg = Deps::ffmpegMissingReason().text();
    const QString office = Deps::libreOfficeNeeded().text();
    const QString ods = Deps::odsNeedsLibreOffice().text();
    const auto all = [](const QString& titles, const QString& reason) {
        QStringList pairs;
        for (const QString& title : split(titles))
            pairs.append(title + QLatin1Char('=') + reason);
        return pairs;
    };

    QTest::newRow("video without ffmpeg")
        << u"a.mov"_s << u""_s << u"convert"_s << all(u"MP4,MKV,WEBM,AVI,WMV,GIF"_s, ffmpeg);
    QTest::newRow("video tools without ffmpeg")
        << u"a.mov"_s << u""_s << u"tools"_s
        << all(u"Compress,Compress to Size…,Trim…,Extract Audio,Mute,720p,Rotate,Speed 2×,Frame,"
               "Strip Metadata,Remove Location,Merge"_s,
               ffmpeg);
    QTest::newRow("audio tools without ffmpeg")
        << u"a.mp3"_s << u"magick"_s << u"tools"_s
        << all(u"Trim…,Compress,Compress to Size…,Normalize,Reverse,Mono,Merge"_s, ffmpeg);
    QTest::newRow("video with ffmpeg")
        << u"a.mov"_s << u"ffmpeg"_s << u"convert"_s << QStringList();
    QTest::newRow("GIF with nothing")
        << u"a.gif"_s << u""_s << u"convert"_s << all(u"MP4,WEBM"_s, ffmpeg);
    QTest::newRow("GIF with ffmpeg only")
        << u"a.gif"_s << u"ffmpeg"_s << u"convert"_s << QStringList();
    QTest::newRow("PNG with ImageMagick 6 only")
        << u"a.png"_s << u"convert-im6.q16"_s << u"convert"_s << QStringList();
    QTest::newRow("slides without LibreOffice")
        << u"a.pptx"_s << u"ffmpeg"_s << u"convert"_s << all(u"PDF,JPG,PNG"_s, office);
    QTest::newRow("slides with LibreOffice")
        << u"a.odp"_s << u"soffice"_s << u"convert"_s << QStringList();
    QTest::newRow("CSV without LibreOffice")
        << u"a.csv"_s << u""_s << u"convert"_s << QStringList{u"ODS="_s + ods, u"PDF="_s + office};
    QTest::newRow("ODS without LibreOffice")
        << u"a.ods"_s << u""_s << u"convert"_s << all(u"XLSX,CSV,TSV,PDF"_s, ods);
    QTest::newRow("XLSX with LibreOffice")
        << u"a.xlsx"_s << u"soffice"_s << u"convert"_s << QStringList();
}

void TestCatalog::reasons()
{
    QFETCH(QString, names);
    QFETCH(QString, installed);
    QFETCH(QString, mode);
    QFETCH(QStringList, expected);
    install(installed);
    const QStringList paths = files(names);
    const QList<Operation> operations =
        mode == QLatin1String("tools") ? Catalog::tools(paths) : Catalog::conversions(paths);
    QStringList actual;
    for (const Operation& operation : operations) {
        if (operation.missing)
            actual.append(operation.title + QLatin1Char('=') + operation.missing->text());
    }
    actual.sort();
    expected.sort();
    QCOMPARE(actual, expected);
}

void TestCatalog::conversionsCarryTheirFormat()
{
    // With mixed format keys, a file's own format stays on offer.
    QCOMPARE(titles(Catalog::formats({u"png"_s, u"jpg"_s}, files(u"a.png,b.jpg"_s), {}, {})),
             QStringList({u"PNG"_s, u"JPG"_s}));
    QVERIFY(Catalog::formats({u"png"_s}, files(u"a.png"_s), {}, {}).isEmpty());
}

void TestCatalog::firstFailureStopsTheConversion()
{
    const QStringList inputs = files(u"one.txt,two.txt,three.txt"_s);
    QStringList converted;
    const auto convert = [&](const QString& file, const QString& target) {
        if (file.endsWith(QLatin1String("two.txt")))
            throw Fail(u"two failed"_s);
        converted.append(TestSupport::writeFile(file + QLatin1Char('.') + target));
        return QStringList{converted.constLast()};
    };
    const QList<Operation> operations = Catalog::formats({u"md"_s}, inputs, {}, convert);
    QCOMPARE(operations.size(), 1);
    QCOMPARE(TestSupport::failureOf([&] { operations.first().perform(inputs); }), u"two failed"_s);
    QCOMPARE(converted.size(), 1);
    QVERIFY(QFileInfo::exists(converted.first()));
}

QTEST_GUILESS_MAIN(TestCatalog)
#include "tst_Catalog.moc"
