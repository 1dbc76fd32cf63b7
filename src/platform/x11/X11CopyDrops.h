#pragma once

#include <QAbstractNativeEventFilter>
#include <xcb/xcb.h>

// Rewrites the action of each XdndPosition message to XdndActionCopy before
// Qt reads it. Qt then offers copy in its XdndStatus and XdndFinished, which
// the protocol allows a target to answer to any request. Qt's own
// QDropEvent::setDropAction can't do this: it keeps the source's action
// when the source did not list copy as possible, as GTK sources don't.
class X11CopyDrops : public QAbstractNativeEventFilter
{
public:
    X11CopyDrops();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override;

private:
    xcb_atom_t m_position = XCB_NONE;
    xcb_atom_t m_copy = XCB_NONE;
};
