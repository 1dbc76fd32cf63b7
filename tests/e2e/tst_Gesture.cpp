#include "support/TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QString xdotool(const QStringList& arguments)
{
    QProcess process;
    process.start(u"xdotool"_s, arguments);
    process.waitForFinished(5000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

void input(const QString& commands)
{
    xdotool(commands.split(QLatin1Char(' ')));
    QTest::qWait(120);
}

// The wheel's window, when it is on screen: "x y" of its top-left corner.
QString wheelPosition()
{
    const QString id =
        xdotool({u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Flingdial Wheel$"_s});
    if (id.isEmpty())
        return {};
    const QString geometry = xdotool({u"getwindowgeometry"_s, id.section(QLatin1Char('\n'), 0, 0)});
    const QRegularExpressionMatch match =
        QRegularExpression(u"Position: (\\d+),(\\d+)"_s).match(geometry);
    return match.captured(1) + QLatin1Char(' ') + match.captured(2);
}

} // namespace

// The whole gesture against the real program: a file manager stand-in
// drags files, xdotool presses keys and moves the pointer.
class TestGesture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void dragKeysAndDrop();
    void dropsAreCopiesWithShiftHeld_data();
    void dropsAreCopiesWithShiftHeld();
    void superHeldAtTheStartMustBePressedAgain();
    void dragEndingElsewhereHidesTheWheel();
    void textDragOpensNothing();
    void filesDraggedFromAShelfOpenTheWheel();
    void hotKeyOpensTheWheelForCopiedFiles();
    void hotKeyWithoutCopiedFilesOpensTheChooser();
    void hotKeySettingTakesEffectAtOnce();
    void hotKeyCanBeAnotherCombination();
    void triggerDuringADragOpensTheWheelThere();
    void triggerWithoutADragOpensTheKeyboardWheel();
    void catcherTakesTheDragToTheWheel();
    void catcherRefusesADropOutsideTheWheel_data();
    void catcherRefusesADropOutsideTheWheel();

private:
    void startApp(const QByteArray& settings = {}, const QStringList& environment = {});
    // The program as the compositor's key binding runs it.
    int trigger(const QString& mode);
    // Starts a drag in a session that looks like a Wayland one and
    // triggers the wheel: the catcher waits for the drag.
    void triggerInAWaylandSession();
    QString startSource(const QStringList& arguments);
    bool waitForLog(const QString& line, int timeoutMs = 4000);
    // Fails the test unless Ctrl+Alt+Space, pressed in the focused `source`,
    // reaches it rather than opening the wheel.
    void verifyCtrlAltSpaceReaches(const QString& source);
    void rewriteSettings(const QByteArray& settings);
    void beginDrag(QPoint to);
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_app;
    std::unique_ptr<QProcess> m_source;
    QString m_log;
    QStringList m_subtitles;
};

void TestGesture::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server (the suite runs under xvfb-run)");
    if (QStandardPaths::findExecutable(u"xdotool"_s).isEmpty())
        QSKIP("xdotool is not installed");
}

void TestGesture::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_log.clear();
    m_subtitles.clear();
    for (const char* name : {"one.srt", "two.srt", "three.srt"})
        m_subtitles.append(TestSupport::writeFile(path(QString::fromLatin1(name)),
                                                  "1\n00:00:01,000 --> 00:00:02,000\nHi\n"));
}

void TestGesture::cleanup()
{
    input(u"mouseup 1"_s);
    input(u"keyup shift ctrl super alt"_s);
    for (auto* process : {m_source.get(), m_app.get()}) {
        if (process) {
            process->terminate();
            process->waitForFinished(3000);
        }
    }
    m_source.reset();
    m_app.reset();
}

void TestGesture::startApp(const QByteArray& settings, const QStringList& environment)
{
    TestSupport::writeFile(path(u"config/flingdial/flingdial.conf"_s),
                           "[General]\nnotify=false\nsound=false\nonboarded=true\n" + settings);
    m_app = std::make_unique<QProcess>();
    QProcessEnvironment env = TestSupport::isolatedEnvironment(path(u"config"_s));
    for (const QString& variable : environment)
        env.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
    m_app->setProcessEnvironment(env);
    connect(m_app.get(), &QProcess::readyReadStandardError, this,
            [this] { m_log += QString::fromUtf8(m_app->readAllStandardError()); });
    m_app->start(QStringLiteral(FLINGDIAL_BINARY), {});
    QVERIFY(waitForLog(u"launched"_s));
}

QString TestGesture::startSource(const QStringList& arguments)
{
    m_source = std::make_unique<QProcess>();
    m_source->start(QDir(QCoreApplication::applicationDirPath()).filePath(u"dragsource"_s),
                    arguments);
    m_source->waitForReadyRead(5000);
    const QString ready = QString::fromUtf8(m_source->readLine()).trimmed();
    QTest::qWait(300);
    return ready.section(QLatin1Char(' '), 1);
}

bool TestGesture::waitForLog(const QString& line, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!m_log.contains(line) && clock.elapsed() < timeoutMs)
        QTest::qWait(30);
    return m_log.contains(line);
}

void TestGesture::beginDrag(QPoint to)
{
    input(u"mousemove 140 140"_s);
    input(u"mousedown 1"_s);
    input(u"mousemove 160 160"_s);
    input(u"mousemove %1 %2"_s.arg(to.x() - 20).arg(to.y() - 20));
    input(u"mousemove %1 %2"_s.arg(to.x()).arg(to.y()));
}

void TestGesture::dragKeysAndDrop()
{
    startApp();
    startSource(QStringList{u"drag"_s} + m_subtitles);
    beginDrag({600, 400});
    QVERIFY(waitForLog(u"drag started, 3 file(s), types: text/uri-list"_s));
    input(u"keydown shift"_s);
    QVERIFY(waitForLog(u"showing wheel: Convert"_s));
    QTRY_COMPARE(wheelPosition(), u"414 214"_s);
    input(u"keydown ctrl"_s);
    QVERIFY(waitForLog(u"showing wheel: Actions"_s));
    input(u"keyup shift"_s);
    input(u"keyup ctrl"_s);
    QTest::qWait(200);
    QCOMPARE(wheelPosition(), u"414 214"_s); // releasing keys leaves it
    input(u"keydown shift"_s);
    QTRY_COMPARE(m_log.count(u"showing wheel: Convert"_s), 2);
    input(u"keyup shift"_s);

    // SRT files have one conversion, VTT: the whole ring is its slice.
    input(u"mousemove 600 290"_s);
    input(u"mousemove 602 292"_s);
    QVERIFY(waitForLog(u"drag entered wheel"_s));
    input(u"mouseup 1"_s);
    QVERIFY(waitForLog(u"drop at slice 0"_s));
    QTRY_VERIFY_WITH_TIMEOUT(m_source->canReadLine(), 3000);
    QCOMPARE(QString::fromUtf8(m_source->readLine()).trimmed(), u"copy"_s);
    for (const char* name : {"one.vtt", "two.vtt", "three.vtt"})
        QTRY_VERIFY(QFileInfo::exists(path(QString::fromLatin1(name))));
    QCOMPARE(wheelPosition(), QString());
}

void TestGesture::dropsAreCopiesWithShiftHeld_data()
{
    QTest::addColumn<bool>("gtk");
    QTest::newRow("Qt source") << false;
    QTest::newRow("GTK source") << true;
}

void TestGesture::dropsAreCopiesWithShiftHeld()
{
    // Shift asks a drag source for a move; the wheel still takes a copy,
    // or the file manager would delete the originals.
    QFETCH(bool, gtk);
    const QString gtkSource = QStringLiteral(FLINGDIAL_TESTS_DIR "/support/gtkdragsource.py");
    if (gtk && QProcess::execute(u"/usr/bin/python3"_s,
                                 {u"-c"_s, u"import gi; gi.require_version('Gtk', '3.0')"_s}) != 0)
        QSKIP("python3-gi with GTK 3 (gir1.2-gtk-3.0) is not installed");
    startApp();
    if (gtk) {
        m_source = std::make_unique<QProcess>();
        m_source->start(u"/usr/bin/python3"_s, QStringList{gtkSource} + m_subtitles);
        QVERIFY(m_source->waitForReadyRead(10000));
        m_source->readLine();
        QTest::qWait(300);
    } else {
        startSource(QStringList{u"drag"_s} + m_subtitles);
    }
    beginDrag({600, 400});
    QVERIFY(waitForLog(u"drag started, 3 file(s)"_s));
    input(u"keydown shift"_s);
    QVERIFY(waitForLog(u"showing wheel: Convert"_s));
    input(u"mousemove 600 290"_s);
    input(u"mousemove 602 292"_s);
    QVERIFY(waitForLog(u"drag entered wheel"_s));
    input(u"mouseup 1"_s);
    QVERIFY(waitForLog(u"drop at slice 0"_s));
    QTRY_VERIFY_WITH_TIMEOUT(m_source->canReadLine(), 3000);
    QTest::qWait(300);
    QCOMPARE(QString::fromUtf8(m_source->readAll()).trimmed(), u"copy"_s);
    input(u"keyup shift"_s);
    for (const QString& file : std::as_const(m_subtitles))
        QVERIFY(QFileInfo::exists(file));
    QTRY_VERIFY(QFileInfo::exists(path(u"one.vtt"_s)));
}

void TestGesture::superHeldAtTheStartMustBePressedAgain()
{
    startApp();
    startSource(QStringList{u"drag"_s} + m_subtitles);
    input(u"keydown super"_s);
    beginDrag({600, 400});
    QVERIFY(waitForLog(u"drag started, 3 file(s)"_s));
    QTest::qWait(300);
    QVERIFY(!m_log.contains(u"showing wheel"_s));
    input(u"keyup super"_s);
    input(u"keydown super"_s);
    QVERIFY(waitForLog(u"showing wheel: Tools"_s));
}

// A drag near the screen's corner keeps the wheel on screen; ending the
// drag away from the wheel hides it and runs nothing.
void TestGesture::dragEndingElsewhereHidesTheWheel()
{
    startApp();
    startSource(QStringList{u"drag"_s} + m_subtitles);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    beginDrag({screen.right() - 10, 15});
    input(u"keydown shift"_s);
    QVERIFY(waitForLog(u"showing wheel: Convert"_s));
    input(u"keyup shift"_s);
    QTRY_COMPARE(wheelPosition(), u"%1 0"_s.arg(screen.right() + 1 - 372));
    input(u"mousemove 140 140"_s);
    input(u"mouseup 1"_s);
    QTRY_VERIFY_WITH_TIMEOUT(wheelPosition().isEmpty(), 2000);
    QVERIFY(!m_log.contains(u"drop at slice"_s));
    QVERIFY(!QFileInfo::exists(path(u"one.vtt"_s)));
}

void TestGesture::textDragOpensNothing()
{
    startApp();
    startSource({u"text"_s});
    beginDrag({600, 400});
    QVERIFY(waitForLog(u"drag started, 0 file(s)"_s));
    input(u"keydown shift"_s);
    QTest::qWait(400);
    QVERIFY(!m_log.contains(u"showing wheel"_s));
    QCOMPARE(wheelPosition(), QString());
}

void TestGesture::filesDraggedFromAShelfOpenTheWheel()
{
    startApp();
    startSource({u"drag"_s, m_subtitles.first()});
    beginDrag({600, 400});
    input(u"keydown ctrl"_s);
    QVERIFY(waitForLog(u"showing wheel: Actions"_s));
    input(u"keyup ctrl"_s);
    // "Shelf", the second of six slices, at two o'clock.
    input(u"mousemove 704 340"_s);
    input(u"mousemove 705 341"_s);
    input(u"mouseup 1"_s);
    QVERIFY(waitForLog(u"drop at slice 1"_s));
    const auto shelf = [] {
        return xdotool({u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Flingdial Shelf$"_s});
    };
    QTRY_VERIFY_WITH_TIMEOUT(!shelf().isEmpty(), 3000);
    QTest::qWait(300);
    const QRegularExpressionMatch at =
        QRegularExpression(u"Position: (\\d+),(\\d+)"_s)
            .match(xdotool({u"getwindowgeometry"_s, shelf().section(u'\n', 0, 0)}));
    const QPoint picture(at.captured(1).toInt() + 74, at.captured(2).toInt() + 70);

    // The shelf's own drag, with Shift, opens the wheel for its file.
    input(u"mousemove %1 %2"_s.arg(picture.x()).arg(picture.y()));
    input(u"mousedown 1"_s);
    input(u"mousemove %1 %2"_s.arg(picture.x() + 20).arg(picture.y() + 20));
    input(u"mousemove 900 500"_s);
    input(u"keydown shift"_s);
    QTRY_COMPARE_WITH_TIMEOUT(m_log.count(u"showing wheel: Convert"_s), 1, 4000);
    QVERIFY(m_log.contains(u"drag started, 1 file(s)"_s));
    input(u"keyup shift"_s);
    input(u"mousemove 900 390"_s);
    input(u"mousemove 901 391"_s);
    input(u"mouseup 1"_s);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(path(u"one.vtt"_s)), 4000);
}

void TestGesture::hotKeyOpensTheWheelForCopiedFiles()
{
    startApp();
    const QString source = startSource({u"copy"_s, m_subtitles.first()});
    input(u"windowfocus "_s + source);
    input(u"key ctrl+alt+space"_s);
    QTRY_VERIFY(!wheelPosition().isEmpty());
    QTRY_VERIFY(xdotool({u"getwindowfocus"_s}) != source);
    input(u"key Escape"_s);
    QTRY_COMPARE(wheelPosition(), QString());
    QTRY_COMPARE(xdotool({u"getwindowfocus"_s}), source);

    // Opened again, slice 0 is highlighted: Return runs it.
    input(u"key ctrl+alt+space"_s);
    QTRY_VERIFY(!wheelPosition().isEmpty());
    input(u"key Return"_s);
    QTRY_VERIFY(QFileInfo::exists(path(u"one.vtt"_s)));
    QVERIFY(!QFileInfo::exists(path(u"two.vtt"_s)));
}

void TestGesture::hotKeyWithoutCopiedFilesOpensTheChooser()
{
    startApp();
    const QString source = startSource({u"copy"_s});
    input(u"windowfocus "_s + source);
    input(u"key ctrl+alt+space"_s);
    const auto chooser = [] {
        return xdotool({u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Choose Files$"_s});
    };
    QTRY_VERIFY_WITH_TIMEOUT(!chooser().isEmpty(), 5000);
    QCOMPARE(wheelPosition(), QString());
    input(u"key Escape"_s);
    QTRY_VERIFY(chooser().isEmpty());
}

void TestGesture::verifyCtrlAltSpaceReaches(const QString& source)
{
    input(u"windowfocus "_s + source);
    input(u"key ctrl+alt+space"_s);
    // Not grabbed: the key reaches the focused window.
    QTRY_VERIFY(m_source->canReadLine());
    QCOMPARE(QString::fromUtf8(m_source->readLine()).trimmed(), u"key Ctrl+Alt+Space"_s);
    QCOMPARE(wheelPosition(), QString());
}

void TestGesture::rewriteSettings(const QByteArray& settings)
{
    // As the settings window writes them while the program runs.
    TestSupport::writeFile(path(u"config/flingdial/flingdial.conf"_s),
                           "[General]\nnotify=false\nsound=false\nonboarded=true\n" + settings);
    QTest::qWait(500);
}

void TestGesture::hotKeySettingTakesEffectAtOnce()
{
    startApp("hotkey=false\n");
    const QString source = startSource({u"copy"_s, m_subtitles.first()});
    verifyCtrlAltSpaceReaches(source);

    rewriteSettings("hotkey=true\n");
    input(u"key ctrl+alt+space"_s);
    QTRY_VERIFY(!wheelPosition().isEmpty());
}

void TestGesture::hotKeyCanBeAnotherCombination()
{
    startApp("hotkey.keys=Ctrl+Shift+K\n");
    const QString source = startSource({u"copy"_s, m_subtitles.first()});
    verifyCtrlAltSpaceReaches(source);
    input(u"key ctrl+shift+k"_s);
    QTRY_VERIFY(!wheelPosition().isEmpty());
    input(u"key Escape"_s);
    QTRY_VERIFY(wheelPosition().isEmpty());

    rewriteSettings("hotkey.keys=Super+F7\n");
    input(u"windowfocus "_s + source);
    input(u"key super+F7"_s);
    QTRY_VERIFY(!wheelPosition().isEmpty());
}

int TestGesture::trigger(const QString& mode)
{
    QProcess program;
    program.setProcessEnvironment(TestSupport::isolatedEnvironment(path(u"config"_s)));
    program.start(QStringLiteral(FLINGDIAL_BINARY), {u"--trigger"_s, mode});
    program.waitForFinished(5000);
    return program.exitCode();
}

void TestGesture::triggerDuringADragOpensTheWheelThere()
{
    startApp();
    startSource(QStringList{u"drag"_s} + m_subtitles);
    beginDrag({600, 400});
    QVERIFY(waitForLog(u"drag started, 3 file(s)"_s));
    QCOMPARE(trigger(u"tools"_s), 0);
    QVERIFY(waitForLog(u"trigger: tools"_s));
    QTRY_COMPARE(wheelPosition(), u"414 214"_s);
}

void TestGesture::triggerWithoutADragOpensTheKeyboardWheel()
{
    startApp();
    const QString source = startSource({u"copy"_s, m_subtitles.first()});
    input(u"windowfocus "_s + source);
    QCOMPARE(trigger(u"convert"_s), 0);
    QTRY_VERIFY(!wheelPosition().isEmpty());
    input(u"key Return"_s);
    QTRY_VERIFY(QFileInfo::exists(path(u"one.vtt"_s)));
}

void TestGesture::triggerInAWaylandSession()
{
    startApp({}, {u"XDG_SESSION_TYPE=wayland"_s, u"XDG_CURRENT_DESKTOP=LXQt"_s});
    QVERIFY(waitForLog(u"session: wayland"_s));
    startSource(QStringList{u"drag"_s} + m_subtitles);
    beginDrag({300, 300});
    QCOMPARE(trigger(u"convert"_s), 0);
    QVERIFY(waitForLog(u"waiting for the drag: convert"_s));
    // The drag reaches the catcher where the pointer moves next.
    input(u"mousemove 600 400"_s);
    input(u"mousemove 602 402"_s);
    QVERIFY(waitForLog(u"drag entered the catcher, 3 file(s)"_s));
    QTRY_COMPARE(wheelPosition(), u"414 214"_s);
}

void TestGesture::catcherTakesTheDragToTheWheel()
{
    triggerInAWaylandSession();
    input(u"mousemove 600 290"_s);
    input(u"mousemove 602 292"_s);
    QVERIFY(waitForLog(u"drag entered wheel"_s));
    input(u"mouseup 1"_s);
    QVERIFY(waitForLog(u"drop at slice 0"_s));
    for (const char* name : {"one.vtt", "two.vtt", "three.vtt"})
        QTRY_VERIFY(QFileInfo::exists(path(QString::fromLatin1(name))));
    QTRY_COMPARE(wheelPosition(), QString());
    for (const QString& file : std::as_const(m_subtitles))
        QVERIFY(QFileInfo::exists(file));
}

void TestGesture::catcherRefusesADropOutsideTheWheel_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("a drop outside the wheel") << false;
    QTest::newRow("Escape") << true;
}

void TestGesture::catcherRefusesADropOutsideTheWheel()
{
    QFETCH(bool, escape);
    triggerInAWaylandSession();
    input(u"mousemove 100 900"_s);
    input(u"mousemove 102 902"_s);
    if (escape) {
        input(u"key Escape"_s);
        QVERIFY(waitForLog(u"the catcher closed"_s));
        QTRY_COMPARE(wheelPosition(), QString());
    }
    input(u"mouseup 1"_s);
    // Qt's drag source reports what the target said during the drag, not
    // the refusal at the drop; it must never hear of a move.
    QTRY_VERIFY_WITH_TIMEOUT(m_source->canReadLine(), 3000);
    QVERIFY(QString::fromUtf8(m_source->readLine()).trimmed() != u"move"_s);
    if (!escape)
        QVERIFY(waitForLog(u"drop outside the wheel: refused"_s));
    QVERIFY(waitForLog(u"the catcher closed"_s));
    QTRY_COMPARE(wheelPosition(), QString());
    QTest::qWait(300);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
             QStringList({"one.srt", "three.srt", "two.srt"}));
}

QTEST_MAIN(TestGesture)
#include "tst_Gesture.moc"
