#include "support/TestSupport.h"
#include "support/wayland/WaylandSession.h"

#include <QElapsedTimer>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineF>
#include <QTemporaryDir>
#include <QtMath>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString extensionFolder = QStringLiteral(FLINGDIAL_GNOME_EXTENSION_DIR);
const QString gtkSource = QStringLiteral(FLINGDIAL_TESTS_DIR "/support/gtkdragsource.py");
const QRect sourceFrame(40, 60, 400, 300);
// Qt adds the application's name to a window's title.
const QString wheelTitle = u"Flingdial Wheel — Flingdial"_s;
// Where the drags end and the wheels open: clear of every screen edge.
const QPoint dragEnd(760, 380);
// The wheel's geometry: 372 square, slices anchored 116 from its centre.
constexpr int wheelSide = 372;
constexpr qreal anchorRadius = 116;

// The slices `flingdial --run` offers for `file`, in wheel order.
QStringList slicesFor(const QString& mode, const QString& file)
{
    const QTemporaryDir config;
    const TestSupport::Result listed =
        TestSupport::runFlingdial({u"--run"_s, mode, u"no such slice"_s, file},
                                  TestSupport::isolatedEnvironment(config.path()));
    const QString line = listed.out + listed.err;
    const qsizetype at = line.indexOf(u"Available: "_s);
    return at < 0 ? QStringList() : line.mid(at + 11).trimmed().split(u", "_s, Qt::SkipEmptyParts);
}

// Slice `index` of `count` around `centre`: slice 0 at twelve o'clock, the
// others clockwise.
QPoint slicePoint(QPoint centre, int index, int count)
{
    const qreal angle = qDegreesToRadians(90.0 - index * 360.0 / count);
    return centre + QPoint(qRound(anchorRadius * qCos(angle)), -qRound(anchorRadius * qSin(angle)));
}

// The middle of a wheel's window (QRect::center() rounds down).
QPoint centreOf(const QRect& frame)
{
    return frame.topLeft() + QPoint(frame.width() / 2, frame.height() / 2);
}

QString writePng(const QString& path)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(qRgb(0x33, 0x99, 0x66));
    image.save(path, "PNG");
    return path;
}

} // namespace

// The gesture in GNOME on Wayland through our Shell extension, in a headless
// gnome-shell 43 with the extension installed for the session's user: a GTK
// (Wayland) drag with a trigger key pressed mid-drag opens the wheel where
// the pointer is, a drop on a slice gives the result, Escape gives nothing;
// the hot key opens the keyboard wheel for files copied in a Wayland
// client; the program tells whether the extension is on and guides once
// when it is off; and the wheel opens at the pointer under fractional
// scaling.
class TestGnomeGesture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void shiftMidDragThenDropOnJpg();
    void ctrlOpensActionsAndEscapeLeavesNothing();
    void hotKeyOpensKeyboardWheelForCopiedFiles();
    void wheelFollowsKeysChangedInSettings();
    void hotKeyChangedOrHeldByTheShell();
    void guideWhileTheExtensionIsOff();
    void wheelAtPointerUnderFractionalScaling();

private:
    // The program, started in `session` with the guide already seen; waits
    // until the extension has read its keys.
    SessionClient& startFlingdial(WaylandSession& session, const QByteArray& settings = {});
    SessionClient& startSource(WaylandSession& session, const QStringList& arguments);
    // Drags `file` out of the GTK source and presses `key` mid-drag; the
    // wheel of `mode` opens. Answers the wheel's frame.
    std::optional<QRect> openWheelMidDrag(WaylandSession& session, SessionClient& app,
                                          SessionClient& source, const QString& key,
                                          const QString& mode);
    bool moveInSteps(WaylandSession& session, QPoint from, QPoint to);
    // The photo copied in the GTK source, as a file manager's Copy does.
    void copyPhotoInSource();
    // The program's settings file written anew, as its settings window does.
    void rewriteSettings(const QByteArray& settings);

    std::unique_ptr<WaylandSession> m_session;
    QElapsedTimer m_clock;
    QString m_photo;
};

void TestGnomeGesture::initTestCase()
{
    QVERIFY2(QFileInfo::exists(extensionFolder + u"/metadata.json"_s),
             "the build makes the extension's folder");
    QElapsedTimer clock;
    clock.start();
    WaylandSession::Options options;
    options.gnomeExtensions << extensionFolder;
    m_session = std::make_unique<WaylandSession>(WaylandSession::Compositor::GnomeShell, options);
    if (!m_session->start())
        QSKIP(qPrintable(m_session->skipReason()));
    qInfo("gnome-shell with the extension ready in %lld ms", clock.elapsed());
    QCOMPARE(m_session->evaluate(u"imports.ui.main.extensionManager.lookup("
                                 "'flingdial@flingdial.org').state"_s),
             u"1"_s);
}

void TestGnomeGesture::init()
{
    m_clock.start();
    m_photo = m_session->filesFolder() + u"/photo.png"_s;
    for (const QString& name : TestSupport::namesIn(m_session->filesFolder()))
        QFile::remove(m_session->filesFolder() + u'/' + name);
    writePng(m_photo);
    m_session->handOver(m_photo);
}

void TestGnomeGesture::cleanup()
{
    if (QTest::currentTestFailed()) {
        const QString shot =
            m_session->saveScreenshot(QString::fromLatin1(QTest::currentTestFunction()));
        qInfo("screenshot: %s\ncompositor log:\n%s", qPrintable(shot),
              qPrintable(m_session->compositorLog().right(3000)));
    }
    m_session->stopClients();
    qInfo("%s took %lld ms", QTest::currentTestFunction(), m_clock.elapsed());
}

void TestGnomeGesture::cleanupTestCase()
{
    m_session.reset();
}

SessionClient& TestGnomeGesture::startFlingdial(WaylandSession& session, const QByteArray& settings)
{
    const QString config = session.environment().value(u"XDG_CONFIG_HOME"_s);
    const QString file =
        TestSupport::writeFile(config + u"/flingdial/flingdial.conf"_s,
                               "[General]\nonboarded=true\nextensionGuided=true\n" + settings);
    session.handOver(config + u"/flingdial"_s);
    session.handOver(file);
    SessionClient& app = session.launch(QStringLiteral(FLINGDIAL_BINARY), {});
    if (!app.waitForLog(u"the desktop's extension reads the trigger keys"_s, 15000))
        qWarning("the extension did not ask for the keys: %s", qPrintable(app.log()));
    return app;
}

SessionClient& TestGnomeGesture::startSource(WaylandSession& session, const QStringList& arguments)
{
    QProcessEnvironment environment = session.environment();
    environment.insert(u"GDK_BACKEND"_s, u"wayland"_s);
    SessionClient& source =
        session.launch(u"/usr/bin/python3"_s,
                       QStringList{gtkSource, u"--title"_s, u"Files"_s} + arguments, environment);
    if (!source.waitForOutput(u"ready wayland"_s))
        qWarning("the GTK source did not start: %s", qPrintable(source.log()));
    return source;
}

std::optional<QRect> TestGnomeGesture::openWheelMidDrag(WaylandSession& session, SessionClient& app,
                                                        SessionClient& source, const QString& key,
                                                        const QString& mode)
{
    std::optional<QRect> frame;
    [&] {
        QVERIFY(session.placeWindow(u"Files"_s, sourceFrame));
        QVERIFY2(session.drag(sourceFrame.center(), dragEnd), qPrintable(session.inputError()));
        QVERIFY2(source.waitForOutput(u"drag began"_s), qPrintable(source.log()));
        QVERIFY(session.input(u"keydown "_s + key));
        QVERIFY2(app.waitForLog(u"showing wheel: "_s + mode), qPrintable(app.log()));
        QVERIFY(session.input(u"keyup "_s + key));
        QVERIFY(QTest::qWaitFor(
            [&] { return (frame = session.windowFrame(wheelTitle)).has_value(); }, 5000));
    }();
    return frame;
}

bool TestGnomeGesture::moveInSteps(WaylandSession& session, QPoint from, QPoint to)
{
    for (int step = 1; step <= 4; ++step) {
        const QPoint at = from + (to - from) * step / 4;
        if (!session.input(u"move %1 %2"_s.arg(at.x()).arg(at.y())))
            return false;
        QTest::qWait(60);
    }
    return true;
}

void TestGnomeGesture::copyPhotoInSource()
{
    SessionClient& source = startSource(*m_session, {u"--copy"_s, m_photo});
    QVERIFY(m_session->placeWindow(u"Files"_s, sourceFrame));
    QVERIFY2(m_session->click(sourceFrame.center()), qPrintable(m_session->inputError()));
    QVERIFY2(source.waitForOutput(u"copied"_s), qPrintable(source.log()));
}

void TestGnomeGesture::rewriteSettings(const QByteArray& settings)
{
    const QString file =
        m_session->environment().value(u"XDG_CONFIG_HOME"_s) + u"/flingdial/flingdial.conf"_s;
    TestSupport::writeFile(file, "[General]\nonboarded=true\nextensionGuided=true\n" + settings);
    m_session->handOver(file);
}

void TestGnomeGesture::shiftMidDragThenDropOnJpg()
{
    const QStringList slices = slicesFor(u"convert"_s, m_photo);
    const int jpg = int(slices.indexOf(u"JPG"_s));
    QVERIFY2(jpg >= 0, qPrintable(slices.join(u", "_s)));
    SessionClient& app = startFlingdial(*m_session);
    SessionClient& source = startSource(*m_session, {u"--announce-drag"_s, m_photo});
    const auto wheel = openWheelMidDrag(*m_session, app, source, u"shift"_s, u"Convert"_s);
    QVERIFY(wheel);
    // Centred on the pointer, on an override-redirect window.
    QCOMPARE(centreOf(*wheel), dragEnd);
    QCOMPARE(wheel->size(), QSize(wheelSide, wheelSide));
    QCOMPARE(m_session->evaluate(
                 u"global.get_window_actors().map(a => a.meta_window)"
                 ".find(w => w.get_title() === '%1').is_override_redirect()"_s.arg(wheelTitle)),
             u"true"_s);

    const QPoint target = slicePoint(centreOf(*wheel), jpg, int(slices.size()));
    QVERIFY(moveInSteps(*m_session, dragEnd, target));
    QVERIFY2(app.waitForLog(u"drag entered wheel"_s), qPrintable(app.log()));
    QVERIFY(m_session->input(u"release"_s));
    const QString result = m_session->filesFolder() + u"/photo.jpg"_s;
    QTRY_VERIFY2_WITH_TIMEOUT(QFileInfo::exists(result), qPrintable(app.log()), 20000);
    QCOMPARE(QImage(result).size(), QSize(64, 48));
    QVERIFY(QFileInfo::exists(m_photo));
    // The drop is answered as a copy, whatever Shift made GTK propose.
    QVERIFY2(source.waitForOutput(u"copy"_s), qPrintable(source.output()));
    QTRY_VERIFY_WITH_TIMEOUT(!m_session->windowFrame(wheelTitle), 5000);
}

void TestGnomeGesture::ctrlOpensActionsAndEscapeLeavesNothing()
{
    SessionClient& app = startFlingdial(*m_session);
    SessionClient& source = startSource(*m_session, {u"--announce-drag"_s, m_photo});
    QVERIFY(openWheelMidDrag(*m_session, app, source, u"ctrl"_s, u"Actions"_s));
    // Pressed again, the same key leaves the wheel as it is.
    QVERIFY(m_session->input(u"key ctrl"_s));
    QVERIFY(m_session->input(u"move %1 %2"_s.arg(dragEnd.x() + 30).arg(dragEnd.y())));
    QVERIFY(m_session->input(u"key escape"_s));
    QVERIFY2(source.waitForOutput(u"none"_s), qPrintable(source.output()));
    QTRY_VERIFY_WITH_TIMEOUT(!m_session->windowFrame(wheelTitle), 5000);
    QVERIFY(m_session->input(u"release"_s));
    QTest::qWait(500);
    QCOMPARE(TestSupport::namesIn(m_session->filesFolder()), QStringList{u"photo.png"_s});
    QCOMPARE(app.log().count(u"showing wheel: "_s), 1);
}

void TestGnomeGesture::hotKeyOpensKeyboardWheelForCopiedFiles()
{
    const QStringList slices = slicesFor(u"convert"_s, m_photo);
    QVERIFY(!slices.isEmpty());
    SessionClient& app = startFlingdial(*m_session);
    copyPhotoInSource();
    QVERIFY(m_session->input(u"key ctrl+alt+space"_s));
    QVERIFY2(app.waitForLog(u"copied files: 1"_s), qPrintable(app.log()));
    QVERIFY(m_session->windowFrame(wheelTitle));
    // Keyboard use starts on the first slice; Return runs it.
    QVERIFY(m_session->input(u"key return"_s));
    const QString result = m_session->filesFolder() + u"/photo."_s + slices.first().toLower();
    QTRY_VERIFY2_WITH_TIMEOUT(QFileInfo::exists(result), qPrintable(app.log()), 20000);
    QVERIFY(QFileInfo::exists(m_photo));
}

void TestGnomeGesture::wheelFollowsKeysChangedInSettings()
{
    // Alt for Convert, written by the program's own settings: the extension
    // hears of the change and Alt opens the Convert wheel in the next drag.
    SessionClient& app = startFlingdial(*m_session);
    rewriteSettings("modifier.convert=alt\n");
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     return app.log().count(u"the desktop's extension reads the trigger keys"_s) ==
                            2;
                 },
                 5000),
             qPrintable(app.log()));
    SessionClient& source = startSource(*m_session, {u"--announce-drag"_s, m_photo});
    QVERIFY(openWheelMidDrag(*m_session, app, source, u"alt"_s, u"Convert"_s));
    QVERIFY(m_session->input(u"key escape"_s));
    QVERIFY(m_session->input(u"release"_s));
}

void TestGnomeGesture::hotKeyChangedOrHeldByTheShell()
{
    SessionClient& app = startFlingdial(*m_session, "hotkey.keys=Ctrl+Shift+K\n");
    copyPhotoInSource();
    QVERIFY(m_session->input(u"key ctrl+shift+k"_s));
    QVERIFY2(app.waitForLog(u"copied files: 1"_s), qPrintable(app.log()));
    QVERIFY(m_session->input(u"key escape"_s));

    // Super+A is the Shell's own (the application grid): the extension
    // can't have it and tells the program, whose Keys pane says so.
    rewriteSettings("hotkey.keys=Super+A\n");
    QVERIFY2(app.waitForLog(u"the desktop holds <Super>a: the hot key is off"_s),
             qPrintable(app.log()));
}

void TestGnomeGesture::guideWhileTheExtensionIsOff()
{
    WaylandSession::Options options;
    options.disabledGnomeExtensions << extensionFolder;
    WaylandSession session(WaylandSession::Compositor::GnomeShell, options);
    QVERIFY2(session.start(), qPrintable(session.skipReason()));
    const QString config = session.environment().value(u"XDG_CONFIG_HOME"_s);
    TestSupport::writeFile(config + u"/flingdial/flingdial.conf"_s, "[General]\nonboarded=true\n");
    session.handOver(config + u"/flingdial"_s);
    SessionClient& app = session.launch(QStringLiteral(FLINGDIAL_BINARY), {});
    QVERIFY2(app.waitForLog(u"the desktop's extension is off"_s), qPrintable(app.log()));
    QVERIFY2(app.waitForLog(u"opening the guide"_s), qPrintable(app.log()));
    QVERIFY(QTest::qWaitFor(
        [&] { return session.windowFrame(u"Welcome — Flingdial"_s).has_value(); }, 5000));

    // The one step, as the guide gives it.
    QCOMPARE(session.run(u"gnome-extensions"_s, {u"enable"_s, u"flingdial@flingdial.org"_s}), 0);
    QVERIFY2(app.waitForLog(u"the desktop's extension is on"_s), qPrintable(app.log()));
    QVERIFY2(app.waitForLog(u"the desktop's extension reads the trigger keys"_s),
             qPrintable(app.log()));
    session.stopClients();

    // Once only: the next start leaves the guide closed.
    SessionClient& again = session.launch(QStringLiteral(FLINGDIAL_BINARY), {});
    QVERIFY(again.waitForLog(u"the desktop's extension is on"_s));
    QVERIFY(!again.log().contains(u"opening the guide"_s));
}

void TestGnomeGesture::wheelAtPointerUnderFractionalScaling()
{
    // 1920 × 1080 at 150 %: the Shell lays out 1280 × 720 logical pixels.
    WaylandSession::Options options;
    options.size = QSize(1920, 1080);
    options.gnomeExtensions << extensionFolder;
    WaylandSession session(WaylandSession::Compositor::GnomeShell, options);
    QVERIFY2(session.start(), qPrintable(session.skipReason()));
    QVERIFY(
        session.evaluate(u"new imports.gi.Gio.Settings({schema_id: 'org.gnome.mutter'})"
                         ".set_strv('experimental-features', ['scale-monitor-framebuffer'])"_s));
    QString state;
    QVERIFY(QTest::qWaitFor(
        [&] {
            return session.run(u"gdbus"_s,
                               {u"call"_s, u"--session"_s, u"--dest"_s,
                                u"org.gnome.Mutter.DisplayConfig"_s, u"--object-path"_s,
                                u"/org/gnome/Mutter/DisplayConfig"_s, u"--method"_s,
                                u"org.gnome.Mutter.DisplayConfig.GetCurrentState"_s},
                               &state) == 0 &&
                   state.contains(u"1.5"_s);
        },
        5000));
    const QString serial = state.section(u',', 0, 0).remove(u'(').remove(u"uint32 "_s).trimmed();
    QString applied;
    QCOMPARE(
        session.run(u"gdbus"_s,
                    {u"call"_s, u"--session"_s, u"--dest"_s, u"org.gnome.Mutter.DisplayConfig"_s,
                     u"--object-path"_s, u"/org/gnome/Mutter/DisplayConfig"_s, u"--method"_s,
                     u"org.gnome.Mutter.DisplayConfig.ApplyMonitorsConfig"_s, serial, u"1"_s,
                     u"[(0, 0, 1.5, uint32 0, true, [('Meta-0', '1920x1080@60.000', "
                     "@a{sv} {})])]"_s,
                     u"@a{sv} {}"_s},
                    &applied),
        0);
    QTRY_COMPARE_WITH_TIMEOUT(
        session.evaluate(u"[global.stage.width, global.stage.height]"_s).value_or(QString()),
        u"[1280,720]"_s, 5000);

    SessionClient& app = startFlingdial(session);
    SessionClient& source = startSource(session, {u"--announce-drag"_s, m_photo});
    const auto wheel = openWheelMidDrag(session, app, source, u"shift"_s, u"Convert"_s);
    QVERIFY(wheel);
    const QJsonArray pointer =
        QJsonDocument::fromJson(
            session.evaluate(u"global.get_pointer()"_s).value_or(u""_s).toUtf8())
            .array();
    const QPoint at(pointer.at(0).toInt(), pointer.at(1).toInt());
    QCOMPARE(at, dragEnd);
    const QPoint centre = centreOf(*wheel);
    QVERIFY2(QLineF(centre, at).length() <= 1,
             qPrintable(u"wheel at %1,%2"_s.arg(centre.x()).arg(centre.y())));
    QVERIFY(session.input(u"key escape"_s));
    QVERIFY(session.input(u"release"_s));
}

QTEST_GUILESS_MAIN(TestGnomeGesture)
#include "tst_GnomeGesture.moc"
