#include "ui/DesktopPlugin.h"
#include "cli/Instance.h"
#include "ui/Backends.h"
#include "ui/DesktopExtensionLink.h"
#include "ui/InstanceService.h"
#include "ui/wheel/WheelController.h"

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "core/Log.h"
#include "core/Prompter.h"
#include "core/Translations.h"
#include "platform/headless/ConsolePrompter.h"
#include "ui/DialogPrompter.h"
#include "ui/RenderCommands.h"
#include "ui/TrayApplication.h"
#include "ui/actions/Shelf.h"
#include "ui/actions/SliceSets.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {

std::unique_ptr<QGuiApplication> makeApplication(int& argc, char** argv, Commands::Id command,
                                                 Session::Kind session)
{
    const bool display = session != Session::Kind::none;
    // Without a display there is nothing to connect to, whatever the
    // environment asks for. In a Wayland session the program is an X11
    // client on purpose: only there can it place windows where it wants,
    // take part in XDND and watch drags.
    if (!display)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    else if (Session::isWayland(session) && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    // The wheel of a snapshot is a widget, even without a display.
    if (display || command == Commands::Id::startApplication || command == Commands::Id::snapshot)
        return std::make_unique<QApplication>(argc, argv);
    return std::make_unique<QGuiApplication>(argc, argv);
}

// What a share action leaves lives only as long as this program: on X11
// the copied data (until another program takes the clipboard), and any
// shelf (until the user closes it). The command keeps serving them.
void keepWhatWasShared()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    const auto holdsClipboard = [clipboard, x11] { return x11 && clipboard->ownsClipboard(); };
    const auto shelvesOpen = [] { return !Shelf::open().isEmpty(); };
    if (holdsClipboard())
        std::fputs(qUtf8Printable(QCoreApplication::translate(
                       "DesktopPlugin",
                       "Keeping the copied data until another program takes the clipboard.\n")),
                   stderr);
    if (shelvesOpen())
        std::fputs(qUtf8Printable(QCoreApplication::translate(
                       "DesktopPlugin", "Keeping the shelf until you close it.\n")),
                   stderr);
    if (!holdsClipboard() && !shelvesOpen())
        return;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, qApp, [&] {
        if (!holdsClipboard() && !shelvesOpen())
            QCoreApplication::quit();
    });
    poll.start(250);
    QCoreApplication::exec();
}

// The arguments of a start that name existing files: the wheel opens for them.
QStringList fileArguments(const QStringList& arguments)
{
    QStringList files;
    for (const QString& argument : arguments.mid(1)) {
        if (!QFileInfo::exists(argument))
            return {};
        files.append(QFileInfo(argument).absoluteFilePath());
    }
    return files;
}

// A command ends here. Tearing the application object down would load the
// whole font configuration just to release it.
[[noreturn]] void exitNow(int status)
{
    std::fflush(nullptr);
    std::exit(status);
}

// Another instance runs in this session: it opens the wheel for the files
// given, else its settings, and this one ends.
[[noreturn]] void handOver(const QStringList& files)
{
    const bool handed = files.isEmpty() ? Instance::call(QStringLiteral("OpenSettings"))
                                        : Instance::call(QStringLiteral("OpenWheel"),
                                                         {files, QStringLiteral("convert")});
    qCInfo(lcApp, "already running: handed over to the running instance");
    exitNow(handed ? 0 : 1);
}

} // namespace

int DesktopPlugin::main(int argc, char** argv)
{
    const QStringList arguments = Commands::arguments(argc, argv);
    const bool display = Commands::hasDisplay();
    const Session::Kind session = display ? Session::detect() : Session::Kind::none;
    const Commands::Command& command = Commands::recognise(arguments);
    // Before the application object, which may already have things to say.
    Log::install(command.id == Commands::Id::startApplication ? Log::Audience::application
                                                              : Log::Audience::commandLine);
    const auto app = makeApplication(argc, argv, command.id, session);
    QCoreApplication::setApplicationName(QStringLiteral("flingdial"));
    QCoreApplication::setApplicationVersion(QStringLiteral(FLINGDIAL_VERSION));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Flingdial"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.flingdial.Flingdial"));
    Translations::install();
    if (display)
        Prompter::install(std::make_unique<DialogPrompter>());
    else
        Prompter::install(std::make_unique<ConsolePrompter>());
    Platform::install(Backends::forSession(session));

    switch (command.id) {
    case Commands::Id::run:
        exitNow(CommandLine::run(arguments, SliceSets::of, keepWhatWasShared));
    case Commands::Id::renderIcon:
        exitNow(RenderCommands::renderIcon(arguments));
    case Commands::Id::snapshot:
        exitNow(RenderCommands::snapshot(arguments));
    case Commands::Id::startApplication:
        break;
    default:
        exitNow(command.run(arguments));
    }
    const QStringList files = fileArguments(arguments);
    InstanceService instance;
    QString why;
    switch (instance.claim(&why)) {
    case InstanceService::Claim::taken:
        handOver(files);
    case InstanceService::Claim::noBus:
        qCWarning(lcApp, "no session bus (%s): other starts can't reach this one",
                  qUtf8Printable(why));
        break;
    case InstanceService::Claim::claimed:
        break;
    }
    TrayApplication tray;
    tray.start(&instance);
    const DesktopExtensionLink extension(&instance, &tray);
    if (!files.isEmpty())
        WheelController::shared().show(WheelMode::convert, files, true);
    return QCoreApplication::exec();
}
