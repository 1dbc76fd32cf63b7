#include "cli/Commands.h"

#include "catalog/Catalog.h"
#include "cli/CommandLine.h"
#include "core/WheelMode.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <cstdio>

namespace Commands {

namespace {

Needs coreOnly(const QStringList&)
{
    return Needs::core;
}

Needs desktopOnly(const QStringList&)
{
    return Needs::desktop;
}

// A run needs the desktop for the share actions (the clipboard, the shelf)
// and for a slice that asks first while there is a display to ask on; it
// needs a GUI application when its work lays text out; else Qt Core.
Needs runNeeds(const QStringList& arguments)
{
    const WheelMode::Mode mode = CommandLine::modeNamed(arguments.at(2));
    if (mode == WheelMode::actions)
        return Needs::desktop;
    const QStringList files = CommandLine::absolutePaths(CommandLine::fileArguments(arguments));
    const std::optional<Operation> chosen =
        CommandLine::slice(Catalog::slices(mode, files), arguments.at(3));
    if (!chosen)
        return Needs::core;
    if (chosen->asksFirst && hasDisplay())
        return Needs::desktop;
    return chosen->laysOutText ? Needs::gui : Needs::core;
}

void printUsage(std::FILE* stream)
{
    std::fputs(CommandLine::usage().toUtf8().constData(), stream);
}

QLatin1String option(const char* word)
{
    return QLatin1String(word);
}

} // namespace

const QList<Command>& all()
{
    static const QList<Command> table = {
        {Id::run,
         {option("--run")},
         3,
         -1,
         runNeeds,
         [](const QStringList& arguments) { return CommandLine::run(arguments); }},
        {Id::trigger, {option("--trigger")}, 0, 1, coreOnly, CommandLine::trigger},
        {Id::bindings, {option("--bindings")}, 1, 1, coreOnly, CommandLine::bindings},
        {Id::login, {option("--login")}, 1, 1, coreOnly, CommandLine::login},
        {Id::renderIcon,
         {option("--render-icon"), option("--render-menubar")},
         1,
         -1,
         desktopOnly,
         nullptr},
        {Id::snapshot, {option("--snapshot")}, 4, -1, desktopOnly, nullptr},
        {Id::help,
         {option("--help"), option("-h")},
         0,
         0,
         coreOnly,
         [](const QStringList&) {
             printUsage(stdout);
             return 0;
         }},
        {Id::version,
         {option("--version")},
         0,
         0,
         coreOnly,
         [](const QStringList&) {
             std::printf("flingdial %s\n", FLINGDIAL_VERSION);
             return 0;
         }},
        {Id::usage,
         {},
         0,
         -1,
         coreOnly,
         [](const QStringList&) {
             printUsage(stderr);
             return 2;
         }},
        {Id::startApplication, {}, 0, -1, desktopOnly, nullptr},
    };
    return table;
}

const Command& recognise(const QStringList& arguments)
{
    const auto byId = [](Id id) -> const Command& {
        for (const Command& command : all())
            if (command.id == id)
                return command;
        Q_UNREACHABLE();
    };
    const QString word = arguments.value(1);
    const int words = int(arguments.size()) - 2;
    for (const Command& command : all()) {
        if (std::none_of(command.options.cbegin(), command.options.cend(),
                         [&](QLatin1String name) { return name == word; }))
            continue;
        if (words >= command.fewest && (command.most < 0 || words <= command.most))
            return command;
        if (command.id == Id::run)
            return byId(Id::usage);
    }
    return byId(Id::startApplication);
}

QStringList arguments(int argc, char** argv)
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list.append(QString::fromLocal8Bit(argv[i]));
    return list;
}

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace Commands
