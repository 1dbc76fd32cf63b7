#pragma once

#include "catalog/Catalog.h"
#include "core/Operation.h"
#include "core/WheelMode.h"

#include <QList>
#include <QStringList>
#include <functional>
#include <optional>

// The jobs of the command-line options that run without the desktop.
namespace CommandLine {

using SliceSet = std::function<QList<Operation>(WheelMode::Mode mode, const QStringList& files)>;

// "--run MODE LABEL FILE…": one operation, no interface beyond its
// prompts. `afterSuccess` runs once the results are printed.
int run(const QStringList& arguments, const SliceSet& slices = Catalog::slices,
        const std::function<void()>& afterSuccess = {});

// "--login on|off".
int login(const QStringList& arguments);

// "--trigger [MODE]": hands a trigger to the running instance.
int trigger(const QStringList& arguments);

// "--bindings sway|hyprland": the lines for the compositor's configuration.
int bindings(const QStringList& arguments);

// The short usage text of --help.
QString usage();

// The pieces of a --run: its mode (any letter case; anything else means
// convert), its files made absolute (a first "--" after the label only
// ends the options, as for other programs), and the slice a label names:
// the exact title in any letter case, else a conversion's format key or an
// alias of it ("jpeg"), else the title without its "…" and with x for ×
// ("trim", "speed 2x").
WheelMode::Mode modeNamed(const QString& word);
QStringList fileArguments(const QStringList& arguments);
QStringList absolutePaths(const QStringList& paths);
std::optional<Operation> slice(const QList<Operation>& operations, const QString& label);

} // namespace CommandLine
