#include "platform/linux/Engines.h"

#include "platform/linux/PictureThumbnails.h"
#include "platform/linux/VipsImageEngine.h"

namespace {

VipsImageEngine& engine()
{
    static VipsImageEngine instance;
    return instance;
}

} // namespace

ImageEngine* flingdial_imageEngine()
{
    return &engine();
}

QImage flingdial_thumbnail(const QString& path, int pixels)
{
    return PictureThumbnails::of(path, pixels, engine());
}
