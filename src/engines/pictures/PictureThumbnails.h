#pragma once

#include "engines/images/ImageEngine.h"

#include <QImage>
#include <QString>

// Thumbnails drawn from a picture.
namespace PictureThumbnails {

QImage of(ImageEngine& images, const QString& path, int pixels);

} // namespace PictureThumbnails
