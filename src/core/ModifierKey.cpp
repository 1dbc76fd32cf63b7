#include "core/ModifierKey.h"

#include "base/Translate.h"

namespace ModifierKey {

FLINGDIAL_TR_CONTEXT(ModifierKey)

const QList<Key>& all()
{
    static const QList<Key> keys = {shift, super, control, alt};
    return keys;
}

QString rawValue(Key key)
{
    switch (key) {
    case shift:
        return QStringLiteral("shift");
    case super:
        return QStringLiteral("super");
    case control:
        return QStringLiteral("control");
    case alt:
        return QStringLiteral("alt");
    }
    return {};
}

std::optional<Key> fromRawValue(const QString& raw)
{
    if (raw == QLatin1String("command"))
        return super;
    if (raw == QLatin1String("option"))
        return alt;
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
    case super:
        return tr("❖ Super");
    case control:
        return tr("⌃ Ctrl");
    case alt:
        return tr("⎇ Alt");
    }
    return {};
}

} // namespace ModifierKey
