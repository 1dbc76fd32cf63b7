#include "platform/ImageEngine.h"
#include "core/Errors.h"
#include "platform/ModuleLoader.h"

ImageEngine& ImageEngine::shared()
{
    static const auto create = reinterpret_cast<ImageEngine* (*)()>(
        ModuleLoader::resolve(QStringLiteral("libflingdial_engines.so"), "flingdial_imageEngine"));
    if (!create)
        throw Fail(QStringLiteral("The image engine is missing. Reinstall Flingdial."));
    return *create();
}
