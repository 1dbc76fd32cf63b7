#include "base/Errors.h"
#include "catalog/Catalog.h"
#include "cli/ProgressBar.h"
#include "core/Deps.h"
#include "core/Job.h"
#include "core/Settings.h"
#include "core/Shell.h"
#include "support/Media.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <pty.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

Operation slice(WheelMode::Mode mode, const QString& title, const QStringList& files)
{
    for (const Operation& operation : Catalog::slices(mode, files))
        if (operation.title == title)
            return operation;
    qFatal("no slice %s", qPrintable(title));
}

// Runs an operation on a thread of its own under `job`, as the runner does.
class Running
{
public:
    Running(Job& job, const Operation& operation, const QStringList& files)
        : m_thread([&job, operation, files, this] {
              const Job::Scope watched(&job);
              try {
                  m_results = operation.perform(files);
              } catch (...) {
                  m_failure = std::current_exception();
              }
              m_done = true;
          })
    {}
    ~Running() { m_thread.join(); }

    bool waitUntilDone(std::chrono::milliseconds limit)
    {
        QElapsedTimer clock;
        clock.start();
        while (!m_done && clock.elapsed() < limit.count())
            std::this_thread::sleep_for(5ms);
        return m_done;
    }
    bool wasCancelled() const { return m_failure && isCancel(m_failure); }
    const QStringList& results() const { return m_results; }

private:
    QStringList m_results;
    std::exception_ptr m_failure;
    std::atomic<bool> m_done = false;
    std::thread m_thread;
};

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = 60s)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > limit.count())
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// The program on a pseudo-terminal of its own, as a user's shell runs it.
struct Terminal
{
    pid_t pid = -1;
    int master = -1;
    QByteArray screen;

    Terminal(const QStringList& arguments, const QProcessEnvironment& environment,
             const QString& folder)
    {
        pid = ::forkpty(&master, nullptr, nullptr, nullptr);
        if (pid == 0) {
            ::chdir(QFile::encodeName(folder).constData());
            ::clearenv();
            for (const QString& pair : environment.toStringList())
                ::putenv(::strdup(pair.toLocal8Bit().constData()));
            std::vector<QByteArray> bytes{FLINGDIAL_BINARY};
            for (const QString& argument : arguments)
                bytes.push_back(argument.toLocal8Bit());
            std::vector<char*> argv;
            for (QByteArray& argument : bytes)
                argv.push_back(argument.data());
            argv.push_back(nullptr);
            ::execv(argv.front(), argv.data());
            ::_exit(127);
        }
    }
    ~Terminal() { ::close(master); }

    // Reads what the program shows until `seen` holds or it ends.
    bool readUntil(const std::function<bool(const QByteArray&)>& seen)
    {
        char buffer[4096];
        while (!seen(screen)) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0)
                return false;
            screen.append(buffer, n);
        }
        return true;
    }
    int exitStatus()
    {
        readUntil([](const QByteArray&) { return false; });
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

} // namespace

// Progress reports and cancelling, on real ffmpeg, real files and the real
// program on a pseudo-terminal.
class TestProgress : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void videoConversionReportsProgressToTheEnd();
    void cancellingAVideoConversionEndsFfmpegAndLeavesNothing();
    void batchCancelledAfterTheThirdFileKeepsThreeResults();
    void cancelEndsTheChildsOwnChildren();
    void terminalShowsProgressAndCtrlCCancels();
    void withoutATerminalOnlyResultsArePrinted();
    void barLines_data();
    void barLines();

private:
    QString makeMinute(const QString& folder);

    TestSupport::PrivateSettings m_settings;
    QTemporaryDir m_scratch;
    QString m_source;
};

void TestProgress::initTestCase()
{
    if (!Deps::ffmpeg())
        QSKIP("ffmpeg is not installed");
    // One minute of small video, made once and copied where a test needs it.
    m_source = Media::makeVideo(m_scratch.filePath(u"minute.mov"_s), 160, 120, 60);
}

QString TestProgress::makeMinute(const QString& folder)
{
    const QString file = folder + u"/talk.mov"_s;
    QFile::copy(m_source, file);
    return file;
}

void TestProgress::videoConversionReportsProgressToTheEnd()
{
    QTemporaryDir dir;
    const QString file = makeMinute(dir.path());
    Job job;
    QList<double> seen;
    job.setListener([&](const Job::State& state) {
        if (state.fraction)
            seen.append(*state.fraction);
    });
    const Job::Scope watched(&job);
    const QStringList results = slice(WheelMode::convert, u"MP4"_s, {file}).perform({file});
    QCOMPARE(results.size(), 1);
    QVERIFY2(seen.size() >= 5, qPrintable(u"only %1 reports"_s.arg(seen.size())));
    QVERIFY(std::is_sorted(seen.cbegin(), seen.cend()));
    QVERIFY(seen.first() < 0.5);
    QCOMPARE(seen.last(), 1.0);
    QCOMPARE(job.state().overall(), 1.0);
}

void TestProgress::cancellingAVideoConversionEndsFfmpegAndLeavesNothing()
{
    QTemporaryDir dir;
    const QString file = makeMinute(dir.path());
    Job job;
    Running running(job, slice(WheelMode::convert, u"MP4"_s, {file}), {file});
    QVERIFY(waitFor([&] { return job.state().fraction.value_or(0) >= 0.5; }));
    QVERIFY(!TestSupport::runningChildrenOf(::getpid()).isEmpty());

    job.cancel();
    // SIGTERM, and SIGKILL half a second later for a child that ignores it.
    QVERIFY2(running.waitUntilDone(1s), "the conversion went on after the cancel");
    QVERIFY(running.wasCancelled());
    QCOMPARE(TestSupport::runningChildrenOf(::getpid()), QList<int>());
    QCOMPARE(TestSupport::namesIn(dir.path()), QStringList{u"talk.mov"_s});
}

void TestProgress::batchCancelledAfterTheThirdFileKeepsThreeResults()
{
    QTemporaryDir dir;
    QStringList files;
    for (int i = 1; i <= 6; ++i) {
        QImage picture(64, 48, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv(i * 50, 200, 200));
        files.append(dir.filePath(u"photo%1.png"_s.arg(i)));
        QVERIFY(picture.save(files.last()));
    }
    // One file at a time, so that "the third" is a file and not a count
    // (files side by side are cancelled in tst_Operation).
    const TestSupport::ScopedEnv oneAtATime("FLINGDIAL_WORKERS", "1");
    Job job;
    // As a user would: the cancel arrives while the fourth file starts.
    job.setListener([&](const Job::State& state) {
        if (state.fileIndex == 3)
            job.cancel();
    });
    Running running(job, slice(WheelMode::convert, u"JPG"_s, files), files);
    QVERIFY(running.waitUntilDone(60s));
    QVERIFY(running.wasCancelled());
    QStringList expected;
    for (int i = 1; i <= 6; ++i)
        expected << u"photo%1.png"_s.arg(i);
    expected << u"photo1.jpg"_s << u"photo2.jpg"_s << u"photo3.jpg"_s;
    expected.sort();
    QCOMPARE(TestSupport::namesIn(dir.path()), expected);
}

void TestProgress::cancelEndsTheChildsOwnChildren()
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath(u"grandchild"_s);
    Job job;
    std::exception_ptr failure;
    std::thread worker([&] {
        const Job::Scope watched(&job);
        try {
            Shell::run(u"/bin/sh"_s, {u"-c"_s, u"sleep 60 & echo $! > '%1'; wait"_s.arg(pidFile)});
        } catch (...) {
            failure = std::current_exception();
        }
    });
    QVERIFY(waitFor([&] { return !TestSupport::readFile(pidFile).trimmed().isEmpty(); }));
    const int grandchild = TestSupport::readFile(pidFile).trimmed().toInt();
    job.cancel();
    worker.join();
    QVERIFY(isCancel(failure));
    // Ended, and reaped by whoever adopted it, or at least a zombie.
    QVERIFY(waitFor(
        [&] {
            const QByteArray stat = TestSupport::readFile(u"/proc/%1/stat"_s.arg(grandchild));
            return stat.isEmpty() || stat.mid(stat.lastIndexOf(')') + 2, 1) == "Z";
        },
        5s));
}

void TestProgress::terminalShowsProgressAndCtrlCCancels()
{
    QTemporaryDir dir;
    makeMinute(dir.path());
    QProcessEnvironment environment = TestSupport::isolatedEnvironment(m_settings.configHome());
    environment.remove(u"FLINGDIAL_LOG"_s);
    Terminal terminal({u"--run"_s, u"convert"_s, u"MP4"_s, u"talk.mov"_s}, environment, dir.path());
    QVERIFY(terminal.pid > 0);
    // A bar with a percentage and the time left, redrawn in place.
    QVERIFY2(terminal.readUntil([](const QByteArray& screen) {
        return QRegularExpression(u"\\r\\[#+-+\\] +\\d+ %  \\d+:\\d\\d left"_s)
            .match(QString::fromUtf8(screen))
            .hasMatch();
    }),
             terminal.screen.constData());
    ::kill(terminal.pid, SIGINT);
    QCOMPARE(terminal.exitStatus(), 130);
    QVERIFY(!terminal.screen.contains("error"));
    QCOMPARE(TestSupport::namesIn(dir.path()), QStringList{u"talk.mov"_s});
    QCOMPARE(TestSupport::processesNaming(dir.path()), QList<int>());
}

void TestProgress::withoutATerminalOnlyResultsArePrinted()
{
    QTemporaryDir dir;
    makeMinute(dir.path());
    QProcessEnvironment environment = TestSupport::isolatedEnvironment(m_settings.configHome());
    environment.remove(u"FLINGDIAL_LOG"_s);
    environment.insert(u"XDG_RUNTIME_DIR"_s, m_scratch.path());
    const auto result = TestSupport::runFlingdial(
        {u"--run"_s, u"convert"_s, u"MP4"_s, u"talk.mov"_s}, environment, dir.path());
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, dir.filePath(u"talk.mp4"_s) + u"\n"_s);
    QCOMPARE(result.err, QString());
}

void TestProgress::barLines_data()
{
    QTest::addColumn<double>("done");
    QTest::addColumn<double>("secondsLeft"); // below 0: not known yet
    QTest::addColumn<int>("width");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("start") << 0.0 << -1.0 << 79
                           << QByteArray("[" + QByteArray(40, '-') + "]    0 %");
    QTest::newRow("half, a minute and a half left")
        << 0.5 << 89.6 << 79
        << QByteArray("[" + QByteArray(20, '#') + QByteArray(20, '-') + "]   50 %  1:30 left");
    QTest::newRow("hours") << 0.1 << 3725.0 << 79
                           << QByteArray("[####" + QByteArray(36, '-') + "]   10 %  1:02:05 left");
    QTest::newRow("narrow terminal")
        << 0.42 << 5.0 << 30 << QByteArray("[####------]   42 %  0:05 left");
    QTest::newRow("too narrow for a bar") << 0.42 << 5.0 << 20 << QByteArray("42 %  0:05 left");
    QTest::newRow("past the end") << 1.3 << 0.0 << 79
                                  << QByteArray("[" + QByteArray(40, '#') + "]  100 %  0:00 left");
}

void TestProgress::barLines()
{
    QFETCH(double, done);
    QFETCH(double, secondsLeft);
    QFETCH(int, width);
    QFETCH(QByteArray, expected);
    const auto left = secondsLeft < 0 ? std::nullopt : std::optional(secondsLeft);
    QCOMPARE(ProgressBar::line(done, left, width), expected);
}

QTEST_GUILESS_MAIN(TestProgress)
#include "tst_Progress.moc"
