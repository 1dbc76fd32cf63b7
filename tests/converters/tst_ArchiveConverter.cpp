#include "base/Errors.h"
#include "converters/archive/ArchiveConverter.h"
#include "core/NameReservations.h"
#include "core/Settings.h"
#include "core/Shell.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

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
    return lines(Shell::run(program, {u"-tf"_s, archive}));
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A folder holding a file, a FIFO, a socket and (as root) a device node.
void makeFolderWithSpecialFiles(const QString& folder)
{
    writeFile(folder + u"/kept.txt"_s, "kept");
    QVERIFY(::mkfifo(QFile::encodeName(folder + u"/pipe"_s).constData(), 0600) == 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = QFile::encodeName(folder + u"/socket"_s);
    QVERIFY(size_t(socketPath.size()) < sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
    const int bound = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(::bind(bound, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
    ::close(bound);
    if (::geteuid() == 0)
        QVERIFY(::mknod(QFile::encodeName(folder + u"/null"_s).constData(), S_IFCHR | 0600,
                        makedev(1, 3)) == 0);
}

} // namespace

class TestArchiveConverter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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
    void packingLeavesOutPipesSocketsAndDevices_data();
    void packingLeavesOutPipesSocketsAndDevices();
    void extractionKeepsOnlyPlainEntries();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    TestSupport::PrivateSettings m_settings;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<NameReservations::Scope> m_names;
};

void TestArchiveConverter::init()
{
    m_names.reset(); // scopes end in the reverse order of their start
    m_names = std::make_unique<NameReservations::Scope>();
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestArchiveConverter::archiveNames()
{
    writeFile(path(u"Photos/one.jpg"_s), "1");
    const QString photos = path(u"Photos"_s);
    QCOMPARE(ArchiveConverter::compress({photos}, u"zip"_s), path(u"Photos.zip"_s));
    QCOMPARE(ArchiveConverter::compress({photos}, u"zip"_s), path(u"Photos 2.zip"_s));
    const QString pdf = writeFile(path(u"a.pdf"_s), "%PDF");
    QCOMPARE(ArchiveConverter::compress({pdf}, u"zip"_s), path(u"a.pdf.zip"_s));
    QCOMPARE(ArchiveConverter::compress({pdf}, u"tar.gz"_s), path(u"a.pdf.tar.gz"_s));
    QCOMPARE(ArchiveConverter::compress({pdf, photos}, u"tar"_s), path(u"Archive.tar"_s));
}

void TestArchiveConverter::topLevelEntriesWithoutMetadata_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("lister");
    QTest::newRow("zip, unzip") << u"zip"_s << u"/usr/bin/unzip"_s;
    QTest::newRow("zip, bsdtar") << u"zip"_s << u"/usr/bin/bsdtar"_s;
    QTest::newRow("tar, GNU tar") << u"tar"_s << u"/bin/tar"_s;
    QTest::newRow("gzip, GNU tar") << u"tar.gz"_s << u"/bin/tar"_s;
    QTest::newRow("gzip, bsdtar") << u"tar.gz"_s << u"/usr/bin/bsdtar"_s;
}

void TestArchiveConverter::topLevelEntriesWithoutMetadata()
{
    QFETCH(QString, format);
    QFETCH(QString, lister);
    const QStringList files = {writeFile(path(u"a.txt"_s), "a"), writeFile(path(u"b.txt"_s), "b"),
                               path(u"Folder"_s)};
    writeFile(path(u"Folder/c.txt"_s), "c");
    writeFile(path(u"Folder/.DS_Store"_s), "finder");
    writeFile(path(u".DS_Store"_s), "finder");
    const QString archive = ArchiveConverter::compress(files, format);
    QCOMPARE(archive, path(u"Archive."_s + format));

    QStringList entries;
    if (lister.endsWith(QLatin1String("unzip"))) {
        const QStringList names = lines(Shell::run(lister, {u"-Z1"_s, archive}));
        entries = names;
    } else {
        entries = listing(lister, archive);
    }
    for (QString& entry : entries) {
        if (entry.endsWith(QLatin1Char('/')))
            entry.chop(1);
    }
    QCOMPARE(entries, QStringList({u"Folder"_s, u"Folder/c.txt"_s, u"a.txt"_s, u"b.txt"_s}));
}

void TestArchiveConverter::itemsFromSeveralFolders()
{
    const QString a = writeFile(path(u"one/a.txt"_s), "a");
    const QString b = writeFile(path(u"two/b.txt"_s), "b");
    const QString archive = ArchiveConverter::compress({a, b}, u"zip"_s);
    QCOMPARE(archive, path(u"one/Archive.zip"_s));
    QCOMPARE(listing(u"/usr/bin/bsdtar"_s, archive), QStringList({u"a.txt"_s, u"b.txt"_s}));
    // Two items of one name can't share the top level: nothing is made.
    const QString otherA = writeFile(path(u"two/a.txt"_s), "other");
    QVERIFY_THROWS_EXCEPTION(SystemError, ArchiveConverter::compress({a, otherA}, u"zip"_s));
    QVERIFY(!QFileInfo::exists(path(u"one/Archive 2.zip"_s)));
}

void TestArchiveConverter::awkwardNamesRoundTrip_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("zip") << u"zip"_s;
    QTest::newRow("tar") << u"tar"_s;
    QTest::newRow("gzip") << u"tar.gz"_s;
}

void TestArchiveConverter::awkwardNamesRoundTrip()
{
    QFETCH(QString, format);
    const QStringList names = {u"with space.txt"_s, u"quote's \"double\".txt"_s,
                               u"Ünïcødé – ñ.txt"_s, u"-leading-dash.txt"_s, u"--help"_s};
    QStringList files;
    QByteArray binary;
    for (int i = 0; i < 70000; ++i)
        binary.append(static_cast<char>((i * 7919) % 256));
    for (const QString& name : names)
        files.append(writeFile(path(u"src/"_s + name), name.toUtf8() + binary));
    const QString archive = ArchiveConverter::compress(files, format);
    const QString extracted = ArchiveConverter::extract(archive);
    QCOMPARE(extracted, path(u"src/Archive"_s));
    QCOMPARE(QDir(extracted).entryList(QDir::Files).size(), names.size());
    for (const QString& name : names)
        QCOMPARE(contentOf(extracted + QLatin1Char('/') + name), name.toUtf8() + binary);
}

void TestArchiveConverter::repacking()
{
    writeFile(path(u"backup/notes.txt"_s), "notes");
    const QString tarGz = ArchiveConverter::compress({path(u"backup"_s)}, u"tar.gz"_s);
    const QString renamed = path(u"backup.tar.gz"_s);
    QCOMPARE(tarGz, renamed);
    const QString zip = ArchiveConverter::convert(renamed, u"zip"_s);
    QCOMPARE(zip, path(u"backup.zip"_s));
    QCOMPARE(ArchiveConverter::convert(renamed, u"tar"_s), path(u"backup.tar"_s));
    QCOMPARE(listing(u"/usr/bin/bsdtar"_s, zip),
             QStringList({u"backup/"_s, u"backup/notes.txt"_s}));
}

void TestArchiveConverter::extractingShapes()
{
    writeFile(path(u"Site/index.html"_s), "<html>");
    const QString site = ArchiveConverter::compress({path(u"Site"_s)}, u"zip"_s);
    QDir(path(u"Site"_s)).removeRecursively();
    QCOMPARE(ArchiveConverter::extract(site), path(u"Site"_s));
    QCOMPARE(contentOf(path(u"Site/index.html"_s)), QByteArray("<html>"));

    const QString pair = ArchiveConverter::compress(
        {writeFile(path(u"a.txt"_s), "a"), writeFile(path(u"b.txt"_s), "b")}, u"zip"_s);
    QCOMPARE(ArchiveConverter::extract(pair), path(u"Archive"_s));
    QCOMPARE(QDir(path(u"Archive"_s)).entryList(QDir::Files),
             QStringList({u"a.txt"_s, u"b.txt"_s}));

    // 7z, as bsdtar writes it, extracts through the same path.
    Shell::run(u"/usr/bin/bsdtar"_s, {u"--format"_s, u"7zip"_s, u"-cf"_s, path(u"pair.7z"_s),
                                      u"-C"_s, m_dir->path(), u"a.txt"_s, u"b.txt"_s});
    QCOMPARE(ArchiveConverter::extract(path(u"pair.7z"_s)), path(u"pair"_s));
    QCOMPARE(contentOf(path(u"pair/b.txt"_s)), QByteArray("b"));
}

void TestArchiveConverter::extractingLoneCompressedFiles()
{
    const QString notes = writeFile(path(u"notes.txt"_s), "some notes\n");
    Shell::run(u"/bin/gzip"_s, {u"-k"_s, notes});
    Shell::run(u"/usr/bin/xz"_s, {u"-k"_s, notes});
    Shell::run(u"/bin/bzip2"_s, {u"-k"_s, notes});
    for (const QString& suffix : {u".gz"_s, u".xz"_s, u".bz2"_s}) {
        const QString result = ArchiveConverter::extract(notes + suffix);
        QVERIFY(result.startsWith(path(u"notes "_s)));
        QVERIFY(result.endsWith(QLatin1String(".txt")));
        QCOMPARE(contentOf(result), QByteArray("some notes\n"));
    }
    // A compressed TAR goes through the archive path.
    writeFile(path(u"data/x.csv"_s), "1,2");
    const QString tarGz = ArchiveConverter::compress({path(u"data"_s)}, u"tar.gz"_s);
    QCOMPARE(tarGz, path(u"data.tar.gz"_s));
    QDir(path(u"data"_s)).removeRecursively();
    QCOMPARE(ArchiveConverter::extract(path(u"data.tar.gz"_s)), path(u"data"_s));

    // A corrupt file leaves no half-written result behind.
    const QString bad = writeFile(path(u"bad.txt.gz"_s), "not gzip at all");
    QVERIFY_THROWS_EXCEPTION(Fail, ArchiveConverter::extract(bad));
    QVERIFY(!QFileInfo::exists(path(u"bad.txt"_s)));
}

void TestArchiveConverter::emptyArchives()
{
    writeFile(path(u"meta/__MACOSX/._a.txt"_s), "resource fork");
    writeFile(path(u"meta/.DS_Store"_s), "finder");
    Shell::run(u"/usr/bin/bsdtar"_s, {u"--format"_s, u"zip"_s, u"-cf"_s, path(u"meta.zip"_s),
                                      u"-C"_s, path(u"meta"_s), u"__MACOSX"_s, u".DS_Store"_s});
    QCOMPARE(TestSupport::failureOf([&] { ArchiveConverter::extract(path(u"meta.zip"_s)); }),
             u"meta.zip is empty."_s);
}

void TestArchiveConverter::missingDecompressor()
{
    const QString notes = writeFile(path(u"notes.txt"_s), "x");
    Shell::run(u"/usr/bin/xz"_s, {notes});
    const TestSupport::ScopedEnv noTools("FLINGDIAL_TOOL_DIRS", path(u"empty"_s).toLocal8Bit());
    QCOMPARE(TestSupport::failureOf([&] { ArchiveConverter::extract(path(u"notes.txt.xz"_s)); }),
             u"This computer can’t open .xz files."_s);
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
    const QString bsdtar = u"/usr/bin/bsdtar"_s;
    const QString outside = path(u"outside"_s);
    QDir().mkpath(outside);
    const QString payload = u"payload-"_s + QUuid::createUuid().toString(QUuid::Id128);
    makeArchive.replaceInStrings(u"payload"_s, payload);
    writeFile(path(payload), "evil");
    // Parts the cases assemble: an absolute entry, a link out, a file through it.
    const QString absolute = outside + u"/absolute"_s;
    Shell::run(bsdtar, {u"-cPf"_s, path(u"abs.tar"_s), u"-s"_s, u",.*,"_s + absolute + u","_s,
                        path(payload)});
    QVERIFY(QFile::link(outside, path(u"link"_s)));
    Shell::run(bsdtar, {u"-cf"_s, path(u"link.tar"_s), u"-C"_s, m_dir->path(), u"link"_s});
    writeFile(path(u"through/link/written"_s), "evil");
    Shell::run(bsdtar,
               {u"-cf"_s, path(u"through.tar"_s), u"-C"_s, path(u"through"_s), u"link/written"_s});
    Shell::run(bsdtar, makeArchive, m_dir->path());

    const QString nested = path(u"deep/down"_s);
    QDir().mkpath(nested);
    const QString archive =
        path(makeArchive.contains(u"evil.zip"_s) ? u"evil.zip"_s : u"evil.tar"_s);
    const QString copy = nested + QLatin1Char('/') + QFileInfo(archive).fileName();
    QVERIFY(QFile::copy(archive, copy));
    try {
        ArchiveConverter::extract(copy);
    } catch (const Error&) {
        // Refusing the archive is fine; writing outside is not.
    }
    QCOMPARE(QDir(outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QVERIFY(!QFileInfo::exists(path(u"deep/"_s + payload)));
    QVERIFY(!QFileInfo::exists(QDir::temp().filePath(payload)));
    QVERIFY(!QFileInfo::exists(absolute));
    QVERIFY(!QFileInfo::exists(outside + u"/written"_s));
}

void TestArchiveConverter::packingLeavesOutPipesSocketsAndDevices_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("sameFolder"); // else the items are copied together first
    for (const QString& format : {u"zip"_s, u"tar"_s, u"tar.gz"_s}) {
        QTest::addRow("%s, one folder", qPrintable(format)) << format << true;
        QTest::addRow("%s, two folders", qPrintable(format)) << format << false;
    }
}

void TestArchiveConverter::packingLeavesOutPipesSocketsAndDevices()
{
    QFETCH(QString, format);
    QFETCH(bool, sameFolder);
    const QString special = path(u"special"_s);
    QDir().mkpath(special);
    makeFolderWithSpecialFiles(special);
    // Links to a file and a folder outside stay links under their own names
    // (their targets' paths once became names like "special/../../secret").
    const QString secret = writeFile(path(u"outside/secret.txt"_s), "secret");
    QVERIFY(QFile::link(secret, special + u"/link"_s));
    QVERIFY(QFile::link(path(u"outside"_s), special + u"/folder link"_s));
    const QString other = writeFile(path(sameFolder ? u"b.txt"_s : u"elsewhere/b.txt"_s), "b");
    const QString archive = ArchiveConverter::compress({special, other}, format);
    const QString bsdtar = u"/usr/bin/bsdtar"_s;
    QStringList names = listing(bsdtar, archive);
    names.replaceInStrings(QRegularExpression(u"/$"_s), QString());
    names.sort();
    QCOMPARE(names, (QStringList{u"b.txt"_s, u"special"_s, u"special/folder link"_s,
                                 u"special/kept.txt"_s, u"special/link"_s}));
    const QString verbose = Shell::run(bsdtar, {u"-tvf"_s, archive});
    QVERIFY2(verbose.contains(u"special/link -> "_s + secret), qPrintable(verbose));
}

void TestArchiveConverter::extractionKeepsOnlyPlainEntries()
{
    // Made with the real tools: bsdtar stores pipes, devices and any link.
    const QString tree = path(u"make/tree"_s);
    QDir().mkpath(tree + u"/sub"_s);
    makeFolderWithSpecialFiles(tree);
    QVERIFY(QFile::link(u"kept.txt"_s, tree + u"/inside"_s));
    QVERIFY(QFile::link(u"../kept.txt"_s, tree + u"/sub/up-but-inside"_s));
    QVERIFY(QFile::link(u"/etc/passwd"_s, tree + u"/absolute"_s));
    QVERIFY(QFile::link(u"../../escape"_s, tree + u"/outside"_s));
    QVERIFY(::link(QFile::encodeName(tree + u"/kept.txt"_s).constData(),
                   QFile::encodeName(tree + u"/hard"_s).constData()) == 0);
    QDir(tree).remove(u"socket"_s); // tar has no sockets
    const QString archive = path(u"tree.tar"_s);
    Shell::run(u"/usr/bin/bsdtar"_s, {u"-cf"_s, archive, u"-C"_s, path(u"make"_s), u"tree"_s});
    QVERIFY(listing(u"/usr/bin/bsdtar"_s, archive).contains(u"tree/pipe"_s));

    const QString result = ArchiveConverter::extract(archive);
    QCOMPARE(result, path(u"tree"_s));
    QCOMPARE(TestSupport::namesIn(result),
             (QStringList{u"hard"_s, u"inside"_s, u"kept.txt"_s, u"sub"_s}));
    QCOMPARE(TestSupport::namesIn(result + u"/sub"_s), QStringList{u"up-but-inside"_s});
    QCOMPARE(contentOf(result + u"/hard"_s), QByteArray("kept"));
    QCOMPARE(QFileInfo(result + u"/inside"_s).symLinkTarget(), result + u"/kept.txt"_s);
}

QTEST_GUILESS_MAIN(TestArchiveConverter)
#include "tst_ArchiveConverter.moc"
