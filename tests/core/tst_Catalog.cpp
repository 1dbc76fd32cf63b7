#include "core/Catalog.h"
#include "core/Deps.h"
#include "core/Errors.h"
#include "core/FormatSymbol.h"
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

    const QString imageTools = QStringLiteral("Compress,Half Size,Resize…,Rotate,Flip,Square,Strip "
                                              "Metadata,Remove Background,Merge into PDF");
    const QString videoTools =
        u"Compress,Trim…,Extract Audio,Mute,720p,Rotate,Speed 2×,Frame,Merge"_s;
    const QString audioTools = u"Trim…,Compress,Normalize,Reverse,Mono,Merge"_s;
    const QString pdfTools = u"Compress,Merge,Split,Rotate,Extract Pages…,Remove Pages…"_s;
    const QString zipOnly = u"Compress to ZIP"_s;
    const QString archives = u"ZIP,TAR,GZIP"_s;

    QTest::newRow("several PNG") << "a.png,b.png"
                                 << "JPG,WEBP,HEIC,TIFF,AVIF,BMP,GIF,PDF" << imageTools;
    QTest::newRow("one GIF") << "a.gif"
                             << "JPG,PNG,WEBP,HEIC,TIFF,AVIF,BMP,PDF,MP4,WEBM" << imageTools;
    QTest::newRow("GIF and PNG") << "a.gif,b.png"
                                 << "JPG,PNG,WEBP,HEIC,TIFF,AVIF,BMP,GIF,PDF" << imageTools;
    QTest::newRow("JPG and PNG") << "a.jpg,b.PNG"
                                 << "JPG,PNG,WEBP,HEIC,TIFF,AVIF,BMP,GIF,PDF" << imageTools;
    QTest::newRow("MOV videos") << "a.mov,b.mov"
                                << "MP4,MKV,WEBM,AVI,WMV,GIF" << videoTools;
    QTest::newRow("MKV and MP4") << "a.mkv,b.mp4"
                                 << "MP4,MOV,MKV,WEBM,AVI,WMV,GIF" << videoTools;
    QTest::newRow("WAV audio") << "a.wav"
                               << "MP3,M4A,FLAC,OGG,OPUS,AIFF,WMA" << audioTools;
    QTest::newRow("AAC audio") << "a.aac"
                               << "MP3,M4A,WAV,FLAC,OGG,OPUS,AIFF,WMA" << audioTools;
    QTest::newRow("SRT") << "a.srt"
                         << "VTT"
                         << "Shift Timing…,Compress to ZIP";
    QTest::newRow("VTT") << "a.vtt,b.vtt"
                         << "SRT"
                         << "Shift Timing…,Compress to ZIP";
    QTest::newRow("SRT and VTT") << "a.srt,b.vtt"
                                 << "SRT,VTT"
                                 << "Shift Timing…,Compress to ZIP";
    QTest::newRow("TAR.GZ") << "a.tar.gz"
                            << "ZIP,TAR"
                            << "Extract,Compress to ZIP";
    QTest::newRow("ZIP and 7Z") << "a.zip,b.7z"
                                << "ZIP,TAR,GZIP"
                                << "Extract,Compress to ZIP";
    QTest::newRow("PDF") << "a.pdf"
                         << "DOCX,TXT,MD,RTF,HTML,EPUB,JPG,PNG" << pdfTools;
    QTest::newRow("DOCX") << "a.docx"
                          << "PDF,TXT,MD,RTF,HTML,ODT,EPUB" << zipOnly;
    QTest::newRow("MD and TXT") << "a.md,b.txt"
                                << "DOCX,PDF,TXT,MD,RTF,HTML,ODT,EPUB" << zipOnly;
    QTest::newRow("pages without Pages") << "a.pages"
                                         << "" << zipOnly;
    QTest::newRow("PPTX") << "a.pptx"
                          << "PDF,JPG,PNG" << zipOnly;
    QTest::newRow("KEY") << "a.key"
                         << "PDF,JPG,PNG,PPTX" << zipOnly;
    QTest::newRow("CSV") << "a.csv"
                         << "XLSX,TSV,ODS,PDF" << zipOnly;
    QTest::newRow("XLSX and ODS") << "a.xlsx,b.ods"
                                  << "XLSX,CSV,TSV,ODS,PDF" << zipOnly;
    QTest::newRow("folder") << "Photos/" << archives << zipOnly;
    QTest::newRow("folder and file") << "Photos/,a.png" << archives << zipOnly;
    QTest::newRow("unknown file") << "data.xyz" << archives << zipOnly;
    QTest::newRow("PNG and MP3") << "a.png,b.mp3" << archives << zipOnly;
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

    const QString ffmpeg = Deps::ffmpegMissingReason();
    const QString office = Deps::libreOfficeNeeded();
    const QString ods = Deps::odsNeedsLibreOffice();
    const auto all = [](const QString& titles, const QString& reason) {
        QStringList pairs;
        for (const QString& title : split(titles))
            pairs.append(title + QLatin1Char('=') + reason);
        return pairs;
    };

    QTest::newRow("video without ffmpeg")
        << "a.mov"
        << ""
        << "convert" << all(u"MP4,MKV,WEBM,AVI,WMV,GIF"_s, ffmpeg);
    QTest::newRow("video tools without ffmpeg")
        << "a.mov"
        << ""
        << "tools"
        << all(u"Compress,Trim…,Extract Audio,Mute,720p,Rotate,Speed 2×,Frame,Merge"_s, ffmpeg);
    QTest::newRow("audio tools without ffmpeg")
        << "a.mp3"
        << "magick"
        << "tools" << all(u"Trim…,Compress,Normalize,Reverse,Mono,Merge"_s, ffmpeg);
    QTest::newRow("video with ffmpeg") << "a.mov"
                                       << "ffmpeg"
                                       << "convert" << QStringList();
    QTest::newRow("GIF with nothing") << "a.gif"
                                      << ""
                                      << "convert" << all(u"MP4,WEBM"_s, ffmpeg);
    QTest::newRow("GIF with ffmpeg only") << "a.gif"
                                          << "ffmpeg"
                                          << "convert" << QStringList();
    QTest::newRow("PNG with ImageMagick 6 only") << "a.png"
                                                 << "convert-im6.q16"
                                                 << "convert" << QStringList();
    QTest::newRow("slides without LibreOffice") << "a.pptx"
                                                << "ffmpeg"
                                                << "convert" << all(u"PDF,JPG,PNG"_s, office);
    QTest::newRow("slides with LibreOffice") << "a.odp"
                                             << "soffice"
                                             << "convert" << QStringList();
    QTest::newRow("CSV without LibreOffice")
        << "a.csv"
        << ""
        << "convert" << QStringList{u"ODS="_s + ods, u"PDF="_s + office};
    QTest::newRow("ODS without LibreOffice") << "a.ods"
                                             << ""
                                             << "convert" << all(u"XLSX,CSV,TSV,PDF"_s, ods);
    QTest::newRow("XLSX with LibreOffice") << "a.xlsx"
                                           << "soffice"
                                           << "convert" << QStringList();
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
        if (operation.unavailableReason)
            actual.append(operation.title + QLatin1Char('=') + *operation.unavailableReason);
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
