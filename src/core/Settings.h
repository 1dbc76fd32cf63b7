#pragma once

#include "core/ModifierKey.h"
#include "core/SettingKey.h"
#include "core/WheelMode.h"

#include <QFileSystemWatcher>
#include <QMutex>
#include <QObject>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <optional>

// The user's preferences: an INI file under the XDG config folder, read
// afresh at every use, with registered defaults kept in memory only.
class Settings : public QObject
{
    Q_OBJECT

public:
    static Settings& shared();

    // Registers the defaults of every preference. `register` is a keyword in C++.
    void registerDefaults();

    QString filePath() const;

    QVariant value(const QString& key) const;
    bool boolValue(const QString& key) const;
    int intValue(const QString& key) const;
    QString stringValue(const QString& key) const;
    void setValue(const QString& key, const QVariant& value);
    void remove(const QString& key);

    template<typename T> T get(const SettingKey<T>& key) const
    {
        const QSettings store(filePath(), QSettings::IniFormat);
        return key.from(store.value(key.key()));
    }
    template<typename T> void set(const SettingKey<T>& key, const T& newValue)
    {
        setValue(key.key(), QVariant::fromValue(newValue));
    }

    // The trigger key of a mode.
    ModifierKey::Key triggerKey(WheelMode::Mode mode) const;

    // The custom output folder, present only when "output.mode" is
    // "custom" and "output.path" is not empty.
    std::optional<QString> outputDirectory() const;
    // "jpegQuality" clamped to 10 … 100.
    int jpegQuality() const;

    // The mode whose trigger key is among `pressed`; the earlier mode wins
    // when two share a key, and an unrecognised key counts as Shift.
    std::optional<WheelMode::Mode> modeFor(ModifierKey::Flags pressed) const;

    // Watches the file so that edits by other processes raise changed().
    void watchForChanges();

Q_SIGNALS:
    // A key changed; an empty key means the file changed on disk.
    void changed(const QString& key);

private:
    Settings();

    mutable QMutex m_mutex;
    QVariantMap m_defaults;
    QFileSystemWatcher* m_watcher = nullptr;
};
