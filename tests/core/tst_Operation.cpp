#include "base/Errors.h"
#include "core/Job.h"
#include "core/Operation.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <condition_variable>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {

using namespace std::chrono_literals;

// What steps running side by side saw: how many ran at once, which
// finished, in which order.
class Tracker
{
public:
    // Waits (at most a few seconds) until `ready(running, finished)` holds;
    // a batch that runs one file at a time never gets there and the test
    // sees that.
    template<typename Ready> void waitUntil(Ready ready)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, 5s, [&] { return ready(m_running, m_order.size()); });
    }

    void started()
    {
        const std::lock_guard lock(m_mutex);
        ++m_running;
        m_mostAtOnce = std::max(m_mostAtOnce, m_running);
        m_changed.notify_all();
    }

    void finished(int index)
    {
        const std::lock_guard lock(m_mutex);
        --m_running;
        m_order.append(index);
        m_changed.notify_all();
    }

    int mostAtOnce() const
    {
        const std::lock_guard lock(m_mutex);
        return m_mostAtOnce;
    }
    QList<int> order() const
    {
        const std::lock_guard lock(m_mutex);
        return m_order;
    }
    qsizetype finishedCount() const
    {
        const std::lock_guard lock(m_mutex);
        return m_order.size();
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_running = 0;
    int m_mostAtOnce = 0;
    QList<int> m_order;
};

QStringList numbered(int count)
{
    QStringList files;
    for (int i = 0; i < count; ++i)
        files.append(QString::number(i));
    return files;
}

// A step that holds its file until `enough` of the `count` files run at
// once (or all that are left).
Operation::Step holdingUntil(Tracker& tracker, int enough, int count)
{
    return [&tracker, enough, count](const QString& file) {
        tracker.started();
        tracker.waitUntil([&](int running, qsizetype finished) {
            return running >= std::min<qsizetype>(enough, count - finished);
        });
        tracker.finished(file.toInt());
        return file + u" done"_s;
    };
}

} // namespace

class TestOperation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oneWorkerGoesInOrder();
    void workersRunSideBySide();
    void resultsKeepTheFilesOrder();
    void memoryBoundsHowManyRun_data();
    void memoryBoundsHowManyRun();
    void progressCountsFinishedFiles();
    void failureCancelsTheFilesAfterIt();
    void failureLetsEarlierFilesFinish();
    void cancelReachesEveryRunningFile();
    void perFileRunsSideBySideWithANeed();
    void memoryIsHalfOfWhatIsFree();
    void sizeChange();
};

void TestOperation::oneWorkerGoesInOrder()
{
    Tracker tracker;
    const QStringList results =
        Operation::sideBySide(numbered(4), holdingUntil(tracker, 1, 4), {}, 1);
    QCOMPARE(tracker.mostAtOnce(), 1);
    QCOMPARE(tracker.order(), QList<int>({0, 1, 2, 3}));
    QCOMPARE(results, QStringList({u"0 done"_s, u"1 done"_s, u"2 done"_s, u"3 done"_s}));
}

void TestOperation::workersRunSideBySide()
{
    Tracker tracker;
    const QStringList results =
        Operation::sideBySide(numbered(9), holdingUntil(tracker, 3, 9), {}, 3);
    QCOMPARE(tracker.mostAtOnce(), 3);
    QCOMPARE(results.size(), 9);
}

void TestOperation::resultsKeepTheFilesOrder()
{
    // The last file finishes first, the first file last.
    Tracker tracker;
    const int count = 4;
    const QStringList results = Operation::sideBySide(
        numbered(count),
        [&](const QString& file) {
            const int index = file.toInt();
            tracker.started();
            tracker.waitUntil(
                [&](int, qsizetype finished) { return finished >= count - 1 - index; });
            tracker.finished(index);
            return file + u" done"_s;
        },
        {}, count);
    QCOMPARE(tracker.order(), QList<int>({3, 2, 1, 0}));
    QCOMPARE(results, QStringList({u"0 done"_s, u"1 done"_s, u"2 done"_s, u"3 done"_s}));
}

void TestOperation::memoryBoundsHowManyRun_data()
{
    QTest::addColumn<double>("share"); // of the memory batches may take, per file
    QTest::addColumn<int>("atOnce");
    QTest::newRow("a tenth each: all four") << 0.1 << 4;
    QTest::newRow("0.4 each: two") << 0.4 << 2;
    QTest::newRow("0.6 each: one") << 0.6 << 1;
    QTest::newRow("more than all of it: one, still done") << 3.0 << 1;
}

void TestOperation::memoryBoundsHowManyRun()
{
    QFETCH(double, share);
    QFETCH(int, atOnce);
    const qint64 need = qint64(double(Operation::sideBySideMemory()) * share);
    Tracker tracker;
    const QStringList results = Operation::sideBySide(
        numbered(6), holdingUntil(tracker, atOnce, 6), [&](const QString&) { return need; }, 4);
    QCOMPARE(tracker.mostAtOnce(), atOnce);
    QCOMPARE(results.size(), 6);
}

void TestOperation::progressCountsFinishedFiles()
{
    Tracker tracker;
    Job job;
    QList<Job::State> seen;
    QList<qsizetype> finishedThen;
    std::mutex mutex;
    job.setListener([&](const Job::State& state) {
        const std::lock_guard lock(mutex);
        seen.append(state);
        finishedThen.append(tracker.finishedCount());
    });
    const Job::Scope watched(&job);
    const int count = 12;
    Operation::sideBySide(
        numbered(count),
        [&](const QString& file) {
            tracker.started();
            for (const double share : {0.25, 0.5, 0.75})
                Job::reportFraction(share);
            tracker.waitUntil([](int running, qsizetype finished) {
                return running >= std::min<qsizetype>(3, count - finished);
            });
            tracker.finished(file.toInt());
            return file;
        },
        {}, 3);
    QVERIFY(!seen.isEmpty());
    double overall = 0;
    for (qsizetype i = 0; i < seen.size(); ++i) {
        const Job::State& state = seen.at(i);
        QCOMPARE(state.fileCount, count);
        // "12 of 40" never counts a file as done before it is.
        QVERIFY2(
            state.fileIndex <= finishedThen.at(i),
            qPrintable(u"index %1 with %2 done"_s.arg(state.fileIndex).arg(finishedThen.at(i))));
        QVERIFY(i == 0 || state.fileIndex >= seen.at(i - 1).fileIndex);
        QVERIFY2(state.overall().value_or(0) >= overall - 1e-9, "the job never goes backwards");
        overall = state.overall().value_or(0);
    }
    QCOMPARE(seen.constLast().fileIndex, count - 1);
    QVERIFY(std::any_of(seen.cbegin(), seen.cend(),
                        [](const Job::State& state) { return state.fraction.has_value(); }));
}

void TestOperation::failureCancelsTheFilesAfterIt()
{
    std::atomic<bool> laterCancelled = false;
    std::atomic<int> calls = 0;
    Tracker tracker;
    const auto step = [&](const QString& file) {
        ++calls;
        const int index = file.toInt();
        tracker.started();
        if (index == 1) {
            // Fails once the file after it runs too.
            tracker.waitUntil([](int running, qsizetype) { return running >= 3; });
            tracker.finished(index);
            throw Fail(u"File 1 is broken."_s);
        }
        if (index == 2) {
            // Runs until the batch cancels it, as a child program would.
            while (!Job::current()->isCancelled())
                std::this_thread::sleep_for(5ms);
            laterCancelled = true;
            tracker.finished(index);
            throw Cancelled();
        }
        // The file before the failure ends only after it, so that no other
        // file could have taken its place.
        while (!laterCancelled)
            std::this_thread::sleep_for(5ms);
        tracker.finished(index);
        return file;
    };
    QCOMPARE(TestSupport::failureOf([&] { Operation::sideBySide(numbered(6), step, {}, 3); }),
             u"File 1 is broken."_s);
    QVERIFY(laterCancelled);
    QCOMPARE(calls.load(), 3); // files 3 to 5 never start
}

void TestOperation::failureLetsEarlierFilesFinish()
{
    std::atomic<bool> firstCancelled = false;
    std::atomic<bool> firstDone = false;
    const auto step = [&](const QString& file) {
        if (file == QLatin1String("1"))
            throw Fail(u"File 1 is broken."_s);
        // The file before the failure is slow, and must be let finish.
        for (int i = 0; i < 40; ++i) {
            std::this_thread::sleep_for(5ms);
            if (Job::current()->isCancelled())
                firstCancelled = true;
        }
        firstDone = true;
        return file;
    };
    QCOMPARE(TestSupport::failureOf([&] { Operation::sideBySide(numbered(2), step, {}, 2); }),
             u"File 1 is broken."_s);
    QVERIFY(firstDone);
    QVERIFY(!firstCancelled);
}

void TestOperation::cancelReachesEveryRunningFile()
{
    Job job;
    const Job::Scope watched(&job);
    std::atomic<int> cancelledFiles = 0;
    Tracker tracker;
    const auto step = [&](const QString&) -> QString {
        tracker.started();
        tracker.waitUntil([](int running, qsizetype) { return running >= 2; });
        job.cancel(); // the user, while two files run
        while (!Job::current()->isCancelled())
            std::this_thread::sleep_for(5ms);
        ++cancelledFiles;
        throw Cancelled();
    };
    QVERIFY_THROWS_EXCEPTION(Cancelled, Operation::sideBySide(numbered(5), step, {}, 2));
    QCOMPARE(cancelledFiles.load(), 2);
}

void TestOperation::perFileRunsSideBySideWithANeed()
{
    if (QThread::idealThreadCount() < 2)
        QSKIP("one core: nothing runs side by side");
    Tracker tracker;
    const Operation withNeed = Operation::perFile(u"Work"_s, u"gear"_s, holdingUntil(tracker, 2, 4),
                                                  [](const QString&) { return qint64(1); });
    QCOMPARE(withNeed.perform(numbered(4)).size(), 4);
    QCOMPARE(tracker.mostAtOnce(), 2);

    Tracker alone;
    const Operation without = Operation::perFile(u"Work"_s, u"gear"_s, holdingUntil(alone, 2, 2));
    QCOMPARE(without.perform(numbered(2)).size(), 2);
    QCOMPARE(alone.mostAtOnce(), 1);
}

void TestOperation::memoryIsHalfOfWhatIsFree()
{
    QFile meminfo(u"/proc/meminfo"_s);
    if (!meminfo.open(QIODevice::ReadOnly))
        QSKIP("no /proc/meminfo");
    const QRegularExpression available(u"MemAvailable:\\s+(\\d+) kB"_s);
    const auto match = available.match(QString::fromLatin1(meminfo.readAll()));
    QVERIFY(match.hasMatch());
    const double half = match.captured(1).toDouble() * 1024 / 2;
    const double budget = double(Operation::sideBySideMemory());
    // What is free moves a little between the two readings; a control
    // group may allow less.
    QVERIFY2(budget <= half * 1.1 &&
                 (budget >= half * 0.9 || QFile::exists(u"/sys/fs/cgroup/memory.max"_s)),
             qPrintable(u"%1 of %2"_s.arg(budget).arg(half)));
}

void TestOperation::sizeChange()
{
    const QTemporaryDir dir;
    const auto sized = [&](const QString& name, qsizetype bytes) {
        return TestSupport::writeFile(dir.filePath(name), QByteArray(bytes, 'x'));
    };
    QLocale::setDefault(QLocale::c());
    const QStringList sources = {sized(u"a"_s, 4'000'000), sized(u"b"_s, 200'000)};
    const QStringList results = {sized(u"c"_s, 1'000'000), sized(u"d"_s, 100'000)};
    QCOMPARE(Operation::sizeChange(sources, results), u"4.2 MB → 1.1 MB"_s);
    QCOMPARE(Operation::sizeChange({sized(u"e"_s, 66'000)}, {sized(u"f"_s, 54'000)}),
             u"66 kB → 54 kB"_s);
}

QTEST_GUILESS_MAIN(TestOperation)
#include "tst_Operation.moc"
