#pragma once

#include "platform/gnome/GnomeShellExtension.h"
#include "platform/x11/X11Platform.h"

#include <memory>

// GNOME Shell on Wayland: an X11 client under XWayland like any Wayland
// session, which gets the pointer and the keys of a drag from our Shell
// extension.
class GnomePlatform : public X11Platform
{
public:
    QString name() const override { return QStringLiteral("gnome"); }
    DesktopExtension* desktopExtension() override;

private:
    std::unique_ptr<GnomeShellExtension> m_extension;
};
