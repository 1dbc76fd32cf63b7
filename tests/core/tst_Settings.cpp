#include "core/Settings.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void defaults();
    void defaultsAreNeverWritten();
    void resetForgetsTheStoredValue();
    void keysStoredByEarlierVersions();
    void outputDirectory_data();
    void outputDirectory();
    void jpegQualityIsClamped_data();
    void jpegQualityIsClamped();
    void editsOnDiskAreSeenAndSignalled();

private:
    TestSupport::PrivateSettings m_settings;
};

void TestSettings::init()
{
    // The fixture keeps the user's own settings out of reach.
    QCOMPARE(QFileInfo(Settings::shared().filePath()).absolutePath(),
             m_settings.configHome() + u"/flingdial"_s);
    m_settings.clear();
}

void TestSettings::defaults()
{
    const Settings& settings = Settings::shared();
    QVERIFY(settings.get(SettingKeys::notify));
    QVERIFY(settings.get(SettingKeys::sound));
    QVERIFY(settings.get(SettingKeys::hotKey));
    QVERIFY(!settings.get(SettingKeys::revealAfter));
    QVERIFY(!settings.get(SettingKeys::onboarded));
    QCOMPARE(settings.get(SettingKeys::outputMode), u"same"_s);
    QCOMPARE(settings.get(SettingKeys::modifier(WheelMode::tools)), u"super"_s);
    QCOMPARE(settings.jpegQuality(), 85);
}

void TestSettings::defaultsAreNeverWritten()
{
    QFile::remove(Settings::shared().filePath());
    QVERIFY(Settings::shared().get(SettingKeys::notify));
    QVERIFY(!QFileInfo::exists(Settings::shared().filePath()));
    Settings::shared().set(SettingKeys::notify, false);
    QVERIFY(!Settings::shared().get(SettingKeys::notify));
    QVERIFY(QFileInfo::exists(Settings::shared().filePath()));
}

void TestSettings::resetForgetsTheStoredValue()
{
    Settings::shared().set(SettingKeys::jpegQuality, 40);
    Settings::shared().set(SettingKeys::notify, false);
    QSignalSpy changed(&Settings::shared(), &Settings::changed);
    Settings::shared().reset(SettingKeys::jpegQuality);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(Settings::shared().jpegQuality(), 85);
    QVERIFY(!Settings::shared().get(SettingKeys::notify));
    const QByteArray file = TestSupport::readFile(Settings::shared().filePath());
    QVERIFY2(!file.contains("jpegQuality"), file.constData());
    QVERIFY2(file.contains("notify=false"), file.constData());
}

void TestSettings::keysStoredByEarlierVersions()
{
    // Earlier versions named Super and Alt "command" and "option".
    TestSupport::writeFile(Settings::shared().filePath(),
                           "[General]\nmodifier.convert=shift\nmodifier.tools=command\n"
                           "modifier.actions=option\n");
    QCOMPARE(Settings::shared().triggerKey(WheelMode::tools), ModifierKey::super);
    QCOMPARE(Settings::shared().triggerKey(WheelMode::actions), ModifierKey::alt);
    QVERIFY(Settings::shared().modeFor(ModifierKey::flag(ModifierKey::super)) == WheelMode::tools);
    QVERIFY(Settings::shared().modeFor(ModifierKey::flag(ModifierKey::alt)) == WheelMode::actions);
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
        Settings::shared().set(SettingKeys::outputMode, mode.toString());
    if (path.isValid())
        Settings::shared().set(SettingKeys::outputPath, path.toString());
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
    Settings::shared().set(SettingKeys::jpegQuality, stored);
    QCOMPARE(Settings::shared().jpegQuality(), used);
}

void TestSettings::editsOnDiskAreSeenAndSignalled()
{
    Settings::shared().set(SettingKeys::notify, true);
    Settings::shared().watchForChanges();
    QSignalSpy changed(&Settings::shared(), &Settings::changed);
    // Another process rewrites the file, as an editor would.
    QTest::qWait(1100); // file times have a resolution of one second on some file systems
    TestSupport::writeFile(Settings::shared().filePath(),
                           "[General]\nnotify=false\njpegQuality=40\n");
    QVERIFY(changed.wait(5000));
    QVERIFY(!Settings::shared().get(SettingKeys::notify));
    QCOMPARE(Settings::shared().jpegQuality(), 40);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_Settings.moc"
