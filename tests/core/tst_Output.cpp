#include "core/NameReservations.h"
#include "core/Output.h"
#include "core/Settings.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <latch>
#include <thread>

using namespace Qt::StringLiterals;

class TestOutput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void resultsGoNextToTheSource();
    void customFolderIsCreated();
    void baseNames_data();
    void baseNames();
    void uniqueNames_data();
    void uniqueNames();
    void longNamesAreShortenedToFit_data();
    void longNamesAreShortenedToFit();
    void concurrentRequestsGetDistinctNames();
    void scopeReleasesUnwrittenNames();
    void temporaryDirectories();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    TestSupport::PrivateSettings m_settings;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestOutput::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    Settings::shared().reset(SettingKeys::outputMode);
    Settings::shared().reset(SettingKeys::outputPath);
}

void TestOutput::resultsGoNextToTheSource()
{
    const QString source = TestSupport::writeFile(path(u"a/b/photo.heic"_s));
    QCOMPARE(Output::directory(source), path(u"a/b"_s));
    Settings::shared().set(SettingKeys::outputMode, u"custom"_s);
    Settings::shared().set(SettingKeys::outputPath, QString());
    QCOMPARE(Output::directory(source), path(u"a/b"_s));
    const NameReservations::Scope names;
    QCOMPARE(Output::uniqueIn(source, u"photo.png"_s), path(u"a/b/photo.png"_s));
    TestSupport::writeFile(path(u"a/b/photo.png"_s));
    QCOMPARE(Output::uniqueIn(source, u"photo.png"_s), path(u"a/b/photo 2.png"_s));
}

void TestOutput::customFolderIsCreated()
{
    const QString folder = path(u"out/nested"_s);
    Settings::shared().set(SettingKeys::outputMode, u"custom"_s);
    Settings::shared().set(SettingKeys::outputPath, folder);
    QCOMPARE(Output::directory(path(u"x.png"_s)), folder);
    QVERIFY(QFileInfo(folder).isDir());
}

void TestOutput::baseNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("isFolder");
    QTest::addColumn<QString>("base");
    QTest::newRow("tar.gz in capitals") << u"Backup.TAR.GZ"_s << false << u"Backup"_s;
    QTest::newRow("tar.xz") << u"logs.tar.xz"_s << false << u"logs"_s;
    QTest::newRow("plain folder keeps dots") << u"my.folder"_s << true << u"my.folder"_s;
    QTest::newRow("document package") << u"Report.pages"_s << true << u"Report"_s;
    QTest::newRow("zip") << u"archive.zip"_s << false << u"archive"_s;
    QTest::newRow("no extension") << u"README"_s << false << u"README"_s;
    QTest::newRow("missing file with dots") << u"a.b.c"_s << false << u"a.b"_s;
}

void TestOutput::baseNames()
{
    QFETCH(QString, name);
    QFETCH(bool, isFolder);
    QFETCH(QString, base);
    if (isFolder)
        QDir().mkpath(path(name));
    else if (name != QLatin1String("a.b.c"))
        TestSupport::writeFile(path(name));
    QCOMPARE(Output::baseName(path(name)), base);
}

void TestOutput::uniqueNames_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("candidate");
    QTest::addColumn<QString>("expected");
    QTest::newRow("free") << QStringList() << u"report.pdf"_s << u"report.pdf"_s;
    QTest::newRow("taken") << QStringList{"report.pdf"} << u"report.pdf"_s << u"report 2.pdf"_s;
    QTest::newRow("taken twice") << QStringList{"report.pdf", "report 2.pdf"} << u"report.pdf"_s
                                 << u"report 3.pdf"_s;
    QTest::newRow("tar.gz stays whole")
        << QStringList{"logs.tar.gz"} << u"logs.tar.gz"_s << u"logs 2.tar.gz"_s;
    QTest::newRow("folder without extension")
        << QStringList{"Photos/"} << u"Photos"_s << u"Photos 2"_s;
    QTest::newRow("hidden name") << QStringList{".env"} << u".env"_s << u".env 2"_s;
}

void TestOutput::uniqueNames()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, candidate);
    QFETCH(QString, expected);
    for (const QString& name : existing) {
        if (name.endsWith(QLatin1Char('/')))
            QDir().mkpath(path(name));
        else
            TestSupport::writeFile(path(name));
    }
    const NameReservations::Scope names;
    QCOMPARE(Output::unique(path(candidate)), path(expected));
}

void TestOutput::longNamesAreShortenedToFit_data()
{
    QTest::addColumn<QString>("stem");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<bool>("taken");
    const QString ascii(250, u'a');
    const QString accents(125, u'é');          // two bytes each
    const QString emoji = u"😀"_s.repeated(62); // four bytes, two UTF-16 units each
    QTest::newRow("ASCII") << ascii << u" synced"_s << false;
    QTest::newRow("ASCII, taken") << ascii << u" synced"_s << true;
    QTest::newRow("accents") << accents << u" compressed"_s << false;
    QTest::newRow("emoji, taken") << emoji << u" compressed"_s << true;
}

// "“aaa…a synced.srt” couldn't be saved: File name too long."
void TestOutput::longNamesAreShortenedToFit()
{
    QFETCH(QString, stem);
    QFETCH(QString, suffix);
    QFETCH(bool, taken);
    const QString source = TestSupport::writeFile(path(stem + u".srt"_s));
    const QString wanted = Output::candidate(source, suffix, u"srt"_s);
    if (taken)
        TestSupport::writeFile(wanted);
    const NameReservations::Scope names;
    const QString name = QFileInfo(Output::unique(wanted)).fileName();
    QVERIFY2(name.toUtf8().size() <= 255, qPrintable(name));
    QVERIFY(name.endsWith((taken ? suffix + u" 2"_s : suffix) + u".srt"_s));
    QVERIFY(stem.startsWith(name.left(100)));
    QVERIFY(!name.contains(QChar::ReplacementCharacter));
    TestSupport::writeFile(path(name));
    QVERIFY(QFileInfo::exists(path(name)));
}

void TestOutput::concurrentRequestsGetDistinctNames()
{
    const QString candidate = path(u"photo.png"_s);
    constexpr int requests = 64;
    QStringList names(requests);
    std::latch start(requests);
    std::latch named(requests);
    {
        std::vector<std::jthread> threads;
        for (int i = 0; i < requests; ++i) {
            threads.emplace_back([&, i] {
                const NameReservations::Scope scope;
                start.arrive_and_wait();
                names[i] = Output::unique(candidate);
                // Nothing is written before every request has its name, as
                // when several conversions start together.
                named.arrive_and_wait();
            });
        }
    }
    QCOMPARE(QSet<QString>(names.cbegin(), names.cend()).size(), requests);
    QVERIFY(names.contains(candidate));
    QVERIFY(names.contains(path(u"photo 64.png"_s)));
}

void TestOutput::scopeReleasesUnwrittenNames()
{
    const QString candidate = path(u"clip.mp4"_s);
    {
        const NameReservations::Scope scope;
        QCOMPARE(Output::unique(candidate), candidate);
        QCOMPARE(Output::unique(candidate), path(u"clip 2.mp4"_s));
    }
    // The operation ended without writing: the names are free again.
    const NameReservations::Scope scope;
    QCOMPARE(Output::unique(candidate), candidate);
}

void TestOutput::temporaryDirectories()
{
    const QString first = Output::temporaryDirectory();
    const QString second = Output::temporaryDirectory();
    const QRegularExpression pattern(u"^Flingdial-[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"_s);
    QVERIFY(pattern.match(QFileInfo(first).fileName()).hasMatch());
    QCOMPARE(QFileInfo(first).absolutePath(), QDir::tempPath());
    QVERIFY(QFileInfo(first).isDir());
    QVERIFY(first != second);
    QDir(first).removeRecursively();
    QDir(second).removeRecursively();
}

QTEST_GUILESS_MAIN(TestOutput)
#include "tst_Output.moc"
