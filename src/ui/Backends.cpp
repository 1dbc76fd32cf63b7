#include "ui/Backends.h"

#include "platform/gnome/GnomePlatform.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/x11/X11Platform.h"

namespace Backends {

std::unique_ptr<Platform> forSession(Session::Kind kind)
{
    if (kind == Session::Kind::none)
        return std::make_unique<HeadlessPlatform>();
    // Wayland sessions are served through XWayland; GNOME's gesture comes
    // from our Shell extension.
    if (kind == Session::Kind::gnome)
        return std::make_unique<GnomePlatform>();
    return std::make_unique<X11Platform>();
}

} // namespace Backends
