#include "cli/Bindings.h"

#include "base/Translate.h"

#include <QList>
#include <QStringList>

namespace Bindings {

FLINGDIAL_TR_CONTEXT(Bindings)

namespace {

// Ctrl and Alt under the left hand with a key beside them, so that the
// other hand keeps dragging; the compositors bind Super combinations of
// their own, and Ctrl+Alt with these keys is free in both.
struct Binding
{
    KeyCombination keys;
    const char* mode; // what --trigger gets; empty: its default
};

QList<Binding> bindings(const KeyCombination& hotKey)
{
    const auto keys = [](const char* text) {
        return *KeyCombination::fromText(QLatin1String(text));
    };
    return {{hotKey, ""},
            {keys("Ctrl+Alt+Z"), "convert"},
            {keys("Ctrl+Alt+X"), "tools"},
            {keys("Ctrl+Alt+C"), "actions"}};
}

// The modifiers' names in each compositor's configuration, in the order
// KeyCombination::modifiers() lists them there.
struct ModifierName
{
    ModifierKey::Key key;
    const char* sway;
    const char* hyprland;
};

const ModifierName modifierNames[] = {{ModifierKey::control, "Ctrl", "CTRL"},
                                      {ModifierKey::alt, "Alt", "ALT"},
                                      {ModifierKey::shift, "Shift", "SHIFT"},
                                      {ModifierKey::super, "Mod4", "SUPER"}};

QStringList modifiersOf(const KeyCombination& keys, const char* ModifierName::*name)
{
    QStringList names;
    for (const ModifierName& modifier : modifierNames)
        if (keys.modifiers() & ModifierKey::flag(modifier.key))
            names.append(QLatin1String(modifier.*name));
    return names;
}

// "Ctrl+Alt+space", as sway writes keys.
QString swayKeys(const KeyCombination& keys)
{
    return (modifiersOf(keys, &ModifierName::sway) << keys.keysymName()).join(u'+');
}

QString command(const QString& program, const Binding& binding)
{
    QString line = program.contains(QLatin1Char(' ')) ? u'"' + program + u'"' : program;
    line += QStringLiteral(" --trigger");
    if (*binding.mode)
        line += QLatin1Char(' ') + QLatin1String(binding.mode);
    return line;
}

QString header(const QString& file, const QString& reload, const KeyCombination& hotKey)
{
    return tr("# Flingdial: add these lines to %1 and %2.\n"
              "# While you drag files, Ctrl+Alt+Z, X and C open the Convert, Tools and\n"
              "# Actions wheels where the drag goes next. %3 opens the wheel\n"
              "# for the files copied in a file manager.\n")
        .arg(file, reload, hotKey.shownText());
}

} // namespace

std::optional<QString> forCompositor(const QString& compositor, const QString& program,
                                     const KeyCombination& hotKey)
{
    QStringList lines;
    if (compositor == QLatin1String("sway")) {
        lines.append(header(QStringLiteral("~/.config/sway/config"),
                            tr("reload sway (Super+Shift+C)"), hotKey));
        for (const Binding& binding : bindings(hotKey))
            lines.append(QStringLiteral("bindsym --no-repeat %1 exec %2")
                             .arg(swayKeys(binding.keys), command(program, binding)));
    } else if (compositor == QLatin1String("hyprland")) {
        lines.append(header(QStringLiteral("~/.config/hypr/hyprland.conf"),
                            tr("save it (Hyprland reloads it at once)"), hotKey));
        for (const Binding& binding : bindings(hotKey))
            lines.append(QStringLiteral("bind = %1, %2, exec, %3")
                             .arg(modifiersOf(binding.keys, &ModifierName::hyprland).join(u' '),
                                  binding.keys.keysymName(), command(program, binding)));
    } else {
        return std::nullopt;
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace Bindings
