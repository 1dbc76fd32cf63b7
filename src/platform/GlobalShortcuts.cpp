#include "platform/GlobalShortcuts.h"

const QList<GlobalShortcuts::Action>& GlobalShortcuts::actions()
{
    // The keys of the sway and Hyprland bindings: Ctrl and Alt under one
    // hand with a key beside them, free in Plasma's own set.
    static const QList<Action> list = {
        {QStringLiteral("open-wheel"), WheelMode::convert, true, QStringLiteral("Ctrl+Alt+Space")},
        {QStringLiteral("convert-wheel"), WheelMode::convert, false, QStringLiteral("Ctrl+Alt+Z")},
        {QStringLiteral("tools-wheel"), WheelMode::tools, false, QStringLiteral("Ctrl+Alt+X")},
        {QStringLiteral("actions-wheel"), WheelMode::actions, false, QStringLiteral("Ctrl+Alt+C")},
    };
    return list;
}

const GlobalShortcuts::Action* GlobalShortcuts::action(const QString& id)
{
    for (const Action& candidate : actions())
        if (candidate.id == id)
            return &candidate;
    return nullptr;
}

QString GlobalShortcuts::hotKeyInForce() const
{
    for (const Bound& bound : inForce()) {
        const Action* found = action(bound.id);
        if (found && found->hotKey)
            return bound.keys.section(u',', 0, 0).trimmed();
    }
    return {};
}

QString GlobalShortcuts::description(const Action& action)
{
    if (action.hotKey)
        return tr("Open the wheel");
    switch (action.mode) {
    case WheelMode::convert:
        return tr("Open the Convert wheel");
    case WheelMode::tools:
        return tr("Open the Tools wheel");
    case WheelMode::actions:
        return tr("Open the Actions wheel");
    }
    return {};
}
