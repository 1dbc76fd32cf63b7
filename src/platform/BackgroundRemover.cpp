#include "platform/BackgroundRemover.h"
#include "platform/ModuleLoader.h"

BackgroundRemover& BackgroundRemover::shared()
{
    return ModuleLoader::instance<BackgroundRemover>(
        QStringLiteral("libflingdial_pictures.so"), "flingdial_backgroundRemover",
        QStringLiteral("Background removal is missing. Reinstall Flingdial."));
}
