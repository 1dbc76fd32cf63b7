#include "platform/BackgroundRemover.h"
#include "core/Errors.h"
#include "platform/ModuleLoader.h"

BackgroundRemover& BackgroundRemover::shared()
{
    static const auto create = reinterpret_cast<BackgroundRemover* (*)()>(ModuleLoader::resolve(
        QStringLiteral("libflingdial_pictures.so"), "flingdial_backgroundRemover"));
    if (!create)
        throw Fail(QStringLiteral("Background removal is missing. Reinstall Flingdial."));
    return *create();
}
