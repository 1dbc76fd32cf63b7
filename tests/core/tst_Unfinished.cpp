#include "core/ChildProcess.h"
#include "core/ResultGuard.h"
#include "core/ScratchDirectory.h"
#include "core/Unfinished.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

bool ended(int pid)
{
    const QByteArray stat = TestSupport::readFile(u"/proc/%1/stat"_s.arg(pid));
    return stat.isEmpty() || stat.mid(stat.lastIndexOf(')') + 2, 1) == "Z";
}

bool waitFor(const std::function<bool()>& condition)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > 10000)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// Abandons the work in a copy of this process, as a stopped run would,
// and returns its exit status. `stillWorking` runs on a thread of the copy
// meanwhile, as the work does.
int abandonInACopy(int status, const std::function<void()>& stillWorking = {})
{
    const pid_t copy = ::fork();
    if (copy == 0) {
        if (stillWorking) {
            std::thread(stillWorking).detach();
            std::this_thread::sleep_for(200ms);
        }
        Unfinished::abandonAndExit(status);
    }
    int result = 0;
    ::waitpid(copy, &result, 0);
    return WIFEXITED(result) ? WEXITSTATUS(result) : -1;
}

} // namespace

// What a stopped run removes and ends: the results, scratch folders and
// child programs it had started and not settled, and nothing else.
class TestUnfinished : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void abandoningRemovesWhatIsUnsettled();
    void childProgramsAreEndedWithTheirChildren();
    void aFolderStillBeingFilledGoes();
};

void TestUnfinished::abandoningRemovesWhatIsUnsettled()
{
    QTemporaryDir dir;
    ResultGuard half(dir.filePath(u"half.pdf"_s));
    TestSupport::writeFile(half.path(), "half");
    ResultGuard folder(dir.filePath(u"pages"_s));
    folder.makeDirectory();
    TestSupport::writeFile(folder.path() + u"/page 001.png"_s, "page");
    ResultGuard whole(dir.filePath(u"whole.pdf"_s));
    TestSupport::writeFile(whole.path(), "whole");
    const QString placed = whole.commit();
    const ScratchDirectory scratch;
    TestSupport::writeFile(scratch.filePath(u"work.pdf"_s), "scratch");
    const QString other = TestSupport::writeFile(dir.filePath(u"mine.txt"_s), "user's");

    QCOMPARE(abandonInACopy(143), 143);
    QCOMPARE(TestSupport::namesIn(dir.path()), QStringList({u"mine.txt"_s, u"whole.pdf"_s}));
    QCOMPARE(placed, dir.filePath(u"whole.pdf"_s));
    QVERIFY(!QFileInfo::exists(scratch.path()));
    QCOMPARE(TestSupport::readFile(other), QByteArray("user's"));
}

void TestUnfinished::childProgramsAreEndedWithTheirChildren()
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath(u"grandchild"_s);
    ChildProcess child(u"/bin/sh"_s, {u"-c"_s, u"sleep 60 & echo $! > '%1'; wait"_s.arg(pidFile)});
    child.start();
    QVERIFY(waitFor([&] { return !TestSupport::readFile(pidFile).trimmed().isEmpty(); }));
    const int grandchild = TestSupport::readFile(pidFile).trimmed().toInt();
    // A program that has ended is no longer watched: its number may be reused.
    ChildProcess done(u"/bin/true"_s, {});
    done.start();
    QCOMPARE(done.wait(), ChildProcess::Ending::finished);

    QCOMPARE(abandonInACopy(130), 130);
    QVERIFY(waitFor([&] { return ended(grandchild); }));
    QCOMPARE(child.wait({10s, std::nullopt}), ChildProcess::Ending::finished);
    QVERIFY(!child.succeeded());
}

void TestUnfinished::aFolderStillBeingFilledGoes()
{
    QTemporaryDir dir;
    ResultGuard folder(dir.filePath(u"split"_s));
    folder.makeDirectory();
    const QString path = folder.path();
    QCOMPARE(abandonInACopy(143,
                            [path] {
                                for (int page = 1;; ++page) {
                                    QFile file(path + u"/page %1.pdf"_s.arg(page));
                                    if (file.open(QIODevice::WriteOnly))
                                        file.write("page");
                                }
                            }),
             143);
    QCOMPARE(TestSupport::namesIn(dir.path()), QStringList());
}

QTEST_GUILESS_MAIN(TestUnfinished)
#include "tst_Unfinished.moc"
