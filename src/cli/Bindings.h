#pragma once

#include <QString>
#include <optional>

// The lines that bind Flingdial's keys in a compositor that has no global
// shortcuts of its own to offer (sway, Hyprland): the hot key and one key
// per wheel mode, each running `flingdial --trigger MODE`.
namespace Bindings {

// The configuration lines for "sway" or "hyprland", nothing for another name.
std::optional<QString> forCompositor(const QString& compositor, const QString& program);

} // namespace Bindings
