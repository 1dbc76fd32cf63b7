#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "app/RenderCommands.h"
#include "core/Log.h"
#include "platform/Prompter.h"
#include "platform/linux/DialogPrompter.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>

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

// The application object a command needs: widgets with a display (dialogs,
// the tray), the offscreen graphics platform for drawing without one, and
// no graphics at all for work on files that draws nothing, which then
// starts much faster.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv,
                                                  CommandLine::Command command,
                                                  const QStringList& arguments, bool display)
{
    if (display)
        return std::make_unique<QApplication>(argc, argv);
    if (command == CommandLine::Command::login ||
        (command == CommandLine::Command::run && !CommandLine::drawsText(arguments)))
        return std::make_unique<QCoreApplication>(argc, argv);
    // Without a display there is nothing to connect to, whatever the
    // environment asks for.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (command == CommandLine::Command::startApplication)
        return std::make_unique<QApplication>(argc, argv);
    return std::make_unique<QGuiApplication>(argc, argv);
}

// A command-line run ends here. Tearing the application object down would
// load the whole font configuration just to release it, which costs more
// than most commands.
[[noreturn]] void exitNow(int status)
{
    std::fflush(nullptr);
    std::exit(status);
}

int startApplication()
{
    AppDelegate delegate;
    delegate.start();
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    const QStringList arguments = rawArguments(argc, argv);
    const bool display = hasDisplay();
    const CommandLine::Command command = CommandLine::recognise(arguments);
    const auto app = makeApplication(argc, argv, command, arguments, display);
    QCoreApplication::setApplicationName(QStringLiteral("flingdial"));
    QCoreApplication::setApplicationVersion(QStringLiteral(FLINGDIAL_VERSION));
    if (qobject_cast<QGuiApplication*>(app.get())) {
        QGuiApplication::setApplicationDisplayName(QStringLiteral("Flingdial"));
        QGuiApplication::setDesktopFileName(QStringLiteral("org.flingdial.Flingdial"));
    }
    Log::install();
    if (display)
        Prompter::install(std::make_unique<DialogPrompter>());

    switch (command) {
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
    return startApplication();
}
