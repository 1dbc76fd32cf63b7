#pragma once

#include "platform/kde/KdeShortcuts.h"
#include "platform/x11/X11Platform.h"

#include <QPointer>

// KDE Plasma on Wayland, seen through XWayland: the X11 backend, with the
// program's shortcuts kept by Plasma (pressed during a drag, they open the
// catcher) and managed windows for the catcher and the wheel, since KWin
// offers drops to managed X11 windows only.
class KdePlatform : public X11Platform
{
public:
    QString name() const override { return QStringLiteral("kde"); }
    GlobalShortcuts* globalShortcuts() override;
    WheelWindow wheelWindow() const override { return WheelWindow::managed; }

private:
    // Belongs to the application object.
    QPointer<KdeShortcuts> m_shortcuts;
};
