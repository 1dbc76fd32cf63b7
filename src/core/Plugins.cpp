#include "core/Plugins.h"

#include "core/Engines.h"
#include "core/Log.h"
#include "engines/EngineHost.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QPluginLoader>
#include <memory>

namespace Plugins {

namespace {

std::unique_ptr<QPluginLoader> loaded(const QString& fileName)
{
    QString why;
    for (const QString& folder : folders()) {
        const QString path = QDir(folder).filePath(fileName);
        if (!QFileInfo::exists(path))
            continue;
        auto loader = std::make_unique<QPluginLoader>(path);
        if (loader->instance())
            return loader;
        why = loader->errorString();
    }
    qCWarning(lcApp, "plugin %s can't be loaded: %s", qUtf8Printable(fileName),
              qUtf8Printable(why.isEmpty() ? QStringLiteral("not found") : why));
    return nullptr;
}

} // namespace

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

QObject* load(const QString& fileName)
{
    static QMutex mutex;
    // Kept for the life of the process: plugins are never unloaded.
    static QHash<QString, std::shared_ptr<QPluginLoader>> loaders;
    const QMutexLocker lock(&mutex);
    if (!loaders.contains(fileName)) {
        std::shared_ptr<QPluginLoader> loader = loaded(fileName);
        if (loader)
            if (auto* engine = qobject_cast<EnginePlugin*>(loader->instance()))
                engine->attach(Engines::host());
        loaders.insert(fileName, loader);
    }
    const std::shared_ptr<QPluginLoader>& loader = loaders.value(fileName);
    return loader ? loader->instance() : nullptr;
}

std::optional<QString> helper(const QString& fileName)
{
    for (const QString& folder : folders()) {
        const QFileInfo candidate(QDir(folder).filePath(fileName));
        if (candidate.isFile() && candidate.isExecutable())
            return candidate.absoluteFilePath();
    }
    return std::nullopt;
}

} // namespace Plugins
