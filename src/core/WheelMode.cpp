#include "core/WheelMode.h"

namespace WheelMode {

const QList<Mode>& all()
{
    static const QList<Mode> modes = {convert, tools, actions};
    return modes;
}

QString rawValue(Mode mode)
{
    switch (mode) {
    case convert:
        return QStringLiteral("convert");
    case tools:
        return QStringLiteral("tools");
    case actions:
        return QStringLiteral("actions");
    }
    return {};
}

std::optional<Mode> fromRawValue(const QString& raw)
{
    for (Mode mode : all()) {
        if (rawValue(mode) == raw)
            return mode;
    }
    return std::nullopt;
}

QString title(Mode mode)
{
    const QString raw = rawValue(mode);
    return raw.left(1).toUpper() + raw.mid(1);
}

Mode next(Mode mode)
{
    return all().at((all().indexOf(mode) + 1) % all().size());
}

} // namespace WheelMode
