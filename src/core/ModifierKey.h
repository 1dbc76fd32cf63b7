#pragma once

#include <QList>
#include <QString>
#include <optional>

// The keys that can be assigned to a mode. Stored values keep their
// original names; on Linux command is Super and option is Alt.
namespace ModifierKey {

enum Key { shift, command, control, option };

// A set of pressed modifier keys, one bit per key.
using Flags = unsigned;
constexpr Flags flag(Key key)
{
    return 1u << unsigned(key);
}

const QList<Key>& all();
QString rawValue(Key key);
std::optional<Key> fromRawValue(const QString& raw);
// The label in the settings picker: "⇧ Shift", "❖ Super", "⌃ Ctrl", "⎇ Alt".
QString label(Key key);

} // namespace ModifierKey
