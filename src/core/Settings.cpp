#include "core/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>

Settings& Settings::shared()
{
    static Settings instance;
    return instance;
}

Settings::Settings()
{
    // Created on first use from any thread; its signals belong to the main thread.
    if (QCoreApplication* app = QCoreApplication::instance())
        moveToThread(app->thread());
}

void Settings::registerDefaults()
{
    QMutexLocker lock(&m_mutex);
    m_defaults.clear();
    const auto add = [this](const auto& key) { m_defaults.insert(key.key(), key.defaultValue); };
    for (const WheelMode::Mode mode : WheelMode::all())
        add(SettingKeys::modifier(mode));
    add(SettingKeys::outputMode);
    add(SettingKeys::jpegQuality);
    add(SettingKeys::revealAfter);
    add(SettingKeys::notify);
    add(SettingKeys::hotKey);
    add(SettingKeys::sound);
}

QString Settings::filePath() const
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/flingdial/flingdial.conf");
}

QVariant Settings::value(const QString& key) const
{
    // QSettings objects are reentrant, not shareable: one per read keeps
    // background readers safe, and Qt caches the parsed file between them.
    const QSettings store(filePath(), QSettings::IniFormat);
    if (store.contains(key))
        return store.value(key);
    QMutexLocker lock(&m_mutex);
    return m_defaults.value(key);
}

bool Settings::boolValue(const QString& key) const
{
    return value(key).toBool();
}

int Settings::intValue(const QString& key) const
{
    return value(key).toInt();
}

QString Settings::stringValue(const QString& key) const
{
    return value(key).toString();
}

void Settings::setValue(const QString& key, const QVariant& newValue)
{
    {
        QSettings store(filePath(), QSettings::IniFormat);
        store.setValue(key, newValue);
        store.sync();
    }
    Q_EMIT changed(key);
}

void Settings::remove(const QString& key)
{
    {
        QSettings store(filePath(), QSettings::IniFormat);
        store.remove(key);
        store.sync();
    }
    Q_EMIT changed(key);
}

std::optional<QString> Settings::outputDirectory() const
{
    if (get(SettingKeys::outputMode) != QLatin1String("custom"))
        return std::nullopt;
    const QString path = get(SettingKeys::outputPath);
    if (path.isEmpty())
        return std::nullopt;
    return QDir::cleanPath(QDir(path).absolutePath());
}

int Settings::jpegQuality() const
{
    return get(SettingKeys::jpegQuality);
}

std::optional<WheelMode::Mode> Settings::modeFor(ModifierKey::Flags pressed) const
{
    for (const WheelMode::Mode mode : WheelMode::all()) {
        if (pressed & ModifierKey::flag(triggerKey(mode)))
            return mode;
    }
    return std::nullopt;
}

ModifierKey::Key Settings::triggerKey(WheelMode::Mode mode) const
{
    return SettingKeys::modifierKey(get(SettingKeys::modifier(mode)));
}

void Settings::watchForChanges()
{
    Q_ASSERT(QThread::currentThread() == thread());
    if (m_watcher)
        return;
    const QFileInfo file(filePath());
    QDir().mkpath(file.absolutePath());
    m_watcher = new QFileSystemWatcher(this);
    m_watcher->addPath(file.absolutePath());
    if (file.exists())
        m_watcher->addPath(file.absoluteFilePath());
    const auto onChange = [this, file] {
        // Saving replaces the file, which drops it from the watch list.
        if (QFileInfo::exists(file.absoluteFilePath()) &&
            !m_watcher->files().contains(file.absoluteFilePath()))
            m_watcher->addPath(file.absoluteFilePath());
        Q_EMIT changed(QString());
    };
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, onChange);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, onChange);
}
