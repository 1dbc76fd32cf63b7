#pragma once

#include <QLatin1String>
#include <QList>
#include <QStringList>

// Every command-line option, in one table: what it is, how many words it
// takes, how much of Qt it needs, and who runs it. The program and the
// desktop plugin both recognise arguments here.
namespace Commands {

enum class Id {
    run,
    trigger,
    bindings,
    login,
    renderIcon,
    snapshot,
    help,
    version,
    usage,
    startApplication
};

// How much of Qt a command needs: Qt Core alone, a GUI application without
// a display (text layout), or the desktop plugin (widgets, the clipboard,
// dialogs, the tray).
enum class Needs { core, gui, desktop };

struct Command
{
    Id id;
    // The option words that name it ("--render-icon", "--render-menubar").
    QList<QLatin1String> options;
    // How many words it takes after the option; -1: no upper bound.
    int fewest = 0;
    int most = 0;
    Needs (*needs)(const QStringList& arguments) = nullptr;
    // Runs it once the application object exists; null for the commands
    // only the desktop plugin runs.
    int (*run)(const QStringList& arguments) = nullptr;
};

const QList<Command>& all();

// The command an argument list asks for (index 0 is the program). Too few
// words after "--run" ask for the usage; anything unrecognised starts the
// tray application.
const Command& recognise(const QStringList& arguments);

// The argument list as given, taken before Qt removes the options it
// recognises itself.
QStringList arguments(int argc, char** argv);

// Whether there is a display to show windows on.
bool hasDisplay();

} // namespace Commands
