#pragma once

#include "platform/x11/X11.h"

#include <QList>

// The window that had the keyboard before the wheel took it, given back
// afterwards through the window manager (or directly without one); and
// whether a compositing manager and a system tray run; and the states that
// keep a managed window of ours above the others and out of the way.
class X11WindowFocus
{
public:
    // Remembers the active window unless it is one of `own` (then the
    // earlier one is kept).
    void remember(const QList<quintptr>& own);
    void restore();
    bool hasCompositor();
    // Asks for `window` (not yet mapped) to stay out of the taskbar, the
    // pager and the window switcher, and above the others if `keepAbove`.
    void prepareManaged(quintptr window, bool keepAbove);
    // The owner of the XEmbed tray selection of the default screen.
    quintptr trayManager();

private:
    X11Connection m_x;
    xcb_window_t m_remembered = XCB_NONE;
};
