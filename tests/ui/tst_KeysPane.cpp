#include "core/Settings.h"
#include "platform/GlobalShortcuts.h"
#include "support/TestPlatform.h"
#include "support/TestSupport.h"
#include "ui/settings/KeysPane.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Shortcuts as KDE Plasma would report them, set by the test.
class FakeShortcuts : public GlobalShortcuts
{
public:
    QList<Bound> bound;

    QList<Bound> inForce() const override { return bound; }
    QString whereToChange() const override { return u"System Settings → Shortcuts"_s; }
    QString modifierKeysNote() const override { return {}; }
    void setHotKeyEnabled(bool) override {}
    void setBound(const QList<Bound>& keys)
    {
        bound = keys;
        Q_EMIT changed();
    }
};

} // namespace

// The Keys pane where the desktop's extension grabs the hot key (GNOME):
// only the extension can tell that another binding holds it.
class TestKeysPane : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void saysWhenTheDesktopHoldsTheHotKey();
    void desktopKeptShortcutsAreShownNotRecorded();
    void compositorBindingsAreNamed_data();
    void compositorBindingsAreNamed();

private:
    TestSupport::PrivateSettings m_settings;
};

void TestKeysPane::saysWhenTheDesktopHoldsTheHotKey()
{
    DesktopExtension& extension = TestPlatform::install().addDesktopExtension();
    Settings::shared().set(SettingKeys::hotKeyKeys, u"Super+A"_s);
    KeysPane pane;
    pane.show();
    const QString problem = u"Super+A is in use by another program. Choose another combination."_s;
    const auto shown = [&] {
        for (const QLabel* label : pane.findChildren<QLabel*>())
            if (label->isVisible() && label->text().replace(QChar::Nbsp, u' ') == problem)
                return true;
        return false;
    };
    QVERIFY(!shown());
    extension.setHotKeyGrab(u"<Super>a"_s, true);
    QVERIFY(shown());
    // Another accelerator refused says nothing about these keys.
    extension.setHotKeyGrab(u"<Control><Alt>space"_s, true);
    QVERIFY(!shown());
    extension.setHotKeyGrab(u"<Super>a"_s, true);
    extension.setHotKeyGrab(u"<Super>a"_s, false);
    QVERIFY(!shown());
}

void TestKeysPane::desktopKeptShortcutsAreShownNotRecorded()
{
    TestPlatform& platform = TestPlatform::install();
    FakeShortcuts shortcuts;
    platform.setGlobalShortcuts(&shortcuts);
    Settings::shared().reset(SettingKeys::hotKeyKeys);
    KeysPane pane;
    // Changed in the desktop's settings, not here.
    QVERIFY(!pane.findChild<QPushButton*>(u"changeHotKey"_s));
    const auto hotKeyLine = [&] { return pane.findChild<QCheckBox*>()->text(); };
    // Until the desktop answers, the key the program asked for.
    QCOMPARE(hotKeyLine(), u"Ctrl+Alt+Space opens the wheel for copied files"_s);
    shortcuts.setBound({{u"open-wheel"_s, u"Open the wheel"_s, u"Meta+K, Ctrl+F12"_s},
                        {u"open-convert"_s, u"Convert"_s, u"Ctrl+Alt+Z"_s}});
    QCOMPARE(hotKeyLine(), u"Meta+K opens the wheel for copied files"_s);
    platform.setGlobalShortcuts(nullptr);
}

void TestKeysPane::compositorBindingsAreNamed_data()
{
    QTest::addColumn<QByteArray>("desktop");
    QTest::addColumn<QString>("command"); // empty: no line
    QTest::newRow("sway") << QByteArray("sway") << u"flingdial --bindings sway"_s;
    QTest::newRow("Hyprland") << QByteArray("Hyprland") << u"flingdial --bindings hyprland"_s;
    QTest::newRow("river") << QByteArray("river") << u"flingdial --bindings sway"_s;
    QTest::newRow("GNOME") << QByteArray("GNOME") << QString();
}

void TestKeysPane::compositorBindingsAreNamed()
{
    QFETCH(QByteArray, desktop);
    QFETCH(QString, command);
    TestPlatform::install();
    const TestSupport::ScopedEnv session("XDG_SESSION_TYPE", "wayland");
    const TestSupport::ScopedEnv current("XDG_CURRENT_DESKTOP", desktop);
    KeysPane pane;
    QString found;
    for (const QLabel* label : pane.findChildren<QLabel*>())
        if (label->text().contains(u"--bindings"_s))
            found = label->text().replace(QChar::Nbsp, u' ');
    if (command.isEmpty())
        QVERIFY2(found.isEmpty(), qPrintable(found));
    else
        QVERIFY2(found.contains(u"“"_s + command + u"”"_s), qPrintable(found));
}

QTEST_MAIN(TestKeysPane)
#include "tst_KeysPane.moc"
