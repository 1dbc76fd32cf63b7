#pragma once

#include <QList>

// The window that has the keyboard before the wheel takes it, so that it
// gets it back afterwards; and whether windows can be translucent.
namespace WindowFocus {

// Remembers the active window unless it is one of `own` (then the earlier
// one is kept).
void rememberActiveWindow(const QList<quintptr>& own);
void restoreActiveWindow();
void forgetActiveWindow();
bool hasRememberedWindow();

// Whether a compositing manager blends translucent windows.
bool hasCompositor();

} // namespace WindowFocus
