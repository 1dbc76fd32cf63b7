#include "cli/Bindings.h"

#include "base/Translate.h"

#include <QStringList>

namespace Bindings {

FLINGDIAL_TR_CONTEXT(Bindings)

namespace {

// Ctrl and Alt under the left hand with a key beside them, so that the
// other hand keeps dragging; the compositors bind Super combinations of
// their own, and Ctrl+Alt with these keys is free in both.
struct Key
{
    const char* modifiers; // as sway writes them
    const char* key;
    const char* mode; // what --trigger gets; empty: its default
};

const Key keys[] = {
    {"Ctrl+Alt", "space", ""},
    {"Ctrl+Alt", "z", "convert"},
    {"Ctrl+Alt", "x", "tools"},
    {"Ctrl+Alt", "c", "actions"},
};

QString command(const QString& program, const Key& key)
{
    QString line = program.contains(QLatin1Char(' ')) ? u'"' + program + u'"' : program;
    line += QStringLiteral(" --trigger");
    if (*key.mode)
        line += QLatin1Char(' ') + QLatin1String(key.mode);
    return line;
}

QString header(const QString& file, const QString& reload)
{
    return tr("# Flingdial: add these lines to %1 and %2.\n"
              "# While you drag files, Ctrl+Alt+Z, X and C open the Convert, Tools and\n"
              "# Actions wheels where the drag goes next. Ctrl+Alt+Space opens the wheel\n"
              "# for the files copied in a file manager.\n")
        .arg(file, reload);
}

} // namespace

std::optional<QString> forCompositor(const QString& compositor, const QString& program)
{
    QStringList lines;
    if (compositor == QLatin1String("sway")) {
        lines.append(
            header(QStringLiteral("~/.config/sway/config"), tr("reload sway (Super+Shift+C)")));
        for (const Key& key : keys)
            lines.append(QStringLiteral("bindsym --no-repeat %1+%2 exec %3")
                             .arg(QLatin1String(key.modifiers), QLatin1String(key.key),
                                  command(program, key)));
    } else if (compositor == QLatin1String("hyprland")) {
        lines.append(header(QStringLiteral("~/.config/hypr/hyprland.conf"),
                            tr("save it (Hyprland reloads it at once)")));
        for (const Key& key : keys)
            lines.append(QStringLiteral("bind = CTRL ALT, %1, exec, %2")
                             .arg(QLatin1String(key.key), command(program, key)));
    } else {
        return std::nullopt;
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace Bindings
