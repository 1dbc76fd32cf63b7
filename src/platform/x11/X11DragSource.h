#pragma once

#include "platform/DragSource.h"
#include "platform/x11/X11.h"

#include <optional>
#include <xcb/xfixes.h>

// The XDND drag data seen from outside the drag. Each change of owner of
// the XdndSelection selection to a real window counts as a new drag (GTK
// sources give it back to None after each drag; those don't count). The
// files are the selection converted to text/uri-list, INCR transfers
// included; the types come from the source's XdndTypeList.
class X11DragSource : public DragSource
{
public:
    // `ownDragFiles` (may be null) lists the files of our own drag, if any.
    explicit X11DragSource(const QStringList* ownDragFiles = nullptr);
    ~X11DragSource() override;

    bool isValid() const;

    quint64 changeCount() override;
    Pointer pointer() override;
    QStringList files() override;
    QStringList types() override;

private:
    void drainEvents();
    void noteOwnerChange(const xcb_xfixes_selection_notify_event_t* notify);
    std::optional<QByteArray> convertSelection(xcb_atom_t target);
    xcb_generic_event_t* waitForEvent(uint8_t type, int milliseconds);
    xcb_window_t selectionOwner();

    const QStringList* m_ownDragFiles;
    X11Connection m_x;
    xcb_window_t m_window = XCB_NONE;
    xcb_atom_t m_selection = XCB_ATOM_NONE;
    uint8_t m_xfixesFirstEvent = 0;
    quint64 m_changes = 0;
    xcb_timestamp_t m_ownedSince = XCB_CURRENT_TIME;
};
