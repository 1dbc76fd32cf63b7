#include "catalog/Catalog.h"
#include "converters/office/LibreOffice.h"
#include "converters/slides/SlidesConverter.h"
#include "core/NameReservations.h"
#include "core/Settings.h"
#include "core/Shell.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <future>
#include <unistd.h>

using namespace Qt::StringLiterals;

using TestSupport::ScopedEnv;

namespace {

// A flat OpenDocument presentation, one slide per title.
QByteArray flatPresentation(const QStringList& titles)
{
    QByteArray pages;
    for (const QString& title : titles)
        pages += "<draw:page draw:name=\"" + title.toUtf8() +
                 "\"><draw:frame svg:x=\"2cm\" svg:y=\"2cm\" svg:width=\"20cm\" svg:height=\"3cm\">"
                 "<draw:text-box><text:p>" +
                 title.toUtf8() + "</text:p></draw:text-box></draw:frame></draw:page>";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document "
           "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
           "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" "
           "office:version=\"1.3\" "
           "office:mimetype=\"application/"
           "vnd.oasis.opendocument.presentation\"><office:body><office:presentation>" +
           pages + "</office:presentation></office:body></office:document>";
}

QString soffice()
{
    return QStandardPaths::findExecutable(u"soffice"_s);
}

int pdfPages(const QString& pdf)
{
    return Shell::run(u"/usr/bin/qpdf"_s, {u"--show-npages"_s, pdf}).trimmed().toInt();
}

} // namespace

class TestSlidesConverter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void targetsAndReasons();
    void presentations_data();
    void presentations();
    void severalInOneRun();
    void twoAtOnceAndBesideTheUsersOwn();
    void standInsForLibreOffice_data();
    void standInsForLibreOffice();

private:
    QString deck(const QString& name, const QStringList& titles);

    TestSupport::PrivateSettings m_settings;
    QTemporaryDir m_cache;
    std::unique_ptr<ScopedEnv> m_cacheHome;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<NameReservations::Scope> m_names;
};

void TestSlidesConverter::initTestCase()
{
    // The program's LibreOffice profile lives in the cache folder.
    m_cacheHome = std::make_unique<ScopedEnv>("XDG_CACHE_HOME", m_cache.path().toLocal8Bit());
}

void TestSlidesConverter::init()
{
    m_names.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    m_names = std::make_unique<NameReservations::Scope>();
}

QString TestSlidesConverter::deck(const QString& name, const QStringList& titles)
{
    const QString flat = TestSupport::writeFile(
        m_dir->filePath(u"make/"_s + QFileInfo(name).completeBaseName() + u".fodp"_s),
        flatPresentation(titles));
    const QString format = QFileInfo(name).suffix();
    Shell::run(soffice(),
               {u"-env:UserInstallation=file://"_s + m_cache.filePath(u"profile"_s),
                u"--headless"_s, u"--convert-to"_s, format, u"--outdir"_s, m_dir->path(), flat});
    return m_dir->filePath(name);
}

void TestSlidesConverter::targetsAndReasons()
{
    QCOMPARE(SlidesConverter::targets(u"key"_s),
             QStringList({u"pdf"_s, u"jpg"_s, u"png"_s, u"pptx"_s}));
    QCOMPARE(SlidesConverter::targets(u"pptx"_s), QStringList({u"pdf"_s, u"jpg"_s, u"png"_s}));
    const ScopedEnv noTools("FLINGDIAL_TOOL_DIRS", m_dir->filePath(u"none"_s).toLocal8Bit());
    const QString key = TestSupport::writeFile(m_dir->filePath(u"talk.key"_s), "x");
    for (const Operation& operation : Catalog::conversions({key}))
        QCOMPARE(operation.missing.value_or(Component()).text(),
                 u"This needs LibreOffice.\nInstall it with:  sudo apt install libreoffice"_s);
    const QString pages = TestSupport::writeFile(m_dir->filePath(u"letter.pages"_s), "x");
    QVERIFY(Catalog::conversions({pages}).isEmpty());
}

void TestSlidesConverter::presentations_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::newRow("PPTX to PDF") << u"talk.pptx"_s << u"pdf"_s;
    QTest::newRow("ODP to PPTX") << u"talk.odp"_s << u"pptx"_s;
    QTest::newRow("PPTX to PNG") << u"talk.pptx"_s << u"png"_s;
    QTest::newRow("ODP to JPG") << u"talk.odp"_s << u"jpg"_s;
    QTest::newRow("one slide to PNG") << u"single.odp"_s << u"png"_s;
}

void TestSlidesConverter::presentations()
{
    if (soffice().isEmpty())
        QSKIP("LibreOffice (soffice) is not installed");
    QFETCH(QString, source);
    QFETCH(QString, target);
    const QStringList titles = source.startsWith(u"single"_s)
                                   ? QStringList{u"Only"_s}
                                   : QStringList{u"First"_s, u"Second"_s, u"Third"_s};
    const QString file = deck(source, titles);
    const QStringList made = SlidesConverter::convert(file, target);
    QCOMPARE(made.size(), 1);
    const QString result = made.first();
    const QString stem = QFileInfo(source).completeBaseName();
    if (target == u"pdf") {
        QCOMPARE(pdfPages(result), 3);
    } else if (target == u"pptx") {
        // Back to PDF: the same three slides.
        QCOMPARE(pdfPages(SlidesConverter::convert(result, u"pdf"_s).first()), 3);
    } else if (titles.size() == 1) {
        QCOMPARE(QFileInfo(result).fileName(), stem + u'.' + target);
        QVERIFY(QImage(result).width() > 1000);
    } else {
        QCOMPARE(QFileInfo(result).fileName(), stem + u" pages"_s);
        QCOMPARE(QDir(result).entryList(QDir::Files).size(), 3);
        const QImage first(result + u'/' + stem + u" 001."_s + target);
        QVERIFY(first.width() > first.height());
    }
    // No intermediate PDF beside the source.
    const QStringList beside = QDir(m_dir->path()).entryList({u"*.pdf"_s}, QDir::Files);
    // (The PDF of a PPTX result is made above to count its slides.)
    const bool pdfMade = target == u"pdf" || target == u"pptx";
    QCOMPARE(beside, pdfMade ? QStringList{stem + u".pdf"_s} : QStringList());
}

void TestSlidesConverter::severalInOneRun()
{
    if (soffice().isEmpty())
        QSKIP("LibreOffice (soffice) is not installed");
    // Two decks of one name in different folders, and a file LibreOffice can't open.
    const QString first = deck(u"talk.odp"_s, {u"A"_s});
    QDir().mkpath(m_dir->filePath(u"other"_s));
    const QString second = m_dir->filePath(u"other/talk.odp"_s);
    QFile::copy(deck(u"second.odp"_s, {u"B"_s, u"C"_s}), second);
    const QString broken = TestSupport::writeFile(m_dir->filePath(u"broken.pptx"_s),
                                                  QByteArray("PK\x03\x04\x14\x00broken zip"));
    const QStringList made = SlidesConverter::convertAll({first, second}, u"pdf"_s);
    QCOMPARE(made,
             QStringList({m_dir->filePath(u"talk.pdf"_s), m_dir->filePath(u"other/talk.pdf"_s)}));
    QCOMPARE(pdfPages(made.at(1)), 2);
    QCOMPARE(TestSupport::failureOf([&] {
                 SlidesConverter::convertAll({first, broken}, u"pdf"_s);
             }),
             u"LibreOffice couldn’t open broken.pptx."_s);
    QVERIFY(QFileInfo::exists(m_dir->filePath(u"talk 2.pdf"_s)));
}

void TestSlidesConverter::twoAtOnceAndBesideTheUsersOwn()
{
    if (soffice().isEmpty())
        QSKIP("LibreOffice (soffice) is not installed");
    const QString a = deck(u"a.odp"_s, {u"A"_s});
    const QString b = deck(u"b.odp"_s, {u"B"_s});
    // The user's own LibreOffice, on its default profile, stays running.
    QProcess users;
    users.setChildProcessModifier([] { ::setsid(); });
    users.start(soffice(), {u"--headless"_s, u"--norestore"_s, u"--invisible"_s});
    QVERIFY(users.waitForStarted());
    const auto convert = [](const QString& file) {
        const NameReservations::Scope names;
        return SlidesConverter::convert(file, u"pdf"_s);
    };
    auto first = std::async(std::launch::async, convert, a);
    auto second = std::async(std::launch::async, convert, b);
    QCOMPARE(pdfPages(first.get().first()), 1);
    QCOMPARE(pdfPages(second.get().first()), 1);
    ::kill(-pid_t(users.processId()), SIGKILL);
    users.waitForFinished();
}

void TestSlidesConverter::standInsForLibreOffice_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("failure");
    QTest::newRow("never answers")
        << QByteArray("exec sleep 600\n") << u"LibreOffice didn’t respond in time."_s;
    QTest::newRow("writes nothing")
        << QByteArray("exit 0\n") << u"LibreOffice didn’t produce a file."_s;
    // Writes its result and a second file: only the result is taken.
    QTest::newRow("writes two files")
        << QByteArray("while [ $# -gt 0 ]; do [ \"$1\" = --outdir ] && out=$2; shift; done\n"
                      "echo made > \"$out/0.pdf\"; echo extra > \"$out/extra.pdf\"\n")
        << QString();
}

void TestSlidesConverter::standInsForLibreOffice()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, failure);
    const QString bin = m_dir->filePath(u"bin"_s);
    TestSupport::writeExecutable(bin + u"/soffice"_s, script);
    const ScopedEnv tools("FLINGDIAL_TOOL_DIRS", bin.toLocal8Bit());
    const ScopedEnv limit("FLINGDIAL_LIBREOFFICE_TIMEOUT", "1");
    const QString source =
        TestSupport::writeFile(m_dir->filePath(u"talk.pptx"_s), QByteArray("PK\x03\x04 deck"));
    if (failure.isEmpty()) {
        const QString made = SlidesConverter::convert(source, u"pdf"_s).first();
        QCOMPARE(TestSupport::readFile(made), QByteArray("made\n"));
    } else {
        QCOMPARE(TestSupport::failureOf([&] { SlidesConverter::convert(source, u"pdf"_s); }),
                 failure);
    }
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             failure.isEmpty() ? QStringList({u"talk.pdf"_s, u"talk.pptx"_s})
                               : QStringList{u"talk.pptx"_s});
}

QTEST_GUILESS_MAIN(TestSlidesConverter)
#include "tst_SlidesConverter.moc"
