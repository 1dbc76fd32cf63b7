#include "support/TestSupport.h"
#include "support/wayland/WaylandSession.h"

#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QtTest>

using namespace Qt::StringLiterals;
using Compositor = WaylandSession::Compositor;

namespace {

const QString gtkSource = QStringLiteral(FLINGDIAL_TESTS_DIR "/support/gtkdragsource.py");
const QRect sourceFrame(40, 60, 400, 300);
// Where the drag goes before a key opens the catcher; the wheel then opens
// where the drag next moves, and its first slice (JPG for a PNG) lies
// above its centre.
const QPoint dragTarget(700, 400);
constexpr int sliceDistance = 120;

// What a Qt program sends to kglobalaccel for a key with modifiers.
int qtKeys(QKeyCombination keys)
{
    return keys.toCombined();
}

} // namespace

// The whole gesture in a headless KWin session (Plasma's compositor, with
// its kglobalaccel): a GTK window running as a native Wayland client drags
// a PNG, a shortcut the program registered with Plasma is pressed in the
// middle of the drag, and the drop on the wheel's JPG slice converts it;
// the shortcuts as System Settings sees them, changed there while the
// program runs; Shift mid-drag with KWin's eavesdrop option; the hot key
// with files copied in a Wayland client.
class TestKdeGesture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();
    void shortcutMidDragThenDropOnJpgSlice();
    void escapeLeavesNothing();
    void hotKeyOpensKeyboardWheelForCopiedFiles();
    void shortcutsAreListedUnderTheProgram();
    void shortcutChangedInPlasmaTakesEffectAtOnce();
    void shiftMidDragOpensConvertWheelWithEavesdropping();

private:
    QString newPhoto(WaylandSession& session, const QString& folder);
    SessionClient& startProgram(WaylandSession& session);
    SessionClient& startSource(WaylandSession& session, const QStringList& arguments);
    // Drags the photo from the source to dragTarget; the button stays held.
    bool dragPhoto(WaylandSession& session, SessionClient& source);
    // Moves the drag a little so that it enters the catcher, and answers
    // where the wheel opened (its centre).
    std::optional<QPoint> moveIntoCatcher(WaylandSession& session, SessionClient& app);
    QDBusInterface accel(WaylandSession& session) const;
    // Moves the drag onto the slice at `slice` in a few steps.
    static void moveOntoSlice(WaylandSession& session, QPoint slice);
    // Where the program says it opened the wheel.
    static std::optional<QPoint> wheelCentre(SessionClient& app);

    std::unique_ptr<WaylandSession> m_session;
    int m_folders = 0;
};

void TestKdeGesture::initTestCase()
{
    QElapsedTimer clock;
    clock.start();
    m_session = std::make_unique<WaylandSession>(Compositor::KWin);
    if (!m_session->start())
        QSKIP(qPrintable(m_session->skipReason()));
    qInfo("KWin ready in %lld ms", clock.elapsed());
}

void TestKdeGesture::cleanup()
{
    if (QTest::currentTestFailed() && m_session) {
        const QString shot = m_session->saveScreenshot(
            u"kde-"_s + QString::fromLatin1(QTest::currentTestFunction()));
        qInfo("screenshot: %s", qPrintable(shot));
    }
    if (m_session)
        m_session->stopClients();
}

void TestKdeGesture::cleanupTestCase()
{
    m_session.reset();
}

QString TestKdeGesture::newPhoto(WaylandSession& session, const QString& folder)
{
    const QString dir = session.filesFolder() + u'/' + folder + QString::number(++m_folders);
    QDir().mkpath(dir);
    QImage image(48, 32, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString photo = dir + u"/photo.png"_s;
    image.save(photo);
    session.handOver(dir);
    return photo;
}

SessionClient& TestKdeGesture::startProgram(WaylandSession& session)
{
    QProcessEnvironment environment = session.environment();
    environment.insert(u"FLINGDIAL_LOG"_s, u"stderr"_s);
    // Not the first start: no guide window in the way.
    const QString config = environment.value(u"XDG_CONFIG_HOME"_s) + u"/flingdial"_s;
    QDir().mkpath(config);
    TestSupport::writeFile(config + u"/flingdial.conf"_s, "[General]\nonboarded=true\n");
    session.handOver(config);
    SessionClient& app = session.launch(QStringLiteral(FLINGDIAL_BINARY), {}, environment);
    if (!app.waitForLog(u"launched"_s))
        qWarning("flingdial did not start: %s", qPrintable(app.log()));
    return app;
}

SessionClient& TestKdeGesture::startSource(WaylandSession& session, const QStringList& arguments)
{
    QProcessEnvironment environment = session.environment();
    environment.insert(u"GDK_BACKEND"_s, u"wayland"_s);
    SessionClient& source =
        session.launch(u"/usr/bin/python3"_s,
                       QStringList{gtkSource, u"--title"_s, u"Files"_s} + arguments, environment);
    if (!source.waitForOutput(u"ready wayland"_s))
        qWarning("the GTK source did not start: %s", qPrintable(source.log()));
    session.placeWindow(u"Files"_s, sourceFrame);
    return source;
}

bool TestKdeGesture::dragPhoto(WaylandSession& session, SessionClient& source)
{
    return session.drag(sourceFrame.center(), dragTarget) && source.waitForOutput(u"drag began"_s);
}

std::optional<QPoint> TestKdeGesture::moveIntoCatcher(WaylandSession& session, SessionClient& app)
{
    if (!app.waitForLog(u"waiting for the drag"_s))
        return std::nullopt;
    // The drag enters a window that appeared under it only when it moves,
    // once KWin has taken the window on (slower on a busy machine): the
    // pointer keeps moving a little, as a hand does, for up to five seconds.
    for (int step = 1; step <= 50 && !app.log().contains(u"drag entered the catcher"_s); ++step) {
        const int offset = 1 + step % 10;
        session.input(
            u"move %1 %2"_s.arg(dragTarget.x() + 2 * offset).arg(dragTarget.y() + offset));
        QTest::qWait(100);
    }
    if (!app.waitForLog(u"drag entered the catcher"_s, 1000))
        return std::nullopt;
    return wheelCentre(app);
}

void TestKdeGesture::moveOntoSlice(WaylandSession& session, QPoint slice)
{
    // A few steps, as a hand moves: the drag reaches the wheel, or the
    // catcher above it, with moves.
    for (int step = 5; step >= 0; --step) {
        session.input(u"move %1 %2"_s.arg(slice.x()).arg(slice.y() + 4 * step));
        QTest::qWait(80);
    }
}

std::optional<QPoint> TestKdeGesture::wheelCentre(SessionClient& app)
{
    if (!app.waitForLog(u"wheel centred at "_s, 3000))
        return std::nullopt;
    const QString log = app.log();
    const qsizetype from = log.lastIndexOf(u"wheel centred at "_s) + 17;
    const QStringList xy = log.mid(from, log.indexOf(u'\n', from) - from).split(u',');
    return QPoint(xy.value(0).toInt(), xy.value(1).toInt());
}

QDBusInterface TestKdeGesture::accel(WaylandSession& session) const
{
    return QDBusInterface(u"org.kde.kglobalaccel"_s, u"/kglobalaccel"_s, u"org.kde.KGlobalAccel"_s,
                          session.bus());
}

void TestKdeGesture::shortcutMidDragThenDropOnJpgSlice()
{
    const QString photo = newPhoto(*m_session, u"drop"_s);
    const QString jpg = QFileInfo(photo).absolutePath() + u"/photo.jpg"_s;
    SessionClient& app = startProgram(*m_session);
    QVERIFY2(app.waitForLog(u"global shortcuts"_s), qPrintable(app.log()));
    SessionClient& source = startSource(*m_session, {u"--announce-drag"_s, photo});
    QVERIFY2(dragPhoto(*m_session, source), qPrintable(m_session->inputError() + source.log()));
    QVERIFY(app.waitForLog(u"a drag started"_s));

    QVERIFY(m_session->input(u"key ctrl+alt+z"_s));
    QVERIFY2(app.waitForLog(u"shortcut pressed: convert-wheel"_s), qPrintable(app.log()));
    const auto centre = moveIntoCatcher(*m_session, app);
    QVERIFY2(centre, qPrintable(app.log()));
    moveOntoSlice(*m_session, *centre - QPoint(0, sliceDistance));
    // The wheel shows through the catcher over it: its hub is painted
    // where the bare desktop was.
    const QImage shot = m_session->screenshot();
    QVERIFY(!shot.isNull());
    QVERIFY(shot.pixel(*centre) != shot.pixel(m_session->size().width() - 20, 20));
    QVERIFY(m_session->input(u"release"_s));
    QVERIFY2(app.waitForLog(u"drop at slice 0"_s), qPrintable(app.log()));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(jpg), 10000);
    QCOMPARE(QImage(jpg).size(), QSize(48, 32));
    QVERIFY(QFileInfo::exists(photo));
    // A copy, never a move: the source keeps its file.
    QVERIFY2(source.waitForOutput(u"copy"_s), qPrintable(source.output()));
}

void TestKdeGesture::escapeLeavesNothing()
{
    const QString photo = newPhoto(*m_session, u"escape"_s);
    SessionClient& app = startProgram(*m_session);
    QVERIFY2(app.waitForLog(u"global shortcuts"_s), qPrintable(app.log()));
    SessionClient& source = startSource(*m_session, {u"--announce-drag"_s, photo});
    QVERIFY2(dragPhoto(*m_session, source), qPrintable(m_session->inputError() + source.log()));
    QVERIFY(m_session->input(u"key ctrl+alt+z"_s));
    const auto centre = moveIntoCatcher(*m_session, app);
    QVERIFY2(centre, qPrintable(app.log()));
    // The source ends the drag on Escape: the catcher and the wheel close,
    // and the release drops nothing.
    QVERIFY(m_session->input(u"key escape"_s));
    QVERIFY2(app.waitForLog(u"the catcher closed"_s, 3000), qPrintable(app.log()));
    QVERIFY(m_session->input(u"move %1 %2"_s.arg(centre->x()).arg(centre->y() - sliceDistance)));
    QVERIFY(m_session->input(u"release"_s));
    QTest::qWait(1000);
    QVERIFY2(!app.log().contains(u"drop at slice"_s), qPrintable(app.log()));
    QCOMPARE(QDir(QFileInfo(photo).absolutePath()).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"photo.png"_s});
}

void TestKdeGesture::hotKeyOpensKeyboardWheelForCopiedFiles()
{
    const QString photo = newPhoto(*m_session, u"copied"_s);
    const QString jpg = QFileInfo(photo).absolutePath() + u"/photo.jpg"_s;
    SessionClient& app = startProgram(*m_session);
    QVERIFY2(app.waitForLog(u"global shortcuts"_s), qPrintable(app.log()));
    SessionClient& source = startSource(*m_session, {u"--copy"_s, photo});
    QVERIFY2(m_session->click(sourceFrame.center()), qPrintable(m_session->inputError()));
    QVERIFY2(source.waitForOutput(u"copied"_s), qPrintable(source.log()));

    QVERIFY(m_session->input(u"key ctrl+alt+space"_s));
    QVERIFY2(app.waitForLog(u"shortcut pressed: open-wheel"_s), qPrintable(app.log()));
    // The wheel takes the keyboard, reads the clipboard, and Return runs
    // its highlighted first slice.
    QVERIFY2(wheelCentre(app), qPrintable(app.log()));
    QTest::qWait(600);
    QVERIFY(m_session->input(u"key return"_s));
    QTRY_VERIFY2_WITH_TIMEOUT(QFileInfo::exists(jpg), qPrintable(app.log()), 10000);
    QVERIFY(QFileInfo::exists(photo));
}

void TestKdeGesture::shortcutsAreListedUnderTheProgram()
{
    SessionClient& app = startProgram(*m_session);
    QVERIFY2(app.waitForLog(u"global shortcuts"_s), qPrintable(app.log()));
    QDBusInterface kglobalaccel = accel(*m_session);
    const QDBusReply<QList<QDBusObjectPath>> components = kglobalaccel.call(u"allComponents"_s);
    QVERIFY2(components.isValid(), qPrintable(components.error().message()));
    QVERIFY(components.value().contains(QDBusObjectPath(u"/component/flingdial"_s)));
    QDBusInterface component(u"org.kde.kglobalaccel"_s, u"/component/flingdial"_s,
                             u"org.kde.kglobalaccel.Component"_s, m_session->bus());
    const QDBusReply<QStringList> names = component.call(u"shortcutNames"_s, u"default"_s);
    QVERIFY2(names.isValid(), qPrintable(names.error().message()));
    for (const QString& name :
         {u"open-wheel"_s, u"convert-wheel"_s, u"tools-wheel"_s, u"actions-wheel"_s})
        QVERIFY2(names.value().contains(name), qPrintable(names.value().join(u' ')));
    const QDBusReply<QList<int>> keys = kglobalaccel.call(
        u"shortcut"_s, QStringList{u"flingdial"_s, u"tools-wheel"_s, QString(), QString()});
    QVERIFY2(keys.isValid(), qPrintable(keys.error().message()));
    QCOMPARE(keys.value(), QList<int>{qtKeys(Qt::CTRL | Qt::ALT | Qt::Key_X)});
}

void TestKdeGesture::shortcutChangedInPlasmaTakesEffectAtOnce()
{
    SessionClient& app = startProgram(*m_session);
    QVERIFY2(app.waitForLog(u"global shortcuts"_s), qPrintable(app.log()));
    const QStringList tools = {u"flingdial"_s, u"tools-wheel"_s, QString(), QString()};
    const auto setKeys = [&](QKeyCombination keys) {
        // What System Settings does when the user picks other keys.
        const QDBusMessage answer = accel(*m_session)
                                        .call(u"setForeignShortcut"_s, tools,
                                              QVariant::fromValue(QList<int>{qtKeys(keys)}));
        return answer.type() == QDBusMessage::ReplyMessage;
    };
    QVERIFY(setKeys(Qt::CTRL | Qt::ALT | Qt::Key_B));
    QVERIFY2(app.waitForLog(u"tools-wheel is now"_s) || app.waitForLog(u"shortcuts changed"_s),
             qPrintable(app.log()));
    QVERIFY(m_session->input(u"key ctrl+alt+b"_s));
    const bool pressed = app.waitForLog(u"shortcut pressed: tools-wheel"_s);
    m_session->input(u"key escape"_s);
    QVERIFY(setKeys(Qt::CTRL | Qt::ALT | Qt::Key_X));
    QVERIFY2(pressed, qPrintable(app.log()));
}

void TestKdeGesture::shiftMidDragOpensConvertWheelWithEavesdropping()
{
    // KWin's "Legacy X11 App Support" set to let modifier keys through.
    WaylandSession::Options options;
    options.configFiles.insert(u"kwinrc"_s, "[Xwayland]\nXwaylandEavesdrops=Modifiers\n");
    WaylandSession session(Compositor::KWin, options);
    QVERIFY2(session.start(), qPrintable(session.skipReason()));
    const QString photo = newPhoto(session, u"shift"_s);
    SessionClient& app = startProgram(session);
    SessionClient& source = startSource(session, {u"--announce-drag"_s, photo});
    QVERIFY2(dragPhoto(session, source), qPrintable(session.inputError() + source.log()));
    QVERIFY(app.waitForLog(u"a drag started"_s));
    QVERIFY(session.input(u"keydown shift"_s));
    QVERIFY2(app.waitForLog(u"trigger key during a drag: Convert"_s), qPrintable(app.log()));
    QVERIFY(session.input(u"keyup shift"_s));
    const auto centre = moveIntoCatcher(session, app);
    QVERIFY2(centre, qPrintable(app.log()));
    QVERIFY(session.input(u"release"_s));
}

QTEST_GUILESS_MAIN(TestKdeGesture)
#include "tst_KdeGesture.moc"
