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
    m_defaults = {
        {QStringLiteral("modifier.convert"), QStringLiteral("shift")},
        {QStringLiteral("modifier.tools"), QStringLiteral("command")},
        {QStringLiteral("modifier.actions"), QStringLiteral("control")},
        {QStringLiteral("output.mode"), QStringLiteral("same")},
        {QStringLiteral("jpegQuality"), 85},
        {QStringLiteral("revealAfter"), false},
        {QStringLiteral("notify"), true},
        {QStringLiteral("hotkey"), true},
        {QStringLiteral("sound"), true},
    };
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
    if (stringValue(QStringLiteral("output.mode")) != QLatin1String("custom"))
        return std::nullopt;
    const QString path = stringValue(QStringLiteral("output.path"));
    if (path.isEmpty())
        return std::nullopt;
    return QDir::cleanPath(QDir(path).absolutePath());
}

int Settings::jpegQuality() const
{
    return std::clamp(intValue(QStringLiteral("jpegQuality")), 10, 100);
}

std::optional<WheelMode::Mode> Settings::modeFor(ModifierKey::Flags pressed) const
{
    for (const WheelMode::Mode mode : WheelMode::all()) {
        const QString raw = stringValue(QStringLiteral("modifier.") + WheelMode::rawValue(mode));
        const ModifierKey::Key key = ModifierKey::fromRawValue(raw).value_or(ModifierKey::shift);
        if (pressed & ModifierKey::flag(key))
            return mode;
    }
    return std::nullopt;
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
