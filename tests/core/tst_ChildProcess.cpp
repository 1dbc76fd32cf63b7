#include "base/Errors.h"
#include "core/ChildProcess.h"
#include "core/Job.h"
#include "support/TestSupport.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

// A child program and what it started: the limits that end it, the cancel,
// and the end of its whole process group.
class TestChildProcess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void endsTheWholeGroup_data();
    void endsTheWholeGroup();
    void talkingChildOutlivesTheSilenceLimit();
    void totalLimitCountsTalkingToo();
    void linesReachTheReader();
    void cancelledJobStartsNothing();
    void finishedChildIsLeftAlone();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

// A shell whose grandchild writes its process id to $1, then says "ready"
// and waits. `trap` decides who ignores SIGTERM. The shell ends on its own
// long after the test's waits; its grandchild outlives it by far, so that
// only a kill ends it in time.
const QString family = u"%1 (%2 exec sleep 300) & echo $! > \"$1\"; echo ready; sleep 60"_s;

enum class Ending { timeLimit, silenceLimit, cancel, destructor };

// Whether the process runs (a zombie has ended; a missing one too).
bool isRunning(qint64 pid)
{
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype state = line.lastIndexOf(')') + 2;
    return state < line.size() && line.at(state) != 'Z';
}

// Waits for the process to end: a signal takes a moment to arrive.
bool ends(qint64 pid)
{
    const QDeadlineTimer deadline(20s);
    while (isRunning(pid) && !deadline.hasExpired())
        QThread::msleep(10);
    return !isRunning(pid);
}

// The process id the family's grandchild writes, once it has.
qint64 grandchildOf(const QString& pidFile)
{
    const QDeadlineTimer deadline(20s);
    while (!deadline.hasExpired()) {
        const QByteArray pid = TestSupport::readFile(pidFile).trimmed();
        if (!pid.isEmpty())
            return pid.toLongLong();
        QThread::msleep(10);
    }
    return 0;
}

} // namespace

void TestChildProcess::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestChildProcess::endsTheWholeGroup_data()
{
    QTest::addColumn<Ending>("ending");
    QTest::addColumn<QString>("script");
    const QList<std::pair<const char*, QString>> families = {
        {"all end on SIGTERM", family.arg(QString(), QString())},
        {"grandchild ignores SIGTERM", family.arg(QString(), u"trap '' TERM;"_s)},
        {"all ignore SIGTERM", family.arg(u"trap '' TERM;"_s, QString())},
    };
    const QList<std::pair<const char*, Ending>> endings = {
        {"time limit", Ending::timeLimit},
        {"silence limit", Ending::silenceLimit},
        {"cancel", Ending::cancel},
        {"destructor", Ending::destructor},
    };
    for (const auto& [how, ending] : endings)
        for (const auto& [who, script] : families)
            QTest::addRow("%s, %s", how, who) << ending << script;
}

void TestChildProcess::endsTheWholeGroup()
{
    QFETCH(Ending, ending);
    QFETCH(QString, script);
    const QString pidFile = m_dir->filePath(u"grandchild"_s);
    Job job;
    const Job::Scope watched(&job);
    qint64 child = 0;
    qint64 grandchild = 0;
    {
        ChildProcess process(u"/bin/sh"_s, {u"-c"_s, script, u"sh"_s, pidFile});
        process.start();
        child = process.process().processId();
        grandchild = grandchildOf(pidFile);
        QVERIFY(grandchild > 0);
        QVERIFY(isRunning(grandchild));
        switch (ending) {
        case Ending::timeLimit:
            QCOMPARE(process.wait({100ms, std::nullopt}), ChildProcess::Ending::outOfTime);
            break;
        case Ending::silenceLimit:
            QCOMPARE(process.wait({std::nullopt, 100ms}), ChildProcess::Ending::outOfTime);
            break;
        case Ending::cancel:
            // Cancelled as the first line comes, from within the wait.
            QVERIFY_THROWS_EXCEPTION(Cancelled,
                                     process.wait({}, [&job](const QByteArray&) { job.cancel(); }));
            break;
        case Ending::destructor:
            break;
        }
    }
    QVERIFY(ends(child));
    QVERIFY2(ends(grandchild), "the grandchild outlived the child");
}

void TestChildProcess::talkingChildOutlivesTheSilenceLimit()
{
    // A line every 25 ms for three times the allowed silence.
    ChildProcess process(u"/bin/sh"_s,
                         {u"-c"_s, u"for i in $(seq 60); do echo $i; sleep 0.025; done"_s});
    process.start();
    QCOMPARE(process.wait({std::nullopt, 500ms}), ChildProcess::Ending::finished);
    QVERIFY(process.succeeded());
    QVERIFY(process.standardOutput().endsWith("\n60\n"));
}

void TestChildProcess::totalLimitCountsTalkingToo()
{
    // Talk would restart the silence clock, never the total one.
    ChildProcess process(u"/bin/sh"_s,
                         {u"-c"_s, u"for i in $(seq 1000); do echo $i; sleep 0.02; done"_s});
    process.start();
    QCOMPARE(process.wait({300ms, 10s}), ChildProcess::Ending::outOfTime);
    QVERIFY(!process.succeeded());
}

void TestChildProcess::linesReachTheReader()
{
    ChildProcess process(
        u"/bin/sh"_s, {u"-c"_s, u"printf 'one\\ntwo\\n'; echo err >&2; printf 'three\\nrest'"_s});
    process.start();
    QList<QByteArray> lines;
    QCOMPARE(process.wait({}, [&lines](const QByteArray& line) { lines.append(line); }),
             ChildProcess::Ending::finished);
    // Complete lines only; all of standard output is kept.
    QCOMPARE(lines, (QList<QByteArray>{"one", "two", "three"}));
    QCOMPARE(process.standardOutput(), QByteArray("one\ntwo\nthree\nrest"));
    QCOMPARE(process.standardError(), QByteArray("err\n"));
}

void TestChildProcess::cancelledJobStartsNothing()
{
    const QString mark = m_dir->filePath(u"started"_s);
    Job job;
    const Job::Scope watched(&job);
    job.cancel();
    ChildProcess process(u"/bin/touch"_s, {mark});
    QVERIFY_THROWS_EXCEPTION(Cancelled, process.start());
    QCOMPARE(process.process().state(), QProcess::NotRunning);
    QVERIFY(!QFile::exists(mark));
}

void TestChildProcess::finishedChildIsLeftAlone()
{
    ChildProcess process(u"/bin/sh"_s, {u"-c"_s, u"echo done; exit 3"_s});
    process.start();
    QCOMPARE(process.wait({10s, 10s}), ChildProcess::Ending::finished);
    QVERIFY(!process.succeeded());
    QCOMPARE(process.exitCode(), 3);
    QCOMPARE(process.standardOutput(), QByteArray("done\n"));
}

QTEST_GUILESS_MAIN(TestChildProcess)
#include "tst_ChildProcess.moc"
