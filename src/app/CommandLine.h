#pragma once

#include <QStringList>
#include <optional>

// The command-line options. Each does one job and gives the exit status;
// any other argument list starts the tray application.
namespace CommandLine {

enum class Command { run, login, renderIcon, snapshot, startApplication };

// Which command an argument list asks for (index 0 is the program).
Command recognise(const QStringList& arguments);

// Whether a "--run" may lay out text (documents, PDF, slides, spreadsheets,
// or the share actions), which needs the graphics platform even without a display.
bool drawsText(const QStringList& arguments);

// "--run MODE LABEL FILE…": one operation, no interface beyond its prompts.
int run(const QStringList& arguments);

// "--login on|off".
int login(const QStringList& arguments);

} // namespace CommandLine
