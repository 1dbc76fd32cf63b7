#include "core/WheelMode.h"

#include "base/Translate.h"

namespace WheelMode {

FLINGDIAL_TR_CONTEXT(WheelMode)

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
    switch (mode) {
    case convert:
        return tr("Convert");
    case tools:
        return tr("Tools");
    case actions:
        return tr("Actions");
    }
    return {};
}

Mode next(Mode mode)
{
    return all().at((all().indexOf(mode) + 1) % all().size());
}

} // namespace WheelMode
