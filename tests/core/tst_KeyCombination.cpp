#include "core/KeyCombination.h"
#include "core/Settings.h"
#include "support/TestSupport.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestKeyCombination : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsAndWrites_data();
    void readsAndWrites();
    void refusesWhatNamesNoCombination_data();
    void refusesWhatNamesNoCombination();
    void fromKeyEvents_data();
    void fromKeyEvents();
    void storedKeysThatNameNothingReadAsTheDefault();
};

void TestKeyCombination::readsAndWrites_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("accelerator");
    QTest::addColumn<quint32>("keysym");
    QTest::addColumn<bool>("inTheWayOfTyping");
    QTest::newRow("default") << u"Ctrl+Alt+Space"_s << u"Ctrl+Alt+Space"_s
                             << u"<Control><Alt>space"_s << 0x20u << false;
    QTest::newRow("letter keysym is lower case")
        << u"Ctrl+Shift+K"_s << u"Ctrl+Shift+K"_s << u"<Control><Shift>k"_s << 0x6bu << false;
    QTest::newRow("Qt's Meta is Super, any order and case")
        << u"meta+alt+x"_s << u"Alt+Super+X"_s << u"<Alt><Super>x"_s << 0x78u << false;
    QTest::newRow("function key alone") << u"F9"_s << u"F9"_s << u"F9"_s << 0xffc6u << false;
    QTest::newRow("page keys take X's names")
        << u"Super+PgDown"_s << u"Super+PgDown"_s << u"<Super>Page_Down"_s << 0xff56u << false;
    QTest::newRow("punctuation") << u"Ctrl+Alt+/"_s << u"Ctrl+Alt+/"_s << u"<Control><Alt>slash"_s
                                 << 0x2fu << false;
    QTest::newRow("a letter alone is typing") << u"K"_s << u"K"_s << u"k"_s << 0x6bu << true;
    QTest::newRow("Shift is typing too")
        << u"Shift+Return"_s << u"Shift+Return"_s << u"<Shift>Return"_s << 0xff0du << true;
}

void TestKeyCombination::readsAndWrites()
{
    QFETCH(QString, stored);
    const std::optional<KeyCombination> keys = KeyCombination::fromText(stored);
    QVERIFY(keys);
    QTEST(keys->text(), "text");
    QTEST(keys->accelerator(), "accelerator");
    QTEST(keys->keysym(), "keysym");
    QTEST(keys->getsInTheWayOfTyping(), "inTheWayOfTyping");
    QCOMPARE(KeyCombination::fromText(keys->text()), keys);
}

void TestKeyCombination::refusesWhatNamesNoCombination_data()
{
    QTest::addColumn<QString>("stored");
    for (const char* text : {"", "Ctrl+Alt+", "Ctrl++", "Hyper+K", "Ctrl+Alt+Foo", "Ctrl+Alt",
                             "Ctrl+Esc", "Ctrl+K,Ctrl+L"})
        QTest::newRow(text) << QString::fromLatin1(text);
}

void TestKeyCombination::refusesWhatNamesNoCombination()
{
    QFETCH(QString, stored);
    QVERIFY(!KeyCombination::fromText(stored));
}

void TestKeyCombination::fromKeyEvents_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text"); // empty: none
    QTest::newRow("Ctrl+Shift+K") << int(Qt::Key_K) << int(Qt::ControlModifier | Qt::ShiftModifier)
                                  << u"Ctrl+Shift+K"_s;
    QTest::newRow("Super is Qt's Meta")
        << int(Qt::Key_F5) << int(Qt::MetaModifier) << u"Super+F5"_s;
    QTest::newRow("a modifier alone")
        << int(Qt::Key_Control) << int(Qt::ControlModifier) << QString();
    QTest::newRow("Escape") << int(Qt::Key_Escape) << int(Qt::AltModifier) << QString();
    QTest::newRow("a shifted symbol")
        << int(Qt::Key_Exclam) << int(Qt::ControlModifier | Qt::ShiftModifier) << QString();
}

void TestKeyCombination::fromKeyEvents()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    const std::optional<KeyCombination> keys =
        KeyCombination::fromKey(key, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(keys ? keys->text() : QString(), text);
    if (keys) {
        QCOMPARE(keys->qtKey(), key);
        QCOMPARE(int(keys->qtModifiers()), modifiers);
    }
}

void TestKeyCombination::storedKeysThatNameNothingReadAsTheDefault()
{
    const TestSupport::PrivateSettings settings;
    QCOMPARE(Settings::shared().hotKeyKeys().text(), u"Ctrl+Alt+Space"_s);
    TestSupport::writeFile(Settings::shared().filePath(), "[General]\nhotkey.keys=Ctrl+Bogus\n");
    QCOMPARE(Settings::shared().hotKeyKeys().text(), u"Ctrl+Alt+Space"_s);
    Settings::shared().set(SettingKeys::hotKeyKeys, u"ctrl+shift+k"_s);
    QCOMPARE(Settings::shared().hotKeyKeys().text(), u"Ctrl+Shift+K"_s);
}

QTEST_GUILESS_MAIN(TestKeyCombination)
#include "tst_KeyCombination.moc"
