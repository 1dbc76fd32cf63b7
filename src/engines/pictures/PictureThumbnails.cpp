#include "engines/pictures/PictureThumbnails.h"

#include "base/FileKind.h"
#include "engines/pictures/UprightPicture.h"

namespace PictureThumbnails {

QImage of(ImageEngine& images, const QString& path, int pixels)
{
    if (FileKind::of(path) != FileKind::image)
        return {};
    const QImage image = UprightPicture::load(images, path, pixels);
    if (image.isNull())
        return {};
    return image.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace PictureThumbnails
