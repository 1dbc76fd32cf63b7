#include "base/Errors.h"
#include "core/Job.h"
#include "core/NameReservations.h"
#include "core/Output.h"
#include "core/ResultGuard.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using TestSupport::namesIn;
using TestSupport::readFile;
using TestSupport::writeFile;

// The program's library calls these rather than the C library's (the
// executable's symbols come first), so that a test can play a file system
// without RENAME_NOREPLACE, which sends ResultGuard to its link and mkdir
// fallback, and see which way a result took.
namespace {

std::atomic<bool> noReplaceUnsupported = false;
std::atomic<int> renameCalls = 0;
std::atomic<int> linkCalls = 0;

} // namespace

extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to,
                         unsigned int flags) noexcept
{
    ++renameCalls;
    if (noReplaceUnsupported && (flags & RENAME_NOREPLACE) != 0) {
        errno = EINVAL;
        return -1;
    }
    return int(::syscall(SYS_renameat2, fromFolder, from, toFolder, to, flags));
}

extern "C" int link(const char* from, const char* to) noexcept
{
    ++linkCalls;
    return ::linkat(AT_FDCWD, from, AT_FDCWD, to, 0);
}

class TestResultGuard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void hiddenNameBesideTheResult_data();
    void hiddenNameBesideTheResult();
    void commitPlacesTheResult_data();
    void commitPlacesTheResult();
    void commitNeverReplaces_data();
    void commitNeverReplaces();
    void namesClaimedInThisProcessAreSkipped_data();
    void namesClaimedInThisProcessAreSkipped();
    void otherFileSystemIsToldApart_data();
    void otherFileSystemIsToldApart();
    void uncommittedResultIsRemoved_data();
    void uncommittedResultIsRemoved();
    void cancelledWorkLeavesNothing();
    void failuresNameTheResult_data();
    void failuresNameTheResult();
    void messagesInUserTerms_data();
    void messagesInUserTerms();
    void folderThatCantTakeTheResult();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    // Sets the data's "fallback" column in force: RENAME_NOREPLACE missing.
    void playFileSystem();
    // Makes the guard's result: a file holding `content`, or a folder with
    // that file inside.
    static void makeResult(const ResultGuard& guard, bool folder, const QByteArray& content);
    static QByteArray contentOf(const QString& result, bool folder);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestResultGuard::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestResultGuard::cleanup()
{
    noReplaceUnsupported = false;
}

void TestResultGuard::playFileSystem()
{
    QFETCH(bool, fallback);
    noReplaceUnsupported = fallback;
    renameCalls = 0;
    linkCalls = 0;
}

void TestResultGuard::makeResult(const ResultGuard& guard, bool folder, const QByteArray& content)
{
    if (folder) {
        guard.makeDirectory();
        writeFile(guard.path() + u"/inside/page.txt"_s, content);
    } else {
        writeFile(guard.path(), content);
    }
}

QByteArray TestResultGuard::contentOf(const QString& result, bool folder)
{
    return readFile(folder ? result + u"/inside/page.txt"_s : result);
}

// Rows for a file and a folder result, with and without RENAME_NOREPLACE.
static void waysToCommit()
{
    QTest::addColumn<bool>("folder");
    QTest::addColumn<bool>("fallback");
    QTest::addColumn<QString>("wanted");
    QTest::newRow("file") << false << false << u"report.pdf"_s;
    QTest::newRow("file, link fallback") << false << true << u"report.pdf"_s;
    QTest::newRow("folder") << true << false << u"Archive"_s;
    QTest::newRow("folder, mkdir fallback") << true << true << u"Archive"_s;
}

void TestResultGuard::hiddenNameBesideTheResult_data()
{
    QTest::addColumn<QString>("wanted");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("image") << u"photo.jpg"_s << u".jpg"_s;
    QTest::newRow("compound extension") << u"logs.tar.gz"_s << u".tar.gz"_s;
    QTest::newRow("folder") << u"Archive"_s << QString();
    QTest::newRow("pattern characters") << u"-[a]*?{b} $x.png"_s << u".png"_s;
}

void TestResultGuard::hiddenNameBesideTheResult()
{
    QFETCH(QString, wanted);
    QFETCH(QString, suffix);
    const ResultGuard guard(path(wanted));
    QCOMPARE(guard.wanted(), path(wanted));
    const QFileInfo hidden(guard.path());
    QCOMPARE(hidden.absolutePath(), m_dir->path());
    QVERIFY2(hidden.fileName().startsWith(u".flingdial-"_s), qPrintable(hidden.fileName()));
    QVERIFY(hidden.fileName().endsWith(suffix));
    // Nothing a child program could read as an option or a pattern.
    static const QRegularExpression plain(u"^\\.flingdial-[0-9a-f]+(\\.[a-z.]+)?$"_s);
    QVERIFY2(plain.match(hidden.fileName()).hasMatch(), qPrintable(hidden.fileName()));
    // Nothing is made before the writer makes it.
    QVERIFY(!hidden.exists());
    QVERIFY(ResultGuard(path(wanted)).path() != guard.path());
}

void TestResultGuard::commitPlacesTheResult_data()
{
    waysToCommit();
}

void TestResultGuard::commitPlacesTheResult()
{
    QFETCH(bool, folder);
    QFETCH(QString, wanted);
    playFileSystem();
    QString placed;
    {
        ResultGuard guard(path(wanted));
        makeResult(guard, folder, "made");
        placed = guard.commit();
    }
    QCOMPARE(placed, path(wanted));
    QCOMPARE(contentOf(placed, folder), QByteArray("made"));
    // The committed result stays, and no hidden name is left.
    QCOMPARE(namesIn(m_dir->path()), QStringList{wanted});
    // The way it took: renameat2 always, then a hard link for a file.
    QFETCH(bool, fallback);
    QVERIFY(renameCalls > 0);
    QCOMPARE(linkCalls.load(), fallback && !folder ? 1 : 0);
}

void TestResultGuard::commitNeverReplaces_data()
{
    QTest::addColumn<bool>("folder");
    QTest::addColumn<bool>("fallback");
    QTest::addColumn<QString>("wanted");
    QTest::addColumn<QStringList>("taken");
    QTest::addColumn<QString>("placed");
    for (const bool fallback : {false, true}) {
        const char* how = fallback ? ", fallback" : "";
        QTest::addRow("file over a file%s", how)
            << false << fallback << u"a.txt"_s << QStringList{u"a.txt"_s} << u"a 2.txt"_s;
        QTest::addRow("file over two%s", how)
            << false << fallback << u"a.txt"_s << QStringList{u"a.txt"_s, u"a 2.txt"_s}
            << u"a 3.txt"_s;
        QTest::addRow("file over a folder%s", how)
            << false << fallback << u"a.txt"_s << QStringList{u"a.txt/"_s} << u"a 2.txt"_s;
        QTest::addRow("file over a dangling link%s", how)
            << false << fallback << u"a.txt"_s << QStringList{u"a.txt@"_s} << u"a 2.txt"_s;
        QTest::addRow("folder over an empty folder%s", how)
            << true << fallback << u"Archive"_s << QStringList{u"Archive/"_s} << u"Archive 2"_s;
        QTest::addRow("folder over a file%s", how)
            << true << fallback << u"Archive"_s << QStringList{u"Archive"_s} << u"Archive 2"_s;
        QTest::addRow("folder over a dangling link%s", how)
            << true << fallback << u"Archive"_s << QStringList{u"Archive@"_s} << u"Archive 2"_s;
    }
}

void TestResultGuard::commitNeverReplaces()
{
    QFETCH(bool, folder);
    QFETCH(QString, wanted);
    QFETCH(QStringList, taken);
    QFETCH(QString, placed);
    // Taken names: "x" a file, "x/" an empty folder, "x@" a link to nowhere.
    for (const QString& name : taken) {
        if (name.endsWith(u'/'))
            QVERIFY(QDir().mkpath(path(name)));
        else if (name.endsWith(u'@'))
            QVERIFY(QFile::link(path(u"nowhere"_s), path(name.chopped(1))));
        else
            writeFile(path(name), "old " + name.toUtf8());
    }
    playFileSystem();
    ResultGuard guard(path(wanted));
    makeResult(guard, folder, "new");
    QCOMPARE(guard.commit(), path(placed));
    QCOMPARE(contentOf(path(placed), folder), QByteArray("new"));
    for (const QString& name : taken) {
        if (name.endsWith(u'/'))
            QCOMPARE(namesIn(path(name)), QStringList());
        else if (name.endsWith(u'@'))
            QCOMPARE(QFileInfo(path(name.chopped(1))).symLinkTarget(), path(u"nowhere"_s));
        else
            QCOMPARE(readFile(path(name)), "old " + name.toUtf8());
    }
}

void TestResultGuard::namesClaimedInThisProcessAreSkipped_data()
{
    waysToCommit();
}

void TestResultGuard::namesClaimedInThisProcessAreSkipped()
{
    QFETCH(bool, folder);
    QFETCH(QString, wanted);
    playFileSystem();
    // Another operation of this process has chosen the name, not written it yet.
    const NameReservations::Scope names;
    QVERIFY(NameReservations::shared().tryClaim(path(wanted)));
    ResultGuard guard(path(wanted));
    makeResult(guard, folder, "made");
    QCOMPARE(guard.commit(), Output::numbered(path(wanted), 2));
    QVERIFY(!QFileInfo::exists(path(wanted)));
}

void TestResultGuard::otherFileSystemIsToldApart_data()
{
    waysToCommit();
}

void TestResultGuard::otherFileSystemIsToldApart()
{
    QFETCH(bool, folder);
    QFETCH(QString, wanted);
    const TestSupport::SmallDisk other(path(u"other"_s), 1 << 20);
    if (!other.isMounted())
        QSKIP("Mounting a tmpfs needs root or a user namespace.");
    playFileSystem();
    const QString from = path(folder ? u"made"_s : u"made.pdf"_s);
    if (folder)
        writeFile(from + u"/inside/page.txt"_s, "made");
    else
        writeFile(from, "made");
    // The caller copies instead: nothing moved, nothing left at the other end.
    QCOMPARE(ResultGuard::moveWithoutReplacing(from, other.path() + u'/' + wanted), std::nullopt);
    QCOMPARE(contentOf(from, folder), QByteArray("made"));
    QCOMPARE(namesIn(other.path()), QStringList());
}

void TestResultGuard::uncommittedResultIsRemoved_data()
{
    waysToCommit();
}

void TestResultGuard::uncommittedResultIsRemoved()
{
    QFETCH(bool, folder);
    QFETCH(QString, wanted);
    {
        const ResultGuard guard(path(wanted));
        makeResult(guard, folder, "half");
        QVERIFY(QFileInfo::exists(guard.path()));
    }
    QCOMPARE(namesIn(m_dir->path()), QStringList());
}

void TestResultGuard::cancelledWorkLeavesNothing()
{
    Job job;
    const Job::Scope watched(&job);
    {
        ResultGuard guard(path(u"late.pdf"_s));
        makeResult(guard, false, "finished after the cancel");
        job.cancel();
        QVERIFY_THROWS_EXCEPTION(Cancelled, guard.commit());
    }
    QCOMPARE(namesIn(m_dir->path()), QStringList());
}

void TestResultGuard::failuresNameTheResult_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("Fail") << u"Fail"_s;
    QTest::newRow("SystemError") << u"SystemError"_s;
    QTest::newRow("anything else") << u"other"_s;
}

void TestResultGuard::failuresNameTheResult()
{
    QFETCH(QString, kind);
    QString message;
    try {
        ResultGuard::make(path(u"out.webm"_s), [&](const QString& hidden) {
            writeFile(hidden, "half");
            const QString said = u"ffmpeg: %1: No space left on device (%2)"_s.arg(
                hidden, QFileInfo(hidden).fileName());
            if (kind == u"Fail"_s)
                throw Fail(said);
            if (kind == u"SystemError"_s)
                throw SystemError(said);
            throw std::runtime_error(said.toStdString());
        });
    } catch (...) {
        message = describe(std::current_exception());
    }
    if (kind != u"other"_s)
        QCOMPARE(message,
                 u"ffmpeg: %1: No space left on device (out.webm)"_s.arg(path(u"out.webm"_s)));
    QCOMPARE(namesIn(m_dir->path()), QStringList());
}

void TestResultGuard::messagesInUserTerms_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("expected");
    QTest::newRow("path") << u"can't write %path%: full"_s << u"can't write %wanted%: full"_s;
    QTest::newRow("name") << u"%name% is damaged"_s << u"a b.mp4 is damaged"_s;
    QTest::newRow("both, twice") << u"%path% (%name%), %path%"_s
                                 << u"%wanted% (a b.mp4), %wanted%"_s;
    QTest::newRow("neither") << u"Disk full."_s << u"Disk full."_s;
}

void TestResultGuard::messagesInUserTerms()
{
    QFETCH(QString, message);
    QFETCH(QString, expected);
    const ResultGuard guard(path(u"a b.mp4"_s));
    message.replace(u"%path%"_s, guard.path())
        .replace(u"%name%"_s, QFileInfo(guard.path()).fileName());
    QCOMPARE(guard.inUserTerms(message), expected.replace(u"%wanted%"_s, path(u"a b.mp4"_s)));
}

void TestResultGuard::folderThatCantTakeTheResult()
{
    const auto failure = [](const QString& wanted) {
        try {
            const ResultGuard guard(wanted);
        } catch (const SystemError& error) {
            return error.description();
        }
        return u"<no failure>"_s;
    };
    QCOMPARE(failure(path(u"missing/out.png"_s)),
             u"“out.png” couldn’t be saved: No such file or directory."_s);
    const TestSupport::SmallDisk disk(path(u"disk"_s), 1 << 20);
    if (!disk.isMounted() || !disk.makeReadOnly())
        QSKIP("Mounting a tmpfs needs root or a user namespace.");
    QCOMPARE(failure(disk.path() + u"/out.png"_s),
             u"“out.png” couldn’t be saved: Read-only file system."_s);
}

QTEST_GUILESS_MAIN(TestResultGuard)
#include "tst_ResultGuard.moc"
