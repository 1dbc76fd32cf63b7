#include "support/TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using TestSupport::runFlingdial;

// Runs of the built program from its command line.
class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void notFoundListsTheSlices_data();
    void notFoundListsTheSlices();
    void unavailableOperationIsAnError();
    void worksWithoutADisplay();
    void printsResultPaths();
    void promptsReadStandardInput_data();
    void promptsReadStandardInput();
    void otherArgumentListsStartTheApplication_data();
    void otherArgumentListsStartTheApplication();
    void loginSwitch();
    void loginFailure();

private:
    QProcessEnvironment environment() const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCommandLine::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

QProcessEnvironment TestCommandLine::environment() const
{
    return TestSupport::isolatedEnvironment(m_dir->filePath(QStringLiteral("config")));
}

void TestCommandLine::notFoundListsTheSlices_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("line");
    QTest::newRow("convert images")
        << QStringList{"convert", "xyz", "a.png", "b.png"}
        << "No “xyz” slice. Available: JPG, WEBP, HEIC, TIFF, AVIF, BMP, GIF, PDF";
    QTest::newRow("mode in capitals")
        << QStringList{"TOOLS", "Xyz", "a.srt"}
        << "No “Xyz” slice. Available: Shift Timing…, Compress to ZIP";
    QTest::newRow("unknown mode is convert")
        << QStringList{"colour", "MP3", "a.srt"} << "No “MP3” slice. Available: VTT";
    QTest::newRow("actions for any file")
        << QStringList{"actions", "airdrop", "a.xyz"}
        << "No “airdrop” slice. Available: Send to Device, Shelf, Copy, Move…, Copy Path, Terminal";
}

void TestCommandLine::notFoundListsTheSlices()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, line);
    const auto result = runFlingdial(QStringList{QStringLiteral("--run")} + arguments,
                                     environment(), m_dir->path());
    QCOMPARE(result.status, 2);
    QCOMPARE(result.out, line + QLatin1Char('\n'));
}

void TestCommandLine::unavailableOperationIsAnError()
{
    QProcessEnvironment env = environment();
    env.insert(QStringLiteral("FLINGDIAL_TOOL_DIRS"), m_dir->filePath(QStringLiteral("empty")));
    // The label matches in any letter case.
    const auto result = runFlingdial({QStringLiteral("--run"), QStringLiteral("convert"),
                                      QStringLiteral("mP4"), QStringLiteral("clip.mov")},
                                     env, m_dir->path());
    QCOMPARE(result.status, 1);
    QCOMPARE(result.out, QString());
    QVERIFY2(result.err.endsWith(
                 QStringLiteral("error: The built-in FFmpeg is missing. Reinstall Flingdial.\n")),
             qPrintable(result.err));
}

void TestCommandLine::worksWithoutADisplay()
{
    QProcessEnvironment env = environment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    const auto result = runFlingdial({QStringLiteral("--run"), QStringLiteral("tools"),
                                      QStringLiteral("x"), QStringLiteral("a.zip")},
                                     env, m_dir->path());
    QCOMPARE(result.status, 2);
    QCOMPARE(result.out, QStringLiteral("No “x” slice. Available: Extract, Compress to ZIP\n"));
}

void TestCommandLine::printsResultPaths()
{
    TestSupport::writeFile(m_dir->filePath(QStringLiteral("Photos/a.jpg")), "jpeg");
    const QString subs = TestSupport::writeFile(m_dir->filePath(QStringLiteral("subs.srt")),
                                                "1\n00:00:01,000 --> 00:00:02,000\nHi\n");
    auto result =
        runFlingdial({QStringLiteral("--run"), QStringLiteral("convert"), QStringLiteral("zip"),
                      QStringLiteral("Photos/"), QStringLiteral("subs.srt")},
                     environment(), m_dir->path());
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, m_dir->filePath(QStringLiteral("Archive.zip")) + QLatin1Char('\n'));

    result = runFlingdial(
        {QStringLiteral("--run"), QStringLiteral("convert"), QStringLiteral("vtt"), subs, subs},
        environment());
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, m_dir->filePath(QStringLiteral("subs.vtt")) + QLatin1Char('\n') +
                             m_dir->filePath(QStringLiteral("subs 2.vtt")) + QLatin1Char('\n'));
}

void TestCommandLine::promptsReadStandardInput_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("errorLine");
    QTest::newRow("comma decimal") << QByteArray("0,5\n") << 0 << "subs synced.srt\n"
                                   << "";
    QTest::newRow("not a number") << QByteArray("abc\n") << 1 << ""
                                  << "error: “abc” isn’t a number.\n";
    QTest::newRow("empty answer cancels") << QByteArray("\n") << 1 << ""
                                          << "error: The operation was cancelled.\n";
}

void TestCommandLine::promptsReadStandardInput()
{
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, errorLine);
    TestSupport::writeFile(m_dir->filePath(QStringLiteral("subs.srt")),
                           "1\n00:00:01,000 --> 00:00:02,000\nHi\n");
    QProcessEnvironment env = environment();
    env.remove(QStringLiteral("DISPLAY"));
    const auto result = runFlingdial({QStringLiteral("--run"), QStringLiteral("tools"),
                                      QStringLiteral("SHIFT TIMING…"), QStringLiteral("subs.srt")},
                                     env, m_dir->path(), input);
    QCOMPARE(result.status, status);
    QCOMPARE(result.out, out.isEmpty() ? out : m_dir->filePath(out));
    QVERIFY2(result.err.endsWith(errorLine), qPrintable(result.err));
    if (status == 0) {
        QFile shifted(m_dir->filePath(out.trimmed()));
        QVERIFY(shifted.open(QIODevice::ReadOnly));
        QCOMPARE(shifted.readAll(), QByteArray("1\n00:00:01,500 --> 00:00:02,500\nHi\n"));
    }
}

void TestCommandLine::otherArgumentListsStartTheApplication_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no arguments") << QStringList();
    QTest::newRow("run without files") << QStringList{"--run", "convert", "png"};
    QTest::newRow("login without switch") << QStringList{"--login"};
    QTest::newRow("login with extra word") << QStringList{"--login", "on", "now"};
    QTest::newRow("unknown option") << QStringList{"--help"};
    QTest::newRow("option in capitals") << QStringList{"--RUN", "convert", "png", "a.png"};
}

void TestCommandLine::otherArgumentListsStartTheApplication()
{
    QFETCH(QStringList, arguments);
    QProcess app;
    app.setProcessEnvironment(environment());
    app.start(QStringLiteral(FLINGDIAL_BINARY), arguments);
    QVERIFY(app.waitForStarted());
    QByteArray log;
    QTRY_VERIFY_WITH_TIMEOUT((log += app.readAllStandardError()).contains("launched"), 15000);
    // It keeps running its event loop until it is told to quit.
    QVERIFY(!app.waitForFinished(300));
    app.terminate();
    QVERIFY(app.waitForFinished(5000));
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("config/autostart"))));
}

void TestCommandLine::loginSwitch()
{
    const QString entry =
        m_dir->filePath(QStringLiteral("config/autostart/org.flingdial.Flingdial.desktop"));
    auto result = runFlingdial({QStringLiteral("--login"), QStringLiteral("on")}, environment());
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, QStringLiteral("enabled\n"));
    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    QVERIFY(content.startsWith("[Desktop Entry]\n"));
    QVERIFY(content.contains(
        "Exec=\"" + QFileInfo(QStringLiteral(FLINGDIAL_BINARY)).absoluteFilePath().toUtf8() +
        "\"\n"));

    result = runFlingdial({QStringLiteral("--login"), QStringLiteral("ON")}, environment());
    QCOMPARE(result.out, QStringLiteral("disabled\n"));
    QVERIFY(!QFileInfo::exists(entry));
    result = runFlingdial({QStringLiteral("--login"), QStringLiteral("off")}, environment());
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, QStringLiteral("disabled\n"));
}

void TestCommandLine::loginFailure()
{
    // The config folder is a file, so nothing can be created inside it.
    QProcessEnvironment env = environment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"),
               TestSupport::writeFile(m_dir->filePath(QStringLiteral("file"))));
    const auto result = runFlingdial({QStringLiteral("--login"), QStringLiteral("on")}, env);
    QCOMPARE(result.status, 1);
    QVERIFY2(result.out.startsWith(QLatin1String("error: ")), qPrintable(result.out));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_CommandLine.moc"
