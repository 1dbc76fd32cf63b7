#pragma once

#include <QImage>
#include <QString>

// Small pictures of files' contents. Blocking: call away from the main thread.
namespace Thumbnails {

// The desktop's cached thumbnail, else one made from the picture or the
// PDF's first page; a null image for other files.
QImage of(const QString& path, int pixels);

} // namespace Thumbnails
