#pragma once

#include "platform/FileManager.h"

// org.freedesktop.FileManager1 on the session bus; without it, the
// folder opened with the desktop's default application.
class FreedesktopFileManager : public FileManager
{
public:
    void reveal(const QStringList& paths) override;
};
