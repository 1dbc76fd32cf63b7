#include "platform/GlobalShortcuts.h"
#include "ui/settings/DesktopShortcutsBox.h"

#include <QFormLayout>
#include <QLabel>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Shortcuts as a desktop would report them, set by the test.
class FakeShortcuts : public GlobalShortcuts
{
public:
    QList<Bound> bound;
    QString note;

    QList<Bound> inForce() const override { return bound; }
    QString whereToChange() const override { return u"System Settings → Shortcuts → Flingdial"_s; }
    QString modifierKeysNote() const override { return note; }
    void setHotKeyEnabled(bool) override {}
};

// The labels' texts, with the spaces that keep last words together plain.
QStringList texts(const QWidget& box)
{
    QStringList all;
    for (const QLabel* label : box.findChildren<QLabel*>())
        all.append(label->text().replace(QChar::Nbsp, u' '));
    return all;
}

} // namespace

// The Keys pane's list of the shortcuts the desktop keeps for the program.
class TestDesktopShortcutsBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void beforeTheDesktopAnswers();
    void keysInForceAndWhereToChangeThem();
    void followsChangesMadeOnTheDesktop();
    void noteOnlyWhereThereIsOne();
};

void TestDesktopShortcutsBox::beforeTheDesktopAnswers()
{
    FakeShortcuts shortcuts;
    const DesktopShortcutsBox box(shortcuts);
    QCOMPARE(box.findChild<QFormLayout*>()->rowCount(), 0);
    QVERIFY(texts(box).contains(u"The desktop hasn’t taken the shortcuts yet."_s));
}

void TestDesktopShortcutsBox::keysInForceAndWhereToChangeThem()
{
    FakeShortcuts shortcuts;
    shortcuts.bound = {{u"open-wheel"_s, u"Open the wheel for copied files"_s, u"Ctrl+Alt+Space"_s},
                       {u"convert-wheel"_s, u"Convert wheel"_s, QString()}};
    const DesktopShortcutsBox box(shortcuts);
    QCOMPARE(box.findChild<QFormLayout*>()->rowCount(), 2);
    QCOMPARE(box.findChild<QLabel*>(u"open-wheel"_s)->text(), u"Ctrl+Alt+Space"_s);
    QCOMPARE(box.findChild<QLabel*>(u"convert-wheel"_s)->text(), u"None"_s);
    QVERIFY(texts(box).contains(u"Open the wheel for copied files"_s));
    QVERIFY(texts(box).contains(u"Change them in System Settings → Shortcuts → Flingdial."_s));
}

void TestDesktopShortcutsBox::followsChangesMadeOnTheDesktop()
{
    FakeShortcuts shortcuts;
    shortcuts.bound = {{u"tools-wheel"_s, u"Tools wheel"_s, u"Ctrl+Alt+X"_s}};
    const DesktopShortcutsBox box(shortcuts);
    shortcuts.bound = {{u"tools-wheel"_s, u"Tools wheel"_s, u"Meta+T"_s}};
    Q_EMIT shortcuts.changed();
    // The row is replaced, not added to.
    QCOMPARE(box.findChild<QFormLayout*>()->rowCount(), 1);
    QCOMPARE(box.findChildren<QLabel*>(u"tools-wheel"_s).size(), 1);
    QCOMPARE(box.findChild<QLabel*>(u"tools-wheel"_s)->text(), u"Meta+T"_s);
}

void TestDesktopShortcutsBox::noteOnlyWhereThereIsOne()
{
    FakeShortcuts without;
    const DesktopShortcutsBox plain(without);
    FakeShortcuts with;
    with.note = u"Trigger keys need the eavesdrop option."_s;
    const DesktopShortcutsBox noted(with);
    QCOMPARE(texts(noted).size(), texts(plain).size() + 1);
    QVERIFY(texts(noted).contains(with.note));
}

QTEST_MAIN(TestDesktopShortcutsBox)
#include "tst_DesktopShortcutsBox.moc"
