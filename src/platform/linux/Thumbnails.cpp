#include "platform/Thumbnails.h"

#include "platform/ModuleLoader.h"

namespace Thumbnails {

QImage of(const QString& path, int pixels)
{
    static const auto thumbnail = reinterpret_cast<QImage (*)(const QString&, int)>(
        ModuleLoader::resolve(QStringLiteral("libflingdial_pictures.so"), "flingdial_thumbnail"));
    return thumbnail ? thumbnail(path, pixels) : QImage();
}

} // namespace Thumbnails
