#include "platform/ImageEngine.h"
#include "platform/ModuleLoader.h"

ImageEngine& ImageEngine::shared()
{
    return ModuleLoader::instance<ImageEngine>(
        QStringLiteral("libflingdial_engines.so"), "flingdial_imageEngine",
        QStringLiteral("The image engine is missing. Reinstall Flingdial."));
}
