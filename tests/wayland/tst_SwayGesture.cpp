#include "support/TestSupport.h"
#include "support/wayland/WaylandSession.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QtTest>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QString gtkSource = QStringLiteral(FLINGDIAL_TESTS_DIR "/support/gtkdragsource.py");
const QRect sourceFrame(40, 60, 400, 300);
const QPoint grab(240, 210);
// Where the drag goes after the trigger: the wheel opens centred there.
const QPoint centre(640, 360);

// A point of the wheel centred at `around`, `degrees` clockwise from its top.
QPoint onWheel(qreal degrees, qreal radius = 120, QPoint around = centre)
{
    const qreal angle = qDegreesToRadians(degrees);
    return around + QPoint(int(std::lround(radius * std::sin(angle))),
                           int(-std::lround(radius * std::cos(angle))));
}

// The binding lines the program prints for sway.
QStringList swayBindings()
{
    QProcess program;
    program.start(QStringLiteral(FLINGDIAL_BINARY), {u"--bindings"_s, u"sway"_s});
    program.waitForFinished(10000);
    QStringList lines;
    for (const QString& line : QString::fromUtf8(program.readAllStandardOutput()).split(u'\n'))
        if (line.startsWith(u"bindsym"_s))
            lines.append(line);
    return lines;
}

} // namespace

// The gesture in a sway session: the program is an X11 client there, and
// sway's own key bindings (as `flingdial --bindings sway` prints them)
// trigger the wheel through `flingdial --trigger`.
class TestSwayGesture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void bindingMidDragThenDropOnASlice();
    void twoFilesOnPdf();
    void escapeOrADropOutsideLeaveNothing_data();
    void escapeOrADropOutsideLeaveNothing();
    void keyboardWheelForCopiedFiles();
    void dropOnTheSecondOutput();

private:
    // A session with the bindings, the program, and a GTK file manager
    // stand-in holding `files` (made as PNGs in the session's folder).
    void start(const QStringList& files, const QStringList& sourceOptions = {});
    // Drags from the source, moves on to `at` and presses `key`: the wheel
    // opens there.
    void dragAndTrigger(const QString& key, QPoint at = centre);
    QString file(const QString& name) const { return m_session->filesFolder() + u'/' + name; }
    QStringList filesInFolder() const;

    QStringList m_bindings;
    std::unique_ptr<WaylandSession> m_session;
    SessionClient* m_app = nullptr;
    SessionClient* m_source = nullptr;
};

void TestSwayGesture::initTestCase()
{
    m_bindings = swayBindings();
    QCOMPARE(m_bindings.size(), 4);
}

void TestSwayGesture::init()
{
    WaylandSession::Options options;
    options.swayConfig = m_bindings;
    if (QByteArray(QTest::currentTestFunction()) == "dropOnTheSecondOutput")
        options.outputs = 2;
    m_session = std::make_unique<WaylandSession>(WaylandSession::Compositor::Sway, options);
    if (!m_session->start())
        QSKIP(qPrintable(m_session->skipReason()));
}

void TestSwayGesture::cleanup()
{
    if (QTest::currentTestFailed() && m_session) {
        m_session->saveScreenshot(QString::fromLatin1(QTest::currentTestFunction()));
        if (m_app)
            qWarning().noquote() << m_app->log();
        if (m_source)
            qWarning().noquote() << m_source->output() << m_source->log();
    }
    m_session.reset();
    m_app = nullptr;
    m_source = nullptr;
}

void TestSwayGesture::start(const QStringList& files, const QStringList& sourceOptions)
{
    QStringList paths;
    for (const QString& name : files) {
        QImage picture(64, 48, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QVERIFY(picture.save(file(name)));
        m_session->handOver(file(name));
        paths.append(file(name));
    }
    const QString config = file(u"config"_s);
    TestSupport::writeFile(config + u"/flingdial/flingdial.conf"_s,
                           "[General]\nnotify=false\nsound=false\nonboarded=true\n");
    m_session->handOver(config);
    QProcessEnvironment environment = m_session->environment();
    environment.insert(u"XDG_CONFIG_HOME"_s, config);
    m_app = &m_session->launch(QStringLiteral(FLINGDIAL_BINARY), {}, environment);
    QVERIFY2(m_app->waitForLog(u"launched"_s), qPrintable(m_app->log()));
    QVERIFY2(m_app->waitForLog(u"session: wlroots"_s), qPrintable(m_app->log()));

    QProcessEnvironment gtk = m_session->environment();
    gtk.insert(u"GDK_BACKEND"_s, u"wayland"_s);
    m_source =
        &m_session->launch(u"/usr/bin/python3"_s,
                           QStringList{gtkSource, u"--title"_s, u"Files"_s, u"--announce-drag"_s} +
                               sourceOptions + paths,
                           gtk);
    QVERIFY2(m_source->waitForOutput(u"ready wayland"_s), qPrintable(m_source->log()));
    QVERIFY(m_session->placeWindow(u"Files"_s, sourceFrame));
}

void TestSwayGesture::dragAndTrigger(const QString& key, QPoint at)
{
    QVERIFY2(m_session->drag(grab, grab + QPoint(60, 40)), qPrintable(m_session->inputError()));
    QVERIFY(m_source->waitForOutput(u"drag began"_s));
    for (const QPoint& step : {at - QPoint(40, 30), at}) {
        QTest::qWait(100);
        QVERIFY(m_session->input(u"move %1 %2"_s.arg(step.x()).arg(step.y())));
    }
    QVERIFY(m_session->input(u"key "_s + key));
    QVERIFY2(m_app->waitForLog(u"waiting for the drag"_s), qPrintable(m_app->log()));
    // The wheel opens where the drag is when the key is pressed.
    QVERIFY2(m_app->waitForLog(u"wheel centred at %1,%2"_s.arg(at.x()).arg(at.y())),
             qPrintable(m_app->log()));
}

void TestSwayGesture::dropOnTheSecondOutput()
{
    // The source on the first output, the drag taken on to the second.
    start({u"photo.png"_s});
    const QPoint there = centre + QPoint(1280, 0);
    dragAndTrigger(u"ctrl+alt+z"_s, there);
    const QPoint jpg = onWheel(0, 120, there);
    QVERIFY(m_session->input(u"move %1 %2"_s.arg(jpg.x()).arg(jpg.y())));
    QTest::qWait(200);
    QVERIFY(m_session->input(u"release"_s));
    QVERIFY2(m_app->waitForLog(u"drop at slice 0"_s), qPrintable(m_app->log()));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(file(u"photo.jpg"_s)), 10000);
}

QStringList TestSwayGesture::filesInFolder() const
{
    return QDir(m_session->filesFolder()).entryList(QDir::Files, QDir::Name);
}

void TestSwayGesture::bindingMidDragThenDropOnASlice()
{
    start({u"photo.png"_s});
    dragAndTrigger(u"ctrl+alt+z"_s);
    // JPG is the first conversion of a PNG: the slice at the top.
    QVERIFY(m_session->input(u"move %1 %2"_s.arg(onWheel(0).x()).arg(onWheel(0).y())));
    QTest::qWait(200);
    QVERIFY(m_session->input(u"release"_s));
    QVERIFY2(m_app->waitForLog(u"drop at slice 0"_s), qPrintable(m_app->log()));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(file(u"photo.jpg"_s)), 10000);
    QVERIFY(QFileInfo::exists(file(u"photo.png"_s)));
    QVERIFY(m_app->waitForLog(u"the catcher closed"_s));
}

void TestSwayGesture::twoFilesOnPdf()
{
    start({u"first.png"_s, u"second.png"_s});
    dragAndTrigger(u"ctrl+alt+z"_s);
    // PDF is the last conversion: just left of the top, whatever the count.
    QVERIFY(m_session->input(u"move %1 %2"_s.arg(onWheel(-40).x()).arg(onWheel(-40).y())));
    QTest::qWait(200);
    QVERIFY(m_session->input(u"release"_s));
    QVERIFY2(m_app->waitForLog(u"drop at slice"_s), qPrintable(m_app->log()));
    QTRY_VERIFY_WITH_TIMEOUT(filesInFolder().filter(u".pdf"_s).size() >= 1, 10000);
    QVERIFY(QFileInfo::exists(file(u"first.png"_s)));
    QVERIFY(QFileInfo::exists(file(u"second.png"_s)));
}

void TestSwayGesture::escapeOrADropOutsideLeaveNothing_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Escape") << true;
    QTest::newRow("a drop outside the wheel") << false;
}

void TestSwayGesture::escapeOrADropOutsideLeaveNothing()
{
    QFETCH(bool, escape);
    start({u"photo.png"_s});
    dragAndTrigger(u"ctrl+alt+x"_s);
    QVERIFY(m_app->waitForLog(u"trigger: tools"_s));
    // wlroots keeps every key from every client while a drag lasts: after
    // Escape the drag goes on, and ends where it is let go.
    if (escape)
        QVERIFY(m_session->input(u"key escape"_s));
    QVERIFY(m_session->input(u"move 1200 650"_s));
    QVERIFY(m_session->input(u"move 1202 652"_s));
    QVERIFY(m_session->input(u"release"_s));
    QVERIFY2(m_app->waitForLog(u"the catcher closed"_s), qPrintable(m_app->log()));
    QTest::qWait(500);
    QCOMPARE(filesInFolder(), QStringList{u"photo.png"_s});
    QVERIFY(!m_app->log().contains(u"drop at slice 0"_s));
}

void TestSwayGesture::keyboardWheelForCopiedFiles()
{
    start({u"photo.png"_s}, {u"--copy"_s});
    // The GTK window copies its files when clicked, as a file manager's Copy.
    QVERIFY(m_session->click(sourceFrame.center()));
    QTest::qWait(300);
    QVERIFY(m_session->input(u"key ctrl+alt+space"_s));
    QVERIFY2(m_app->waitForLog(u"trigger: convert"_s), qPrintable(m_app->log()));
    QVERIFY2(m_app->waitForLog(u"wheel centred at"_s), qPrintable(m_app->log()));
    QTest::qWait(500); // the clipboard is read once the wheel has the keyboard
    QVERIFY(m_session->input(u"key return"_s));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(file(u"photo.jpg"_s)), 10000);
}

QTEST_MAIN(TestSwayGesture)
#include "tst_SwayGesture.moc"
