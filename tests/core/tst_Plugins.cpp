#include "base/Errors.h"
#include "core/Plugins.h"
#include "core/plugin/Greeter.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

// Loading the program's plugins: a plugin of the interface version the
// program knows is loaded and attached; a missing one, one of another
// version and a file that isn't a plugin give the sentence the caller
// chose. The test plugins implement Greeter version 1 and version 2.
class TestPlugins : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void loadsAndAttaches();
    void loadedOnce();
    void refused_data();
    void refused();
    void helpers();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TestSupport::ScopedEnv> m_modules;
};

namespace {

const QString missing = u"The greeter is missing. Reinstall Flingdial."_s;

} // namespace

void TestPlugins::initTestCase()
{
    // The test plugins first, then the usual places (the build tree's).
    for (const QString& name : {u"libgreeter1.so"_s, u"libgreeter2.so"_s})
        QVERIFY(
            QFile::copy(QStringLiteral(FLINGDIAL_TEST_PLUGINS "/") + name, m_dir.filePath(name)));
    TestSupport::writeFile(m_dir.filePath(u"libnotaplugin.so"_s), "not an ELF file");
    TestSupport::writeFile(m_dir.filePath(u"flingdial-readonly"_s), "#!/bin/sh\n");
    m_modules =
        std::make_unique<TestSupport::ScopedEnv>("FLINGDIAL_MODULES_DIR", m_dir.path().toUtf8());
    QCOMPARE(Plugins::folders().first(), m_dir.path());
}

void TestPlugins::loadsAndAttaches()
{
    Greeter& greeter = Plugins::instance<Greeter>(u"libgreeter1.so"_s, missing);
    QCOMPARE(greeter.greeting(), u"attached"_s);
}

void TestPlugins::loadedOnce()
{
    QObject* first = Plugins::load(u"libgreeter1.so"_s);
    QVERIFY(first);
    QCOMPARE(Plugins::load(u"libgreeter1.so"_s), first);
}

void TestPlugins::refused_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("logged"); // why it can't be loaded
    QTest::newRow("missing") << u"libnothing.so"_s << true;
    QTest::newRow("another interface version") << u"libgreeter2.so"_s << false;
    QTest::newRow("not a plugin") << u"libnotaplugin.so"_s << true;
}

void TestPlugins::refused()
{
    QFETCH(QString, fileName);
    QFETCH(bool, logged);
    if (logged)
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(u"^plugin %1 can't be loaded: "_s.arg(fileName)));
    // Asked twice: a refusal is remembered, and said again.
    for (int attempt = 0; attempt < 2; ++attempt)
        QCOMPARE(TestSupport::failureOf([&] { Plugins::instance<Greeter>(fileName, missing); }),
                 missing);
}

void TestPlugins::helpers()
{
    // Found where the plugins are: the build tree holds the real ones.
    const auto unpack = Plugins::helper(u"flingdial-unpack"_s);
    QVERIFY(unpack);
    QVERIFY(QFileInfo(*unpack).isExecutable());
    QCOMPARE(Plugins::helper(u"flingdial-nothing"_s), std::nullopt);
    // A file that can't run isn't a helper.
    QCOMPARE(Plugins::helper(u"flingdial-readonly"_s), std::nullopt);
}

QTEST_GUILESS_MAIN(TestPlugins)
#include "tst_Plugins.moc"
