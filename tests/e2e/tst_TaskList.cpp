#include "support/TestSupport.h"
#include "support/WindowManagerDisplay.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

// The program's own helpers (the wheel, a shelf) under a real window
// manager: they never show in task lists, pagers or the window switcher,
// and leave nothing behind there when they go.
class TestTaskList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void keyboardWheelStaysOutOfTaskLists();
    void shelfStaysOutOfTaskListsAndKeepsItsCommandRunning();

private:
    QProcessEnvironment environment() const;
    void startApp();
    QString startSource(const QStringList& arguments);
    void input(const QString& commands) const;
    // Our windows the window manager lists, by title.
    QStringList listedOwnWindows() const;
    // Fails the test unless every window of ours the window manager lists
    // stays out of the taskbar and the pager.
    void verifyListedOwnWindowsSkipTaskLists() const;

    std::unique_ptr<WindowManagerDisplay> m_display;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_app;
    std::unique_ptr<QProcess> m_source;
};

void TestTaskList::initTestCase()
{
    if (QStandardPaths::findExecutable(u"xdotool"_s).isEmpty())
        QSKIP("xdotool is not installed");
    m_display = std::make_unique<WindowManagerDisplay>();
    if (!m_display->isReady())
        QSKIP(qPrintable(m_display->problem()));
}

void TestTaskList::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    TestSupport::writeFile(m_dir->filePath(u"config/flingdial/flingdial.conf"_s),
                           "[General]\nnotify=false\nsound=false\nonboarded=true\n");
}

void TestTaskList::cleanup()
{
    for (auto* process : {m_source.get(), m_app.get()}) {
        if (process) {
            process->terminate();
            process->waitForFinished(3000);
        }
    }
    m_source.reset();
    m_app.reset();
}

QProcessEnvironment TestTaskList::environment() const
{
    QProcessEnvironment env = TestSupport::isolatedEnvironment(m_dir->filePath(u"config"_s));
    // Not one instance with the programs of other tests on the suite's bus.
    env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"disabled:"_s);
    return m_display->environment(env);
}

void TestTaskList::startApp()
{
    m_app = std::make_unique<QProcess>();
    m_app->setProcessEnvironment(environment());
    m_app->setProcessChannelMode(QProcess::ForwardedOutputChannel);
    m_app->start(QStringLiteral(FLINGDIAL_BINARY), {});
    QVERIFY(m_app->waitForStarted());
}

QString TestTaskList::startSource(const QStringList& arguments)
{
    m_source = std::make_unique<QProcess>();
    m_source->setProcessEnvironment(environment());
    m_source->start(QDir(QCoreApplication::applicationDirPath()).filePath(u"dragsource"_s),
                    arguments);
    m_source->waitForReadyRead(5000);
    return QString::fromUtf8(m_source->readLine()).trimmed().section(u' ', 1);
}

void TestTaskList::input(const QString& commands) const
{
    m_display->client(u"xdotool"_s, commands.split(u' '));
    QTest::qWait(120);
}

QStringList TestTaskList::listedOwnWindows() const
{
    QStringList titles;
    for (const QString& window : m_display->managedWindows()) {
        const QString title = m_display->title(window);
        if (title.startsWith(u"Flingdial"_s))
            titles.append(title);
    }
    return titles;
}

void TestTaskList::verifyListedOwnWindowsSkipTaskLists() const
{
    for (const QString& window : m_display->managedWindows()) {
        const QString title = m_display->title(window);
        if (!title.startsWith(u"Flingdial"_s))
            continue;
        const QStringList states = m_display->states(window);
        QVERIFY2(states.contains(u"_NET_WM_STATE_SKIP_TASKBAR"_s), qPrintable(title));
        QVERIFY2(states.contains(u"_NET_WM_STATE_SKIP_PAGER"_s), qPrintable(title));
    }
}

void TestTaskList::keyboardWheelStaysOutOfTaskLists()
{
    const QString file = TestSupport::writeFile(m_dir->filePath(u"notes.txt"_s), "notes\n");
    startApp();
    const QString source = startSource({u"copy"_s, file});
    QVERIFY(!source.isEmpty());
    // Opened twice: the window is reused and must keep its states.
    for (int round = 0; round < 2; ++round) {
        input(u"windowfocus --sync "_s + source);
        QTest::qWait(round == 0 ? 1500 : 300); // the hot key is grabbed once the program is up
        input(u"key ctrl+alt+space"_s);
        QTRY_VERIFY_WITH_TIMEOUT(listedOwnWindows().contains(u"Flingdial Wheel"_s), 5000);
        verifyListedOwnWindowsSkipTaskLists();
        if (QTest::currentTestFailed())
            return;
        input(u"key Escape"_s);
        QTRY_VERIFY_WITH_TIMEOUT(listedOwnWindows().isEmpty(), 5000);
    }
}

void TestTaskList::shelfStaysOutOfTaskListsAndKeepsItsCommandRunning()
{
    const QString file = TestSupport::writeFile(m_dir->filePath(u"notes.txt"_s), "notes\n");
    QProcess run;
    run.setProcessEnvironment(environment());
    run.start(QStringLiteral(FLINGDIAL_BINARY), {u"--run"_s, u"actions"_s, u"shelf"_s, file});
    QTRY_VERIFY_WITH_TIMEOUT(listedOwnWindows().contains(u"Flingdial Shelf"_s), 5000);
    verifyListedOwnWindowsSkipTaskLists();
    if (QTest::currentTestFailed())
        return;
    // The shelf lives as long as the command: it waits for the user.
    QTest::qWait(1000);
    QCOMPARE(run.state(), QProcess::Running);
    const QString shelf = m_display->client(
        u"xdotool"_s, {u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Flingdial Shelf$"_s});
    QVERIFY(!shelf.isEmpty());
    // Its close button shows while the pointer is over the shelf.
    input(u"mousemove --window "_s + shelf + u" 60 60"_s);
    input(u"mousemove --window "_s + shelf + u" 17 17"_s);
    QTest::qWait(400);
    input(u"click 1"_s);
    QTRY_COMPARE_WITH_TIMEOUT(run.state(), QProcess::NotRunning, 5000);
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.exitCode(), 0);
    QVERIFY(listedOwnWindows().isEmpty());
}

QTEST_GUILESS_MAIN(TestTaskList)
#include "tst_TaskList.moc"
