#include "base/FileKind.h"
#include "base/Formats.h"
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
    void formatTable_data();
    void formatTable();
    void everyNameInTheTableIsOneFormat();
};

void TestFileKind::classifiesNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("key");
    QTest::addColumn<Kind>("kind");
    const struct
    {
        const char* name;
        const char* key;
        Kind kind;
    } rows[] = {
        {"Photo.JPEG", "jpg", FileKind::image},
        {"movie.M4V", "mp4", FileKind::video},
        {"backup.tar.gz", "tar.gz", FileKind::archive},
        {"backup.TGZ", "tar.gz", FileKind::archive},
        {"backup.tar.bz2", "bz2", FileKind::archive},
        {"notes.markdown", "md", FileKind::document},
        {"deck.pptx", "pptx", FileKind::slides},
        {"table.tsv", "tsv", FileKind::spreadsheet},
        {"subs.VTT", "vtt", FileKind::subtitle},
        {"doc.pdf", "pdf", FileKind::pdf},
        {"voice.oga", "ogg", FileKind::audio},
        {"README", "", FileKind::other},
        {"data.xyz", "xyz", FileKind::other},
        {"my.photos/shot.png", "png", FileKind::image},
    };
    for (const auto& row : rows)
        QTest::newRow(row.name) << QString::fromUtf8(row.name) << QString::fromUtf8(row.key)
                                << row.kind;
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

void TestFileKind::formatTable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("symbol");
    QTest::newRow("key") << u"png"_s << u"png"_s << u"PNG"_s << u"photo"_s;
    QTest::newRow("alias") << u"JPEG"_s << u"jpg"_s << u"JPG"_s << u"photo"_s;
    QTest::newRow("double extension") << u"tgz"_s << u"tar.gz"_s << u"GZIP"_s << u"doc.zipper"_s;
    QTest::newRow("animated") << u"gif"_s << u"gif"_s << u"GIF"_s << u"photo.stack"_s;
    QTest::newRow("without a symbol") << u"xls"_s << u"xls"_s << u"XLS"_s << u"doc"_s;
    QTest::newRow("unknown") << u"xyz"_s << u"xyz"_s << u"XYZ"_s << u"doc"_s;
}

void TestFileKind::formatTable()
{
    QFETCH(QString, name);
    QFETCH(QString, key);
    QFETCH(QString, title);
    QFETCH(QString, symbol);
    QCOMPARE(Formats::key(name.toLower()), key);
    QCOMPARE(Formats::title(key), title);
    QCOMPARE(Formats::symbol(key), symbol);
}

void TestFileKind::everyNameInTheTableIsOneFormat()
{
    QSet<QString> names;
    for (const Formats::Format& format : Formats::all()) {
        for (const QString& name : QStringList{format.key} + format.aliases) {
            QVERIFY2(!names.contains(name), qPrintable(name));
            names.insert(name);
            QCOMPARE(Formats::find(name), &format);
            QCOMPARE(FileKind::of(u"/x/file."_s + name), format.kind);
        }
    }
}

QTEST_GUILESS_MAIN(TestFileKind)
#include "tst_FileKind.moc"
