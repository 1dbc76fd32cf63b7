#include "base/Errors.h"
#include "catalog/Catalog.h"
#include "core/Ask.h"
#include "core/Deps.h"
#include "core/Job.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "platform/Notifier.h"
#include "support/TestPlatform.h"
#include "support/TestSupport.h"
#include "ui/DialogPrompter.h"
#include "ui/Runner.h"

#include <QClipboard>
#include <QDBusConnection>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>
#include <atomic>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Component)

// A notification server of the test's own, on its own bus connection.
class FakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Posted
    {
        QString summary;
        QString body;
        QStringList actions;
    };
    QList<Posted> posted;

public Q_SLOTS:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap&, int)
    {
        posted.append({summary, body, actions});
        return uint(posted.size());
    }
    QStringList GetCapabilities() { return {u"actions"_s, u"body"_s}; }

Q_SIGNALS:
    void ActionInvoked(uint id, const QString& action);
};

namespace {

Operation working(const QString& title, const QStringList& results, int milliseconds = 0)
{
    return Operation(title, [results, milliseconds](const QStringList&) {
        QThread::msleep(milliseconds);
        return results;
    });
}

// Throws Fail with `message`, or Cancelled when there is none.
Operation failing(const QString& message, Operation::Execution execution)
{
    Operation operation(u"Broken"_s, [message](const QStringList&) -> QStringList {
        if (message.isEmpty())
            throw Cancelled();
        throw Fail(message);
    });
    operation.execution = execution;
    return operation;
}

// Answers the next modal alert by pressing the button with that text, and
// records what it showed.
struct AlertAnswer
{
    QString informative;
    QString detailed;
    QStringList buttons;
    bool seen = false;
};

// Looks for the alert every 50 ms, `attempts` times at most.
void answerNextAlert(AlertAnswer* answer, const QString& press, int attempts = 60)
{
    QTimer::singleShot(50, [answer, press, attempts] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (attempts > 1)
                answerNextAlert(answer, press, attempts - 1);
            return;
        }
        answer->seen = true;
        answer->informative = box->informativeText();
        answer->detailed = box->detailedText();
        for (QAbstractButton* button : box->buttons())
            answer->buttons.append(button->text());
        if (press == u"Escape")
            QTest::keyClick(box, Qt::Key_Escape);
        for (QAbstractButton* button : box->buttons())
            if (button->text() == press)
                button->click();
    });
}

} // namespace

class TestRunner : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void busyCountsEveryBackgroundOperation();
    void notifications_data();
    void notifications();
    void clickingANotificationReportsItsFiles();
    void soundAndRevealFollowTheSettings_data();
    void soundAndRevealFollowTheSettings();
    void emptyFileListDoesNothing();
    void setupHelp_data();
    void setupHelp();
    void failuresAndCancels_data();
    void failuresAndCancels();
    void aToolsWordsStayBehindDetails();
    void promptsFromBackgroundWork();
    void progressLines_data();
    void progressLines();
    void runningWorkCanBeCancelledSilently();
    void longWorkLeavesQtsThreadsFree();

private:
    TestSupport::PrivateSettings m_settings;
    FakeNotifications m_server;
    TestPlatform* m_platform = nullptr;
};

void TestRunner::initTestCase()
{
    m_platform = &TestPlatform::install();
    Settings::shared().set(SettingKeys::sound, false);
    QDBusConnection server =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"server"_s);
    if (!server.isConnected())
        QSKIP("no session bus: run the suite under dbus-run-session");
    QVERIFY(
        server.registerObject(u"/org/freedesktop/Notifications"_s, &m_server,
                              QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
    QVERIFY(server.registerService(u"org.freedesktop.Notifications"_s));
    QVERIFY(Platform::shared().notifier()->isAvailable());
}

void TestRunner::init()
{
    m_server.posted.clear();
    Settings::shared().reset(SettingKeys::notify);
}

void TestRunner::busyCountsEveryBackgroundOperation()
{
    Settings::shared().set(SettingKeys::notify, false);
    QSignalSpy busy(&Runner::shared(), &Runner::busyChanged);
    Runner::shared().execute(working(u"Slow"_s, {}, 300), {u"/a"_s});
    Runner::shared().execute(working(u"Slower"_s, {}, 600), {u"/b"_s});
    QTRY_COMPARE_WITH_TIMEOUT(busy.count(), 4, 5000);
    QList<bool> states;
    for (const QList<QVariant>& signal : busy)
        states.append(signal.at(0).toBool());
    QCOMPARE(states, QList<bool>({true, true, true, false}));
    QVERIFY(!Runner::shared().isBusy());
    QCOMPARE(m_server.posted.size(), 0); // notifications are switched off
}

void TestRunner::notifications_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("conversion");
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("body");
    QTest::newRow("conversion") << u"PNG"_s << true << QStringList{"/tmp/photo.png"}
                                << u"Converted to PNG"_s << u"Saved photo.png in /tmp"_s;
    QTest::newRow("tool with an ellipsis")
        << u"Trim…"_s << false << QStringList{"/a.mp4", "/b.mp4", "/c.mp4"} << u"Trim"_s
        << u"Saved 3 files in /"_s;
    QTest::newRow("in the home folder")
        << u"JPG"_s << true << QStringList{QDir::homePath() + u"/Pictures/a.jpg"_s}
        << u"Converted to JPG"_s << u"Saved a.jpg in ~/Pictures"_s;
    QTest::newRow("with what it saved")
        << u"Compress"_s << false << QStringList{"/tmp/clip compressed.mp4"} << u"Compress"_s
        << u"Saved clip compressed.mp4 in /tmp\n/in in, /tmp/clip compressed.mp4 out"_s;
    QTest::newRow("nothing made") << u"Compress to ZIP"_s << false << QStringList()
                                  << u"Compress to ZIP"_s << u"Saved 0 files"_s;
}

void TestRunner::notifications()
{
    QFETCH(QString, title);
    QFETCH(bool, conversion);
    QFETCH(QStringList, results);
    QFETCH(QString, summary);
    QFETCH(QString, body);
    Operation operation = working(title, results);
    operation.isConversion = conversion;
    if (title == QLatin1String("Compress"))
        operation.withSummary([](const QStringList& files, const QStringList& made) {
            return u"%1 in, %2 out"_s.arg(files.join(u","_s), made.join(u","_s));
        });
    Runner::shared().execute(operation, {u"/in"_s});
    QTRY_COMPARE(m_server.posted.size(), 1);
    QCOMPARE(m_server.posted.first().summary, summary);
    QCOMPARE(m_server.posted.first().body, body);
    QVERIFY(m_server.posted.first().actions.contains(u"default"_s));
}

void TestRunner::clickingANotificationReportsItsFiles()
{
    QSignalSpy activated(Platform::shared().notifier(), &Notifier::activated);
    const QStringList results = {u"/tmp/a.png"_s, u"/tmp/b.png"_s};
    Runner::shared().execute(working(u"PNG"_s, results), {u"/in"_s});
    QTRY_COMPARE(m_server.posted.size(), 1);
    QTest::qWait(100); // the id arrives with the server's answer
    Q_EMIT m_server.ActionInvoked(uint(m_server.posted.size()), u"default"_s);
    QTRY_COMPARE(activated.count(), 1);
    QCOMPARE(activated.first().at(0).toStringList(), results);
}

void TestRunner::soundAndRevealFollowTheSettings_data()
{
    QTest::addColumn<bool>("sound");
    QTest::addColumn<bool>("reveal");
    QTest::addColumn<QStringList>("results");
    const QStringList made = {u"/tmp/a.png"_s, u"/tmp/b.png"_s};
    QTest::newRow("neither") << false << false << made;
    QTest::newRow("sound") << true << false << made;
    QTest::newRow("reveal") << false << true << made;
    QTest::newRow("both") << true << true << made;
    QTest::newRow("nothing made to reveal") << true << true << QStringList();
}

void TestRunner::soundAndRevealFollowTheSettings()
{
    QFETCH(bool, sound);
    QFETCH(bool, reveal);
    QFETCH(QStringList, results);
    Settings::shared().set(SettingKeys::notify, false);
    Settings::shared().set(SettingKeys::sound, sound);
    Settings::shared().set(SettingKeys::revealAfter, reveal);
    const int soundsBefore = m_platform->sounds();
    const qsizetype revealsBefore = m_platform->revealed().size();
    Runner::shared().execute(working(u"PNG"_s, results), {u"/in"_s});
    QTRY_VERIFY(!Runner::shared().isBusy());
    QCOMPARE(m_platform->sounds() - soundsBefore, sound ? 1 : 0);
    const bool revealed = reveal && !results.isEmpty();
    QCOMPARE(m_platform->revealed().size() - revealsBefore, revealed ? 1 : 0);
    if (revealed)
        QCOMPARE(m_platform->revealed().last(), results);
    Settings::shared().set(SettingKeys::sound, false);
    Settings::shared().set(SettingKeys::revealAfter, false);
}

void TestRunner::emptyFileListDoesNothing()
{
    bool called = false;
    QSignalSpy busy(&Runner::shared(), &Runner::busyChanged);
    Runner::shared().execute(Operation(u"Any"_s,
                                       [&](const QStringList&) {
                                           called = true;
                                           return QStringList();
                                       }),
                             {});
    QTest::qWait(100);
    QVERIFY(!called);
    QCOMPARE(busy.count(), 0);
}

void TestRunner::setupHelp_data()
{
    QTest::addColumn<Component>("missing");
    QTest::addColumn<QString>("informative");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("press");
    const Component ghostscript{u"Ghostscript"_s, u"sudo apt install ghostscript"_s,
                                u"Stronger compression needs Ghostscript.\nInstall it with:"_s};
    const QString ghostscriptText =
        u"Stronger compression needs Ghostscript.\nInstall it with:  sudo apt install ghostscript"_s;
    const QStringList both = {u"OK"_s, u"Copy Command"_s};
    QTest::newRow("with a command") << ghostscript << ghostscriptText << both << u"Copy Command"_s;
    QTest::newRow("ffmpeg, a system package")
        << Deps::ffmpegMissingReason()
        << u"FFmpeg is missing.\nInstall it with:  sudo apt install ffmpeg"_s << both
        << u"Copy Command"_s;
    QTest::newRow("Escape closes it") << ghostscript << ghostscriptText << both << u"Escape"_s;
    const QString engine = u"The image engine is missing. Reinstall Flingdial."_s;
    QTest::newRow("without one") << Component{u"image engine"_s, QString(), engine} << engine
                                 << QStringList{u"OK"_s} << u"OK"_s;
}

void TestRunner::setupHelp()
{
    QFETCH(Component, missing);
    QFETCH(QString, informative);
    QFETCH(QStringList, buttons);
    QFETCH(QString, press);
    bool called = false;
    Operation operation(u"Compress"_s, [&](const QStringList&) {
        called = true;
        return QStringList();
    });
    operation.missing = missing;
    QGuiApplication::clipboard()->setText(u"before"_s);
    AlertAnswer answer;
    answerNextAlert(&answer, press);
    Runner::shared().execute(operation, {u"/a.pdf"_s});
    QVERIFY(answer.seen);
    QVERIFY(!called);
    QCOMPARE(answer.informative, informative);
    QCOMPARE(answer.buttons, buttons);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             press == u"Copy Command" ? missing.installCommand : u"before"_s);
}

void TestRunner::failuresAndCancels_data()
{
    QTest::addColumn<QString>("message"); // empty: the user cancelled
    QTest::addColumn<bool>("background");
    QTest::newRow("immediate") << u"The PDF couldn’t be created."_s << false;
    QTest::newRow("background") << u"ffmpeg failed (1).\nbad input"_s << true;
    QTest::newRow("cancel shows nothing") << QString() << false;
}

void TestRunner::failuresAndCancels()
{
    QFETCH(QString, message);
    QFETCH(bool, background);
    AlertAnswer answer;
    answerNextAlert(&answer, u"OK"_s, message.isEmpty() ? 6 : 60);
    Runner::shared().execute(failing(message, background ? Operation::Execution::background
                                                         : Operation::Execution::immediate),
                             {u"/a"_s});
    if (message.isEmpty()) {
        QTest::qWait(450);
        QVERIFY(!answer.seen);
        return;
    }
    QTRY_VERIFY(answer.seen);
    QCOMPARE(answer.informative, message);
}

// ffmpeg's complaint about a broken file is for the curious and the log:
// the alert says what failed in one sentence.
void TestRunner::aToolsWordsStayBehindDetails()
{
    if (!Deps::find(u"ffmpeg"_s))
        QSKIP("ffmpeg is not installed");
    QTemporaryDir dir;
    const QString clip = TestSupport::writeFile(dir.filePath(u"clip.mov"_s), "not a movie at all");
    std::optional<Operation> mp4;
    for (const Operation& operation : Catalog::conversions({clip}))
        if (operation.target == u"mp4")
            mp4 = operation;
    QVERIFY(mp4);
    QTest::ignoreMessage(
        QtCriticalMsg,
        QRegularExpression(u"^failed: ffmpeg couldn’t convert clip.mov.\n.*Invalid data"_s,
                           QRegularExpression::DotMatchesEverythingOption));
    AlertAnswer answer;
    answerNextAlert(&answer, u"OK"_s, 200);
    Runner::shared().execute(*mp4, {clip});
    QTRY_VERIFY_WITH_TIMEOUT(answer.seen, 10000);
    QCOMPARE(answer.informative, u"ffmpeg couldn’t convert clip.mov."_s);
    QVERIFY2(answer.detailed.contains(u"Invalid data"_s), qPrintable(answer.detailed));
    QCOMPARE(TestSupport::namesIn(dir.path()), QStringList{u"clip.mov"_s});
}

void TestRunner::promptsFromBackgroundWork()
{
    Prompter::install(std::make_unique<DialogPrompter>());
    Settings::shared().set(SettingKeys::notify, false);
    QString answered;
    QThread* asked = nullptr;
    Operation asking(u"Resize…"_s, [&](const QStringList&) {
        asked = QThread::currentThread();
        answered = Ask::text(u"Resize Images"_s, u"Longest side in pixels:"_s, u"1600"_s);
        return QStringList();
    });
    // Another alert is already open when the prompt arrives.
    QTimer::singleShot(0, [] {
        QMessageBox other(QMessageBox::Information, u"Flingdial"_s, u"Already open"_s);
        QTimer::singleShot(2000, &other, &QMessageBox::accept);
        other.exec();
    });
    bool typed = false;
    std::function<void()> type = [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QDialog*>(window);
            auto* field = dialog ? dialog->findChild<QLineEdit*>() : nullptr;
            if (field && dialog->isVisible()) {
                QCOMPARE(field->placeholderText(), u"1600"_s);
                field->setText(u"  800 "_s);
                dialog->accept();
                typed = true;
                return;
            }
        }
        QTimer::singleShot(50, type);
    };
    QTimer::singleShot(300, type);
    QSignalSpy busy(&Runner::shared(), &Runner::busyChanged);
    Runner::shared().execute(asking, {u"/a.png"_s});
    QTRY_VERIFY_WITH_TIMEOUT(typed, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(busy.count(), 2, 5000);
    QVERIFY(asked != QCoreApplication::instance()->thread());
    QCOMPARE(answered, u"800"_s);
    Prompter::install(nullptr);
}

void TestRunner::progressLines_data()
{
    QTest::addColumn<bool>("isConversion");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("fileCount");
    QTest::addColumn<int>("fileIndex");
    QTest::addColumn<double>("fraction"); // below 0: unknown
    QTest::addColumn<QString>("expected");
    QTest::newRow("video with its position")
        << true << u"MP4"_s << 1 << 0 << 0.427 << u"Converting talk.mov to MP4 — 42 %"_s;
    QTest::newRow("no pace to tell")
        << true << u"PDF"_s << 1 << 0 << -1.0 << u"Converting talk.mov to PDF"_s;
    QTest::newRow("batch") << false << u"Resize…"_s << 40 << 11 << -1.0
                           << u"Resize: 40 files — 12 of 40"_s;
    QTest::newRow("batch of videos")
        << true << u"MP3"_s << 3 << 1 << 0.5 << u"Converting 3 files to MP3 — 2 of 3, 50 %"_s;
}

void TestRunner::progressLines()
{
    QFETCH(bool, isConversion);
    QFETCH(QString, title);
    QFETCH(int, fileCount);
    QFETCH(int, fileIndex);
    QFETCH(double, fraction);
    QFETCH(QString, expected);
    Operation operation(title, {});
    operation.isConversion = isConversion;
    Job::State state;
    state.fileCount = fileCount;
    state.fileIndex = fileIndex;
    if (fraction >= 0)
        state.fraction = fraction;
    const QStringList files(fileCount, u"/home/u/talk.mov"_s);
    QCOMPARE(Runner::progressLine(operation, files, state), expected);
}

void TestRunner::runningWorkCanBeCancelledSilently()
{
    // Work that reports its pace and stops when asked, as a converter does.
    const Operation slow(u"MP4"_s, [](const QStringList& files) {
        for (int step = 1; step <= 400; ++step) {
            Job::reportFraction(step / 400.0);
            Job::throwIfCancelled();
            QThread::msleep(10);
        }
        return files;
    });
    Operation conversion = slow;
    conversion.isConversion = true;
    QSignalSpy changes(&Runner::shared(), &Runner::runningChanged);
    Runner::shared().execute(conversion, {u"/tmp/talk.mov"_s});
    QCOMPARE(Runner::shared().running().size(), 1);
    QTRY_VERIFY(Runner::shared().running().value(0).description.endsWith(u" %"_s));
    QVERIFY(Runner::shared().running().value(0).description.startsWith(
        u"Converting talk.mov to MP4 — "_s));
    // A few updates a second, not one per report.
    QTest::qWait(1000);
    QVERIFY2(changes.size() <= 8, qPrintable(QString::number(changes.size())));

    AlertAnswer alert;
    answerNextAlert(&alert, u"OK"_s, 10);
    Runner::shared().cancel(Runner::shared().running().value(0).id);
    QCOMPARE(Runner::shared().running().size(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!Runner::shared().isBusy(), 1000);
    QTest::qWait(600); // the alert would be up by now
    QVERIFY(!alert.seen);
    QCOMPARE(m_server.posted.size(), 0);
}

// Qt scales and draws images on its global thread pool (and waits for it):
// work that took all of it would freeze the interface until it ended.
void TestRunner::longWorkLeavesQtsThreadsFree()
{
    Settings::shared().set(SettingKeys::notify, false);
    std::atomic<int> started = 0;
    const Operation untilCancelled(u"Compress"_s, [&started](const QStringList&) -> QStringList {
        ++started;
        for (;;) {
            Job::throwIfCancelled();
            QThread::msleep(10);
        }
    });
    const int count = QThreadPool::globalInstance()->maxThreadCount() + 1;
    const auto stop = qScopeGuard([] {
        Runner::shared().cancelAll();
        QTRY_VERIFY(!Runner::shared().isBusy());
    });
    for (int i = 0; i < count; ++i)
        Runner::shared().execute(untilCancelled, {u"/tmp/%1.pdf"_s.arg(i)});
    QTRY_COMPARE(started.load(), count);
    QCOMPARE(QThreadPool::globalInstance()->activeThreadCount(), 0);
    QImage large(3000, 3000, QImage::Format_ARGB32);
    large.fill(Qt::blue);
    QCOMPARE(large.scaled(1500, 1500, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).size(),
             QSize(1500, 1500));
    QCOMPARE(Runner::shared().running().size(), count);
}

QTEST_MAIN(TestRunner)
#include "tst_Runner.moc"
