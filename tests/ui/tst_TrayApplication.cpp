#include "support/TestPlatform.h"
#include "support/TrayHosts.h"
#include "core/Job.h"
#include "core/Settings.h"
#include "support/TestSupport.h"
#include "ui/Runner.h"
#include "ui/TrayApplication.h"
#include "ui/settings/SettingsWindow.h"
#include "ui/wheel/WheelController.h"

#include <QClipboard>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

// The tray application's own behaviour, in process.
class TestTrayApplication : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void firstLaunchOpensTheGuideOnce();
    void menuFollowsTheHotKeySetting();
    void menuItemsOpenTheirWindows_data();
    void menuItemsOpenTheirWindows();
    void clickingTheMarkOpensTheMenu();
    void iconTurnsWhileWorkRuns();
    void menuListsRunningWorkWithCancel();
    void trayMarkReadsOnAnyPanel_data();
    void trayMarkReadsOnAnyPanel();
    void chooserStartsAtHomeThenWhereFilesWereChosen();
    void openForCopiedFilesShowsThemOnTheWheel();

private:
    QTemporaryDir m_config;
    std::unique_ptr<TestSupport::ScopedEnv> m_home;
    std::unique_ptr<TrayApplication> m_delegate;
    // The panel's tray, there before the program starts.
    std::unique_ptr<TrayHosts::XEmbedTray> m_panel;
};

void TestTrayApplication::initTestCase()
{
    TestPlatform::install();
    m_panel = std::make_unique<TrayHosts::XEmbedTray>();
    m_home =
        std::make_unique<TestSupport::ScopedEnv>("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    Settings::shared().registerDefaults();
    Settings::shared().setValue(u"notify"_s, false);
    Settings::shared().setValue(u"sound"_s, false);
}

void TestTrayApplication::firstLaunchOpensTheGuideOnce()
{
    QVERIFY(!Settings::shared().boolValue(u"onboarded"_s));
    m_delegate = std::make_unique<TrayApplication>();
    m_delegate->start();
    QVERIFY(Settings::shared().boolValue(u"onboarded"_s));
    QTRY_VERIFY(SettingsWindow::shared().isVisible());
    QCOMPARE(SettingsWindow::shared().currentTab(), SettingsWindow::welcome);
    SettingsWindow::shared().close();

    TrayApplication again;
    again.start();
    QTest::qWait(100);
    QVERIFY(!SettingsWindow::shared().isVisible());
}

void TestTrayApplication::menuFollowsTheHotKeySetting()
{
    QStringList titles;
    for (const QAction* action : m_delegate->menu()->actions())
        titles.append(action->isSeparator() ? u"-"_s : action->text());
    QCOMPARE(titles, QStringList({u"Open Wheel for Copied Files"_s, u"Choose Files…"_s, u"-"_s,
                                  u"How It Works"_s, u"Settings…"_s, u"-"_s, u"Quit Flingdial"_s}));
    QAction* open = m_delegate->menu()->actions().first();
    QCOMPARE(open->shortcut(), QKeySequence(u"Ctrl+Alt+Space"_s));
    Settings::shared().setValue(u"hotkey"_s, false);
    QCOMPARE(open->shortcut(), QKeySequence());
    Settings::shared().setValue(u"hotkey"_s, true);
    QCOMPARE(open->shortcut(), QKeySequence(u"Ctrl+Alt+Space"_s));
}

void TestTrayApplication::menuItemsOpenTheirWindows_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("tab");
    QTest::newRow("How It Works") << u"How It Works"_s << int(SettingsWindow::welcome);
    QTest::newRow("Settings…") << u"Settings…"_s << int(SettingsWindow::general);
}

void TestTrayApplication::menuItemsOpenTheirWindows()
{
    QFETCH(QString, title);
    QFETCH(int, tab);
    SettingsWindow::shared().close();
    for (QAction* action : m_delegate->menu()->actions()) {
        // Only shortcuts that work are shown: the hot key's.
        if (action->text() != u"Open Wheel for Copied Files")
            QCOMPARE(action->shortcut(), QKeySequence());
        if (action->text() == title)
            action->trigger();
    }
    QTRY_VERIFY(SettingsWindow::shared().isVisible());
    QCOMPARE(int(SettingsWindow::shared().currentTab()), tab);
    SettingsWindow::shared().close();
}

void TestTrayApplication::clickingTheMarkOpensTheMenu()
{
    QVERIFY(!m_delegate->menu()->isVisible());
    Q_EMIT m_delegate->tray()->activated(QSystemTrayIcon::Trigger);
    QTRY_VERIFY(m_delegate->menu()->isVisible());
    m_delegate->menu()->close();
}

void TestTrayApplication::iconTurnsWhileWorkRuns()
{
    QCOMPARE(m_delegate->trayFrame(), 1);
    QSet<int> frames;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, this, [&] { frames.insert(m_delegate->trayFrame()); });
    sampler.start(20);
    Runner::shared().execute(Operation(u"Slow"_s,
                                       [](const QStringList&) {
                                           QThread::msleep(900);
                                           return QStringList();
                                       }),
                             {u"/a"_s});
    QTRY_VERIFY_WITH_TIMEOUT(!Runner::shared().isBusy(), 3000);
    QVERIFY2(frames.size() >= 5, qPrintable(QString::number(frames.size())));
    QCOMPARE(m_delegate->trayFrame(), 1); // at rest again
}

namespace {

QStringList itemTexts(const QMenu& menu)
{
    QStringList texts;
    for (const QAction* action : menu.actions())
        texts.append(action->isSeparator() ? u"—"_s : action->text());
    return texts;
}

// Work that runs until it is cancelled, reporting its pace as it goes.
Operation untilCancelled(const QString& title)
{
    return Operation(title, [](const QStringList&) -> QStringList {
        for (int step = 1;; ++step) {
            Job::reportFraction(std::min(step / 10000.0, 1.0)); // 1 % a second
            Job::throwIfCancelled();
            QThread::msleep(10);
        }
    });
}

} // namespace

void TestTrayApplication::menuListsRunningWorkWithCancel()
{
    QMenu& menu = *m_delegate->menu();
    const QStringList atRest = itemTexts(menu);
    Runner::shared().execute(untilCancelled(u"Compress"_s), {u"/tmp/scan.pdf"_s});
    Runner::shared().execute(untilCancelled(u"Split"_s), {u"/tmp/a.pdf"_s, u"/tmp/b.pdf"_s});
    QTRY_COMPARE(itemTexts(menu).mid(0, 5),
                 (QStringList{u"Compress: scan.pdf — 0 %"_s, u"Cancel"_s, u"Split: 2 files — 0 %"_s,
                              u"Cancel"_s, u"—"_s}));
    QVERIFY(!menu.actions().at(0)->isEnabled());
    QCOMPARE(itemTexts(menu).mid(5), atRest);
    QCOMPARE(m_delegate->tray()->toolTip(), u"Compress: scan.pdf — 0 %; Split: 2 files — 0 %"_s);
    // The numbers move while the menu stays put.
    QTRY_VERIFY(!menu.actions().at(0)->text().endsWith(u" 0 %"_s));

    menu.actions().at(1)->trigger();
    QTRY_COMPARE(itemTexts(menu).size(), atRest.size() + 3);
    QVERIFY(itemTexts(menu).at(0).startsWith(u"Split: "_s));
    menu.actions().at(1)->trigger();
    QTRY_COMPARE(itemTexts(menu), atRest);
    QCOMPARE(m_delegate->tray()->toolTip(), u"Flingdial"_s);
    QTRY_VERIFY(!Runner::shared().isBusy());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

namespace {

// Runs the "Choose Files…" item; `answer` gets the dialog while it shows,
// again and again until it closes (its folder is read in the background, so
// a file chosen may only be accepted a moment later).
void chooseFiles(TrayApplication& delegate, const std::function<void(QFileDialog*)>& answer)
{
    bool answered = false;
    QTimer poll;
    poll.callOnTimeout([&] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            answer(dialog);
            answered = true;
        }
    });
    poll.start(50);
    for (QAction* action : delegate.menu()->actions()) {
        if (action->text() == u"Choose Files…")
            action->trigger();
    }
    QVERIFY(answered);
}

} // namespace

void TestTrayApplication::trayMarkReadsOnAnyPanel_data()
{
    QTest::addColumn<QColor>("panel");
    QTest::addColumn<int>("pixels");
    const QList<std::pair<const char*, QColor>> panels = {{"white", QColor(0xff, 0xff, 0xff)},
                                                          {"light", QColor(0xf6, 0xf5, 0xf4)},
                                                          {"dark", QColor(0x30, 0x30, 0x30)},
                                                          {"black", QColor(0x00, 0x00, 0x00)}};
    for (const auto& [name, colour] : panels) {
        for (const int pixels : {16, 22, 32})
            QTest::addRow("%s, %d px", name, pixels) << colour << pixels;
    }
}

// The mark as the panel shows it: a good part of it stands out from the
// panel as text does (a contrast of at least 3:1), whatever the panel's colour.
void TestTrayApplication::trayMarkReadsOnAnyPanel()
{
    QFETCH(QColor, panel);
    QFETCH(int, pixels);
    QImage shot(pixels, pixels, QImage::Format_RGB32);
    shot.fill(panel);
    QPainter(&shot).drawPixmap(0, 0, m_delegate->tray()->icon().pixmap(pixels));
    int standingOut = 0;
    for (int y = 0; y < pixels; ++y) {
        for (int x = 0; x < pixels; ++x)
            standingOut += TestSupport::contrast(shot.pixel(x, y), panel.rgb()) >= 3.0 ? 1 : 0;
    }
    const qreal share = qreal(standingOut) / (pixels * pixels);
    QVERIFY2(share >= 0.15, qPrintable(QString::number(share)));
}

void TestTrayApplication::chooserStartsAtHomeThenWhereFilesWereChosen()
{
    QTemporaryDir home;
    QTemporaryDir elsewhere;
    const TestSupport::ScopedEnv homeVariable("HOME", home.path().toLocal8Bit());
    TestSupport::writeFile(elsewhere.filePath(u"notes.txt"_s), "notes");
    QString startedIn;
    chooseFiles(*m_delegate, [&](QFileDialog* dialog) {
        if (startedIn.isEmpty())
            startedIn = dialog->directory().absolutePath();
        // As a user would: type the file's path where the dialog takes it.
        if (auto* name = qobject_cast<QLineEdit*>(dialog->focusWidget())) {
            name->setText(elsewhere.filePath(u"notes.txt"_s));
            QTest::keyClick(name, Qt::Key_Return);
        }
    });
    QCOMPARE(startedIn, QDir(home.path()).absolutePath());
    QTRY_VERIFY(WheelController::shared().isVisible());
    WheelController::shared().hide();

    chooseFiles(*m_delegate, [&](QFileDialog* dialog) {
        startedIn = dialog->directory().absolutePath();
        dialog->reject();
    });
    QCOMPARE(startedIn, QDir(elsewhere.path()).absolutePath());
}

void TestTrayApplication::openForCopiedFilesShowsThemOnTheWheel()
{
    QTemporaryDir folder;
    const QString copied = TestSupport::writeFile(folder.filePath(u"copied.txt"_s), "text");
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(copied)});
    QGuiApplication::clipboard()->setMimeData(data);
    for (QAction* action : m_delegate->menu()->actions()) {
        if (action->text() == u"Open Wheel for Copied Files")
            action->trigger();
    }
    QTRY_VERIFY(WheelController::shared().isVisible());
    QCOMPARE(WheelController::shared().files(), QStringList{copied});
    WheelController::shared().hide();
    QGuiApplication::clipboard()->clear();
}

QTEST_MAIN(TestTrayApplication)
#include "tst_TrayApplication.moc"
