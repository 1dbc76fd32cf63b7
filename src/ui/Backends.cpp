#include "ui/Backends.h"

#include "platform/gnome/GnomePlatform.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/kde/KdePlatform.h"
#include "platform/x11/X11Platform.h"

namespace Backends {

std::unique_ptr<Platform> forSession(Session::Kind kind)
{
    if (kind == Session::Kind::none)
        return std::make_unique<HeadlessPlatform>();
    if (kind == Session::Kind::kde)
        return std::make_unique<KdePlatform>();
    // GNOME's gesture comes from our Shell extension.
    if (kind == Session::Kind::gnome)
        return std::make_unique<GnomePlatform>();
    // Other Wayland sessions are served through XWayland.
    return std::make_unique<X11Platform>();
}

} // namespace Backends
