#include "support/TestSupport.h"
#include "support/wayland/WaylandSession.h"

#include <QCoreApplication>
#include <QDBusInterface>
#include <QElapsedTimer>
#include <QUrl>
#include <QtTest>

using namespace Qt::StringLiterals;
using Compositor = WaylandSession::Compositor;

namespace {

const QString gtkSource = QStringLiteral(FLINGDIAL_TESTS_DIR "/support/gtkdragsource.py");
const QRect sourceFrame(40, 60, 400, 300);
const QRect targetFrame(760, 200, 400, 300);

// "at X Y W H" from the drop target: its window in layout pixels.
QRect rectOf(const QString& line)
{
    const QStringList words = line.split(u' ');
    if (words.size() != 5)
        return {};
    return {words[1].toInt(), words[2].toInt(), words[3].toInt(), words[4].toInt()};
}

// The X11 drop target, shown at `frame`.
SessionClient& startTarget(WaylandSession& session, const QString& title, const QRect& frame,
                           const QStringList& options = {})
{
    SessionClient& target = session.launch(
        QCoreApplication::applicationDirPath() + u"/xdndtarget"_s,
        options + QStringList{title, QString::number(frame.x()), QString::number(frame.y()),
                              QString::number(frame.width()), QString::number(frame.height())});
    if (!target.waitForOutput(u"ready"_s))
        qWarning("the drop target did not start: %s", qPrintable(target.log()));
    return target;
}

// The GTK source, as a native Wayland client.
SessionClient& startSource(WaylandSession& session, const QString& title,
                           const QStringList& arguments)
{
    QProcessEnvironment environment = session.environment();
    environment.insert(u"GDK_BACKEND"_s, u"wayland"_s);
    SessionClient& source =
        session.launch(u"/usr/bin/python3"_s,
                       QStringList{gtkSource, u"--title"_s, title} + arguments, environment);
    if (!source.waitForOutput(u"ready wayland"_s))
        qWarning("the GTK source did not start as a Wayland client: %s %s",
                 qPrintable(source.output()), qPrintable(source.log()));
    return source;
}

// Whether the drop target says its window is about at `frame` (a managed
// window's title bar is part of its frame).
bool isPlaced(SessionClient& target, const QRect& frame)
{
    return QTest::qWaitFor(
        [&] {
            return frame.adjusted(-20, -40, 20, 40).contains(rectOf(target.lastLine(u"at "_s)));
        },
        5000);
}

QString newFile(WaylandSession& session, const QString& name)
{
    const QString file =
        TestSupport::writeFile(session.filesFolder() + u'/' + name, "a file to drag\n");
    session.handOver(file);
    return file;
}

// A GTK source with `file` on the left, an X11 drop target on the right, and
// a drag from the one into the other. Answers where in the target the drag is.
QPoint dragIntoTarget(WaylandSession& session, SessionClient& source, SessionClient& target,
                      const QString& file)
{
    const QString url = QString::fromUtf8(QUrl::fromLocalFile(file).toEncoded());
    [&] {
        QVERIFY(session.placeWindow(u"Drag Source"_s, sourceFrame));
        // KWin centres new windows and sway tiles them: the target goes where it is told.
        QVERIFY(session.placeWindow(u"Drop Target"_s, targetFrame));
        QVERIFY2(isPlaced(target, targetFrame), qPrintable(target.output() + target.log()));
        QVERIFY2(session.drag(sourceFrame.center(), rectOf(target.lastLine(u"at "_s)).center()),
                 qPrintable(session.inputError()));
        QVERIFY2(source.waitForOutput(u"drag began"_s), qPrintable(source.output() + source.log()));
        // Read at Enter: the one moment every compositor hands the files to X11.
        QVERIFY2(target.waitForOutput(u"enter "_s + url), qPrintable(target.output()));
    }();
    return rectOf(target.lastLine(u"at "_s)).center();
}

} // namespace

// The Wayland test harness end to end on one compositor, the one named by
// WAYLAND_TEST_COMPOSITOR (sway, kwin or gnome-shell; CTest runs each): a
// GTK window running as a native Wayland client drags a file onto an X11
// window under XWayland, keys reach the compositor in the middle of a drag
// and as shortcuts, files copied in a Wayland client reach an X11 client,
// and screenshots show the windows.
class TestWaylandSession : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    void shortcutPressed(const QString& component, const QString& action, qlonglong time);

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();
    void dragFromWaylandClientEntersX11Window();
    void shiftDuringDragReachesX11WithKWinEavesdropping_data();
    void shiftDuringDragReachesX11WithKWinEavesdropping();
    void keyCombinationsReachTheCompositor_data();
    void keyCombinationsReachTheCompositor();
    void filesCopiedInWaylandClientReachX11Window();
    void screenshotShowsTheWindows();

private:
    bool shortcutFires(const QString& combination, const QString& sway, int qtKeys,
                       const QString& gnome);

    std::unique_ptr<WaylandSession> m_session;
    QStringList m_pressedShortcuts;
};

void TestWaylandSession::initTestCase()
{
    const QString name = qEnvironmentVariable("WAYLAND_TEST_COMPOSITOR", u"sway"_s);
    const auto compositor = WaylandSession::compositorNamed(name);
    QVERIFY2(compositor, "WAYLAND_TEST_COMPOSITOR is sway, kwin or gnome-shell");
    QElapsedTimer clock;
    clock.start();
    m_session = std::make_unique<WaylandSession>(*compositor);
    if (!m_session->start())
        QSKIP(qPrintable(m_session->skipReason()));
    qInfo("%s ready in %lld ms on DISPLAY %s, WAYLAND_DISPLAY %s", qPrintable(name),
          clock.elapsed(), qPrintable(m_session->display()),
          qPrintable(m_session->waylandDisplay()));
}

void TestWaylandSession::cleanup()
{
    if (QTest::currentTestFailed()) {
        const QString shot =
            m_session->saveScreenshot(QString::fromLatin1(QTest::currentTestFunction()));
        qInfo("screenshot: %s\ncompositor log:\n%s", qPrintable(shot),
              qPrintable(m_session->compositorLog().right(3000)));
    }
    m_session->stopClients();
}

void TestWaylandSession::cleanupTestCase()
{
    m_session.reset();
}

void TestWaylandSession::dragFromWaylandClientEntersX11Window()
{
    const QString file = newFile(*m_session, u"photo one.png"_s);
    const QString url = QString::fromUtf8(QUrl::fromLocalFile(file).toEncoded());
    SessionClient& target = startTarget(*m_session, u"Drop Target"_s, targetFrame);
    SessionClient& source = startSource(*m_session, u"Drag Source"_s, {u"--announce-drag"_s, file});
    const QPoint inside = dragIntoTarget(*m_session, source, target, file);
    if (QTest::currentTestFailed())
        return;

    // A bare modifier in the middle of the drag neither ends nor breaks it;
    // the Shell (and so an extension) sees it held.
    QVERIFY2(m_session->input(u"keydown shift"_s), qPrintable(m_session->inputError()));
    QVERIFY(m_session->input(u"move %1 %2"_s.arg(inside.x() + 8).arg(inside.y() + 6)));
    if (m_session->compositor() == Compositor::GnomeShell)
        QCOMPARE(m_session->evaluate(u"global.get_pointer()[2] & 1"_s), u"1"_s);
    QVERIFY(m_session->input(u"keyup shift"_s));
    QVERIFY(m_session->input(u"move %1 %2"_s.arg(inside.x() + 12).arg(inside.y() + 10)));
    QVERIFY(!target.output().contains(u"leave"_s));

    QVERIFY(m_session->input(u"release"_s));
    QVERIFY2(target.waitForOutput(u"drop"_s), qPrintable(target.output()));
    if (m_session->compositor() == Compositor::Sway) {
        // wlroots lets XWayland read the files only until the drop, and never
        // tells the source that the drag ended.
        QCOMPARE(target.lastLine(u"drop"_s), u"drop"_s);
    } else {
        QCOMPARE(target.lastLine(u"drop"_s), u"drop "_s + url);
        QVERIFY2(source.waitForOutput(u"copy"_s), qPrintable(source.output()));
    }
    QVERIFY(QFileInfo::exists(file));
}

// KWin's "Legacy X11 App Support" setting lets X11 clients see the
// modifiers while a Wayland window has the pointer and the keyboard, as in
// a drag between two Wayland windows; checked in a session of its own,
// started with that setting in its configuration.
void TestWaylandSession::shiftDuringDragReachesX11WithKWinEavesdropping_data()
{
    QTest::addColumn<QByteArray>("setting");
    QTest::addColumn<bool>("seen");
    QTest::newRow("Modifiers") << QByteArray("Modifiers") << true;
    QTest::newRow("None") << QByteArray("None") << false;
}

void TestWaylandSession::shiftDuringDragReachesX11WithKWinEavesdropping()
{
    QFETCH(QByteArray, setting);
    QFETCH(bool, seen);
    if (m_session->compositor() != Compositor::KWin)
        QSKIP("a setting of KWin's");
    WaylandSession::Options options;
    options.configFiles.insert(u"kwinrc"_s, "[Xwayland]\nXwaylandEavesdrops=" + setting + '\n');
    WaylandSession session(Compositor::KWin, options);
    QVERIFY2(session.start(), qPrintable(session.skipReason()));
    const QString file = newFile(session, u"notes.txt"_s);
    SessionClient& watcher = startTarget(session, u"Watcher"_s, targetFrame, {u"--watch"_s});
    SessionClient& source = startSource(session, u"Drag Source"_s, {u"--announce-drag"_s, file});
    QVERIFY(session.placeWindow(u"Watcher"_s, targetFrame));
    QVERIFY(session.placeWindow(u"Drag Source"_s, sourceFrame));
    QVERIFY(session.drag(sourceFrame.center(), sourceFrame.center() + QPoint(80, 60)));
    QVERIFY2(source.waitForOutput(u"drag began"_s), qPrintable(source.output() + source.log()));
    QVERIFY(session.input(u"keydown shift"_s));
    QCOMPARE(watcher.waitForOutput(u"modifiers shift"_s, 2000), seen);
    QVERIFY(session.input(u"keyup shift"_s));
    QVERIFY(session.input(u"release"_s));
}

void TestWaylandSession::shortcutPressed(const QString&, const QString& action, qlonglong)
{
    m_pressedShortcuts.append(action);
}

// Registers `combination` the way each desktop lets a program do it, types
// it, and says whether the compositor fired the shortcut.
bool TestWaylandSession::shortcutFires(const QString& combination, const QString& sway, int qtKeys,
                                       const QString& gnome)
{
    switch (m_session->compositor()) {
    case Compositor::Sway: {
        const QString marker = m_session->filesFolder() + u"/pressed-"_s + combination;
        if (m_session->run(u"swaymsg"_s, {u"bindsym"_s, sway, u"exec"_s, u"touch"_s, marker}) != 0)
            return false;
        return m_session->input(u"key "_s + combination) &&
               QTest::qWaitFor([&] { return QFileInfo::exists(marker); }, 5000);
    }
    case Compositor::KWin: {
        // KWin's own kglobalaccel, as Plasma programs register their shortcuts.
        QDBusConnection bus = m_session->bus();
        QDBusInterface accel(u"org.kde.kglobalaccel"_s, u"/kglobalaccel"_s,
                             u"org.kde.KGlobalAccel"_s, bus);
        const QStringList action = {u"flingdial-tests"_s, combination, u"Flingdial tests"_s,
                                    combination};
        accel.call(u"doRegister"_s, action);
        constexpr uint setPresent = 2, noAutoloading = 4;
        accel.call(u"setShortcut"_s, action, QVariant::fromValue(QList<int>{qtKeys}),
                   setPresent | noAutoloading);
        bus.connect({}, u"/component/flingdial_tests"_s, u"org.kde.kglobalaccel.Component"_s,
                    u"globalShortcutPressed"_s, this,
                    SLOT(shortcutPressed(QString, QString, qlonglong)));
        return m_session->input(u"key "_s + combination) &&
               QTest::qWaitFor([&] { return m_pressedShortcuts.contains(combination); }, 5000);
    }
    case Compositor::GnomeShell: {
        // What a Shell extension does: grab the accelerator, listen for it.
        const QString grab = u"(() => {"
                             "const Meta = imports.gi.Meta;"
                             "const action = global.display.grab_accelerator('%1', 0);"
                             "imports.ui.main.wm.allowKeybinding("
                             "Meta.external_binding_name_for_action(action),"
                             "imports.gi.Shell.ActionMode.ALL);"
                             "global.flingdialPressed = [];"
                             "global.display.connect('accelerator-activated',"
                             "(display, pressed) => global.flingdialPressed.push(pressed));"
                             "return action; })()"_s.arg(gnome);
        const QString action = m_session->evaluate(grab).value_or(u"0"_s);
        if (action == u"0"_s)
            return false;
        const QString pressed = u"global.flingdialPressed.includes(%1)"_s.arg(action);
        return m_session->input(u"key "_s + combination) &&
               QTest::qWaitFor([&] { return m_session->evaluate(pressed) == u"true"_s; }, 5000);
    }
    }
    return false;
}

void TestWaylandSession::keyCombinationsReachTheCompositor_data()
{
    QTest::addColumn<QString>("combination");
    QTest::addColumn<QString>("sway");
    QTest::addColumn<int>("qtKeys");
    QTest::addColumn<QString>("gnome");
    QTest::newRow("Ctrl+Alt+Space")
        << u"ctrl+alt+space"_s << u"Ctrl+Alt+space"_s
        << (Qt::CTRL | Qt::ALT | Qt::Key_Space).toCombined() << u"<Control><Alt>space"_s;
    QTest::newRow("Super+Shift+C")
        << u"super+shift+c"_s << u"Mod4+Shift+c"_s
        << (Qt::META | Qt::SHIFT | Qt::Key_C).toCombined() << u"<Super><Shift>c"_s;
}

void TestWaylandSession::keyCombinationsReachTheCompositor()
{
    QFETCH(QString, combination);
    QFETCH(QString, sway);
    QFETCH(int, qtKeys);
    QFETCH(QString, gnome);
    QVERIFY2(shortcutFires(combination, sway, qtKeys, gnome), qPrintable(m_session->inputError()));
}

void TestWaylandSession::filesCopiedInWaylandClientReachX11Window()
{
    const QString file = newFile(*m_session, u"copied file.pdf"_s);
    SessionClient& target = startTarget(*m_session, u"Paste Target"_s, targetFrame, {u"--paste"_s});
    SessionClient& source = startSource(*m_session, u"Copy Source"_s, {u"--copy"_s, file});
    QVERIFY(m_session->placeWindow(u"Copy Source"_s, sourceFrame));
    QVERIFY(m_session->placeWindow(u"Paste Target"_s, targetFrame));
    QVERIFY2(isPlaced(target, targetFrame), qPrintable(target.output() + target.log()));
    QVERIFY2(m_session->click(sourceFrame.center()), qPrintable(m_session->inputError()));
    QVERIFY2(source.waitForOutput(u"copied"_s), qPrintable(source.log()));
    // Activating the X11 window is what lets XWayland take the clipboard over.
    // Under load KWin may take the first click before the window is ready
    // for it: a second click activates it then.
    const QString pasted = u"clipboard "_s + QUrl::fromLocalFile(file).toEncoded();
    const QPoint inTarget = rectOf(target.lastLine(u"at "_s)).center();
    QVERIFY(m_session->click(inTarget));
    if (!target.waitForOutput(pasted, 3000))
        QVERIFY(m_session->click(inTarget + QPoint(4, 4)));
    QVERIFY2(target.waitForOutput(pasted), qPrintable(target.output()));
}

void TestWaylandSession::screenshotShowsTheWindows()
{
    const QRect frame(700, 300, 300, 200);
    SessionClient& target = startTarget(*m_session, u"Blue Window"_s, frame);
    QVERIFY(m_session->placeWindow(u"Blue Window"_s, frame));
    QVERIFY2(isPlaced(target, frame), qPrintable(target.output() + target.log()));
    const QPoint inside = rectOf(target.lastLine(u"at "_s)).center();
    QImage shot;
    QTRY_VERIFY_WITH_TIMEOUT((shot = m_session->screenshot(),
                              !shot.isNull() && shot.pixel(inside) == qRgb(0x33, 0x66, 0xcc)),
                             5000);
    QCOMPARE(shot.size(), m_session->size());
}

QTEST_GUILESS_MAIN(TestWaylandSession)
#include "tst_WaylandSession.moc"
