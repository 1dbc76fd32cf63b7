#pragma once

#include <QProcessEnvironment>
#include <QString>

// The kind of desktop session the program runs in, read from the
// environment the session manager sets.
namespace Session {

enum class Kind {
    none,         // no display: command-line work
    x11,          // an X11 session
    gnome,        // GNOME Shell on Wayland
    kde,          // KDE Plasma (KWin) on Wayland
    wlroots,      // sway, Hyprland, river and other wlroots compositors
    otherWayland, // any other Wayland compositor
};

Kind detect(const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

// "x11", "gnome", "kde", "wlroots", "wayland", "none": for the log.
QString name(Kind kind);

bool isWayland(Kind kind);

} // namespace Session
