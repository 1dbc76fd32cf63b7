#include "support/TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString xdotool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
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
    const QString id = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                QStringLiteral("--name"), QStringLiteral("^Flingdial Wheel$")});
    if (id.isEmpty())
        return {};
    const QString geometry =
        xdotool({QStringLiteral("getwindowgeometry"), id.section(QLatin1Char('\n'), 0, 0)});
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("Position: (\\d+),(\\d+)")).match(geometry);
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
    void wheelStaysOnScreen();
    void superHeldAtTheStartMustBePressedAgain();
    void dragEndingElsewhereHidesTheWheel();
    void textDragOpensNothing();
    void hotKeyOpensTheWheelForCopiedFiles();
    void hotKeyWithoutCopiedFilesOpensTheChooser();
    void hotKeySettingTakesEffectAtOnce();

private:
    void startApp(const QByteArray& settings = {});
    QString startSource(const QStringList& arguments);
    bool waitForLog(const QString& line, int timeoutMs = 4000);
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
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
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
    input(QStringLiteral("mouseup 1"));
    input(QStringLiteral("keyup shift ctrl super alt"));
    for (auto* process : {m_source.get(), m_app.get()}) {
        if (process) {
            process->terminate();
            process->waitForFinished(3000);
        }
    }
    m_source.reset();
    m_app.reset();
}

void TestGesture::startApp(const QByteArray& settings)
{
    TestSupport::writeFile(path(QStringLiteral("config/flingdial/flingdial.conf")),
                           "[General]\nnotify=false\nsound=false\nonboarded=true\n" + settings);
    m_app = std::make_unique<QProcess>();
    m_app->setProcessEnvironment(TestSupport::isolatedEnvironment(path(QStringLiteral("config"))));
    connect(m_app.get(), &QProcess::readyReadStandardError, this,
            [this] { m_log += QString::fromUtf8(m_app->readAllStandardError()); });
    m_app->start(QStringLiteral(FLINGDIAL_BINARY), {});
    QVERIFY(waitForLog(QStringLiteral("launched")));
}

QString TestGesture::startSource(const QStringList& arguments)
{
    m_source = std::make_unique<QProcess>();
    m_source->start(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("dragsource")),
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
    input(QStringLiteral("mousemove 140 140"));
    input(QStringLiteral("mousedown 1"));
    input(QStringLiteral("mousemove 160 160"));
    input(QStringLiteral("mousemove %1 %2").arg(to.x() - 20).arg(to.y() - 20));
    input(QStringLiteral("mousemove %1 %2").arg(to.x()).arg(to.y()));
}

void TestGesture::dragKeysAndDrop()
{
    startApp();
    startSource(QStringList{QStringLiteral("drag")} + m_subtitles);
    beginDrag({600, 400});
    QVERIFY(waitForLog(QStringLiteral("drag started, 3 file(s), types: text/uri-list")));
    input(QStringLiteral("keydown shift"));
    QVERIFY(waitForLog(QStringLiteral("showing wheel: Convert")));
    QTRY_COMPARE(wheelPosition(), QStringLiteral("414 214"));
    input(QStringLiteral("keydown ctrl"));
    QVERIFY(waitForLog(QStringLiteral("showing wheel: Actions")));
    input(QStringLiteral("keyup shift"));
    input(QStringLiteral("keyup ctrl"));
    QTest::qWait(200);
    QCOMPARE(wheelPosition(), QStringLiteral("414 214")); // releasing keys leaves it
    input(QStringLiteral("keydown shift"));
    QTRY_COMPARE(m_log.count(QStringLiteral("showing wheel: Convert")), 2);
    input(QStringLiteral("keyup shift"));

    // SRT files have one conversion, VTT: the whole ring is its slice.
    input(QStringLiteral("mousemove 600 290"));
    input(QStringLiteral("mousemove 602 292"));
    QVERIFY(waitForLog(QStringLiteral("drag entered wheel")));
    input(QStringLiteral("mouseup 1"));
    QVERIFY(waitForLog(QStringLiteral("drop at slice 0")));
    QTRY_VERIFY_WITH_TIMEOUT(m_source->canReadLine(), 3000);
    QCOMPARE(QString::fromUtf8(m_source->readLine()).trimmed(), QStringLiteral("copy"));
    for (const char* name : {"one.vtt", "two.vtt", "three.vtt"})
        QTRY_VERIFY(QFileInfo::exists(path(QString::fromLatin1(name))));
    QCOMPARE(wheelPosition(), QString());
}

void TestGesture::wheelStaysOnScreen()
{
    startApp();
    startSource(QStringList{QStringLiteral("drag")} + m_subtitles);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    beginDrag({screen.right() - 10, 15});
    input(QStringLiteral("keydown shift"));
    QVERIFY(waitForLog(QStringLiteral("showing wheel: Convert")));
    QTRY_COMPARE(wheelPosition(), QStringLiteral("%1 0").arg(screen.right() + 1 - 372));
}

void TestGesture::superHeldAtTheStartMustBePressedAgain()
{
    startApp();
    startSource(QStringList{QStringLiteral("drag")} + m_subtitles);
    input(QStringLiteral("keydown super"));
    beginDrag({600, 400});
    QVERIFY(waitForLog(QStringLiteral("drag started, 3 file(s)")));
    QTest::qWait(300);
    QVERIFY(!m_log.contains(QStringLiteral("showing wheel")));
    input(QStringLiteral("keyup super"));
    input(QStringLiteral("keydown super"));
    QVERIFY(waitForLog(QStringLiteral("showing wheel: Tools")));
}

void TestGesture::dragEndingElsewhereHidesTheWheel()
{
    startApp();
    startSource(QStringList{QStringLiteral("drag")} + m_subtitles);
    beginDrag({700, 500});
    input(QStringLiteral("keydown shift"));
    QVERIFY(waitForLog(QStringLiteral("showing wheel: Convert")));
    input(QStringLiteral("keyup shift"));
    QTRY_VERIFY(!wheelPosition().isEmpty());
    input(QStringLiteral("mousemove 140 140"));
    input(QStringLiteral("mouseup 1"));
    QTRY_VERIFY_WITH_TIMEOUT(wheelPosition().isEmpty(), 2000);
    QVERIFY(!m_log.contains(QStringLiteral("drop at slice")));
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("one.vtt"))));
}

void TestGesture::textDragOpensNothing()
{
    startApp();
    startSource({QStringLiteral("text")});
    beginDrag({600, 400});
    QVERIFY(waitForLog(QStringLiteral("drag started, 0 file(s)")));
    input(QStringLiteral("keydown shift"));
    QTest::qWait(400);
    QVERIFY(!m_log.contains(QStringLiteral("showing wheel")));
    QCOMPARE(wheelPosition(), QString());
}

void TestGesture::hotKeyOpensTheWheelForCopiedFiles()
{
    startApp();
    const QString source = startSource({QStringLiteral("copy"), m_subtitles.first()});
    input(QStringLiteral("windowfocus ") + source);
    input(QStringLiteral("key ctrl+alt+space"));
    QTRY_VERIFY(!wheelPosition().isEmpty());
    QTRY_VERIFY(xdotool({QStringLiteral("getwindowfocus")}) != source);
    input(QStringLiteral("key Escape"));
    QTRY_COMPARE(wheelPosition(), QString());
    QTRY_COMPARE(xdotool({QStringLiteral("getwindowfocus")}), source);

    // Opened again, slice 0 is highlighted: Return runs it.
    input(QStringLiteral("key ctrl+alt+space"));
    QTRY_VERIFY(!wheelPosition().isEmpty());
    input(QStringLiteral("key Return"));
    QTRY_VERIFY(QFileInfo::exists(path(QStringLiteral("one.vtt"))));
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("two.vtt"))));
}

void TestGesture::hotKeyWithoutCopiedFilesOpensTheChooser()
{
    startApp();
    const QString source = startSource({QStringLiteral("copy")});
    input(QStringLiteral("windowfocus ") + source);
    input(QStringLiteral("key ctrl+alt+space"));
    const auto chooser = [] {
        return xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                        QStringLiteral("--name"), QStringLiteral("^Choose Files$")});
    };
    QTRY_VERIFY_WITH_TIMEOUT(!chooser().isEmpty(), 5000);
    QCOMPARE(wheelPosition(), QString());
    input(QStringLiteral("key Escape"));
    QTRY_VERIFY(chooser().isEmpty());
}

void TestGesture::hotKeySettingTakesEffectAtOnce()
{
    startApp("hotkey=false\n");
    const QString source = startSource({QStringLiteral("copy"), m_subtitles.first()});
    input(QStringLiteral("windowfocus ") + source);
    input(QStringLiteral("key ctrl+alt+space"));
    // Not grabbed: the key reaches the focused window.
    QTRY_VERIFY(m_source->canReadLine());
    QCOMPARE(QString::fromUtf8(m_source->readLine()).trimmed(),
             QStringLiteral("key Ctrl+Alt+Space"));
    QCOMPARE(wheelPosition(), QString());

    TestSupport::writeFile(path(QStringLiteral("config/flingdial/flingdial.conf")),
                           "[General]\nnotify=false\nsound=false\nonboarded=true\nhotkey=true\n");
    QTest::qWait(500);
    input(QStringLiteral("key ctrl+alt+space"));
    QTRY_VERIFY(!wheelPosition().isEmpty());
}

QTEST_MAIN(TestGesture)
#include "tst_Gesture.moc"
