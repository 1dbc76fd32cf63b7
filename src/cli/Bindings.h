#pragma once

#include "core/KeyCombination.h"

#include <QString>
#include <optional>

// The lines that bind Flingdial's keys in a compositor that has no global
// shortcuts of its own to offer (sway, Hyprland): the hot key and one key
// per wheel mode, each running `flingdial --trigger MODE`.
namespace Bindings {

// The configuration lines for "sway" or "hyprland", nothing for another
// name; `hotKey` is the user's hot key.
std::optional<QString> forCompositor(const QString& compositor, const QString& program,
                                     const KeyCombination& hotKey);

} // namespace Bindings
