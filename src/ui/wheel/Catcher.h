#pragma once

#include "core/WheelMode.h"
#include "platform/Platform.h"

#include <QPoint>
#include <QRect>
#include <QStringList>
#include <QTimer>
#include <QWidget>

// In a Wayland session the program sees a drag start but never the
// pointer: after a trigger, this transparent window over the whole screen
// waits for the drag to enter it. The first position with files opens the
// wheel there; the files are read at Enter and kept, because some
// compositors no longer hand them over at the drop. Escape, leaving the
// screen, a drop outside the wheel or a drag that never comes closes it;
// such a drop is refused, so the source keeps its files.
class Catcher : public QWidget
{
    Q_OBJECT

public:
    explicit Catcher(QWidget* parent = nullptr);

    // Covers every screen and waits for the drag, for the wheel of `mode`.
    void catchDrag(WheelMode::Mode mode, Platform::WheelWindow kind);
    // Where the wheel is, so that a drag that leaves the catcher for it
    // doesn't close it.
    void setWheelArea(const QRect& area) { m_wheelArea = area; }
    void dismiss();

Q_SIGNALS:
    // The drag entered with `files` and is at `pointer` (global coordinates).
    void caught(WheelMode::Mode mode, const QStringList& files, QPoint pointer);
    // It closed: the drag ended, left or was given up.
    void closed();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // A click means no drag is going on.
    void mousePressEvent(QMouseEvent* event) override;

private:
    WheelMode::Mode m_mode = WheelMode::convert;
    QStringList m_files;
    QPoint m_last;
    QRect m_wheelArea;
    bool m_caught = false;
    QTimer m_patience;
};
