#include "platform/Platform.h"

#include <QtGlobal>

namespace {

std::unique_ptr<Platform>& installed()
{
    static std::unique_ptr<Platform> platform;
    return platform;
}

} // namespace

Platform& Platform::shared()
{
    if (!installed())
        qFatal("no platform backend is installed");
    return *installed();
}

void Platform::install(std::unique_ptr<Platform> platform)
{
    installed() = std::move(platform);
}
