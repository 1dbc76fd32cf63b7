#pragma once

#include "platform/Platform.h"
#include "platform/desktop/DBusNotifier.h"
#include "platform/desktop/FreedesktopFileManager.h"
#include "platform/desktop/FreedesktopThumbnails.h"
#include "platform/headless/XdgAutostart.h"

#include <QPointer>

// What every Linux desktop shares, whatever draws its windows:
// notifications and the file manager over D-Bus, the freedesktop
// thumbnail cache, the sound theme, XDG autostart. Each display backend
// adds its windows, keys and drags.
class DesktopPlatform : public Platform
{
public:
    Autostart& autostart() override { return m_autostart; }
    Notifier* notifier() override;
    FileManager* fileManager() override { return &m_fileManager; }
    Thumbnails* thumbnails() override { return &m_thumbnails; }
    void playCompletionSound() override;

private:
    XdgAutostart m_autostart;
    FreedesktopFileManager m_fileManager;
    FreedesktopThumbnails m_thumbnails;
    // Belongs to the application object, which may go first.
    QPointer<DBusNotifier> m_notifier;
};
