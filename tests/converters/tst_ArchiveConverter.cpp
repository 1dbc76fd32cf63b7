#include "converters/ArchiveConverter.h"
#include "core/Errors.h"
#include "core/NameReservations.h"
#include "core/Settings.h"
#include "core/Shell.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

using TestSupport::writeFile;

namespace {

QStringList lines(const QString& text)
{
    QStringList list = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    list.sort();
    return list;
}

QStringList listing(const QString& program, const QString& archive)
{
    return lines(Shell::run(program, {QStringLiteral("-tf"), archive}));
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestArchiveConverter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void archiveNames();
    void topLevelEntriesWithoutMetadata_data();
    void topLevelEntriesWithoutMetadata();
    void itemsFromSeveralFolders();
    void awkwardNamesRoundTrip_data();
    void awkwardNamesRoundTrip();
    void repacking();
    void extractingShapes();
    void extractingLoneCompressedFiles();
    void emptyArchives();
    void missingDecompressor();
    void extractionStaysInsideItsFolder_data();
    void extractionStaysInsideItsFolder();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    QTemporaryDir m_config;
    std::unique_ptr<TestSupport::ScopedEnv> m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<NameReservations::Scope> m_names;
};

void TestArchiveConverter::initTestCase()
{
    m_home =
        std::make_unique<TestSupport::ScopedEnv>("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    Settings::shared().registerDefaults();
}

void TestArchiveConverter::init()
{
    m_names.reset(); // scopes end in the reverse order of their start
    m_names = std::make_unique<NameReservations::Scope>();
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestArchiveConverter::archiveNames()
{
    writeFile(path(QStringLiteral("Photos/one.jpg")), "1");
    const QString photos = path(QStringLiteral("Photos"));
    QCOMPARE(ArchiveConverter::compress({photos}, QStringLiteral("zip")),
             path(QStringLiteral("Photos.zip")));
    QCOMPARE(ArchiveConverter::compress({photos}, QStringLiteral("zip")),
             path(QStringLiteral("Photos 2.zip")));
    const QString pdf = writeFile(path(QStringLiteral("a.pdf")), "%PDF");
    QCOMPARE(ArchiveConverter::compress({pdf}, QStringLiteral("zip")),
             path(QStringLiteral("a.pdf.zip")));
    QCOMPARE(ArchiveConverter::compress({pdf}, QStringLiteral("tar.gz")),
             path(QStringLiteral("a.pdf.tar.gz")));
    QCOMPARE(ArchiveConverter::compress({pdf, photos}, QStringLiteral("tar")),
             path(QStringLiteral("Archive.tar")));
}

void TestArchiveConverter::topLevelEntriesWithoutMetadata_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("lister");
    QTest::newRow("zip, unzip") << "zip"
                                << "/usr/bin/unzip";
    QTest::newRow("zip, bsdtar") << "zip"
                                 << "/usr/bin/bsdtar";
    QTest::newRow("tar, GNU tar") << "tar"
                                  << "/bin/tar";
    QTest::newRow("gzip, GNU tar") << "tar.gz"
                                   << "/bin/tar";
    QTest::newRow("gzip, bsdtar") << "tar.gz"
                                  << "/usr/bin/bsdtar";
}

void TestArchiveConverter::topLevelEntriesWithoutMetadata()
{
    QFETCH(QString, format);
    QFETCH(QString, lister);
    const QStringList files = {writeFile(path(QStringLiteral("a.txt")), "a"),
                               writeFile(path(QStringLiteral("b.txt")), "b"),
                               path(QStringLiteral("Folder"))};
    writeFile(path(QStringLiteral("Folder/c.txt")), "c");
    writeFile(path(QStringLiteral("Folder/.DS_Store")), "finder");
    writeFile(path(QStringLiteral(".DS_Store")), "finder");
    const QString archive = ArchiveConverter::compress(files, format);
    QCOMPARE(archive, path(QStringLiteral("Archive.") + format));

    QStringList entries;
    if (lister.endsWith(QLatin1String("unzip"))) {
        const QStringList names = lines(Shell::run(lister, {QStringLiteral("-Z1"), archive}));
        entries = names;
    } else {
        entries = listing(lister, archive);
    }
    for (QString& entry : entries) {
        if (entry.endsWith(QLatin1Char('/')))
            entry.chop(1);
    }
    QCOMPARE(entries, QStringList({QStringLiteral("Folder"), QStringLiteral("Folder/c.txt"),
                                   QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
}

void TestArchiveConverter::itemsFromSeveralFolders()
{
    const QString a = writeFile(path(QStringLiteral("one/a.txt")), "a");
    const QString b = writeFile(path(QStringLiteral("two/b.txt")), "b");
    const QString archive = ArchiveConverter::compress({a, b}, QStringLiteral("zip"));
    QCOMPARE(archive, path(QStringLiteral("one/Archive.zip")));
    QCOMPARE(listing(QStringLiteral("/usr/bin/bsdtar"), archive),
             QStringList({QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
    // Two items of one name can't share the top level: nothing is made.
    const QString otherA = writeFile(path(QStringLiteral("two/a.txt")), "other");
    QVERIFY_THROWS_EXCEPTION(SystemError,
                             ArchiveConverter::compress({a, otherA}, QStringLiteral("zip")));
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("one/Archive 2.zip"))));
}

void TestArchiveConverter::awkwardNamesRoundTrip_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("zip") << "zip";
    QTest::newRow("tar") << "tar";
    QTest::newRow("gzip") << "tar.gz";
}

void TestArchiveConverter::awkwardNamesRoundTrip()
{
    QFETCH(QString, format);
    const QStringList names = {QStringLiteral("with space.txt"),
                               QStringLiteral("quote's \"double\".txt"),
                               QStringLiteral("Ünïcødé – ñ.txt"),
                               QStringLiteral("-leading-dash.txt"), QStringLiteral("--help")};
    QStringList files;
    QByteArray binary;
    for (int i = 0; i < 70000; ++i)
        binary.append(static_cast<char>((i * 7919) % 256));
    for (const QString& name : names)
        files.append(writeFile(path(QStringLiteral("src/") + name), name.toUtf8() + binary));
    const QString archive = ArchiveConverter::compress(files, format);
    const QString extracted = ArchiveConverter::extract(archive);
    QCOMPARE(extracted, path(QStringLiteral("src/Archive")));
    QCOMPARE(QDir(extracted).entryList(QDir::Files).size(), names.size());
    for (const QString& name : names)
        QCOMPARE(contentOf(extracted + QLatin1Char('/') + name), name.toUtf8() + binary);
}

void TestArchiveConverter::repacking()
{
    writeFile(path(QStringLiteral("backup/notes.txt")), "notes");
    const QString tarGz =
        ArchiveConverter::compress({path(QStringLiteral("backup"))}, QStringLiteral("tar.gz"));
    const QString renamed = path(QStringLiteral("backup.tar.gz"));
    QCOMPARE(tarGz, renamed);
    const QString zip = ArchiveConverter::convert(renamed, QStringLiteral("zip"));
    QCOMPARE(zip, path(QStringLiteral("backup.zip")));
    QCOMPARE(ArchiveConverter::convert(renamed, QStringLiteral("tar")),
             path(QStringLiteral("backup.tar")));
    QCOMPARE(listing(QStringLiteral("/usr/bin/bsdtar"), zip),
             QStringList({QStringLiteral("backup/"), QStringLiteral("backup/notes.txt")}));
}

void TestArchiveConverter::extractingShapes()
{
    writeFile(path(QStringLiteral("Site/index.html")), "<html>");
    const QString site =
        ArchiveConverter::compress({path(QStringLiteral("Site"))}, QStringLiteral("zip"));
    QDir(path(QStringLiteral("Site"))).removeRecursively();
    QCOMPARE(ArchiveConverter::extract(site), path(QStringLiteral("Site")));
    QCOMPARE(contentOf(path(QStringLiteral("Site/index.html"))), QByteArray("<html>"));

    const QString pair = ArchiveConverter::compress({writeFile(path(QStringLiteral("a.txt")), "a"),
                                                     writeFile(path(QStringLiteral("b.txt")), "b")},
                                                    QStringLiteral("zip"));
    QCOMPARE(ArchiveConverter::extract(pair), path(QStringLiteral("Archive")));
    QCOMPARE(QDir(path(QStringLiteral("Archive"))).entryList(QDir::Files),
             QStringList({QStringLiteral("a.txt"), QStringLiteral("b.txt")}));

    // 7z, as bsdtar writes it, extracts through the same path.
    Shell::run(QStringLiteral("/usr/bin/bsdtar"),
               {QStringLiteral("--format"), QStringLiteral("7zip"), QStringLiteral("-cf"),
                path(QStringLiteral("pair.7z")), QStringLiteral("-C"), m_dir->path(),
                QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    QCOMPARE(ArchiveConverter::extract(path(QStringLiteral("pair.7z"))),
             path(QStringLiteral("pair")));
    QCOMPARE(contentOf(path(QStringLiteral("pair/b.txt"))), QByteArray("b"));
}

void TestArchiveConverter::extractingLoneCompressedFiles()
{
    const QString notes = writeFile(path(QStringLiteral("notes.txt")), "some notes\n");
    Shell::run(QStringLiteral("/bin/gzip"), {QStringLiteral("-k"), notes});
    Shell::run(QStringLiteral("/usr/bin/xz"), {QStringLiteral("-k"), notes});
    Shell::run(QStringLiteral("/bin/bzip2"), {QStringLiteral("-k"), notes});
    for (const QString& suffix :
         {QStringLiteral(".gz"), QStringLiteral(".xz"), QStringLiteral(".bz2")}) {
        const QString result = ArchiveConverter::extract(notes + suffix);
        QVERIFY(result.startsWith(path(QStringLiteral("notes "))));
        QVERIFY(result.endsWith(QLatin1String(".txt")));
        QCOMPARE(contentOf(result), QByteArray("some notes\n"));
    }
    // A compressed TAR goes through the archive path.
    writeFile(path(QStringLiteral("data/x.csv")), "1,2");
    const QString tarGz =
        ArchiveConverter::compress({path(QStringLiteral("data"))}, QStringLiteral("tar.gz"));
    QCOMPARE(tarGz, path(QStringLiteral("data.tar.gz")));
    QDir(path(QStringLiteral("data"))).removeRecursively();
    QCOMPARE(ArchiveConverter::extract(path(QStringLiteral("data.tar.gz"))),
             path(QStringLiteral("data")));

    // A corrupt file leaves no half-written result behind.
    const QString bad = writeFile(path(QStringLiteral("bad.txt.gz")), "not gzip at all");
    QVERIFY_THROWS_EXCEPTION(Fail, ArchiveConverter::extract(bad));
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("bad.txt"))));
}

void TestArchiveConverter::emptyArchives()
{
    writeFile(path(QStringLiteral("meta/__MACOSX/._a.txt")), "resource fork");
    writeFile(path(QStringLiteral("meta/.DS_Store")), "finder");
    Shell::run(QStringLiteral("/usr/bin/bsdtar"),
               {QStringLiteral("--format"), QStringLiteral("zip"), QStringLiteral("-cf"),
                path(QStringLiteral("meta.zip")), QStringLiteral("-C"),
                path(QStringLiteral("meta")), QStringLiteral("__MACOSX"),
                QStringLiteral(".DS_Store")});
    try {
        ArchiveConverter::extract(path(QStringLiteral("meta.zip")));
        QFAIL("an archive of metadata only is empty");
    } catch (const Fail& fail) {
        QCOMPARE(fail.message(), QStringLiteral("meta.zip is empty."));
    }
}

void TestArchiveConverter::missingDecompressor()
{
    const QString notes = writeFile(path(QStringLiteral("notes.txt")), "x");
    Shell::run(QStringLiteral("/usr/bin/xz"), {notes});
    const TestSupport::ScopedEnv noTools("FLINGDIAL_TOOL_DIRS",
                                         path(QStringLiteral("empty")).toLocal8Bit());
    try {
        ArchiveConverter::extract(path(QStringLiteral("notes.txt.xz")));
        QFAIL("extracting without xz must fail");
    } catch (const Fail& fail) {
        QCOMPARE(fail.message(), QStringLiteral("This computer can’t open .xz files."));
    }
}

void TestArchiveConverter::extractionStaysInsideItsFolder_data()
{
    QTest::addColumn<QStringList>("makeArchive"); // bsdtar arguments, run in the test folder
    // "payload" is a name unique to the run: a dot-dot entry would land next
    // to the scratch folder, in the temporary folder.
    QTest::newRow("dot-dot entry") << QStringList{"-cf", "evil.tar", "-s", ",^,../,", "payload"};
    QTest::newRow("absolute entry") << QStringList{"-cPf", "evil.tar", "@abs.tar"};
    QTest::newRow("write through a symbolic link")
        << QStringList{"-cf", "evil.tar", "@link.tar", "@through.tar"};
    QTest::newRow("zip with dot-dot entry")
        << QStringList{"--format", "zip", "-cf", "evil.zip", "-s", ",^,../,", "payload"};
}

void TestArchiveConverter::extractionStaysInsideItsFolder()
{
    QFETCH(QStringList, makeArchive);
    const QString bsdtar = QStringLiteral("/usr/bin/bsdtar");
    const QString outside = path(QStringLiteral("outside"));
    QDir().mkpath(outside);
    const QString payload = QStringLiteral("payload-") + QUuid::createUuid().toString(QUuid::Id128);
    makeArchive.replaceInStrings(QStringLiteral("payload"), payload);
    writeFile(path(payload), "evil");
    // Parts the cases assemble: an absolute entry, a link out, a file through it.
    const QString absolute = outside + QStringLiteral("/absolute");
    Shell::run(bsdtar,
               {QStringLiteral("-cPf"), path(QStringLiteral("abs.tar")), QStringLiteral("-s"),
                QStringLiteral(",.*,") + absolute + QStringLiteral(","), path(payload)});
    QVERIFY(QFile::link(outside, path(QStringLiteral("link"))));
    Shell::run(bsdtar, {QStringLiteral("-cf"), path(QStringLiteral("link.tar")),
                        QStringLiteral("-C"), m_dir->path(), QStringLiteral("link")});
    writeFile(path(QStringLiteral("through/link/written")), "evil");
    Shell::run(bsdtar,
               {QStringLiteral("-cf"), path(QStringLiteral("through.tar")), QStringLiteral("-C"),
                path(QStringLiteral("through")), QStringLiteral("link/written")});
    Shell::run(bsdtar, makeArchive, m_dir->path());

    const QString nested = path(QStringLiteral("deep/down"));
    QDir().mkpath(nested);
    const QString archive =
        path(makeArchive.contains(QStringLiteral("evil.zip")) ? QStringLiteral("evil.zip")
                                                              : QStringLiteral("evil.tar"));
    const QString copy = nested + QLatin1Char('/') + QFileInfo(archive).fileName();
    QVERIFY(QFile::copy(archive, copy));
    try {
        ArchiveConverter::extract(copy);
    } catch (const Error&) {
        // Refusing the archive is fine; writing outside is not.
    }
    QCOMPARE(QDir(outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("deep/") + payload)));
    QVERIFY(!QFileInfo::exists(QDir::temp().filePath(payload)));
    QVERIFY(!QFileInfo::exists(absolute));
    QVERIFY(!QFileInfo::exists(outside + QStringLiteral("/written")));
}

QTEST_GUILESS_MAIN(TestArchiveConverter)
#include "tst_ArchiveConverter.moc"
