#pragma once

#include "platform/Thumbnails.h"

// The freedesktop thumbnail cache (~/.cache/thumbnails), else a thumbnail
// drawn by the pictures plugin.
class FreedesktopThumbnails : public Thumbnails
{
public:
    QImage of(const QString& path, int pixels) override;
};
