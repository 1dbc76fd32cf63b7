#include "cli/Commands.h"
#include "cli/DesktopEntry.h"
#include "cli/GuiApplicationFactory.h"
#include "core/Log.h"
#include "core/Plugins.h"
#include "core/Prompter.h"
#include "core/Translations.h"
#include "platform/headless/ConsolePrompter.h"
#include "platform/headless/HeadlessPlatform.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>

// The entry point. Command-line work runs here, on Qt Core alone, or with a
// GUI application object when it lays out text; everything that needs the
// desktop (the tray, dialogs, the clipboard, drawing widgets) is handed to
// the desktop plugin.
namespace {

[[noreturn]] void missingPart(const char* what)
{
    std::fprintf(stderr, "error: %s of Flingdial is missing. Reinstall Flingdial.\n", what);
    std::exit(1);
}

std::unique_ptr<QCoreApplication> makeApplication(Commands::Needs needs, int& argc, char** argv)
{
    if (needs == Commands::Needs::core)
        return std::make_unique<QCoreApplication>(argc, argv);
    auto* gui =
        qobject_cast<GuiApplicationFactory*>(Plugins::load(QStringLiteral("libflingdial_gui.so")));
    if (!gui)
        missingPart("The text layout part");
    return gui->create(argc, argv);
}

} // namespace

int main(int argc, char** argv)
{
    const QStringList arguments = Commands::arguments(argc, argv);
    const Commands::Command& command = Commands::recognise(arguments);
    const Commands::Needs needs = command.needs(arguments);
    if (needs == Commands::Needs::desktop || !command.run) {
        auto* desktop =
            qobject_cast<DesktopEntry*>(Plugins::load(QStringLiteral("libflingdial_desktop.so")));
        if (!desktop)
            missingPart("The desktop part");
        return desktop->main(argc, argv);
    }

    const auto app = makeApplication(needs, argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("flingdial"));
    QCoreApplication::setApplicationVersion(QStringLiteral(FLINGDIAL_VERSION));
    Log::install();
    Translations::install();
    Prompter::install(std::make_unique<ConsolePrompter>());
    Platform::install(std::make_unique<HeadlessPlatform>());
    const int status = command.run(arguments);
    // Ends without tearing down: there is nothing to release that the
    // process's end doesn't release.
    std::fflush(nullptr);
    std::exit(status);
}
