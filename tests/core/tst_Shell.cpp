#include "core/Deps.h"
#include "core/Errors.h"
#include "core/Shell.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using TestSupport::ScopedEnv;

class TestShell : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drainsBothPipes();
    void failureMessages_data();
    void failureMessages();
    void outputFileIsEmptiedFirst();
    void childEnvironment();
    void launchFailureIsASystemError();
    void unwritableOutputFileFailsBeforeStarting();
    void findSearchesInOrder();
    void libreOfficeOutsideTheSearchPath();
    void installCommands();
};

void TestShell::drainsBothPipes()
{
    // 10 MB on each pipe: far beyond what a pipe buffers.
    const QString script = QStringLiteral(
        "head -c 10000000 /dev/zero | tr '\\0' o; head -c 10000000 /dev/zero | tr '\\0' e >&2");
    const QString out = Shell::run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
    QCOMPARE(out.size(), 10000000);
    const QString err = Shell::run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script},
                                   std::nullopt, std::nullopt, true);
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
        << QStringLiteral("sh failed (3).\n") + QString(800, QLatin1Char('y'));
    QTest::newRow("invalid UTF-8 is repaired") << "printf 'bad \\377 byte' >&2; exit 4"
                                               << QStringLiteral("sh failed (4).\nbad \uFFFD byte");
    QTest::newRow("killed by a signal") << "kill -9 $$"
                                        << "sh failed (9).\n";
}

void TestShell::failureMessages()
{
    QFETCH(QString, script);
    QFETCH(QString, expected);
    try {
        Shell::run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
        QFAIL("a failing child must throw");
    } catch (const Fail& fail) {
        QCOMPARE(fail.message(), expected);
    }
}

void TestShell::outputFileIsEmptiedFirst()
{
    QTemporaryDir dir;
    const QString file = TestSupport::writeFile(dir.filePath(QStringLiteral("out.txt")),
                                                "old content that is longer than the new one");
    const QString result =
        Shell::run(QStringLiteral("/bin/echo"), {QStringLiteral("new")}, std::nullopt, file);
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
        Shell::run(QStringLiteral("/bin/sh"),
                   {QStringLiteral("-c"), QStringLiteral("echo \"$PATH\"; pwd; cat")}, dir.path());
    // No input: cat sees the end at once instead of waiting.
    QCOMPARE(out, Shell::searchPath() + QLatin1Char('\n') + QDir(dir.path()).canonicalPath() +
                      QLatin1Char('\n'));
}

void TestShell::launchFailureIsASystemError()
{
    QTemporaryDir dir;
    const QString notExecutable =
        TestSupport::writeFile(dir.filePath(QStringLiteral("tool")), "#!/bin/sh\n");
    for (const QString& program : {dir.filePath(QStringLiteral("missing")), notExecutable}) {
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
    const QString marker = dir.filePath(QStringLiteral("ran"));
    QVERIFY_THROWS_EXCEPTION(SystemError,
                             Shell::run(QStringLiteral("/usr/bin/touch"), {marker}, std::nullopt,
                                        dir.filePath(QStringLiteral("no/such/folder/out"))));
    QVERIFY(!QFileInfo::exists(marker));
}

void TestShell::findSearchesInOrder()
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("first"));
    const QString second = dir.filePath(QStringLiteral("second"));
    TestSupport::writeExecutable(first + QStringLiteral("/gs"));
    TestSupport::writeExecutable(second + QStringLiteral("/gs"));
    TestSupport::writeFile(first + QStringLiteral("/magick"), "#!/bin/sh\n");
    TestSupport::writeExecutable(second + QStringLiteral("/magick"));
    QDir(first).mkpath(QStringLiteral("soffice"));
    const ScopedEnv dirs("FLINGDIAL_TOOL_DIRS", (first + QLatin1Char(':') + second).toLocal8Bit());

    QCOMPARE(Deps::find(QStringLiteral("gs")), first + QStringLiteral("/gs"));
    // Not executable, or a folder: skipped.
    QCOMPARE(Deps::find(QStringLiteral("magick")), second + QStringLiteral("/magick"));
    QCOMPARE(Deps::find(QStringLiteral("soffice")), std::nullopt);
    QCOMPARE(Deps::imageMagick(), second + QStringLiteral("/magick"));
    QCOMPARE(Deps::ffmpeg(), std::nullopt);
}

void TestShell::libreOfficeOutsideTheSearchPath()
{
    const QStringList dirs =
        Deps::searchDirectories({QStringLiteral("/opt/libreoffice7.6/program")});
    QCOMPARE(dirs.first(), QStringLiteral("/usr/local/bin"));
    QCOMPARE(dirs.last(), QStringLiteral("/opt/libreoffice7.6/program"));
    if (!QFileInfo::exists(QStringLiteral("/usr/lib/libreoffice/program/soffice")))
        QSKIP("LibreOffice is not installed");
    // Found through its own folder even without the link on the search path.
    QTemporaryDir empty;
    const ScopedEnv path("PATH", empty.path().toLocal8Bit());
    QVERIFY(Deps::libreOffice().has_value());
}

void TestShell::installCommands()
{
    QCOMPARE(Deps::installCommand(Deps::imageMagickRequired()),
             QStringLiteral("sudo apt install imagemagick"));
    QCOMPARE(Deps::installCommand(Deps::odsNeedsLibreOffice()),
             QStringLiteral("sudo apt install libreoffice"));
    QCOMPARE(Deps::installCommand(Deps::libreOfficeNeeded()),
             QStringLiteral("sudo apt install libreoffice"));
    QCOMPARE(Deps::installCommand(Deps::ffmpegMissingReason()), std::nullopt);
}

QTEST_GUILESS_MAIN(TestShell)
#include "tst_Shell.moc"
