#include "platform/EngineModule.h"

#include "core/Errors.h"
#include "platform/ImageEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace EngineModule {

namespace {

// Next to the program (the build tree), one folder up (tests), in the
// installed library folder, or where FLINGDIAL_ENGINES_DIR says.
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

QLibrary* library()
{
    static QLibrary* loaded = [] {
        for (const QString& folder : candidates()) {
            auto* candidate =
                new QLibrary(QDir(folder).filePath(QStringLiteral("libflingdial_engines.so")));
            if (candidate->load())
                return candidate;
            delete candidate;
        }
        return static_cast<QLibrary*>(nullptr);
    }();
    return loaded;
}

} // namespace

QFunctionPointer resolve(const char* symbol)
{
    QLibrary* module = library();
    return module ? module->resolve(symbol) : nullptr;
}

} // namespace EngineModule

ImageEngine& ImageEngine::shared()
{
    static const auto create =
        reinterpret_cast<ImageEngine* (*)()>(EngineModule::resolve("flingdial_imageEngine"));
    if (!create)
        throw Fail(QStringLiteral("The image engine is missing. Reinstall Flingdial."));
    return *create();
}
