#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class Autostart;
class DesktopExtension;
class DragSource;
class FileManager;
class GlobalHotKey;
class GlobalShortcuts;
class Notifier;
class QObject;
class Thumbnails;

// The desktop session the program runs in, behind one object chosen at
// start: X11, the Wayland kinds, headless for command-line work, or a test
// backend. Everything that depends on the window system or the desktop is
// asked of it.
class Platform
{
public:
    // How the wheel's window is made: placed by the program and never
    // managed, or a managed window kept above the others (some compositors
    // only offer drops to managed windows).
    enum class WheelWindow { unmanaged, managed };

    virtual ~Platform() = default;

    // The backend's name, for the log ("x11", "headless"…).
    virtual QString name() const = 0;

    virtual Autostart& autostart() = 0;
    // Null where the session has none (no display).
    virtual Notifier* notifier() = 0;
    virtual FileManager* fileManager() = 0;
    virtual Thumbnails* thumbnails() = 0;
    // The desktop's "work complete" sound; nothing where there is none.
    virtual void playCompletionSound() = 0;
    // Opens the user's terminal in `folder`. Throws Fail when there is none
    // (saying how to install one) or it can't be started.
    virtual void openTerminal(const QString& folder) = 0;

    // Null where the backend can't give one; `why` then says why.
    virtual std::unique_ptr<GlobalHotKey> createHotKey(QObject* parent, QString* why) = 0;
    virtual std::unique_ptr<DragSource> createDragSource(QString* why) = 0;
    // The program's shortcuts kept by the desktop itself, where it offers
    // that (KDE Plasma); they then stand in for the hot key. Null elsewhere.
    // Made on first use, once the application object exists.
    virtual GlobalShortcuts* globalShortcuts() { return nullptr; }
    // The window of the X11 system tray (XEmbed) manager of the display; 0
    // when none runs.
    virtual quintptr trayManager() = 0;

    // The files of a drag this program makes itself (from a shelf), while
    // it lasts: asking our own windows for them through the window system
    // would wait on ourselves. Main thread only.
    virtual void setOwnDragFiles(const QStringList& files) = 0;

    // Every drop on the program's windows is answered as a copy, whatever
    // the source proposes: GTK file managers propose a move while Shift is
    // held (Shift also opens the Convert wheel), and a move would tell them
    // to delete the originals. Call once the application object exists.
    virtual void answerEveryDropAsCopy() = 0;
    virtual WheelWindow wheelWindow() const = 0;
    // Readies a managed window of the wheel, the catcher or a shelf,
    // created and not yet shown: out of the taskbar, the pager and the window switcher,
    // and kept above the others if `keepAbove`.
    virtual void prepareManagedWindow(quintptr window, bool keepAbove)
    {
        Q_UNUSED(window)
        Q_UNUSED(keepAbove)
    }
    // Whether a compositing manager blends translucent windows.
    virtual bool hasCompositor() = 0;
    // The window that has the keyboard before the wheel takes it (unless it
    // is one of `own`), so that it gets the keyboard back afterwards.
    virtual void rememberActiveWindow(const QList<quintptr>& own) = 0;
    virtual void restoreActiveWindow() = 0;

    // The desktop's extension the gesture needs in this session; null
    // where the session needs none.
    virtual DesktopExtension* desktopExtension() { return nullptr; }

    // The backend of this process. Installed once at start, before any
    // other thread runs.
    static Platform& shared();
    static void install(std::unique_ptr<Platform> platform);
};
