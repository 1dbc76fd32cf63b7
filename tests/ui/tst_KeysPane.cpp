#include "core/Settings.h"
#include "support/TestPlatform.h"
#include "support/TestSupport.h"
#include "ui/settings/KeysPane.h"

#include <QLabel>
#include <QtTest>

using namespace Qt::StringLiterals;

// The Keys pane where the desktop's extension grabs the hot key (GNOME):
// only the extension can tell that another binding holds it.
class TestKeysPane : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void saysWhenTheDesktopHoldsTheHotKey();

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

QTEST_MAIN(TestKeysPane)
#include "tst_KeysPane.moc"
