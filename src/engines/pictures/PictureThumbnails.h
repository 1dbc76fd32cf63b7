#pragma once

#include "engines/images/ImageEngine.h"

#include <QImage>
#include <QString>

// Thumbnails drawn from a picture or a PDF's first page.
namespace PictureThumbnails {

QImage of(ImageEngine& images, const QString& path, int pixels);

} // namespace PictureThumbnails
