#pragma once

#include "core/ModifierKey.h"
#include "core/SettingKey.h"
#include "core/WheelMode.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <optional>

// The user's preferences: an INI file under the XDG config folder, read
// afresh at every use. A key that isn't stored reads as its default, which
// is never written.
class Settings : public QObject
{
    Q_OBJECT

public:
    static Settings& shared();

    QString filePath() const;

    template<typename T> T get(const SettingKey<T>& key) const
    {
        // QSettings objects are reentrant, not shareable: one per read keeps
        // background readers safe, and Qt caches the parsed file between them.
        const QSettings store(filePath(), QSettings::IniFormat);
        return key.from(store.value(key.key()));
    }
    template<typename T> void set(const SettingKey<T>& key, const T& newValue)
    {
        store(key.key(), QVariant::fromValue(newValue));
    }
    // Forgets the stored value, so that the key reads as its default again.
    template<typename T> void reset(const SettingKey<T>& key) { store(key.key(), QVariant()); }

    // The trigger key of a mode.
    ModifierKey::Key triggerKey(WheelMode::Mode mode) const;
    // The keys of the hot key.
    KeyCombination hotKeyKeys() const;

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
    // A preference changed, here or in the file on disk.
    void changed();

private:
    Settings();

    // Writes `value` under `key`; an invalid value removes the key.
    void store(const QString& key, const QVariant& value);

    QFileSystemWatcher* m_watcher = nullptr;
};
