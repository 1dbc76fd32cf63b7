#pragma once

#include <QList>
#include <QString>
#include <optional>

// The keys that can be assigned to a mode.
namespace ModifierKey {

enum Key { shift, super, control, alt };

// A set of pressed modifier keys, one bit per key.
using Flags = unsigned;
constexpr Flags flag(Key key)
{
    return 1u << unsigned(key);
}

const QList<Key>& all();
// "shift", "super", "control", "alt": how a key is stored.
QString rawValue(Key key);
// Also reads "command" and "option", which earlier versions stored for
// Super and Alt.
std::optional<Key> fromRawValue(const QString& raw);
// The label in the settings picker: "⇧ Shift", "❖ Super", "⌃ Ctrl", "⎇ Alt".
QString label(Key key);

} // namespace ModifierKey
