#pragma once

#include "core/WheelMode.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>
#include <functional>

class QMenu;

// The tray application's side of org.flingdial.Flingdial on the session
// bus: the one instance of the session, which a second start, a compositor
// binding (flingdial --trigger) or a desktop's extension talks to. Each
// method answers at once and does its work afterwards.
//
// For a desktop's extension (GNOME Shell's, data/gnome-shell-extension) it
// also gives the trigger keys and the hot key from the settings and the tray
// menu, and says when they change with the signals GestureKeysChanged and
// MenuChanged.
class InstanceService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.flingdial.Flingdial")

public:
    enum class Claim { claimed, taken, noBus };

    explicit InstanceService(QObject* parent = nullptr);

    // Takes the session's name and offers the methods; `taken` when another
    // instance holds it.
    Claim claim(QString* why = nullptr);

    // The menu Menu() lists and ActivateMenuItem() runs, and whether a tray
    // shows it already.
    void setTrayMenu(QMenu* menu, std::function<bool()> trayShown);
    // Tells the extension to read the menu again (soon, once for many changes).
    void menuChanged();

public Q_SLOTS:
    void OpenSettings();
    // The keyboard wheel for `files`; `mode` is "convert", "tools" or "actions".
    void OpenWheel(const QStringList& files, const QString& mode);
    // A trigger key: during a drag, the wheel of `mode` at the pointer;
    // otherwise the keyboard wheel for the copied files. An empty `mode` is
    // the hot key (the convert wheel); a key of a mode is pressed during
    // drags, so where drags can't be seen it waits for one.
    void Trigger(const QString& mode);

    // From a desktop's extension: the trigger key of `mode` went down during
    // a drag, with the pointer at `x`, `y` of the desktop's own `width` ×
    // `height` logical pixels.
    void TriggerAt(const QString& mode, int x, int y, int width, int height);
    // The drag during which TriggerAt came has ended.
    void DragEnded();
    // The hot key the extension grabbed was pressed.
    void HotKeyPressed();
    // The extension tried to grab the hot key `accelerator`; `grabbed` is
    // false when another binding of the desktop holds it.
    void HotKeyGrabbed(const QString& accelerator, bool grabbed);
    // The trigger key of each mode ("convert": "shift", …) and the hot key
    // ("hotkey": "<Control><Alt>space", in GTK's accelerator syntax as the Shell
    // grabs it; empty when it is off).
    QVariantMap GestureKeys();
    // The tray menu: "tray" (whether a tray shows it), "titles" (empty for a
    // separator) and "enabled", item by item.
    QVariantMap Menu();
    // Runs item `index` of Menu(), if it still has `title`.
    void ActivateMenuItem(int index, const QString& title);

Q_SIGNALS:
    void settingsRequested();
    void wheelRequested(WheelMode::Mode mode, const QStringList& files);
    void triggered(WheelMode::Mode mode, bool duringDrag);
    // `point` of a desktop `space` large.
    void triggeredAt(WheelMode::Mode mode, QPoint point, QSize space);
    void dragEnded();
    void hotKeyPressed();
    void hotKeyGrabbed(const QString& accelerator, bool grabbed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static QVariantMap gestureKeys();
    void emitSignal(const QString& name);
    void settingsChanged();

    QPointer<QMenu> m_menu;
    std::function<bool()> m_trayShown;
    QTimer m_menuChanged;
    QVariantMap m_keysSent;
    bool m_claimed = false;
};
