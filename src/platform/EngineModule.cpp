#include "core/Errors.h"
#include "platform/BackgroundRemover.h"
#include "platform/ImageEngine.h"
#include "platform/Thumbnails.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

// Loads the engines module on first use: next to the program (the build
// tree), one folder up (tests), or in the installed library folder.
namespace {

struct EngineModule
{
    ImageEngine* (*imageEngine)() = nullptr;
    BackgroundRemover* (*backgroundRemover)() = nullptr;
    QImage (*thumbnail)(const QString&, int) = nullptr;
};

QStringList candidates()
{
    QStringList folders;
    if (!qEnvironmentVariableIsEmpty("FLINGDIAL_ENGINES_DIR"))
        folders.append(qEnvironmentVariable("FLINGDIAL_ENGINES_DIR"));
    const QString here =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    if (!here.isEmpty())
        folders << here << here + QStringLiteral("/..")
                << here + QStringLiteral("/../" FLINGDIAL_LIBDIR "/flingdial");
    folders.append(QStringLiteral(FLINGDIAL_ENGINES_INSTALL_DIR));
    return folders;
}

const EngineModule& module()
{
    static const EngineModule loaded = [] {
        EngineModule entries;
        for (const QString& folder : candidates()) {
            QLibrary library(QDir(folder).filePath(QStringLiteral("libflingdial_engines.so")));
            if (!library.load())
                continue;
            entries.imageEngine =
                reinterpret_cast<ImageEngine* (*)()>(library.resolve("flingdial_imageEngine"));
            entries.backgroundRemover = reinterpret_cast<BackgroundRemover* (*)()>(
                library.resolve("flingdial_backgroundRemover"));
            entries.thumbnail = reinterpret_cast<QImage (*)(const QString&, int)>(
                library.resolve("flingdial_thumbnail"));
            if (entries.imageEngine && entries.backgroundRemover && entries.thumbnail)
                break;
        }
        return entries;
    }();
    return loaded;
}

Fail missingModule()
{
    return Fail(QStringLiteral("The image engine is missing. Reinstall Flingdial."));
}

} // namespace

ImageEngine& ImageEngine::shared()
{
    if (!module().imageEngine)
        throw missingModule();
    return *module().imageEngine();
}

BackgroundRemover& BackgroundRemover::shared()
{
    if (!module().backgroundRemover)
        throw missingModule();
    return *module().backgroundRemover();
}

namespace Thumbnails {

QImage of(const QString& path, int pixels)
{
    return module().thumbnail ? module().thumbnail(path, pixels) : QImage();
}

} // namespace Thumbnails
