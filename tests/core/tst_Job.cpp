#include "base/Errors.h"
#include "core/Job.h"

#include <QtTest>
#include <thread>

// The job an operation reports to: which job is current, how far the whole
// job is, and the cancel request.
class TestJob : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void overallFraction_data();
    void overallFraction();
    void reportsReachTheCurrentJob();
    void aFractionNeverGoesBack();
    void scopesNest();
    void eachThreadHasItsOwnJob();
    void nothingHappensWithoutAJob();
    void cancelIsSeenFromAnyThread();
    void cancelStopsTheNextReport();
    void askingLastsAsLongAsItsScope();
    void listenerHearsEveryReport();
    void noEstimateBeforeThereIsAPace();
};

void TestJob::overallFraction_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("count");
    QTest::addColumn<std::optional<double>>("fraction");
    QTest::addColumn<std::optional<double>>("overall");
    const std::optional<double> none;
    QTest::newRow("one file, unknown") << 0 << 1 << none << none;
    QTest::newRow("one file, a third")
        << 0 << 1 << std::optional(1.0 / 3) << std::optional(1.0 / 3);
    QTest::newRow("first of four, unknown") << 0 << 4 << none << std::optional(0.0);
    QTest::newRow("third of four, half") << 2 << 4 << std::optional(0.5) << std::optional(0.625);
    QTest::newRow("last of four, done") << 3 << 4 << std::optional(1.0) << std::optional(1.0);
    QTest::newRow("last of four, unknown") << 3 << 4 << none << std::optional(0.75);
}

void TestJob::overallFraction()
{
    QFETCH(int, index);
    QFETCH(int, count);
    QFETCH(std::optional<double>, fraction);
    QFETCH(std::optional<double>, overall);
    Job::State state;
    state.fileIndex = index;
    state.fileCount = count;
    state.fraction = fraction;
    QCOMPARE(state.overall().has_value(), overall.has_value());
    if (overall)
        QCOMPARE(*state.overall(), *overall);
}

void TestJob::reportsReachTheCurrentJob()
{
    Job job;
    const Job::Scope scope(&job);
    QCOMPARE(Job::current(), &job);
    Job::reportFile(1, 3);
    Job::reportFraction(0.5);
    QCOMPARE(job.state().fileIndex, 1);
    QCOMPARE(job.state().fileCount, 3);
    QCOMPARE(*job.state().overall(), 0.5);
    // The next file starts from nothing known; a count below one is one.
    Job::reportFile(2, 3);
    QVERIFY(!job.state().fraction);
    Job::reportFile(0, 0);
    QCOMPARE(job.state().fileCount, 1);
}

void TestJob::aFractionNeverGoesBack()
{
    Job job;
    const Job::Scope scope(&job);
    Job::reportFraction(0.6);
    Job::reportFraction(0.4);
    QCOMPARE(*job.state().fraction, 0.6);
    Job::reportFraction(7);
    QCOMPARE(*job.state().fraction, 1.0);
    Job::reportFile(1, 2);
    Job::reportFraction(-3);
    QCOMPARE(*job.state().fraction, 0.0);
}

void TestJob::scopesNest()
{
    Job outer;
    Job inner;
    QCOMPARE(Job::current(), nullptr);
    {
        const Job::Scope outerScope(&outer);
        {
            const Job::Scope innerScope(&inner);
            QCOMPARE(Job::current(), &inner);
            Job::reportFraction(0.25);
            {
                // Work that nothing should watch, inside watched work.
                const Job::Scope unwatched(nullptr);
                QCOMPARE(Job::current(), nullptr);
                Job::reportFraction(0.9);
            }
            QCOMPARE(Job::current(), &inner);
        }
        QCOMPARE(Job::current(), &outer);
        Job::reportFraction(0.75);
    }
    QCOMPARE(Job::current(), nullptr);
    QCOMPARE(*inner.state().fraction, 0.25);
    QCOMPARE(*outer.state().fraction, 0.75);
}

void TestJob::eachThreadHasItsOwnJob()
{
    Job mine;
    Job theirs;
    const Job::Scope scope(&mine);
    const Job* seenThere = &mine;
    std::thread([&] {
        seenThere = Job::current();
        const Job::Scope there(&theirs);
        Job::reportFraction(0.3);
    }).join();
    QCOMPARE(seenThere, nullptr);
    QCOMPARE(Job::current(), &mine);
    QVERIFY(!mine.state().fraction);
    QCOMPARE(*theirs.state().fraction, 0.3);
}

void TestJob::nothingHappensWithoutAJob()
{
    QCOMPARE(Job::current(), nullptr);
    Job::reportFile(1, 2);
    Job::reportFraction(0.5);
    Job::throwIfCancelled();
    const Job::Asking asking;
}

void TestJob::cancelIsSeenFromAnyThread()
{
    Job job;
    const Job::Scope scope(&job);
    Job::throwIfCancelled();
    QVERIFY(!job.isCancelled());
    // Cancelled from another thread, as the runner and a signal handler do.
    std::thread([&job] { job.cancel(); }).join();
    QVERIFY(job.isCancelled());
    QVERIFY_THROWS_EXCEPTION(Cancelled, Job::throwIfCancelled());
    // Only the cancelled job's work stops.
    Job other;
    const Job::Scope otherScope(&other);
    Job::throwIfCancelled();
}

void TestJob::cancelStopsTheNextReport()
{
    Job job;
    const Job::Scope scope(&job);
    job.cancel();
    // Moving on to the next file is where a batch stops.
    QVERIFY_THROWS_EXCEPTION(Cancelled, Job::reportFile(1, 4));
    QCOMPARE(job.state().fileIndex, 1);
}

void TestJob::askingLastsAsLongAsItsScope()
{
    Job job;
    const Job::Scope scope(&job);
    QVERIFY(!job.state().asking);
    {
        const Job::Asking asking;
        QVERIFY(job.state().asking);
    }
    QVERIFY(!job.state().asking);
}

void TestJob::listenerHearsEveryReport()
{
    Job job;
    QList<Job::State> heard;
    job.setListener([&heard](const Job::State& state) { heard.append(state); });
    const Job::Scope scope(&job);
    Job::reportFile(0, 2);
    Job::reportFraction(0.5);
    {
        const Job::Asking asking;
    }
    Job::reportFile(1, 2);
    QCOMPARE(heard.size(), 5);
    QCOMPARE(*heard.at(1).overall(), 0.25);
    QVERIFY(heard.at(2).asking);
    QVERIFY(!heard.at(3).asking);
    QCOMPARE(*heard.at(4).overall(), 0.5);
}

void TestJob::noEstimateBeforeThereIsAPace()
{
    Job job;
    const Job::Scope scope(&job);
    QVERIFY(!job.secondsLeft());
    Job::reportFraction(0.01);
    QVERIFY(!job.secondsLeft());
}

QTEST_GUILESS_MAIN(TestJob)
#include "tst_Job.moc"
