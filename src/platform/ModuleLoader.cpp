#include "platform/ModuleLoader.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLibrary>
#include <QMutex>

namespace ModuleLoader {

namespace {

QStringList folders()
{
    QStringList list;
    if (!qEnvironmentVariableIsEmpty("FLINGDIAL_MODULES_DIR"))
        list.append(qEnvironmentVariable("FLINGDIAL_MODULES_DIR"));
    // Known before any application object exists.
    const QString here =
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
    list << here << here + QStringLiteral("/..")
         << here + QStringLiteral("/../" FLINGDIAL_LIBDIR "/flingdial")
         << QStringLiteral(FLINGDIAL_MODULES_INSTALL_DIR);
    return list;
}

QLibrary* load(const QString& fileName)
{
    static QMutex mutex;
    static QHash<QString, QLibrary*> loaded;
    const QMutexLocker lock(&mutex);
    if (loaded.contains(fileName))
        return loaded.value(fileName);
    QLibrary* found = nullptr;
    for (const QString& folder : folders()) {
        auto library = std::make_unique<QLibrary>(QDir(folder).filePath(fileName));
        if (library->load()) {
            found = library.release(); // kept for the life of the process
            break;
        }
    }
    loaded.insert(fileName, found);
    return found;
}

} // namespace

std::optional<QString> helper(const QString& fileName)
{
    for (const QString& folder : folders()) {
        const QFileInfo candidate(QDir(folder).filePath(fileName));
        if (candidate.isFile() && candidate.isExecutable())
            return candidate.absoluteFilePath();
    }
    return std::nullopt;
}

QFunctionPointer resolve(const QString& fileName, const char* symbol)
{
    QLibrary* library = load(fileName);
    return library ? library->resolve(symbol) : nullptr;
}

} // namespace ModuleLoader
