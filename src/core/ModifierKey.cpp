#include "core/ModifierKey.h"

#include "base/Translate.h"

namespace ModifierKey {

FLINGDIAL_TR_CONTEXT(ModifierKey)

const QList<Key>& all()
{
    static const QList<Key> keys = {shift, command, control, option};
    return keys;
}

QString rawValue(Key key)
{
    switch (key) {
    case shift:
        return QStringLiteral("shift");
    case command:
        return QStringLiteral("command");
    case control:
        return QStringLiteral("control");
    case option:
        return QStringLiteral("option");
    }
    return {};
}

std::optional<Key> fromRawValue(const QString& raw)
{
    for (const Key key : all()) {
        if (rawValue(key) == raw)
            return key;
    }
    return std::nullopt;
}

QString label(Key key)
{
    switch (key) {
    case shift:
        return tr("⇧ Shift");
    case command:
        return tr("❖ Super");
    case control:
        return tr("⌃ Ctrl");
    case option:
        return tr("⎇ Alt");
    }
    return {};
}

} // namespace ModifierKey
