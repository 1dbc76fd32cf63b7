#include "core/KeyCombination.h"
#include "platform/x11/X11HotKey.h"

#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

KeyCombination keys(const QString& text)
{
    return *KeyCombination::fromText(text);
}

void press(const QString& keys)
{
    QProcess::execute(u"xdotool"_s, {u"key"_s, keys});
}

} // namespace

// The hot key on the X server: each X11HotKey has a connection of its own,
// so to the server two of them are two programs.
class TestX11HotKey : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void keysHeldByAnotherProgramAreReported();
    void changedKeysAnswerAndTheOldOnesGo();
    void followsTheKeyboardLayout();
};

void TestX11HotKey::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server (the suite runs under xvfb-run)");
    if (QStandardPaths::findExecutable(u"xdotool"_s).isEmpty())
        QSKIP("xdotool is not installed");
}

void TestX11HotKey::keysHeldByAnotherProgramAreReported()
{
    X11HotKey other;
    other.setKeys(keys(u"Ctrl+Alt+J"_s));
    other.setEnabled(true);
    QVERIFY(!other.isHeldElsewhere());

    X11HotKey ours;
    ours.setKeys(keys(u"Ctrl+Alt+J"_s));
    ours.setEnabled(true);
    QVERIFY(ours.isHeldElsewhere());
    // Other keys are free; the state follows the keys.
    ours.setKeys(keys(u"Ctrl+Alt+Shift+J"_s));
    QVERIFY(!ours.isHeldElsewhere());

    // Once the other program lets go, the keys can be had.
    other.setEnabled(false);
    ours.setKeys(keys(u"Ctrl+Alt+J"_s));
    QVERIFY(!ours.isHeldElsewhere());
}

void TestX11HotKey::changedKeysAnswerAndTheOldOnesGo()
{
    X11HotKey hotKey;
    QSignalSpy pressed(&hotKey, &GlobalHotKey::pressed);
    hotKey.setKeys(keys(u"Ctrl+Alt+Space"_s));
    hotKey.setEnabled(true);
    press(u"ctrl+alt+space"_s);
    QTRY_COMPARE(pressed.size(), 1);

    hotKey.setKeys(keys(u"Super+F7"_s));
    press(u"super+F7"_s);
    QTRY_COMPARE(pressed.size(), 2);
    // Released: a grab of it by someone else now succeeds.
    X11HotKey other;
    other.setKeys(keys(u"Ctrl+Alt+Space"_s));
    other.setEnabled(true);
    QVERIFY(!other.isHeldElsewhere());
    QTest::qWait(200);
    QCOMPARE(pressed.size(), 2);
}

void TestX11HotKey::followsTheKeyboardLayout()
{
    if (QStandardPaths::findExecutable(u"setxkbmap"_s).isEmpty())
        QSKIP("setxkbmap is not installed (x11-xkb-utils)");
    QCOMPARE(QProcess::execute(u"setxkbmap"_s, {u"us"_s}), 0);
    const auto restore = qScopeGuard([] { QProcess::execute(u"setxkbmap"_s, {u"us"_s}); });
    X11HotKey hotKey;
    QSignalSpy pressed(&hotKey, &GlobalHotKey::pressed);
    hotKey.setKeys(keys(u"Ctrl+Alt+Y"_s));
    hotKey.setEnabled(true);
    // German keyboards have Y where American ones have Z, as when the
    // desktop applies the user's layout after the program has started.
    QCOMPARE(QProcess::execute(u"setxkbmap"_s, {u"de"_s}), 0);
    QTest::qWait(300);
    press(u"ctrl+alt+y"_s);
    QTRY_COMPARE(pressed.size(), 1);
}

QTEST_MAIN(TestX11HotKey)
#include "tst_X11HotKey.moc"
