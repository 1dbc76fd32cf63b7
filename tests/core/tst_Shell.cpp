#include "base/Errors.h"
#include "core/Deps.h"
#include "core/ResultGuard.h"
#include "core/Shell.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

using TestSupport::ScopedEnv;

class TestShell : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drainsBothPipes();
    void failureMessages_data();
    void failureMessages();
    void wordsStayApartFromTheSentence();
    void outputFileIsEmptiedFirst();
    void childEnvironment();
    void launchFailureIsASystemError();
    void unwritableOutputFileFailsBeforeStarting();
    void findSearchesInOrder();
    void libreOfficeOutsideTheSearchPath();
};

void TestShell::drainsBothPipes()
{
    // 10 MB on each pipe: far beyond what a pipe buffers.
    const QString script = QStringLiteral(
        "head -c 10000000 /dev/zero | tr '\\0' o; head -c 10000000 /dev/zero | tr '\\0' e >&2");
    const QString out = Shell::run(u"/bin/sh"_s, {u"-c"_s, script});
    QCOMPARE(out.size(), 10000000);
    const QString err =
        Shell::run(u"/bin/sh"_s, {u"-c"_s, script}, std::nullopt, std::nullopt, true);
    QCOMPARE(err.size(), 10000000);
    QVERIFY(err.startsWith(QLatin1String("eee")));
}

void TestShell::failureMessages_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");
    QTest::newRow("standard output only") << "echo '  only on stdout  '; exit 2"
                                          << "sh failed (2).\nonly on stdout";
    QTest::newRow("standard error wins") << "echo out; echo 'the complaint' >&2; exit 1"
                                         << "sh failed (1).\nthe complaint";
    QTest::newRow("last 800 characters")
        << "printf 'x%.0s' $(seq 4200) >&2; printf 'y%.0s' $(seq 800) >&2; exit 3"
        << u"sh failed (3).\n"_s + QString(800, QLatin1Char('y'));
    QTest::newRow("invalid UTF-8 is repaired")
        << "printf 'bad \\377 byte' >&2; exit 4" << u"sh failed (4).\nbad \uFFFD byte"_s;
    QTest::newRow("killed by a signal") << u"kill -9 $$"_s << u"sh failed (9)."_s;
}

// The whole text, and apart: the sentence, then the program's own words.
void TestShell::failureMessages()
{
    QFETCH(QString, script);
    QFETCH(QString, expected);
    try {
        Shell::run(u"/bin/sh"_s, {u"-c"_s, script});
        QFAIL("no failure");
    } catch (const Fail& failure) {
        QCOMPARE(failure.message(), expected);
        QCOMPARE(failure.sentence(), expected.section(QLatin1Char('\n'), 0, 0));
        QCOMPARE(failure.details(), expected.section(QLatin1Char('\n'), 1));
    }
}

// A converter that says in its own terms what failed keeps the program's
// words apart; so does the result guard, naming the result, not its
// hidden file. Lines of a sentence that isn't about a program stay in it.
void TestShell::wordsStayApartFromTheSentence()
{
    QTemporaryDir dir;
    const auto apart = [](const auto& work) -> Description {
        try {
            work();
        } catch (...) {
            return describeApart(std::current_exception());
        }
        return {};
    };
    const auto convert = [] {
        try {
            Shell::run(u"/bin/sh"_s, {u"-c"_s, u"echo 'bad header at 0x5581' >&2; exit 1"_s});
        } catch (const Fail& failure) {
            throw Fail(u"sh couldn’t convert a.mov.\n"_s + failure.details());
        }
    };
    Description described = apart(convert);
    QCOMPARE(described.sentence, u"sh couldn’t convert a.mov."_s);
    QCOMPARE(described.details, u"bad header at 0x5581"_s);

    const QString wanted = dir.filePath(u"a.mp4"_s);
    described = apart([&] {
        ResultGuard::make(wanted, [](const QString& hidden) {
            Shell::run(u"/bin/sh"_s, {u"-c"_s, u"echo \"can't write $0\" >&2; exit 1"_s, hidden});
        });
    });
    QCOMPARE(described.sentence, u"sh failed (1)."_s);
    QCOMPARE(described.details, u"can't write "_s + wanted);
    QVERIFY(!QFileInfo::exists(wanted));

    const QString install =
        u"This needs LibreOffice.\nInstall it with:  sudo apt install libreoffice"_s;
    described = apart([&] { throw Fail(install); });
    QCOMPARE(described.sentence, install);
    QCOMPARE(described.details, QString());
    // Not even while a failure without a program's words is handled.
    described = apart([&] {
        try {
            throw Fail(u"Can’t read a.doc."_s);
        } catch (const Fail&) {
            throw Fail(install);
        }
    });
    QCOMPARE(described.sentence, install);
}

void TestShell::outputFileIsEmptiedFirst()
{
    QTemporaryDir dir;
    const QString file = TestSupport::writeFile(dir.filePath(u"out.txt"_s),
                                                "old content that is longer than the new one");
    const QString result = Shell::run(u"/bin/echo"_s, {u"new"_s}, std::nullopt, file);
    QCOMPARE(result, QString());
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray("new\n"));
}

void TestShell::childEnvironment()
{
    QTemporaryDir dir;
    const ScopedEnv path("PATH", "/nowhere");
    const QString out =
        Shell::run(u"/bin/sh"_s, {u"-c"_s, u"echo \"$PATH\"; pwd; cat"_s}, dir.path());
    // No input: cat sees the end at once instead of waiting.
    QCOMPARE(out, Shell::searchPath() + QLatin1Char('\n') + QDir(dir.path()).canonicalPath() +
                      QLatin1Char('\n'));
}

void TestShell::launchFailureIsASystemError()
{
    QTemporaryDir dir;
    const QString notExecutable = TestSupport::writeFile(dir.filePath(u"tool"_s), "#!/bin/sh\n");
    for (const QString& program : {dir.filePath(u"missing"_s), notExecutable}) {
        try {
            Shell::run(program, {});
            QFAIL("starting must fail");
        } catch (const SystemError& error) {
            QVERIFY(error.description().startsWith(QFileInfo(program).fileName() +
                                                   QLatin1String(": ")));
        }
    }
}

void TestShell::unwritableOutputFileFailsBeforeStarting()
{
    QTemporaryDir dir;
    const QString marker = dir.filePath(u"ran"_s);
    QVERIFY_THROWS_EXCEPTION(SystemError, Shell::run(u"/usr/bin/touch"_s, {marker}, std::nullopt,
                                                     dir.filePath(u"no/such/folder/out"_s)));
    QVERIFY(!QFileInfo::exists(marker));
}

void TestShell::findSearchesInOrder()
{
    QTemporaryDir dir;
    const QString first = dir.filePath(u"first"_s);
    const QString second = dir.filePath(u"second"_s);
    TestSupport::writeExecutable(first + u"/gs"_s);
    TestSupport::writeExecutable(second + u"/gs"_s);
    TestSupport::writeFile(first + u"/magick"_s, "#!/bin/sh\n");
    TestSupport::writeExecutable(second + u"/magick"_s);
    QDir(first).mkpath(u"soffice"_s);
    const ScopedEnv dirs("FLINGDIAL_TOOL_DIRS", (first + QLatin1Char(':') + second).toLocal8Bit());

    QCOMPARE(Deps::find(u"gs"_s), first + u"/gs"_s);
    // Not executable, or a folder: skipped.
    QCOMPARE(Deps::find(u"magick"_s), second + u"/magick"_s);
    QCOMPARE(Deps::find(u"soffice"_s), std::nullopt);
    QCOMPARE(Deps::imageMagick(), second + u"/magick"_s);
    QCOMPARE(Deps::ffmpeg(), std::nullopt);
}

void TestShell::libreOfficeOutsideTheSearchPath()
{
    const QStringList dirs = Deps::searchDirectories({u"/opt/libreoffice7.6/program"_s});
    QCOMPARE(dirs.first(), u"/usr/local/bin"_s);
    QCOMPARE(dirs.last(), u"/opt/libreoffice7.6/program"_s);
    if (!QFileInfo::exists(u"/usr/lib/libreoffice/program/soffice"_s))
        QSKIP("LibreOffice is not installed");
    // Found through its own folder even without the link on the search path.
    QTemporaryDir empty;
    const ScopedEnv path("PATH", empty.path().toLocal8Bit());
    QVERIFY(Deps::libreOffice().has_value());
}

QTEST_GUILESS_MAIN(TestShell)
#include "tst_Shell.moc"
