#include "support/TestSupport.h"
#include "support/TrayHosts.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

// One program per session, found over the session bus, and its tray icon
// whenever a panel comes.
class TestInstance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void secondStartOpensTheSettingsOfTheFirst();
    void secondStartWithFilesOpensTheWheel();
    void triggerNeedsARunningProgram();
    void triggerNamesAWheel();
    void bindings_data();
    void bindings();
    void trayIconWaitsForAStatusNotifierHost();
    void trayIconWaitsForAnXEmbedTray();

private:
    TestSupport::Result run(const QStringList& arguments);
    void startApp();
    bool waitForLog(const QString& line, int timeoutMs = 5000);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_app;
    QString m_log;
};

void TestInstance::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server (the suite runs under xvfb-run)");
    if (!QDBusConnection::sessionBus().isConnected())
        QSKIP("no session bus: run the suite under dbus-run-session");
}

void TestInstance::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_log.clear();
}

void TestInstance::cleanup()
{
    if (m_app) {
        m_app->terminate();
        m_app->waitForFinished(3000);
    }
    m_app.reset();
}

TestSupport::Result TestInstance::run(const QStringList& arguments)
{
    return TestSupport::runFlingdial(
        arguments, TestSupport::isolatedEnvironment(m_dir->filePath(u"config"_s)));
}

void TestInstance::startApp()
{
    TestSupport::writeFile(m_dir->filePath(u"config/flingdial/flingdial.conf"_s),
                           "[General]\nnotify=false\nsound=false\nonboarded=true\n");
    m_app = std::make_unique<QProcess>();
    m_app->setProcessEnvironment(TestSupport::isolatedEnvironment(m_dir->filePath(u"config"_s)));
    connect(m_app.get(), &QProcess::readyReadStandardError, this,
            [this] { m_log += QString::fromUtf8(m_app->readAllStandardError()); });
    m_app->start(QStringLiteral(FLINGDIAL_BINARY), {});
    QVERIFY(waitForLog(u"launched"_s));
    QTRY_VERIFY(QDBusConnection::sessionBus().interface()->isServiceRegistered(
        u"org.flingdial.Flingdial"_s));
}

bool TestInstance::waitForLog(const QString& line, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!m_log.contains(line) && clock.elapsed() < timeoutMs)
        QTest::qWait(30);
    return m_log.contains(line);
}

void TestInstance::secondStartOpensTheSettingsOfTheFirst()
{
    startApp();
    const auto second = run({});
    QCOMPARE(second.status, 0);
    QVERIFY(waitForLog(u"started again: opening the settings"_s));
    // Unknown words are a start too, and end the same way.
    QCOMPARE(run({u"--helpme"_s}).status, 0);
    QTRY_COMPARE(m_log.count(u"started again: opening the settings"_s), 2);
    QCOMPARE(m_log.count(u"launched"_s), 1);
    QCOMPARE(m_app->state(), QProcess::Running);
}

void TestInstance::secondStartWithFilesOpensTheWheel()
{
    startApp();
    const QString file = TestSupport::writeFile(m_dir->filePath(u"a.srt"_s),
                                                "1\n00:00:01,000 --> 00:00:02,000\nHi\n");
    QCOMPARE(run({file}).status, 0);
    QVERIFY(waitForLog(u"started again with 1 file(s): opening the wheel"_s));
}

void TestInstance::triggerNeedsARunningProgram()
{
    const auto result = run({u"--trigger"_s});
    QCOMPARE(result.status, 1);
    QVERIFY2(result.err.contains(u"Flingdial isn’t running"_s), qPrintable(result.err));
}

void TestInstance::triggerNamesAWheel()
{
    startApp();
    const auto wrong = run({u"--trigger"_s, u"colour"_s});
    QCOMPARE(wrong.status, 2);
    QVERIFY2(wrong.err.contains(u"convert, tools or actions"_s), qPrintable(wrong.err));
    QCOMPARE(run({u"--trigger"_s, u"ACTIONS"_s}).status, 0);
    QVERIFY(waitForLog(u"trigger: actions"_s));
}

void TestInstance::bindings_data()
{
    QTest::addColumn<QString>("compositor");
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("line");   // one of the binding lines, the program left out
    QTest::addColumn<QString>("hotKey"); // the hot key's line, likewise
    QTest::newRow("sway") << u"sway"_s << QByteArray() << u"bindsym --no-repeat Ctrl+Alt+x exec "_s
                          << u"bindsym --no-repeat Ctrl+Alt+space exec "_s;
    QTest::newRow("Hyprland") << u"Hyprland"_s << QByteArray() << u"bind = CTRL ALT, x, exec, "_s
                              << u"bind = CTRL ALT, space, exec, "_s;
    // The hot key the user chose in the Keys pane.
    QTest::newRow("sway, hot key changed")
        << u"sway"_s << QByteArray("hotkey.keys=Ctrl+Super+Shift+PgDown\n")
        << u"bindsym --no-repeat Ctrl+Alt+x exec "_s
        << u"bindsym --no-repeat Ctrl+Shift+Mod4+Page_Down exec "_s;
    QTest::newRow("Hyprland, hot key changed")
        << u"Hyprland"_s << QByteArray("hotkey.keys=Alt+F9\n") << u"bind = CTRL ALT, x, exec, "_s
        << u"bind = ALT, F9, exec, "_s;
}

void TestInstance::bindings()
{
    QFETCH(QString, compositor);
    QFETCH(QByteArray, settings);
    QFETCH(QString, line);
    QFETCH(QString, hotKey);
    TestSupport::writeFile(m_dir->filePath(u"config/flingdial/flingdial.conf"_s),
                           "[General]\n" + settings);
    const auto result = run({u"--bindings"_s, compositor});
    QCOMPARE(result.status, 0);
    const QString program = QStringLiteral(FLINGDIAL_BINARY);
    QVERIFY2(result.out.contains(line + program + u" --trigger tools\n"_s), qPrintable(result.out));
    QVERIFY2(result.out.contains(hotKey + program + u" --trigger\n"_s), qPrintable(result.out));
    // The hot key and one key per wheel, every line a comment or a binding.
    QCOMPARE(result.out.count(program + u" --trigger"_s), 4);
    for (const QString& each : result.out.split(u'\n', Qt::SkipEmptyParts))
        QVERIFY2(each.startsWith(u'#') || each.contains(u" --trigger"_s), qPrintable(each));
    QCOMPARE(run({u"--bindings"_s, u"weston"_s}).status, 2);
}

void TestInstance::trayIconWaitsForAStatusNotifierHost()
{
    startApp();
    QVERIFY(waitForLog(u"no system tray is running"_s));
    QTest::qWait(1500); // the panel comes late
    QDBusConnection bus = QDBusConnection::sessionBus();
    TrayHosts::StatusNotifierWatcher watcher;
    QVERIFY(watcher.start(bus));
    QTRY_COMPARE_WITH_TIMEOUT(watcher.registrations(), 1, 3000);
    // The panel restarts: the icon registers with the new one.
    watcher.stop(bus);
    QTest::qWait(300);
    QVERIFY(watcher.start(bus));
    QTRY_COMPARE_WITH_TIMEOUT(watcher.registrations(), 2, 3000);
    watcher.stop(bus);
}

void TestInstance::trayIconWaitsForAnXEmbedTray()
{
    startApp();
    QVERIFY(waitForLog(u"no system tray is running"_s));
    QTest::qWait(1500);
    auto tray = std::make_unique<TrayHosts::XEmbedTray>();
    QTRY_VERIFY_WITH_TIMEOUT(tray->dockRequests() >= 1, 3000);
    tray.reset();
    QTest::qWait(300);
    tray = std::make_unique<TrayHosts::XEmbedTray>();
    QTRY_VERIFY_WITH_TIMEOUT(tray->dockRequests() >= 1, 3000);
}

QTEST_GUILESS_MAIN(TestInstance)
#include "tst_Instance.moc"
