#include "core/Deps.h"
#include "core/Settings.h"
#include "platform/x11/X11HotKey.h"
#include "support/TestPlatform.h"
#include "support/TestSupport.h"
#include "ui/settings/SettingsWindow.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QtTest>

using namespace Qt::StringLiterals;

using TestSupport::ScopedEnv;

namespace {

// A label's text as read, with no-break spaces as plain ones.
template<typename T> QString shown(const T* widget)
{
    return QString(widget->text()).replace(QChar::Nbsp, QLatin1Char(' '));
}

template<typename T> T* withText(QWidget* root, const QString& text)
{
    for (T* widget : root->findChildren<T*>()) {
        if (shown(widget) == text)
            return widget;
    }
    return nullptr;
}

QStringList texts(QWidget* root)
{
    QStringList list;
    for (const QLabel* label : root->findChildren<QLabel*>())
        list.append(shown(label));
    for (const QAbstractButton* button : root->findChildren<QAbstractButton*>())
        list.append(shown(button));
    return list;
}

// Each component has a row one can see: shown, taller than a line of text and
// inside its pane.
void verifyRowsVisible(QWidget* pane)
{
    for (const char* name : {"ImageMagick", "Ghostscript", "LibreOffice"}) {
        auto* row = pane->findChild<QWidget*>(QString::fromLatin1(name));
        QVERIFY2(row && row->isVisible(), name);
        QVERIFY2(row->height() >= row->fontMetrics().height() * 2, name);
        const QRect inPane(row->mapTo(pane, QPoint()), row->size());
        QVERIFY2(pane->rect().contains(inPane), name);
    }
}

// The words on the last line of a wrapping label, laid out as the label does.
int wordsOnLastLine(const QLabel* label)
{
    QTextLayout layout(label->text(), label->font());
    layout.beginLayout();
    QString last;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(label->contentsRect().width());
        last = label->text().mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    static const QRegularExpression space(QStringLiteral("[\\s\\x{a0}]+"));
    return int(last.trimmed().split(space, Qt::SkipEmptyParts).size());
}

// What another reader of the settings file sees.
QVariant onDisk(const QString& key)
{
    return QSettings(Settings::shared().filePath(), QSettings::IniFormat).value(key);
}

const char* const tabNames[] = {"welcome", "general", "keyboard", "components"};

} // namespace

class TestSettingsWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void oneWindow();
    void texts_data();
    void texts();
    void generalControlsWriteAtOnce();
    void keyWarningAndHotKeyLine();
    void hotKeyIsRecorded_data();
    void hotKeyIsRecorded();
    void hotKeyIsRecordedFromTheKeyboard();
    void openAtLoginFallsBack();
    void componentsAreCheckedAgain();
    void jpegXlShowsWhenAPartIsMissing();
    void noWordAloneOnItsLine_data();
    void noWordAloneOnItsLine();

private:
    TestSupport::PrivateSettings m_settings;
    QTemporaryDir m_tools;
    std::unique_ptr<ScopedEnv> m_toolDirs;
};

void TestSettingsWindow::initTestCase()
{
    TestPlatform::install();
    m_toolDirs = std::make_unique<ScopedEnv>("FLINGDIAL_TOOL_DIRS", m_tools.path().toLocal8Bit());
}

void TestSettingsWindow::oneWindow()
{
    SettingsWindow& first = SettingsWindow::shared();
    first.show(SettingsWindow::welcome);
    QVERIFY(QTest::qWaitForWindowExposed(&first));
    const QSize guideSize = first.size();
    SettingsWindow::shared().show(SettingsWindow::general);
    QCOMPARE(&SettingsWindow::shared(), &first);
    QCOMPARE(first.currentTab(), SettingsWindow::general);
    QCOMPARE(first.width(), guideSize.width());
    QCOMPARE(first.minimumSize(), first.maximumSize()); // not resizable
    int windows = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        windows += qobject_cast<SettingsWindow*>(widget) && widget->isVisible();
    QCOMPARE(windows, 1);
}

void TestSettingsWindow::texts_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("welcome")
        << int(SettingsWindow::welcome)
        << QStringList{"Drag, press a key, drop",
                       "Convert",
                       "Tools",
                       "Actions",
                       "⇧ Shift",
                       "❖ Super",
                       "⌃ Ctrl",
                       "Send to Device, Shelf, Copy, Move, Copy Path, Terminal",
                       "Everything happens on your computer: no file is ever uploaded."};
    QTest::newRow("general") << int(SettingsWindow::general)
                             << QStringList{"Open at login", "Choose…", "Show in file manager",
                                            "Send a notification", "Play a sound"};
    QTest::newRow("keyboard") << int(SettingsWindow::keyboard)
                              << QStringList{"Two modes use the same key: the first one wins.",
                                             "Ctrl+Alt+Space opens the wheel for copied files"};
    QTest::newRow("components") << int(SettingsWindow::components)
                                << QStringList{"ImageMagick", "WebP, AVIF, PSD, SVG",
                                               "Ghostscript", "Stronger PDF compression",
                                               "LibreOffice", "Presentations, ODS and .doc files",
                                               "JPEG XL",     "JXL pictures",
                                               "OCR",         "Text from scans"};
}

void TestSettingsWindow::texts()
{
    QFETCH(int, tab);
    QFETCH(QStringList, expected);
    const QStringList shown = ::texts(SettingsWindow::shared().pane(SettingsWindow::Tab(tab)));
    for (const QString& text : expected)
        QVERIFY2(shown.contains(text), qPrintable(text));
    QVERIFY(!shown.join(QLatin1Char(' ')).contains(u"Finder"_s));
    QVERIFY(!shown.contains(u"Apple apps"_s));
}

void TestSettingsWindow::generalControlsWriteAtOnce()
{
    QWidget* pane = SettingsWindow::shared().pane(SettingsWindow::general);
    SettingsWindow::shared().show(SettingsWindow::general);
    auto* saveTo = pane->findChildren<QComboBox*>().first();
    QCOMPARE(saveTo->itemText(0), u"Next to the original"_s);
    QCOMPARE(saveTo->itemText(1), u"A folder"_s);
    QLabel* none = withText<QLabel>(pane, u"None"_s);
    QVERIFY(none && !none->isVisible());
    saveTo->setCurrentIndex(1);
    Q_EMIT saveTo->activated(1);
    QCOMPARE(onDisk(u"output.mode"_s).toString(), u"custom"_s);
    QTRY_VERIFY(none->isVisible()); // a folder chosen is still to come

    auto* slider = pane->findChild<QSlider*>();
    QCOMPARE(slider->minimum(), 10);
    QCOMPARE(slider->maximum(), 100);
    slider->setValue(42);
    QCOMPARE(slider->value(), 40); // steps of 5
    QCOMPARE(onDisk(u"jpegQuality"_s).toInt(), 40);
    QVERIFY(withText<QLabel>(pane, u"40"_s));

    QCheckBox* reveal = withText<QCheckBox>(pane, u"Show in file manager"_s);
    QVERIFY(!reveal->isChecked());
    reveal->click();
    QCOMPARE(onDisk(u"revealAfter"_s).toBool(), true);
    // A change made elsewhere shows up in the pane.
    Settings::shared().set(SettingKeys::notify, false);
    QVERIFY(!withText<QCheckBox>(pane, u"Send a notification"_s)->isChecked());
}

void TestSettingsWindow::keyWarningAndHotKeyLine()
{
    QWidget* keys = SettingsWindow::shared().pane(SettingsWindow::keyboard);
    SettingsWindow::shared().show(SettingsWindow::keyboard);
    const QList<QComboBox*> pickers = keys->findChildren<QComboBox*>();
    QCOMPARE(pickers.size(), 3);
    QCOMPARE(pickers.at(0)->itemText(3), u"⎇ Alt"_s);
    QLabel* warning = withText<QLabel>(keys, u"Two modes use the same key: the first one wins."_s);
    QTRY_VERIFY(!warning->isVisible());
    pickers.at(1)->setCurrentIndex(0); // Tools on Shift, like Convert
    Q_EMIT pickers.at(1)->activated(0);
    QCOMPARE(onDisk(u"modifier.tools"_s).toString(), u"shift"_s);
    QTRY_VERIFY(warning->isVisible());
    pickers.at(1)->setCurrentIndex(1);
    Q_EMIT pickers.at(1)->activated(1);
    QTRY_VERIFY(!warning->isVisible());

    QWidget* guide = SettingsWindow::shared().pane(SettingsWindow::welcome);
    QLabel* line = withText<QLabel>(
        guide, QStringLiteral("Copy files in your file manager and press Ctrl+Alt+Space to "
                              "open the wheel from the keyboard."));
    QVERIFY(line);
    withText<QCheckBox>(keys, u"Ctrl+Alt+Space opens the wheel for copied files"_s)->click();
    QCOMPARE(onDisk(u"hotkey"_s).toBool(), false);
    SettingsWindow::shared().show(SettingsWindow::welcome);
    QTRY_VERIFY(!line->isVisible());
    Settings::shared().set(SettingKeys::hotKey, true);
    QTRY_VERIFY(line->isVisible());
}

void TestSettingsWindow::hotKeyIsRecorded_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("problem"); // empty: the keys are saved
    QTest::newRow("saved") << int(Qt::Key_K) << int(Qt::ControlModifier | Qt::ShiftModifier)
                           << QString();
    QTest::newRow("Super") << int(Qt::Key_F8) << int(Qt::MetaModifier) << QString();
    QTest::newRow("typing")
        << int(Qt::Key_K) << int(Qt::ShiftModifier)
        << u"Hold Ctrl, Alt or Super with Shift+K: on its own it is needed for typing."_s;
    QTest::newRow("a key no combination uses")
        << int(Qt::Key_Exclam) << int(Qt::ControlModifier | Qt::ShiftModifier)
        << u"That key can’t open the wheel. Use a letter, a digit, Space or a function key, "
           "with Ctrl, Alt or Super."_s;
    // Grabbed by another client of the X server below.
    QTest::newRow("held elsewhere")
        << int(Qt::Key_J) << int(Qt::ControlModifier | Qt::AltModifier)
        << u"Ctrl+Alt+J is in use by another program. Choose another combination."_s;
}

void TestSettingsWindow::hotKeyIsRecorded()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, problem);
    Settings::shared().reset(SettingKeys::hotKeyKeys);
    X11HotKey otherProgram;
    otherProgram.setKeys(*KeyCombination::fromText(u"Ctrl+Alt+J"_s));
    otherProgram.setEnabled(true);
    QVERIFY(!otherProgram.isHeldElsewhere());

    QWidget* keys = SettingsWindow::shared().pane(SettingsWindow::keyboard);
    SettingsWindow::shared().show(SettingsWindow::keyboard);
    auto* change = keys->findChild<QPushButton*>(u"changeHotKey"_s);
    QVERIFY(change);
    change->click();
    QCOMPARE(shown(change), u"Press the keys…"_s);
    QTest::keyClick(change, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(shown(change), u"Change…"_s);

    const KeyCombination pressed = KeyCombination::fromKey(key, Qt::KeyboardModifiers(modifiers))
                                       .value_or(*KeyCombination::fromText(u"Ctrl+Alt+Space"_s));
    const QString expected = problem.isEmpty() ? pressed.text() : u"Ctrl+Alt+Space"_s;
    QCOMPARE(Settings::shared().hotKeyKeys().text(), expected);
    QVERIFY(withText<QCheckBox>(keys, expected + u" opens the wheel for copied files"_s));
    QWidget* guide = SettingsWindow::shared().pane(SettingsWindow::welcome);
    QVERIFY(withText<QLabel>(guide, u"Copy files in your file manager and press %1 to open the "
                                    "wheel from the keyboard."_s.arg(expected)));
    if (!problem.isEmpty())
        QTRY_VERIFY(withText<QLabel>(keys, problem) &&
                    withText<QLabel>(keys, problem)->isVisible());
    Settings::shared().reset(SettingKeys::hotKeyKeys);
}

void TestSettingsWindow::hotKeyIsRecordedFromTheKeyboard()
{
    if (QStandardPaths::findExecutable(u"xdotool"_s).isEmpty())
        QSKIP("xdotool is not installed");
    Settings::shared().reset(SettingKeys::hotKeyKeys);
    QWidget* keys = SettingsWindow::shared().pane(SettingsWindow::keyboard);
    SettingsWindow::shared().show(SettingsWindow::keyboard);
    QVERIFY(QTest::qWaitForWindowExposed(keys->window()));
    auto* change = keys->findChild<QPushButton*>(u"changeHotKey"_s);
    change->click();
    // Through the X server, as a keyboard types it: the recorder holds the
    // keyboard, so the keys come here whichever window has the focus.
    QProcess::execute(u"xdotool"_s, {u"key"_s, u"ctrl+alt+shift+h"_s});
    QTRY_COMPARE(Settings::shared().hotKeyKeys().text(), u"Ctrl+Alt+Shift+H"_s);
    QCOMPARE(shown(change), u"Change…"_s);
    // Closed mid-recording, the window gives the keyboard back.
    change->click();
    QCOMPARE(QWidget::keyboardGrabber(), change);
    keys->window()->hide();
    QCOMPARE(QWidget::keyboardGrabber(), nullptr);
    QCOMPARE(shown(change), u"Change…"_s);
    Settings::shared().reset(SettingKeys::hotKeyKeys);
}

void TestSettingsWindow::openAtLoginFallsBack()
{
    // The autostart folder can't be made: a file stands in its place.
    const QDir config(m_settings.configHome());
    TestSupport::writeFile(config.filePath(u"autostart"_s), "in the way");
    QWidget* pane = SettingsWindow::shared().pane(SettingsWindow::general);
    SettingsWindow::shared().show(SettingsWindow::general);
    QCheckBox* login = withText<QCheckBox>(pane, u"Open at login"_s);
    login->click();
    QVERIFY(!login->isChecked());
    QFile::remove(config.filePath(u"autostart"_s));
    login->click();
    QVERIFY(login->isChecked());
    QVERIFY(QFileInfo::exists(config.filePath(u"autostart/org.flingdial.Flingdial.desktop"_s)));
    login->click();
    QVERIFY(!QFileInfo::exists(config.filePath(u"autostart/org.flingdial.Flingdial.desktop"_s)));
}

void TestSettingsWindow::componentsAreCheckedAgain()
{
    SettingsWindow::shared().show(SettingsWindow::components);
    QWidget* pane = SettingsWindow::shared().pane(SettingsWindow::components);
    verifyRowsVisible(pane);
    const auto imageMagickRow = [&] { return pane->findChild<QWidget*>(u"ImageMagick"_s); };
    QPushButton* copy = withText<QPushButton>(imageMagickRow(), u"Copy Command"_s);
    QVERIFY(copy);
    copy->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), u"sudo apt install imagemagick"_s);

    TestSupport::writeExecutable(m_tools.filePath(u"magick"_s));
    SettingsWindow::shared().show(SettingsWindow::general);
    SettingsWindow::shared().show(SettingsWindow::components);
    verifyRowsVisible(pane);
    QVERIFY(imageMagickRow()->findChild<QLabel*>(u"installed"_s));
    QVERIFY(!withText<QPushButton>(imageMagickRow(), u"Copy Command"_s));
}

void TestSettingsWindow::jpegXlShowsWhenAPartIsMissing()
{
    QWidget* pane = SettingsWindow::shared().pane(SettingsWindow::components);
    const auto row = [&] { return pane->findChild<QWidget*>(u"JPEG XL"_s); };
    {
        // libvips without its JPEG XL module.
        const QTemporaryDir modules;
        const TestSupport::ScopedEnv hidden("FLINGDIAL_VIPS_MODULES_DIR",
                                            modules.filePath(u"vips-modules"_s).toLocal8Bit());
        SettingsWindow::shared().show(SettingsWindow::general);
        SettingsWindow::shared().show(SettingsWindow::components);
        QPushButton* copy = withText<QPushButton>(row(), u"Copy Command"_s);
        QVERIFY(copy);
        copy->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), u"sudo apt install libvips42 libjxl0.7"_s);
    }
    if (!Deps::jpegXl())
        QSKIP("libvips' JPEG XL module is not installed");
    SettingsWindow::shared().show(SettingsWindow::general);
    SettingsWindow::shared().show(SettingsWindow::components);
    QVERIFY(row()->findChild<QLabel*>(u"installed"_s));
}

void TestSettingsWindow::noWordAloneOnItsLine_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("pointSize");
    for (const int size : {9, 11, 13}) {
        for (int tab = 0; tab < 4; ++tab)
            QTest::addRow("%s at %dpt", tabNames[tab], size) << tab << size;
    }
}

// Whatever the desktop's font size, a wrapped text keeps at least two words
// on its last line.
void TestSettingsWindow::noWordAloneOnItsLine()
{
    QFETCH(int, tab);
    QFETCH(int, pointSize);
    QWidget* pane = SettingsWindow::shared().pane(SettingsWindow::Tab(tab));
    QFont font = pane->font();
    font.setPointSize(pointSize);
    pane->setFont(font);
    SettingsWindow::shared().show(SettingsWindow::Tab(tab));
    for (const QLabel* label : pane->findChildren<QLabel*>()) {
        if (label->window() == &SettingsWindow::shared() && label->isVisible() &&
            label->wordWrap() && shown(label).contains(QLatin1Char(' ')))
            QVERIFY2(wordsOnLastLine(label) >= 2, qPrintable(shown(label)));
    }
    pane->setFont(QFont());
}

QTEST_MAIN(TestSettingsWindow)
#include "tst_SettingsWindow.moc"
