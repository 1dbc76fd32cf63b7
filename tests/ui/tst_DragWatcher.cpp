#include "support/TestPlatform.h"
#include "core/Settings.h"
#include "support/TestSupport.h"
#include "ui/wheel/DragWatcher.h"
#include "ui/wheel/WheelPanel.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

using ModifierKey::flag;

// A pasteboard the test drives by hand.
struct FakeState
{
    quint64 changes = 0;
    DragSource::Pointer pointer;
    QStringList files;
};

class FakeDragSource : public DragSource
{
public:
    explicit FakeDragSource(FakeState* state) : m_state(state) {}
    quint64 changeCount() override { return m_state->changes; }
    Pointer pointer() override { return m_state->pointer; }
    QStringList files() override { return m_state->files; }
    QStringList types() override { return {u"text/uri-list"_s}; }

private:
    FakeState* m_state;
};

} // namespace

class TestDragWatcher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void triggerKeys();
    void keysHeldWhenTheDragStarts_data();
    void keysHeldWhenTheDragStarts();
    void nonFileDragsStayIdle();
    void endOfDrag();
    void modeForKeys_data();
    void modeForKeys();
    void panelStaysInsideTheScreen_data();
    void panelStaysInsideTheScreen();

private:
    void poll() { m_watcher->tick(); }
    void startDrag(ModifierKey::Flags held = 0);
    QStringList shownModes() const;

    QTemporaryDir m_config;
    std::unique_ptr<TestSupport::ScopedEnv> m_home;
    FakeState m_state;
    std::unique_ptr<DragWatcher> m_watcher;
    std::unique_ptr<QSignalSpy> m_shown;
    std::unique_ptr<QSignalSpy> m_ended;
};

void TestDragWatcher::initTestCase()
{
    TestPlatform::install();
    m_home =
        std::make_unique<TestSupport::ScopedEnv>("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    Settings::shared().registerDefaults();
}

void TestDragWatcher::init()
{
    for (const char* key : {"modifier.convert", "modifier.tools", "modifier.actions"})
        Settings::shared().remove(QString::fromLatin1(key));
    m_state = FakeState();
    m_state.files = {u"/tmp/a.png"_s};
    m_watcher = std::make_unique<DragWatcher>(std::make_unique<FakeDragSource>(&m_state));
    m_shown = std::make_unique<QSignalSpy>(m_watcher.get(), &DragWatcher::showWheel);
    m_ended = std::make_unique<QSignalSpy>(m_watcher.get(), &DragWatcher::dragEnded);
}

void TestDragWatcher::startDrag(ModifierKey::Flags held)
{
    m_state.pointer = {true, held};
    ++m_state.changes;
    poll();
}

QStringList TestDragWatcher::shownModes() const
{
    QStringList modes;
    for (const QList<QVariant>& signal : *m_shown)
        modes.append(WheelMode::rawValue(signal.at(0).value<WheelMode::Mode>()));
    return modes;
}

void TestDragWatcher::triggerKeys()
{
    startDrag();
    QVERIFY(m_watcher->isDragging());
    m_state.pointer.modifiers = flag(ModifierKey::shift);
    poll();
    poll(); // still held: nothing new
    m_state.pointer.modifiers |= flag(ModifierKey::super);
    poll();
    m_state.pointer.modifiers = flag(ModifierKey::super);
    poll();
    m_state.pointer.modifiers |= flag(ModifierKey::shift);
    poll();
    m_state.pointer.modifiers = 0;
    poll();
    m_state.pointer.modifiers = flag(ModifierKey::shift); // the mode already shown
    poll();
    QCOMPARE(shownModes(), QStringList({u"convert"_s, u"tools"_s, u"convert"_s}));
    QCOMPARE(m_shown->first().at(1).toStringList(), m_state.files);
}

void TestDragWatcher::keysHeldWhenTheDragStarts_data()
{
    QTest::addColumn<int>("held");
    QTest::addColumn<QString>("opens");
    QTest::newRow("Shift opens at once") << int(flag(ModifierKey::shift)) << u"convert"_s;
    QTest::newRow("Ctrl opens at once") << int(flag(ModifierKey::control)) << u"actions"_s;
    QTest::newRow("Super waits") << int(flag(ModifierKey::super)) << u""_s;
    QTest::newRow("Alt waits") << int(flag(ModifierKey::alt)) << u""_s;
}

void TestDragWatcher::keysHeldWhenTheDragStarts()
{
    QFETCH(int, held);
    QFETCH(QString, opens);
    startDrag(ModifierKey::Flags(held));
    poll();
    QCOMPARE(shownModes(), opens.isEmpty() ? QStringList() : QStringList{opens});
    if (held == int(flag(ModifierKey::super))) {
        m_state.pointer.modifiers = 0;
        poll();
        m_state.pointer.modifiers = flag(ModifierKey::super);
        poll();
        QCOMPARE(shownModes(), QStringList{u"tools"_s});
    }
}

void TestDragWatcher::nonFileDragsStayIdle()
{
    m_state.files.clear();
    startDrag(flag(ModifierKey::shift));
    QVERIFY(!m_watcher->isDragging());
    poll();
    // The same data isn't looked at twice.
    m_state.files = {u"/tmp/a.png"_s};
    poll();
    QVERIFY(!m_watcher->isDragging());
    QCOMPARE(m_shown->count(), 0);
    // A changed pasteboard without the button down is no drag either.
    m_state.pointer.leftButton = false;
    ++m_state.changes;
    poll();
    QVERIFY(!m_watcher->isDragging());
}

void TestDragWatcher::endOfDrag()
{
    startDrag();
    m_state.pointer.leftButton = false;
    poll();
    QVERIFY(!m_watcher->isDragging());
    QCOMPARE(m_ended->count(), 0); // no wheel was shown

    startDrag();
    m_state.pointer.modifiers = flag(ModifierKey::shift);
    poll();
    m_state.pointer.leftButton = false;
    poll();
    QCOMPARE(m_ended->count(), 1);
}

void TestDragWatcher::modeForKeys_data()
{
    QTest::addColumn<QStringList>("settings"); // convert, tools, actions
    QTest::addColumn<int>("pressed");
    QTest::addColumn<QString>("mode");
    const QStringList defaults = {"shift", "command", "control"};
    QTest::newRow("defaults, Ctrl") << defaults << int(flag(ModifierKey::control)) << u"actions"_s;
    QTest::newRow("two keys at once: earlier mode wins")
        << defaults << int(flag(ModifierKey::control) | flag(ModifierKey::shift)) << u"convert"_s;
    QTest::newRow("Alt assigned twice: convert wins")
        << QStringList{"option", "option", "control"} << int(flag(ModifierKey::alt))
        << u"convert"_s;
    QTest::newRow("unknown word is Shift") << QStringList{"hyper", "command", "control"}
                                           << int(flag(ModifierKey::shift)) << u"convert"_s;
    QTest::newRow("unassigned key") << defaults << int(flag(ModifierKey::alt)) << u""_s;
    // Files written before the keys were named for Linux say command and option.
    QTest::newRow("Super stored as command")
        << QStringList{"shift", "command", "control"} << int(flag(ModifierKey::super)) << u"tools"_s;
    QTest::newRow("Alt stored as option")
        << QStringList{"shift", "command", "option"} << int(flag(ModifierKey::alt)) << u"actions"_s;
    QTest::newRow("Super stored as super")
        << QStringList{"shift", "super", "control"} << int(flag(ModifierKey::super)) << u"tools"_s;
    QTest::newRow("Alt stored as alt")
        << QStringList{"alt", "super", "control"} << int(flag(ModifierKey::alt)) << u"convert"_s;
}

void TestDragWatcher::modeForKeys()
{
    QFETCH(QStringList, settings);
    QFETCH(int, pressed);
    QFETCH(QString, mode);
    for (const WheelMode::Mode each : WheelMode::all())
        Settings::shared().setValue(u"modifier."_s + WheelMode::rawValue(each),
                                    settings.at(int(each)));
    const auto found = Settings::shared().modeFor(ModifierKey::Flags(pressed));
    QCOMPARE(found ? WheelMode::rawValue(*found) : QString(), mode);
}

void TestDragWatcher::panelStaysInsideTheScreen_data()
{
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QPoint>("origin"); // on a 1920 × 1080 screen with a 32-pixel top panel
    QTest::newRow("centred") << QPoint(800, 500) << QPoint(614, 314);
    QTest::newRow("right edge") << QPoint(1910, 500) << QPoint(1548, 314);
    QTest::newRow("under the top panel") << QPoint(800, 40) << QPoint(614, 32);
    QTest::newRow("bottom left corner") << QPoint(5, 1075) << QPoint(0, 708);
}

void TestDragWatcher::panelStaysInsideTheScreen()
{
    QFETCH(QPoint, pointer);
    QFETCH(QPoint, origin);
    QCOMPARE(WheelPanel::origin(pointer, QRect(0, 32, 1920, 1048)), origin);
}

QTEST_MAIN(TestDragWatcher)
#include "tst_DragWatcher.moc"
