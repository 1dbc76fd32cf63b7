#include "support/Media.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

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
    void printsResultPaths();
    void imageFormatsOutsideTheCore_data();
    void imageFormatsOutsideTheCore();
    void promptsReadStandardInput_data();
    void promptsReadStandardInput();
    void terminalConventions_data();
    void terminalConventions();
    void otherArgumentListsStartTheApplication_data();
    void otherArgumentListsStartTheApplication();
    void loginSwitch();
    void loginFailure();
    void loadsOnlyWhatTheWorkNeeds_data();
    void loadsOnlyWhatTheWorkNeeds();
    void filesWithoutExtensionByContent_data();
    void filesWithoutExtensionByContent();
    void standardErrorHoldsOnlyOurLines_data();
    void standardErrorHoldsOnlyOurLines();

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
    return TestSupport::isolatedEnvironment(m_dir->filePath(u"config"_s));
}

void TestCommandLine::notFoundListsTheSlices_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("display");
    QTest::newRow("without a display")
        << QStringList{"tools", "x", "a.zip"}
        << u"No “x” slice. Available: Extract, Compress to ZIP"_s << false;
    QTest::newRow("convert images")
        << QStringList{"convert", "xyz", "a.png", "b.png"}
        << u"No “xyz” slice. Available: JPG, WEBP, HEIC, TIFF, AVIF, JXL, BMP, GIF, PDF"_s << true;
    QTest::newRow("mode in capitals")
        << QStringList{"TOOLS", "Xyz", "a.srt"}
        << u"No “Xyz” slice. Available: Shift Timing…, Compress to ZIP"_s << true;
    QTest::newRow("unknown mode is convert")
        << QStringList{"colour", "MP3", "a.srt"} << u"No “MP3” slice. Available: VTT"_s << true;
    QTest::newRow("actions for any file")
        << QStringList{"actions", "airdrop", "a.xyz"}
        << u"No “airdrop” slice. Available: Send to Device, Shelf, Copy, Move…, Copy Path, Terminal"_s
        << true;
}

void TestCommandLine::notFoundListsTheSlices()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, line);
    QFETCH(bool, display);
    QProcessEnvironment env = environment();
    if (!display) {
        for (const QString& name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
            env.remove(name);
    }
    const auto result = runFlingdial(QStringList{u"--run"_s} + arguments, env, m_dir->path());
    QCOMPARE(result.status, 2);
    QCOMPARE(result.out, line + QLatin1Char('\n'));
}

void TestCommandLine::unavailableOperationIsAnError()
{
    QProcessEnvironment env = environment();
    env.insert(u"FLINGDIAL_TOOL_DIRS"_s, m_dir->filePath(u"empty"_s));
    // The label matches in any letter case.
    const auto result =
        runFlingdial({u"--run"_s, u"convert"_s, u"mP4"_s, u"clip.mov"_s}, env, m_dir->path());
    QCOMPARE(result.status, 1);
    QCOMPARE(result.out, QString());
    QVERIFY2(result.err.endsWith(
                 u"error: FFmpeg is missing.\nInstall it with:  sudo apt install ffmpeg\n"_s),
             qPrintable(result.err));
}

void TestCommandLine::printsResultPaths()
{
    TestSupport::writeFile(m_dir->filePath(u"Photos/a.jpg"_s), "jpeg");
    const QString subs = TestSupport::writeFile(m_dir->filePath(u"subs.srt"_s),
                                                "1\n00:00:01,000 --> 00:00:02,000\nHi\n");
    auto result = runFlingdial({u"--run"_s, u"convert"_s, u"zip"_s, u"Photos/"_s, u"subs.srt"_s},
                               environment(), m_dir->path());
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, m_dir->filePath(u"Archive.zip"_s) + QLatin1Char('\n'));

    result = runFlingdial({u"--run"_s, u"convert"_s, u"vtt"_s, subs, subs}, environment());
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, m_dir->filePath(u"subs.vtt"_s) + QLatin1Char('\n') +
                             m_dir->filePath(u"subs 2.vtt"_s) + QLatin1Char('\n'));

    // A conversion is named by its format key or an alias as well as its title.
    result = runFlingdial({u"--run"_s, u"convert"_s, u"tar.gz"_s, u"Photos/"_s}, environment(),
                          m_dir->path());
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, m_dir->filePath(u"Photos.tar.gz"_s) + QLatin1Char('\n'));
    result = runFlingdial({u"--run"_s, u"convert"_s, u"WebVTT"_s, subs}, environment());
    QCOMPARE(result.status, 2);
}

void TestCommandLine::imageFormatsOutsideTheCore_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("operation");
    QTest::addColumn<QString>("result");
    QTest::newRow("BMP read") << u"bmp"_s << QStringList{u"convert"_s, u"png"_s}
                              << u"picture.png"_s;
    QTest::newRow("ICO read") << u"ico"_s << QStringList{u"convert"_s, u"jpg"_s}
                              << u"picture.jpg"_s;
    QTest::newRow("HEIC written") << u"png"_s << QStringList{u"convert"_s, u"heic"_s}
                                  << u"picture.heic"_s;
    QTest::newRow("BMP written") << u"jpg"_s << QStringList{u"convert"_s, u"bmp"_s}
                                 << u"picture.bmp"_s;
    QTest::newRow("BMP halved") << u"bmp"_s << QStringList{u"tools"_s, u"half size"_s}
                                << u"picture 50%.bmp"_s;
}

// The engine starts with the common formats only and loads the others when
// a file needs them: each run is a fresh process.
void TestCommandLine::imageFormatsOutsideTheCore()
{
    QFETCH(QString, source);
    QFETCH(QStringList, operation);
    QFETCH(QString, result);
    QImage picture(48, 32, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    const QString input = m_dir->filePath(u"picture."_s + source);
    QVERIFY(picture.save(input, source.toLatin1().toUpper().constData()));
    QProcessEnvironment env = environment();
    env.insert(u"FLINGDIAL_TOOL_DIRS"_s, m_dir->filePath(u"empty"_s));
    const auto run = runFlingdial(QStringList{u"--run"_s} + operation + QStringList{input}, env);
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(run.out, m_dir->filePath(result) + QLatin1Char('\n'));
}

void TestCommandLine::promptsReadStandardInput_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("errorLine");
    QTest::newRow("comma decimal") << QByteArray("0,5\n") << 0 << u"subs synced.srt\n"_s << u""_s;
    QTest::newRow("not a number") << QByteArray("abc\n") << 1 << u""_s
                                  << u"error: “abc” isn’t a number.\n"_s;
    QTest::newRow("empty answer cancels")
        << QByteArray("\n") << 1 << u""_s << u"error: The operation was cancelled.\n"_s;
}

void TestCommandLine::promptsReadStandardInput()
{
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, errorLine);
    TestSupport::writeFile(m_dir->filePath(u"subs.srt"_s),
                           "1\n00:00:01,000 --> 00:00:02,000\nHi\n");
    QProcessEnvironment env = environment();
    env.remove(u"DISPLAY"_s);
    const auto result = runFlingdial({u"--run"_s, u"tools"_s, u"SHIFT TIMING…"_s, u"subs.srt"_s},
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

void TestCommandLine::terminalConventions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // how standard output starts
    QTest::addColumn<QString>("err"); // a line standard error holds
    QTest::newRow("--help") << QStringList{"--help"} << QByteArray() << 0 << u"Usage:"_s
                            << QString();
    QTest::newRow("-h") << QStringList{"-h"} << QByteArray() << 0 << u"Usage:"_s << QString();
    QTest::newRow("--version") << QStringList{"--version"} << QByteArray() << 0
                               << u"flingdial " FLINGDIAL_VERSION ""_s << QString();
    QTest::newRow("--run without files")
        << QStringList{"--run", "convert", "png"} << QByteArray() << 2 << QString() << u"Usage:"_s;
    QTest::newRow("a missing file")
        << QStringList{"--run", "convert", "jpg", "gone.png"} << QByteArray() << 1 << QString()
        << u"error: gone.png doesn’t exist."_s;
    QTest::newRow("label without …") << QStringList{"--run", "tools", "trim", "clip.mp4"}
                                     << QByteArray("0:00 - 0:01\n") << 0 << u"/"_s << QString();
    QTest::newRow("x for ×") << QStringList{"--run", "tools", "speed 2x", "clip.mp4"}
                             << QByteArray() << 0 << u"/"_s << QString();
    QTest::newRow("-- before the files") << QStringList{"--run", "tools", "mute", "--", "clip.mp4"}
                                         << QByteArray() << 0 << u"/"_s << QString();
    QTest::newRow("snapshot without a display")
        << QStringList{"--snapshot", "snap.png", "convert", "dark", "clip.mp4"} << QByteArray() << 0
        << QString() << QString();
}

void TestCommandLine::terminalConventions()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    Media::makeVideo(m_dir->filePath(u"clip.mp4"_s), 64, 48, 1);
    auto environment = this->environment();
    environment.remove(u"DISPLAY"_s);
    const auto result = runFlingdial(arguments, environment, m_dir->path(), input);
    QCOMPARE(result.status, status);
    QVERIFY2(result.out.startsWith(out), qPrintable(result.out));
    if (!err.isEmpty())
        QVERIFY2(result.err.split(u'\n').contains(err) || result.err.startsWith(err),
                 qPrintable(result.err));
    if (arguments.first() == u"--snapshot")
        QVERIFY(!QImage(m_dir->filePath(u"snap.png"_s)).isNull());
}

void TestCommandLine::otherArgumentListsStartTheApplication_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no arguments") << QStringList();
    QTest::newRow("login without switch") << QStringList{"--login"};
    QTest::newRow("login with extra word") << QStringList{"--login", "on", "now"};
    QTest::newRow("unknown option") << QStringList{"--helpme"};
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
    QVERIFY(!QFileInfo::exists(m_dir->filePath(u"config/autostart"_s)));
}

void TestCommandLine::loginSwitch()
{
    const QString entry = m_dir->filePath(u"config/autostart/org.flingdial.Flingdial.desktop"_s);
    auto result = runFlingdial({u"--login"_s, u"on"_s}, environment());
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, u"enabled\n"_s);
    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    QVERIFY(content.startsWith("[Desktop Entry]\n"));
    QVERIFY(content.contains(
        "Exec=\"" + QFileInfo(QStringLiteral(FLINGDIAL_BINARY)).absoluteFilePath().toUtf8() +
        "\"\n"));

    result = runFlingdial({u"--login"_s, u"ON"_s}, environment());
    QCOMPARE(result.out, u"disabled\n"_s);
    QVERIFY(!QFileInfo::exists(entry));
    result = runFlingdial({u"--login"_s, u"off"_s}, environment());
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, u"disabled\n"_s);
}

void TestCommandLine::loginFailure()
{
    // The config folder is a file, so nothing can be created inside it.
    QProcessEnvironment env = environment();
    env.insert(u"XDG_CONFIG_HOME"_s, TestSupport::writeFile(m_dir->filePath(u"file"_s)));
    const auto result = runFlingdial({u"--login"_s, u"on"_s}, env);
    QCOMPARE(result.status, 1);
    QVERIFY2(result.out.startsWith(QLatin1String("error: ")), qPrintable(result.out));
}

void TestCommandLine::loadsOnlyWhatTheWorkNeeds_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("display");
    QTest::addColumn<bool>("gui");
    QTest::addColumn<bool>("widgets");
    const QStringList text = {u"convert"_s, u"pdf"_s, u"notes.txt"_s};
    const QStringList picture = {u"convert"_s, u"jpg"_s, u"photo.png"_s};
    QTest::newRow("text to PDF") << text << false << true << false;
    QTest::newRow("text to PDF, with a display") << text << true << true << false;
    QTest::newRow("a picture") << picture << false << false << false;
    QTest::newRow("a picture, with a display") << picture << true << false << false;
    QTest::newRow("a prompt, with a display")
        << QStringList{u"tools"_s, u"resize"_s, u"photo.png"_s} << true << true << true;
}

void TestCommandLine::loadsOnlyWhatTheWorkNeeds()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, display);
    QFETCH(bool, gui);
    QFETCH(bool, widgets);
    TestSupport::writeFile(m_dir->filePath(u"notes.txt"_s), "Some notes.\n");
    QImage(8, 8, QImage::Format_RGB32).save(m_dir->filePath(u"photo.png"_s));
    QProcessEnvironment env = environment();
    if (!display) {
        env.remove(u"DISPLAY"_s);
        env.remove(u"WAYLAND_DISPLAY"_s);
    }
    // The dynamic loader names every library it loads on standard error.
    env.insert(u"LD_DEBUG"_s, u"files"_s);
    QProcess program;
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(m_dir->path());
    program.start(QStringLiteral(FLINGDIAL_BINARY), QStringList{u"--run"_s} + arguments);
    QVERIFY(program.waitForStarted());
    // A prompt with a display waits in a dialog: it is ended once loaded.
    QString loaded;
    const auto finishedOrWidgets = [&] {
        loaded += QString::fromLocal8Bit(program.readAllStandardError());
        return program.state() == QProcess::NotRunning || loaded.contains(u"libQt6Widgets.so"_s);
    };
    QTRY_VERIFY_WITH_TIMEOUT(finishedOrWidgets(), 20000);
    program.kill();
    program.waitForFinished();
    loaded += QString::fromLocal8Bit(program.readAllStandardError());
    QCOMPARE(loaded.contains(u"libQt6Gui.so"_s), gui);
    QCOMPARE(loaded.contains(u"libQt6Widgets.so"_s), widgets);
}

void TestCommandLine::filesWithoutExtensionByContent_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("operation");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QByteArray>("format"); // of the result, as Qt reads it
    QTest::newRow("converted") << u"photo"_s << QStringList{u"convert"_s, u"jpg"_s}
                               << u"photo.jpg"_s << QByteArray("jpeg");
    QTest::newRow("an unknown extension")
        << u"photo.backup"_s << QStringList{u"convert"_s, u"webp"_s} << u"photo.webp"_s
        << QByteArray("webp");
    // A tool keeps the format, and the result says which it is.
    QTest::newRow("a tool") << u"photo"_s << QStringList{u"tools"_s, u"rotate"_s}
                            << u"photo rotated.png"_s << QByteArray("png");
}

// A PNG named without its extension is offered the image slices and gives
// results named for their format.
void TestCommandLine::filesWithoutExtensionByContent()
{
    QFETCH(QString, name);
    QFETCH(QStringList, operation);
    QFETCH(QString, result);
    QFETCH(QByteArray, format);
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    const QString input = m_dir->filePath(name);
    QVERIFY(picture.save(input, "PNG"));
    QProcessEnvironment env = environment();
    env.remove(u"DISPLAY"_s);
    const auto run =
        runFlingdial(QStringList{u"--run"_s} + operation + QStringList{name}, env, m_dir->path());
    QVERIFY2(run.status == 0, qPrintable(run.out + run.err));
    QCOMPARE(run.out, m_dir->filePath(result) + QLatin1Char('\n'));
    QImageReader reader(m_dir->filePath(result));
    QCOMPARE(reader.format(), format);
    const QSize size = reader.size();
    QCOMPARE(size, operation.contains(u"rotate"_s) ? QSize(20, 40) : QSize(40, 20));

    const auto offered =
        runFlingdial({u"--run"_s, u"convert"_s, u"nothing"_s, name}, env, m_dir->path());
    QCOMPARE(offered.out.section(u": "_s, 1), u"JPG, WEBP, HEIC, TIFF, AVIF, JXL, BMP, GIF, PDF\n"_s);
}

void TestCommandLine::standardErrorHoldsOnlyOurLines_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("display");
    // "unset", or a folder of the wrong mode as an su shell leaves behind.
    QTest::addColumn<QString>("runtimeDir");
    const QStringList picture = {u"--run"_s, u"convert"_s, u"jpg"_s, u"photo.png"_s};
    const QStringList text = {u"--run"_s, u"convert"_s, u"pdf"_s, u"notes.txt"_s};
    const QStringList icon = {u"--render-icon"_s, u"icon.png"_s, u"64"_s};
    const QStringList snapshot = {u"--snapshot"_s, u"wheel.png"_s, u"convert"_s, u"light"_s,
                                  u"photo.png"_s};
    for (const QString& runtime : {u"unset"_s, u"0755"_s}) {
        const QByteArray suffix = ", runtime folder " + runtime.toUtf8();
        QTest::newRow("a picture" + suffix) << picture << false << runtime;
        QTest::newRow("a picture, with a display" + suffix) << picture << true << runtime;
        QTest::newRow("text laid out" + suffix) << text << false << runtime;
        QTest::newRow("text laid out, with a display" + suffix) << text << true << runtime;
        QTest::newRow("the icon" + suffix) << icon << false << runtime;
        QTest::newRow("the icon, with a display" + suffix) << icon << true << runtime;
        QTest::newRow("the wheel, with a display" + suffix) << snapshot << true << runtime;
        QTest::newRow("help" + suffix) << QStringList{u"--help"_s} << true << runtime;
    }
}

// From cron, ssh or a root shell, Qt finds no usable runtime folder and
// says so; standard error of a command holds nothing of that.
void TestCommandLine::standardErrorHoldsOnlyOurLines()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, display);
    QFETCH(QString, runtimeDir);
    TestSupport::writeFile(m_dir->filePath(u"notes.txt"_s), "Some notes.\n");
    QImage(8, 8, QImage::Format_RGB32).save(m_dir->filePath(u"photo.png"_s));
    QProcessEnvironment env = environment();
    env.remove(u"FLINGDIAL_LOG"_s);
    if (!display) {
        env.remove(u"DISPLAY"_s);
        env.remove(u"WAYLAND_DISPLAY"_s);
    }
    env.remove(u"XDG_RUNTIME_DIR"_s);
    if (runtimeDir != u"unset") {
        const QString folder = m_dir->filePath(u"runtime"_s);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::setPermissions(
            folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
        env.insert(u"XDG_RUNTIME_DIR"_s, folder);
    }
    const auto result = runFlingdial(arguments, env, m_dir->path());
    QCOMPARE(result.status, 0);
    QCOMPARE(result.err, QString());
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_CommandLine.moc"
