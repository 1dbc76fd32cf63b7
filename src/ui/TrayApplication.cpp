#include "ui/TrayApplication.h"

#include "core/FileUrls.h"
#include "core/Log.h"
#include "core/Settings.h"
#include "platform/DragSource.h"
#include "platform/FileManager.h"
#include "platform/GlobalHotKey.h"
#include "platform/GlobalShortcuts.h"
#include "platform/Notifier.h"
#include "platform/Platform.h"
#include "platform/Session.h"
#include "ui/EndingSignals.h"
#include "ui/InstanceService.h"
#include "ui/Runner.h"
#include "ui/TrayHost.h"
#include "ui/drawing/Brand.h"
#include "ui/drawing/SymbolImages.h"
#include "ui/settings/SettingsWindow.h"
#include "ui/wheel/Catcher.h"
#include "ui/wheel/DragWatcher.h"
#include "ui/wheel/LayerCatcher.h"
#include "ui/wheel/WheelController.h"
#include "ui/wheel/WheelPanel.h"
#include "ui/wheel/WheelView.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSystemTrayIcon>

namespace {

constexpr int spinnerIntervalMs = 120;
// Long enough for the compositor to give the clipboard to the wheel.
constexpr int clipboardDelayMs = 150;

QIcon symbolIcon(const QString& symbol)
{
    const QColor text = QApplication::palette().color(QPalette::WindowText);
    const QImage image = SymbolImages::tinted(symbol, 16, text, 2.0);
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

} // namespace

TrayApplication::TrayApplication(QObject* parent) : QObject(parent)
{
    m_spinner.setInterval(spinnerIntervalMs);
    connect(&m_spinner, &QTimer::timeout, this, [this] {
        m_frame = (m_frame + 1) % 6;
        if (m_tray)
            m_tray->setIcon(trayIcon(m_frame));
    });
}

TrayApplication::~TrayApplication() = default;

void TrayApplication::start(InstanceService* instance)
{
    Settings::shared().watchForChanges();
    Platform& platform = Platform::shared();
    qCInfo(lcApp, "launched");
    qCInfo(lcApp, "session: %s, backend: %s", qUtf8Printable(Session::name(Session::detect())),
           qUtf8Printable(platform.name()));
    // A tray utility has no main window: closing a dialog must not quit it.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QGuiApplication::setWindowIcon(windowIcon());
    platform.answerEveryDropAsCopy();
    setUpMenu();
    m_trayHost = new TrayHost(this);
    connect(m_trayHost, &TrayHost::appeared, this, &TrayApplication::showTrayIcon);
    m_trayHost->watch();
    if (!m_trayHost->isPresent())
        qCWarning(lcApp, "no system tray is running: the icon appears when one starts");
    if (instance)
        connectInstance(instance);
    // The session ending, or Ctrl+C where it was started: as Quit, unasked.
    connect(&EndingSignals::shared(), &EndingSignals::received, this, [this](int signal) {
        qCInfo(lcApp, "signal %d: quitting", signal);
        stopAndQuit();
    });

    QString why;
    m_watcher = new DragWatcher(platform.createDragSource(&why), this);
    if (!why.isEmpty())
        qCWarning(lcApp, "drags can't be watched: %s", qUtf8Printable(why));
    connect(m_watcher, &DragWatcher::showWheel, this,
            [](WheelMode::Mode mode, const QStringList& files) {
                WheelController::shared().show(mode, files, false);
            });
    connect(&WheelController::shared(), &WheelController::chosen, &Runner::shared(),
            &Runner::execute);
    connect(m_watcher, &DragWatcher::dragEnded, this,
            [] { WheelController::shared().dragEnded(); });
    m_watcher->start();

    // Keys that show while the button doesn't: straight to the catcher.
    connect(m_watcher, &DragWatcher::triggerPressed, this,
            [this](WheelMode::Mode mode) { trigger(mode, true); });

    if (GlobalShortcuts* shortcuts = platform.globalShortcuts()) {
        // The desktop keeps the hot key and one key per mode; they work in
        // the middle of a drag too.
        connect(shortcuts, &GlobalShortcuts::activated, this, &TrayApplication::shortcutPressed);
        connect(shortcuts, &GlobalShortcuts::changed, this, &TrayApplication::applyHotKeySetting);
    } else {
        m_hotKey = platform.createHotKey(this, &why);
        if (m_hotKey)
            connect(m_hotKey.get(), &GlobalHotKey::pressed, this, [this] { openForCopiedFiles(); });
        else
            qCWarning(lcApp, "the hot key is unavailable: %s", qUtf8Printable(why));
    }
    applyHotKeySetting();
    connect(&Settings::shared(), &Settings::changed, this, &TrayApplication::applyHotKeySetting);

    // A click on a notification about finished work shows its files.
    if (Notifier* notifier = platform.notifier())
        connect(notifier, &Notifier::activated, this, [&platform](const QStringList& paths) {
            if (FileManager* fileManager = platform.fileManager())
                fileManager->reveal(paths);
        });

    // The guide opens once per user, on the first launch.
    if (!Settings::shared().get(SettingKeys::onboarded)) {
        Settings::shared().set(SettingKeys::onboarded, true);
        SettingsWindow::shared().show(SettingsWindow::welcome);
    }
}

void TrayApplication::setUpMenu()
{
    m_menu = std::make_unique<QMenu>();
    m_selectionItem = m_menu->addAction(symbolIcon(QStringLiteral("cursorarrow.click.2")),
                                        tr("Open Wheel for Copied Files"), this,
                                        [this] { openForCopiedFiles(); });
    m_menu->addAction(symbolIcon(QStringLiteral("doc.badge.ellipsis")), tr("Choose Files…"), this,
                      &TrayApplication::chooseFiles);
    m_menu->addSeparator();
    m_menu->addAction(symbolIcon(QStringLiteral("questionmark.circle")), tr("How It Works"), this,
                      [] { SettingsWindow::shared().show(SettingsWindow::welcome); });
    // A tray menu has no window to take shortcuts: none are shown but the
    // hot key's, which works everywhere.
    m_menu->addAction(symbolIcon(QStringLiteral("gearshape")), tr("Settings…"), this,
                      [] { SettingsWindow::shared().show(SettingsWindow::general); });
    m_menu->addSeparator();
    m_menu->addAction(symbolIcon(QStringLiteral("power")), tr("Quit Flingdial"), this,
                      &TrayApplication::quit);

    connect(&Runner::shared(), &Runner::busyChanged, this, &TrayApplication::setBusy);
    connect(&Runner::shared(), &Runner::runningChanged, this, &TrayApplication::showRunningWork);
}

void TrayApplication::showTrayIcon()
{
    if (m_tray) {
        // A new panel: the icon registers or docks again.
        qCInfo(lcApp, "a system tray appeared again");
        m_tray->hide();
        m_tray->show();
        Q_EMIT trayIconShown();
        return;
    }
    qCInfo(lcApp, "a system tray is running");
    m_tray = new QSystemTrayIcon(trayIcon(m_frame), this);
    m_tray->setToolTip(m_toolTip.isEmpty() ? QStringLiteral("Flingdial") : m_toolTip);
    m_tray->setContextMenu(m_menu.get());
    // A click on the mark opens the menu too, as Linux trays do.
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::Trigger)
                    m_menu->popup(QCursor::pos());
            });
    m_tray->show();
    Q_EMIT trayIconShown();
}

void TrayApplication::connectInstance(InstanceService* instance)
{
    connect(instance, &InstanceService::settingsRequested, this, [] {
        qCInfo(lcApp, "started again: opening the settings");
        SettingsWindow::shared().show(SettingsWindow::general);
    });
    connect(instance, &InstanceService::wheelRequested, this,
            [](WheelMode::Mode mode, const QStringList& files) {
                qCInfo(lcApp, "started again with %lld file(s): opening the wheel",
                       static_cast<long long>(files.size()));
                WheelController::shared().show(mode, files, true);
            });
    connect(instance, &InstanceService::triggered, this, &TrayApplication::trigger);
}

void TrayApplication::trigger(WheelMode::Mode mode, bool duringDrag)
{
    qCInfo(lcApp, "trigger: %s", qUtf8Printable(WheelMode::rawValue(mode)));
    const bool wayland = Session::isWayland(Session::detect());
    const bool dragging = m_watcher && m_watcher->hasRecentDrag();
    // X11 clients of a Wayland session see no pointer during a drag (sway
    // not even its start): the drag itself must come and say where it is.
    if (wayland && (dragging || duringDrag)) {
        catchDrag(mode);
        return;
    }
    if (dragging && m_watcher->isDragging() && !m_watcher->files().isEmpty())
        WheelController::shared().show(mode, m_watcher->files(), false);
    else
        openForCopiedFiles(mode);
}

void TrayApplication::catchDrag(WheelMode::Mode mode)
{
    // wlroots gives a drag to no X11 window that appears while it lasts.
    if (Session::detect() == Session::Kind::wlroots && LayerCatcher::isAvailable()) {
        catchDragOnLayer(mode);
        return;
    }
    if (!m_catcher) {
        m_catcher = std::make_unique<Catcher>();
        connect(m_catcher.get(), &Catcher::caught, this,
                [this](WheelMode::Mode caughtMode, const QStringList& files, QPoint pointer) {
                    WheelController& wheel = WheelController::shared();
                    wheel.showAt(caughtMode, files, pointer);
                    m_catcher->setWheelArea(wheel.panel()->geometry());
                    if (Platform::shared().wheelWindow() == Platform::WheelWindow::managed)
                        m_catcher->holdOverWheel(wheel.panel()->wheel());
                });
        connect(m_catcher.get(), &Catcher::closed, this, [this] {
            m_watcher->forgetDrag();
            // A drop on the wheel has chosen by now; anything else gives up.
            WheelController::shared().dragEnded();
        });
        connect(&WheelController::shared(), &WheelController::chosen, m_catcher.get(),
                &Catcher::dismiss);
        const WheelView* wheel = WheelController::shared().panel()->wheel();
        connect(wheel, &WheelView::dragEntered, m_catcher.get(), &Catcher::wheelEntered);
        connect(wheel, &WheelView::dragLeft, m_catcher.get(), &Catcher::wheelLeft);
    }
    m_catcher->catchDrag(mode, Platform::shared().wheelWindow());
}

void TrayApplication::catchDragOnLayer(WheelMode::Mode mode)
{
    if (!m_layerCatcher) {
        m_layerCatcher = new LayerCatcher(this);
        WheelController& wheel = WheelController::shared();
        connect(m_layerCatcher, &LayerCatcher::caught, &wheel, &WheelController::showAt);
        connect(m_layerCatcher, &LayerCatcher::moved, this,
                [&wheel](QPoint pointer) { wheel.panel()->wheel()->dragMovedTo(pointer); });
        connect(m_layerCatcher, &LayerCatcher::dropped, this,
                [this, &wheel](QPoint pointer, const QStringList& files) {
                    m_layerCatcher->answerDrop(wheel.isVisible() &&
                                               wheel.panel()->wheel()->dropAt(pointer, files));
                });
        connect(m_layerCatcher, &LayerCatcher::closed, this, [this, &wheel] {
            if (m_watcher)
                m_watcher->forgetDrag();
            wheel.dragEnded();
        });
    }
    m_layerCatcher->catchDrag(mode);
}

void TrayApplication::showRunningWork()
{
    const QList<Runner::Running> running = Runner::shared().running();
    QList<int> ids;
    QStringList lines;
    for (const Runner::Running& work : running) {
        ids.append(work.id);
        lines.append(work.description);
    }
    m_toolTip = lines.join(u"; ");
    if (m_tray)
        m_tray->setToolTip(m_toolTip.isEmpty() ? QStringLiteral("Flingdial") : m_toolTip);
    if (ids == m_workShown) {
        // Only the numbers moved: the open menu keeps its items and hover.
        for (qsizetype i = 0; i < lines.size(); ++i)
            m_workItems.at(2 * i)->setText(lines.at(i));
        return;
    }
    for (QAction* item : std::as_const(m_workItems)) {
        m_menu->removeAction(item);
        item->deleteLater();
    }
    m_workItems.clear();
    m_workShown = ids;
    if (running.isEmpty())
        return;
    QAction* top = m_menu->actions().value(0);
    for (const Runner::Running& work : running) {
        auto* line = new QAction(work.description, m_menu.get());
        line->setEnabled(false);
        auto* cancel = new QAction(symbolIcon(QStringLiteral("xmark.circle.fill")), tr("Cancel"),
                                   m_menu.get());
        connect(cancel, &QAction::triggered, this, [id = work.id] { Runner::shared().cancel(id); });
        m_menu->insertActions(top, {line, cancel});
        m_workItems << line << cancel;
    }
    m_workItems.append(m_menu->insertSeparator(top));
}

void TrayApplication::quit()
{
    const auto running = int(Runner::shared().running().size());
    if (running > 0 && !confirmQuit(running))
        return;
    stopAndQuit();
}

bool TrayApplication::confirmQuit(int running)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Flingdial"),
                    running == 1
                        ? tr("An operation is running. Quit and cancel it?")
                        : tr("%n operations are running. Quit and cancel them?", nullptr, running));
    QPushButton* quit = box.addButton(tr("Quit"), QMessageBox::AcceptRole);
    QPushButton* stay = box.addButton(tr("Don’t Quit"), QMessageBox::RejectRole);
    box.setDefaultButton(stay);
    box.setEscapeButton(stay);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.show();
    box.raise();
    box.activateWindow();
    box.exec();
    return box.clickedButton() == quit;
}

void TrayApplication::stopAndQuit()
{
    if (m_quitting)
        return;
    m_quitting = true;
    qCInfo(lcApp, "quitting");
    Runner& runner = Runner::shared();
    runner.cancelAll();
    // A prompt that cancelled work waits on gets no answer: closed, it lets
    // that work end. Alerts go the same way.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible())
            dialog->reject();
    }
    WheelController::shared().hide();
    if (m_tray)
        m_tray->hide();
    if (m_hotKey)
        m_hotKey->setEnabled(false);
    if (!runner.isBusy()) {
        // Also when called before the event loop runs.
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return;
    }
    qCInfo(lcApp, "waiting for the cancelled work to stop");
    connect(&runner, &Runner::busyChanged, this, [](bool busy) {
        if (!busy)
            QCoreApplication::quit();
    });
}

QIcon TrayApplication::windowIcon()
{
    // The installed theme icon where there is one, else the mark drawn here.
    QIcon drawn;
    for (const int size : {16, 32, 48, 64, 128})
        drawn.addPixmap(QPixmap::fromImage(Brand::appIcon(size)));
    return QIcon::fromTheme(QGuiApplication::desktopFileName(), drawn);
}

QIcon TrayApplication::trayIcon(int lit)
{
    QIcon& icon = m_trayIcons.at(size_t(lit));
    if (icon.isNull())
        for (const int size : {16, 22, 24, 32, 48, 64})
            icon.addPixmap(QPixmap::fromImage(Brand::trayImage(lit, size)));
    return icon;
}

void TrayApplication::setBusy(bool busy)
{
    m_spinner.stop();
    m_frame = 1;
    if (m_tray)
        m_tray->setIcon(trayIcon(1));
    if (busy)
        m_spinner.start();
}

void TrayApplication::shortcutPressed(const QString& id)
{
    const GlobalShortcuts::Action* action = GlobalShortcuts::action(id);
    if (!action || (action->hotKey && !Settings::shared().get(SettingKeys::hotKey)))
        return;
    qCInfo(lcApp, "shortcut pressed: %s", qUtf8Printable(id));
    // Desktops that keep shortcuts for programs (KWin) show X11 clients
    // every drag start: without one, a mode's key opens the keyboard wheel.
    trigger(action->mode, false);
}

void TrayApplication::applyHotKeySetting()
{
    const bool on = Settings::shared().get(SettingKeys::hotKey);
    QKeySequence keys;
    if (m_hotKey) {
        const KeyCombination chosen = Settings::shared().hotKeyKeys();
        m_hotKey->setKeys(chosen);
        m_hotKey->setEnabled(on);
        keys = QKeySequence(QKeyCombination(chosen.qtModifiers(), Qt::Key(chosen.qtKey())));
    } else if (GlobalShortcuts* shortcuts = Platform::shared().globalShortcuts()) {
        shortcuts->setHotKeyEnabled(on);
        keys = QKeySequence::fromString(shortcuts->hotKeyInForce(), QKeySequence::NativeText);
    }
    m_selectionItem->setShortcut(on ? keys : QKeySequence());
}

QStringList TrayApplication::copiedFiles()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    QStringList files = FileUrls::fromMimeData(clipboard->mimeData(QClipboard::Clipboard));
    if (files.isEmpty() && clipboard->supportsSelection())
        files = FileUrls::fromMimeData(clipboard->mimeData(QClipboard::Selection));
    return files;
}

void TrayApplication::openForCopiedFiles(WheelMode::Mode mode)
{
    // A Wayland compositor hands the clipboard to the focused client only:
    // the wheel takes the keyboard first, then reads it.
    if (Session::isWayland(Session::detect()) && !WheelController::shared().isVisible()) {
        WheelController::shared().show(mode, {}, true);
        QTimer::singleShot(clipboardDelayMs, this, [this, mode] {
            const QStringList files = copiedFiles();
            qCInfo(lcApp, "copied files: %lld", static_cast<long long>(files.size()));
            if (files.isEmpty()) {
                WheelController::shared().hide();
                chooseFiles();
                return;
            }
            WheelController::shared().show(mode, files, true);
        });
        return;
    }
    const QStringList files = copiedFiles();
    qCInfo(lcApp, "copied files: %lld", static_cast<long long>(files.size()));
    if (files.isEmpty()) {
        chooseFiles();
        return;
    }
    WheelController::shared().show(mode, files, true);
}

void TrayApplication::chooseFiles()
{
    // Starts in the folder used last, or at home: never in wherever the
    // program happened to be started from.
    if (m_chooserFolder.isEmpty() || !QFileInfo(m_chooserFolder).isDir())
        m_chooserFolder = QDir::homePath();
    QFileDialog dialog(nullptr, tr("Choose Files"), m_chooserFolder);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setLabelText(QFileDialog::Accept, tr("Open Wheel"));
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QStringList files = dialog.selectedFiles();
    m_chooserFolder = QFileInfo(files.first()).absolutePath();
    QMetaObject::invokeMethod(
        this, [files] { WheelController::shared().show(WheelMode::convert, files, true); },
        Qt::QueuedConnection);
}
