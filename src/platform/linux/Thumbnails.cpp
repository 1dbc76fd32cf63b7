#include "platform/Thumbnails.h"

#include "platform/EngineModule.h"

namespace Thumbnails {

QImage of(const QString& path, int pixels)
{
    static const auto thumbnail = reinterpret_cast<QImage (*)(const QString&, int)>(
        EngineModule::resolve("flingdial_thumbnail"));
    return thumbnail ? thumbnail(path, pixels) : QImage();
}

} // namespace Thumbnails
