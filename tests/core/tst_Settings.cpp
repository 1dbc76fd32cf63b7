#include "core/Settings.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void registeredDefaults();
    void defaultsAreNeverWritten();
    void outputDirectory_data();
    void outputDirectory();
    void jpegQualityIsClamped_data();
    void jpegQualityIsClamped();
    void editsOnDiskAreSeenAndSignalled();

private:
    QTemporaryDir m_config;
    std::unique_ptr<TestSupport::ScopedEnv> m_home;
};

void TestSettings::initTestCase()
{
    m_home =
        std::make_unique<TestSupport::ScopedEnv>("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    Settings::shared().registerDefaults();
}

void TestSettings::init()
{
    for (const char* key : {"output.mode", "output.path", "jpegQuality", "notify"})
        Settings::shared().remove(QString::fromLatin1(key));
}

void TestSettings::registeredDefaults()
{
    const Settings& settings = Settings::shared();
    QVERIFY(settings.boolValue(u"notify"_s));
    QVERIFY(settings.boolValue(u"sound"_s));
    QVERIFY(settings.boolValue(u"hotkey"_s));
    QVERIFY(!settings.boolValue(u"revealAfter"_s));
    QVERIFY(!settings.boolValue(u"onboarded"_s));
    QCOMPARE(settings.stringValue(u"output.mode"_s), u"same"_s);
    QCOMPARE(settings.stringValue(u"modifier.tools"_s), u"super"_s);
    QCOMPARE(settings.jpegQuality(), 85);
}

void TestSettings::defaultsAreNeverWritten()
{
    QFile::remove(Settings::shared().filePath());
    Settings::shared().registerDefaults();
    QVERIFY(Settings::shared().boolValue(u"notify"_s));
    QVERIFY(!QFileInfo::exists(Settings::shared().filePath()));
    Settings::shared().setValue(u"notify"_s, false);
    QVERIFY(!Settings::shared().boolValue(u"notify"_s));
    QVERIFY(QFileInfo::exists(Settings::shared().filePath()));
}

void TestSettings::outputDirectory_data()
{
    QTest::addColumn<QVariant>("mode");
    QTest::addColumn<QVariant>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("nothing stored") << QVariant() << QVariant() << u""_s;
    QTest::newRow("custom without path") << QVariant("custom") << QVariant() << u""_s;
    QTest::newRow("custom with empty path") << QVariant("custom") << QVariant("") << u""_s;
    QTest::newRow("custom with path")
        << QVariant("custom") << QVariant("/tmp/out") << u"/tmp/out"_s;
    QTest::newRow("same with path") << QVariant("same") << QVariant("/tmp/out") << u""_s;
    QTest::newRow("unknown mode") << QVariant("elsewhere") << QVariant("/tmp/out") << u""_s;
}

void TestSettings::outputDirectory()
{
    QFETCH(QVariant, mode);
    QFETCH(QVariant, path);
    QFETCH(QString, expected);
    if (mode.isValid())
        Settings::shared().setValue(u"output.mode"_s, mode);
    if (path.isValid())
        Settings::shared().setValue(u"output.path"_s, path);
    QCOMPARE(Settings::shared().outputDirectory().value_or(QString()), expected);
}

void TestSettings::jpegQualityIsClamped_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("used");
    QTest::newRow("too low") << 5 << 10;
    QTest::newRow("too high") << 250 << 100;
    QTest::newRow("negative") << -40 << 10;
    QTest::newRow("in range") << 55 << 55;
}

void TestSettings::jpegQualityIsClamped()
{
    QFETCH(int, stored);
    QFETCH(int, used);
    Settings::shared().setValue(u"jpegQuality"_s, stored);
    QCOMPARE(Settings::shared().jpegQuality(), used);
}

void TestSettings::editsOnDiskAreSeenAndSignalled()
{
    Settings::shared().setValue(u"notify"_s, true);
    Settings::shared().watchForChanges();
    QSignalSpy changed(&Settings::shared(), &Settings::changed);
    // Another process rewrites the file, as an editor would.
    QTest::qWait(1100); // file times have a resolution of one second on some file systems
    TestSupport::writeFile(Settings::shared().filePath(),
                           "[General]\nnotify=false\njpegQuality=40\n");
    QVERIFY(changed.wait(5000));
    QVERIFY(!Settings::shared().boolValue(u"notify"_s));
    QCOMPARE(Settings::shared().jpegQuality(), 40);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_Settings.moc"
