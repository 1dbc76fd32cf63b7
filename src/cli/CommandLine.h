#pragma once

#include "catalog/Catalog.h"
#include "core/Operation.h"
#include "core/WheelMode.h"

#include <QList>
#include <QStringList>
#include <functional>
#include <optional>

// The command-line options. Each does one job and gives the exit status;
// any other argument list starts the tray application.
namespace CommandLine {

enum class Command { run, login, renderIcon, snapshot, help, version, usage, startApplication };

// The argument list as given, taken before Qt removes the options it
// recognises itself.
QStringList arguments(int argc, char** argv);

// Whether there is a display to show windows on.
bool hasDisplay();

// Which command an argument list asks for (index 0 is the program).
Command recognise(const QStringList& arguments);

// Whether a "--run" may lay out text (documents, PDF, or the share actions),
// which needs the graphics platform even without a display.
bool drawsText(const QStringList& arguments);

using SliceSet = std::function<QList<Operation>(WheelMode::Mode mode, const QStringList& files)>;

// "--run MODE LABEL FILE…": one operation, no interface beyond its
// prompts. `afterSuccess` runs once the results are printed.
int run(const QStringList& arguments, const SliceSet& slices = Catalog::slices,
        const std::function<void()>& afterSuccess = {});

// "--login on|off".
int login(const QStringList& arguments);

// The short usage text of --help.
QString usage();

} // namespace CommandLine
