#pragma once

#include <QImage>
#include <QString>

// Thumbnails from the freedesktop cache, a picture, or a PDF's first page.
namespace PictureThumbnails {

QImage of(const QString& path, int pixels);

} // namespace PictureThumbnails
