#pragma once

#include "core/ModifierKey.h"
#include "core/WheelMode.h"
#include "platform/DragSource.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>

// Notices file drags from any program by polling the drag data and the
// pointer 30 times a second, and opens the wheel when a trigger key is
// newly pressed during a drag.
class DragWatcher : public QObject
{
    Q_OBJECT

public:
    // Takes the pasteboard to watch; nothing to watch leaves it idle.
    explicit DragWatcher(std::unique_ptr<DragSource> pasteboard, QObject* parent = nullptr);

    void start();
    // One poll; the timer calls it.
    void tick();

    bool isDragging() const { return m_dragging; }
    // The files of the drag the watcher follows.
    const QStringList& files() const { return m_files; }
    // The files the window system offers for the drag in progress now, also
    // where the watcher can't follow the drag (no button in Wayland sessions).
    QStringList dragFiles() const;

    // Whether a drag started (its data changed owner) and hasn't been seen
    // to end. X11 clients in a Wayland session see no button, so there a
    // drag ends only when forgotten (the catcher closed), when the next one
    // starts, or after a quiet time.
    bool hasRecentDrag() const;
    void forgetDrag();

Q_SIGNALS:
    void showWheel(WheelMode::Mode mode, const QStringList& files);
    // A trigger key was newly pressed during a drag whose button the window
    // system doesn't show (X11 clients of a Wayland session that lets them
    // see the modifiers): the pointer and the files are still unknown.
    void triggerPressed(WheelMode::Mode mode);
    void dragEnded();

private:
    void whileIdle(const DragSource::Pointer& pointer);
    void whileDragging(const DragSource::Pointer& pointer);
    void whileButtonUnseen(const DragSource::Pointer& pointer);
    // The trigger mode newly pressed keys ask for, if any other than the one shown.
    std::optional<WheelMode::Mode> newTrigger(ModifierKey::Flags modifiers);

    std::unique_ptr<DragSource> m_dragSource;
    QTimer m_timer;
    QElapsedTimer m_sinceDragStart;
    quint64 m_lastChangeCount = 0;
    bool m_dragging = false;
    QStringList m_files;
    std::optional<WheelMode::Mode> m_shownMode;
    ModifierKey::Flags m_previousFlags = 0;
};
