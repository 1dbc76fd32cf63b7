#include "core/Ask.h"
#include "core/Job.h"
#include "core/Prompter.h"
#include "core/ResultGuard.h"
#include "core/Settings.h"
#include "core/Shell.h"
#include "support/TestPlatform.h"
#include "support/TestSupport.h"
#include "support/TrayHosts.h"
#include "ui/DialogPrompter.h"
#include "ui/Runner.h"
#include "ui/TrayApplication.h"
#include "ui/settings/SettingsWindow.h"
#include "ui/wheel/WheelController.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

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
    // These two end the event loop they run: they come last.
    void quitAsksOnceThenStopsTheWork();
    void anEndingSignalStopsTheWorkUnasked();

private:
    TestSupport::PrivateSettings m_settings;
    std::unique_ptr<TrayApplication> m_delegate;
    // The panel's tray, there before the program starts.
    std::unique_ptr<TrayHosts::XEmbedTray> m_panel;
};

void TestTrayApplication::initTestCase()
{
    TestPlatform::install();
    m_panel = std::make_unique<TrayHosts::XEmbedTray>();
    Settings::shared().set(SettingKeys::notify, false);
    Settings::shared().set(SettingKeys::sound, false);
}

void TestTrayApplication::firstLaunchOpensTheGuideOnce()
{
    QVERIFY(!Settings::shared().get(SettingKeys::onboarded));
    m_delegate = std::make_unique<TrayApplication>();
    m_delegate->start();
    QVERIFY(Settings::shared().get(SettingKeys::onboarded));
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
    Settings::shared().set(SettingKeys::hotKey, false);
    QCOMPARE(open->shortcut(), QKeySequence());
    Settings::shared().set(SettingKeys::hotKey, true);
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

namespace {

// Work with a child program that runs until it is cancelled: it writes a
// part of its result, then its process number to `pidFile`.
Operation childUntilCancelled(const QString& result, const QString& pidFile)
{
    return Operation(u"Convert"_s, [=](const QStringList&) {
        return QStringList{ResultGuard::make(result, [&](const QString& out) {
            Shell::run(u"/bin/sh"_s,
                       {u"-c"_s, u"echo partial > \"$0\"; echo $$ > \"$1\"; exec sleep 60"_s, out,
                        pidFile});
        })};
    });
}

bool isRunning(const QString& pidFile)
{
    const int pid = TestSupport::readFile(pidFile).trimmed().toInt();
    return pid > 0 && ::kill(pid, 0) == 0;
}

// Answers the next question box by pressing `press`; `asked` gets its text.
void answerQuestion(QString* asked, const QString& press)
{
    auto* poll = new QTimer;
    poll->callOnTimeout([=] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(window);
            if (!box || !box->isVisible() || box->icon() != QMessageBox::Question)
                continue;
            *asked = box->text();
            for (QAbstractButton* button : box->buttons())
                if (button->text() == press)
                    button->click();
            poll->deleteLater();
            return;
        }
    });
    poll->start(50);
}

QAction* quitItem(const QMenu& menu)
{
    for (QAction* action : menu.actions())
        if (action->text() == u"Quit Flingdial")
            return action;
    return nullptr;
}

// Runs the event loop until the application quits; its status, or -1 when
// it hasn't quit within half a minute.
int runUntilQuit()
{
    QTimer::singleShot(30000, qApp, [] { QCoreApplication::exit(-1); });
    return QCoreApplication::exec();
}

} // namespace

// Quit with work running: one question; declined, nothing stops; accepted,
// the work is cancelled (a prompt it waits on included), its child
// programs end, nothing of it stays, and then the program quits.
void TestTrayApplication::quitAsksOnceThenStopsTheWork()
{
    Prompter::install(std::make_unique<DialogPrompter>());
    TrayApplication application;
    application.start();
    QTemporaryDir dir;
    const QString pidA = dir.filePath(u"a.pid"_s);
    const QString pidB = dir.filePath(u"b.pid"_s);
    Runner::shared().execute(childUntilCancelled(dir.filePath(u"a.mp4"_s), pidA), {u"/a"_s});
    Runner::shared().execute(childUntilCancelled(dir.filePath(u"b.mp4"_s), pidB), {u"/b"_s});
    QTRY_VERIFY(isRunning(pidA) && isRunning(pidB));
    QAction* quit = quitItem(*application.menu());
    QVERIFY(quit);

    QString asked;
    answerQuestion(&asked, u"Don’t Quit"_s);
    quit->trigger();
    QCOMPARE(asked, u"2 operations are running. Quit and cancel them?"_s);
    QVERIFY(Runner::shared().isBusy());
    QVERIFY(isRunning(pidA) && isRunning(pidB));
    QVERIFY(application.tray()->isVisible());

    // Quit is chosen while a third waits in its prompt (a modal loop of its own).
    asked.clear();
    answerQuestion(&asked, u"Quit"_s);
    QTimer whilePrompting;
    whilePrompting.callOnTimeout([&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* prompt = qobject_cast<QDialog*>(window);
            if (!prompt || !prompt->isVisible() || !prompt->findChild<QLineEdit*>())
                continue;
            whilePrompting.stop();
            quit->trigger();
            return;
        }
    });
    whilePrompting.start(50);
    Runner::shared().execute(Operation(u"Resize…"_s,
                                       [](const QStringList&) {
                                           Ask::text(u"Resize"_s, u"Longest side:"_s, u"1600"_s);
                                           return QStringList();
                                       }),
                             {u"/c"_s});
    QCOMPARE(runUntilQuit(), 0);
    QCOMPARE(asked, u"3 operations are running. Quit and cancel them?"_s);
    QVERIFY(!Runner::shared().isBusy());
    QVERIFY(!isRunning(pidA));
    QVERIFY(!isRunning(pidB));
    QCOMPARE(TestSupport::namesIn(dir.path()), (QStringList{u"a.pid"_s, u"b.pid"_s}));
    QVERIFY(!application.tray()->isVisible());
}

// The session ending (SIGTERM) quits as Quit does, without a question.
void TestTrayApplication::anEndingSignalStopsTheWorkUnasked()
{
    TrayApplication application;
    application.start();
    QTemporaryDir dir;
    const QString pid = dir.filePath(u"a.pid"_s);
    Runner::shared().execute(childUntilCancelled(dir.filePath(u"a.mp4"_s), pid), {u"/a"_s});
    QTRY_VERIFY(isRunning(pid));
    QString asked;
    answerQuestion(&asked, u"Quit"_s);
    QTimer::singleShot(0, [] { ::raise(SIGTERM); });
    QCOMPARE(runUntilQuit(), 0);
    QCOMPARE(asked, QString());
    QVERIFY(!isRunning(pid));
    QCOMPARE(TestSupport::namesIn(dir.path()), QStringList{u"a.pid"_s});
}

QTEST_MAIN(TestTrayApplication)
#include "tst_TrayApplication.moc"
