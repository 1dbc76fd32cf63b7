#pragma once

#include "core/WheelMode.h"

#include <QColor>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <array>
#include <memory>

class Catcher;
class LayerCatcher;
class DragWatcher;
class GlobalHotKey;
class InstanceService;
class TrayHost;
class QAction;
class QMenu;
class QSystemTrayIcon;

// The long-lived application: the tray item and its menu, the drag
// watcher, the hot key, and the busy animation of the icon.
class TrayApplication : public QObject
{
    Q_OBJECT

public:
    explicit TrayApplication(QObject* parent = nullptr);
    ~TrayApplication() override;

    // Starts everything; with `instance`, also answers a second start, a
    // compositor's binding and a desktop's extension through it.
    void start(InstanceService* instance = nullptr);

    // The keyboard wheel for the copied files, else the file chooser.
    void openForCopiedFiles(WheelMode::Mode mode = WheelMode::convert);
    void chooseFiles();
    // The Quit item: with work running, asks once whether to cancel it.
    void quit();
    // Cancels all work, closes the prompts that wait for it, and quits once
    // the work has stopped and removed what it had started.
    void stopAndQuit();
    // A trigger key: the wheel of `mode` at the pointer during a drag (in a
    // Wayland session, through the catcher), else the keyboard wheel.
    // `duringDrag`: the key is one pressed during drags (a mode's key), so
    // where a drag can't be seen to start it still waits for one.
    void trigger(WheelMode::Mode mode, bool duringDrag = false);

    // The files a file manager put on the clipboard (or the primary selection).
    static QStringList copiedFiles();

    QMenu* menu() const { return m_menu.get(); }
    DragWatcher* watcher() const { return m_watcher; }
    QSystemTrayIcon* tray() const { return m_tray; }
    // The lit segment of the tray mark: 1 at rest, turning while work runs.
    int trayFrame() const { return m_frame; }

Q_SIGNALS:
    // A tray shows the icon now (the first time, or again after it restarted).
    void trayIconShown();

private:
    void setUpMenu();
    static bool confirmQuit(int running);
    // Makes the tray icon once something shows tray icons, and shows it
    // again to a panel that restarted.
    void showTrayIcon();
    void connectInstance(InstanceService* instance);
    void catchDrag(WheelMode::Mode mode);
    void catchDragOnLayer(WheelMode::Mode mode);
    // A shortcut the desktop keeps for the program (GlobalShortcuts).
    void shortcutPressed(const QString& id);
    void applyHotKeySetting();
    void setBusy(bool busy);
    // The running operations at the top of the menu, each with its Cancel.
    void showRunningWork();
    static QIcon windowIcon();
    QIcon trayIcon(int lit);

    std::unique_ptr<QMenu> m_menu;
    QSystemTrayIcon* m_tray = nullptr;
    QAction* m_selectionItem = nullptr;
    QList<QAction*> m_workItems;
    QList<int> m_workShown;
    DragWatcher* m_watcher = nullptr;
    TrayHost* m_trayHost = nullptr;
    std::unique_ptr<Catcher> m_catcher;
    LayerCatcher* m_layerCatcher = nullptr;
    QString m_toolTip;
    std::unique_ptr<GlobalHotKey> m_hotKey;
    QTimer m_spinner;
    int m_frame = 1;
    // The spinner's frames, drawn once per panel text colour.
    std::array<QIcon, 6> m_trayIcons;
    QString m_chooserFolder;
    bool m_quitting = false;
};
