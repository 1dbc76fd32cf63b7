#include "platform/Session.h"

#include <QStringList>

namespace Session {

namespace {

// XDG_CURRENT_DESKTOP is a colon-separated list ("ubuntu:GNOME").
bool desktopIs(const QProcessEnvironment& environment, const QStringList& names)
{
    const QStringList desktops =
        environment.value(QStringLiteral("XDG_CURRENT_DESKTOP")).split(QLatin1Char(':'));
    for (const QString& desktop : desktops)
        for (const QString& name : names)
            if (desktop.compare(name, Qt::CaseInsensitive) == 0)
                return true;
    return false;
}

} // namespace

Kind detect(const QProcessEnvironment& environment)
{
    const bool wayland =
        !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty() ||
        environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland");
    if (wayland) {
        if (desktopIs(environment, {QStringLiteral("GNOME")}))
            return Kind::gnome;
        if (desktopIs(environment, {QStringLiteral("KDE")}))
            return Kind::kde;
        if (environment.contains(QStringLiteral("SWAYSOCK")) ||
            environment.contains(QStringLiteral("HYPRLAND_INSTANCE_SIGNATURE")) ||
            desktopIs(environment, {QStringLiteral("sway"), QStringLiteral("Hyprland"),
                                    QStringLiteral("river"), QStringLiteral("wlroots")}))
            return Kind::wlroots;
        return Kind::otherWayland;
    }
    if (!environment.value(QStringLiteral("DISPLAY")).isEmpty())
        return Kind::x11;
    return Kind::none;
}

QString name(Kind kind)
{
    switch (kind) {
    case Kind::none:
        return QStringLiteral("none");
    case Kind::x11:
        return QStringLiteral("x11");
    case Kind::gnome:
        return QStringLiteral("gnome");
    case Kind::kde:
        return QStringLiteral("kde");
    case Kind::wlroots:
        return QStringLiteral("wlroots");
    case Kind::otherWayland:
        return QStringLiteral("wayland");
    }
    return {};
}

bool isWayland(Kind kind)
{
    return kind != Kind::none && kind != Kind::x11;
}

} // namespace Session
