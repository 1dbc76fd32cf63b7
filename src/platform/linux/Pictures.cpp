#include "platform/linux/Pictures.h"

#include "platform/linux/GrabCutBackgroundRemover.h"
#include "platform/linux/PictureThumbnails.h"

BackgroundRemover* flingdial_backgroundRemover()
{
    static GrabCutBackgroundRemover instance;
    return &instance;
}

QImage flingdial_thumbnail(const QString& path, int pixels)
{
    return PictureThumbnails::of(path, pixels);
}
