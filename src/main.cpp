#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "app/RenderCommands.h"
#include "core/Log.h"
#include "platform/Prompter.h"
#include "platform/linux/DialogPrompter.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {

QStringList rawArguments(int argc, char** argv)
{
    // Taken before QApplication removes the options it recognises itself.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// A command-line run ends here. Tearing the application object down would
// load the whole font configuration just to release it, which costs more
// than most commands.
[[noreturn]] void exitNow(int status)
{
    std::fflush(nullptr);
    std::exit(status);
}

int startApplication(QApplication& app)
{
    AppDelegate delegate;
    delegate.start();
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    const QStringList arguments = rawArguments(argc, argv);
    const bool display = hasDisplay();
    // Without a display there is nothing to connect to, whatever the
    // environment asks for: run on the offscreen platform.
    if (!display)
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("flingdial"));
    QApplication::setApplicationDisplayName(QStringLiteral("Flingdial"));
    QApplication::setApplicationVersion(QStringLiteral(FLINGDIAL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.flingdial.Flingdial"));
    Log::install();
    if (display)
        Prompter::install(std::make_unique<DialogPrompter>());

    switch (CommandLine::recognise(arguments)) {
    case CommandLine::Command::run:
        exitNow(CommandLine::run(arguments));
    case CommandLine::Command::login:
        exitNow(CommandLine::login(arguments));
    case CommandLine::Command::renderIcon:
        exitNow(RenderCommands::renderIcon(arguments));
    case CommandLine::Command::snapshot:
        exitNow(RenderCommands::snapshot(arguments));
    case CommandLine::Command::startApplication:
        break;
    }
    return startApplication(app);
}
