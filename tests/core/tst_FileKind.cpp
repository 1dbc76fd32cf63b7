#include "core/Errors.h"
#include "core/FileKind.h"
#include "core/FormatSymbol.h"
#include "core/WheelMode.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

using FileKind::Kind;
Q_DECLARE_METATYPE(FileKind::Kind)

class TestFileKind : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void classifiesNames_data();
    void classifiesNames();
    void classifiesDirectories();
    void extensionSetsAreDisjoint();
    void symbolsForFormats_data();
    void symbolsForFormats();
    void wheelModesCycle();
    void failShowsItsMessage();
};

void TestFileKind::classifiesNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("key");
    QTest::addColumn<Kind>("kind");

    QTest::newRow("alias jpeg") << "Photo.JPEG"
                                << "jpg" << FileKind::image;
    QTest::newRow("alias m4v") << "movie.M4V"
                               << "mp4" << FileKind::video;
    QTest::newRow("tar.gz") << "backup.tar.gz"
                            << "tar.gz" << FileKind::archive;
    QTest::newRow("tgz in capitals") << "backup.TGZ"
                                     << "tar.gz" << FileKind::archive;
    QTest::newRow("tar.bz2 is bz2") << "backup.tar.bz2"
                                    << "bz2" << FileKind::archive;
    QTest::newRow("markdown") << "notes.markdown"
                              << "md" << FileKind::document;
    QTest::newRow("htm") << "page.htm"
                         << "html" << FileKind::document;
    QTest::newRow("tif") << "scan.tif"
                         << "tiff" << FileKind::image;
    QTest::newRow("aif") << "sound.aif"
                         << "aiff" << FileKind::audio;
    QTest::newRow("heif") << "shot.heif"
                          << "heic" << FileKind::image;
    QTest::newRow("text") << "read.text"
                          << "txt" << FileKind::document;
    QTest::newRow("oga") << "voice.oga"
                         << "ogg" << FileKind::audio;
    QTest::newRow("jpe") << "old.jpe"
                         << "jpg" << FileKind::image;
    QTest::newRow("slides") << "deck.pptx"
                            << "pptx" << FileKind::slides;
    QTest::newRow("spreadsheet") << "table.tsv"
                                 << "tsv" << FileKind::spreadsheet;
    QTest::newRow("subtitle") << "subs.VTT"
                              << "vtt" << FileKind::subtitle;
    QTest::newRow("pdf") << "doc.pdf"
                         << "pdf" << FileKind::pdf;
    QTest::newRow("no extension, missing") << "README"
                                           << "" << FileKind::other;
    QTest::newRow("unknown extension") << "data.xyz"
                                       << "xyz" << FileKind::other;
    QTest::newRow("dots in folder names") << "my.photos/shot.png"
                                          << "png" << FileKind::image;
}

void TestFileKind::classifiesNames()
{
    QFETCH(QString, name);
    QFETCH(QString, key);
    QFETCH(Kind, kind);
    const QString path = u"/nonexistent/"_s + name;
    QCOMPARE(FileKind::ext(path), key);
    QCOMPARE(FileKind::of(path), kind);
}

void TestFileKind::classifiesDirectories()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto makeDir = [&](const QString& name) {
        QDir(dir.path()).mkpath(name);
        return dir.filePath(name);
    };
    QCOMPARE(FileKind::of(makeDir(u"Plain"_s)), FileKind::folder);
    QCOMPARE(FileKind::of(makeDir(u"my.folder"_s)), FileKind::folder);
    QCOMPARE(FileKind::of(makeDir(u"Report.pages"_s)), FileKind::document);
    QCOMPARE(FileKind::of(makeDir(u"Deck.key"_s)), FileKind::slides);
    QCOMPARE(FileKind::of(makeDir(u"Tool.app"_s)), FileKind::other);
    QCOMPARE(FileKind::of(makeDir(u"Thing.bundle"_s)), FileKind::other);
    QCOMPARE(FileKind::of(TestSupport::writeFile(dir.filePath(u"Makefile"_s))), FileKind::other);
}

void TestFileKind::extensionSetsAreDisjoint()
{
    QSet<QString> seen;
    qsizetype total = 0;
    for (const auto& set : FileKind::extensions()) {
        seen.unite(set);
        total += set.size();
    }
    QCOMPARE(seen.size(), total);
    QCOMPARE(FileKind::extensions().size(), 9);
}

void TestFileKind::symbolsForFormats_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("symbol");
    QTest::newRow("png") << "png"
                         << "photo";
    QTest::newRow("capitals are not keys") << "PNG"
                                           << "doc";
    QTest::newRow("gif") << "gif"
                         << "photo.stack";
    QTest::newRow("mkv") << "mkv"
                         << "film";
    QTest::newRow("ppt has none") << "ppt"
                                  << "doc";
    QTest::newRow("pptx") << "pptx"
                          << "rectangle.on.rectangle.angled";
    QTest::newRow("html") << "html"
                          << "chevron.left.forwardslash.chevron.right";
    QTest::newRow("tar.gz") << "tar.gz"
                            << "doc.zipper";
    QTest::newRow("vtt") << "vtt"
                         << "captions.bubble";
    QTest::newRow("md") << "md"
                        << "number";
    QTest::newRow("numbers") << "numbers"
                             << "tablecells";
}

void TestFileKind::symbolsForFormats()
{
    QFETCH(QString, format);
    QFETCH(QString, symbol);
    QCOMPARE(FormatSymbol::named(format), symbol);
}

void TestFileKind::wheelModesCycle()
{
    QCOMPARE(WheelMode::next(WheelMode::convert), WheelMode::tools);
    QCOMPARE(WheelMode::next(WheelMode::actions), WheelMode::convert);
    QCOMPARE(WheelMode::title(WheelMode::tools), u"Tools"_s);
    QCOMPARE(WheelMode::fromRawValue(u"actions"_s), WheelMode::actions);
    QVERIFY(!WheelMode::fromRawValue(u"Actions"_s));
    QCOMPARE(FileKind::fromRawValue(u"spreadsheet"_s), FileKind::spreadsheet);
    QVERIFY(!FileKind::fromRawValue(u"movie"_s));
}

void TestFileKind::failShowsItsMessage()
{
    try {
        throw Fail(u"The PDF couldn’t be created."_s);
    } catch (const Error& error) {
        QCOMPARE(error.description(), u"The PDF couldn’t be created."_s);
        QCOMPARE(QString::fromUtf8(error.what()), u"The PDF couldn’t be created."_s);
    }
}

QTEST_GUILESS_MAIN(TestFileKind)
#include "tst_FileKind.moc"
