#pragma once

#include "core/KeyCombination.h"
#include "core/ModifierKey.h"
#include "core/WheelMode.h"

#include <QString>
#include <QVariant>
#include <algorithm>

// A preference: its key in the settings file, its default, and the values
// it may take, in one place.
template<typename T> struct SettingKey
{
    const char* name;
    T defaultValue;
    // Brings a stored value into range (a hand-edited file may hold anything).
    T (*normalised)(const T& value) = nullptr;

    QString key() const { return QString::fromLatin1(name); }

    T from(const QVariant& stored) const
    {
        const T value = stored.isValid() ? stored.value<T>() : defaultValue;
        return normalised ? normalised(value) : value;
    }
};

// Every preference the program reads.
namespace SettingKeys {

inline int clampQuality(const int& value)
{
    return std::clamp(value, 10, 100);
}

// Keys that name no combination read as the default.
inline QString normalisedKeys(const QString& value)
{
    const std::optional<KeyCombination> keys = KeyCombination::fromText(value);
    return keys ? keys->text() : QStringLiteral("Ctrl+Alt+Space");
}

inline const SettingKey<QString> outputMode{"output.mode", QStringLiteral("same")};
inline const SettingKey<QString> outputPath{"output.path", QString()};
inline const SettingKey<int> jpegQuality{"jpegQuality", 85, clampQuality};
inline const SettingKey<bool> revealAfter{"revealAfter", false};
inline const SettingKey<bool> notify{"notify", true};
inline const SettingKey<bool> hotKey{"hotkey", true};
// What the hot key is, as KeyCombination writes it.
inline const SettingKey<QString> hotKeyKeys{"hotkey.keys", QStringLiteral("Ctrl+Alt+Space"),
                                            normalisedKeys};
inline const SettingKey<bool> sound{"sound", true};
inline const SettingKey<bool> onboarded{"onboarded", false};
// The guide has explained the desktop's extension (GNOME Shell's) once.
inline const SettingKey<bool> extensionGuided{"extensionGuided", false};

// The trigger key of a mode ("modifier.convert", …), as a raw ModifierKey value.
SettingKey<QString> modifier(WheelMode::Mode mode);

// The trigger key a stored value names; anything unrecognised counts as Shift.
ModifierKey::Key modifierKey(const QString& raw);

} // namespace SettingKeys
