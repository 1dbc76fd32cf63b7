#include "cli/CommandLine.h"
#include "cli/DesktopEntry.h"
#include "core/Log.h"
#include "core/Plugins.h"
#include "core/Prompter.h"
#include "core/Translations.h"
#include "platform/headless/ConsolePrompter.h"
#include "platform/headless/HeadlessPlatform.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

// The entry point. Command-line work that needs no desktop (no display to
// prompt on, nothing to draw, no clipboard) runs here on Qt Core alone and
// starts in a few milliseconds; everything else is handed to the desktop
// module.
namespace {

bool needsDesktop(CommandLine::Command command, const QStringList& arguments)
{
    switch (command) {
    case CommandLine::Command::login:
    case CommandLine::Command::help:
    case CommandLine::Command::version:
    case CommandLine::Command::usage:
        return false;
    case CommandLine::Command::run:
        return CommandLine::hasDisplay() || CommandLine::drawsText(arguments);
    default:
        return true;
    }
}

int withoutDesktop(int argc, char** argv, CommandLine::Command command,
                   const QStringList& arguments)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("flingdial"));
    QCoreApplication::setApplicationVersion(QStringLiteral(FLINGDIAL_VERSION));
    Log::install();
    Translations::install();
    Prompter::install(std::make_unique<ConsolePrompter>());
    Platform::install(std::make_unique<HeadlessPlatform>());
    int status = 0;
    switch (command) {
    case CommandLine::Command::login:
        status = CommandLine::login(arguments);
        break;
    case CommandLine::Command::help:
        std::fputs(CommandLine::usage().toUtf8().constData(), stdout);
        break;
    case CommandLine::Command::version:
        std::printf("flingdial %s\n", FLINGDIAL_VERSION);
        break;
    case CommandLine::Command::usage:
        std::fputs(CommandLine::usage().toUtf8().constData(), stderr);
        status = 2;
        break;
    default:
        status = CommandLine::run(arguments);
    }
    // Ends without tearing down: there is nothing to release that the
    // process's end doesn't release.
    std::fflush(nullptr);
    std::exit(status);
}

} // namespace

int main(int argc, char** argv)
{
    const QStringList arguments = CommandLine::arguments(argc, argv);
    const CommandLine::Command command = CommandLine::recognise(arguments);
    if (!needsDesktop(command, arguments))
        return withoutDesktop(argc, argv, command, arguments);
    auto* desktop =
        qobject_cast<DesktopEntry*>(Plugins::load(QStringLiteral("libflingdial_desktop.so")));
    if (!desktop) {
        std::fputs("error: The desktop part of Flingdial is missing. Reinstall Flingdial.\n",
                   stderr);
        return 1;
    }
    return desktop->main(argc, argv);
}
