#include "platform/gnome/GnomePlatform.h"

DesktopExtension* GnomePlatform::desktopExtension()
{
    if (!m_extension)
        m_extension = std::make_unique<GnomeShellExtension>();
    return m_extension.get();
}
