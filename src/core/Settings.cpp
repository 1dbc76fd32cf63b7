#include "core/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
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

QString Settings::filePath() const
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/flingdial/flingdial.conf");
}

void Settings::store(const QString& key, const QVariant& value)
{
    {
        QSettings file(filePath(), QSettings::IniFormat);
        if (value.isValid())
            file.setValue(key, value);
        else
            file.remove(key);
        file.sync();
    }
    Q_EMIT changed();
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

KeyCombination Settings::hotKeyKeys() const
{
    // Stored text that names no combination reads as the default, which does.
    return *KeyCombination::fromText(get(SettingKeys::hotKeyKeys));
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
        Q_EMIT changed();
    };
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, onChange);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, onChange);
}
