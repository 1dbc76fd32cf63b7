#include "cli/CommandLine.h"

#include "base/Errors.h"
#include "base/FileKind.h"
#include "base/Translate.h"
#include "catalog/Catalog.h"
#include "cli/CancelOnInterrupt.h"
#include "cli/ProgressBar.h"
#include "core/Job.h"
#include "core/NameReservations.h"
#include "core/Settings.h"
#include "core/WheelMode.h"
#include "platform/Autostart.h"

#include <QDir>
#include <cstdio>
#include <unistd.h>

namespace CommandLine {

FLINGDIAL_TR_CONTEXT(CommandLine)

namespace {

void printLine(std::FILE* stream, const QString& line)
{
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stream);
    std::fflush(stream);
}

WheelMode::Mode modeNamed(const QString& word)
{
    return WheelMode::fromRawValue(word.toLower()).value_or(WheelMode::convert);
}

QStringList absolutePaths(const QStringList& paths)
{
    QStringList result;
    for (const QString& path : paths)
        result.append(QDir::cleanPath(QDir::current().absoluteFilePath(path)));
    return result;
}

QStringList titles(const QList<Operation>& operations)
{
    QStringList list;
    for (const Operation& operation : operations)
        list.append(operation.title);
    return list;
}

} // namespace

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

Command recognise(const QStringList& arguments)
{
    const qsizetype n = arguments.size();
    const QString option = n > 1 ? arguments.at(1) : QString();
    if (n == 2 && (option == QLatin1String("--help") || option == QLatin1String("-h")))
        return Command::help;
    if (n == 2 && option == QLatin1String("--version"))
        return Command::version;
    if (option == QLatin1String("--run"))
        return n >= 5 ? Command::run : Command::usage;
    if (n == 3 && option == QLatin1String("--login"))
        return Command::login;
    if (n >= 3 &&
        (option == QLatin1String("--render-icon") || option == QLatin1String("--render-menubar")))
        return Command::renderIcon;
    if (n >= 6 && option == QLatin1String("--snapshot"))
        return Command::snapshot;
    return Command::startApplication;
}

// The files of a --run: everything after the label, where a first "--"
// only ends the options, as it does for other programs.
QStringList fileArguments(const QStringList& arguments)
{
    QStringList files = arguments.mid(4);
    if (files.size() > 1 && files.first() == QLatin1String("--"))
        files.removeFirst();
    return files;
}

bool drawsText(const QStringList& arguments)
{
    if (modeNamed(arguments.at(2)) == WheelMode::actions)
        return true;
    // Documents are laid out, and so are PDFs that become documents; the
    // PDF tools, spreadsheets and presentations need no text layout here.
    const bool converting = modeNamed(arguments.at(2)) == WheelMode::convert;
    const QStringList files = fileArguments(arguments);
    return std::any_of(files.cbegin(), files.cend(), [converting](const QString& file) {
        const FileKind::Kind kind = FileKind::of(QDir::current().absoluteFilePath(file));
        return kind == FileKind::document || (converting && kind == FileKind::pdf);
    });
}

int run(const QStringList& arguments, const SliceSet& slices,
        const std::function<void()>& afterSuccess)
{
    Settings::shared().registerDefaults();
    const WheelMode::Mode mode = modeNamed(arguments.at(2));
    const QString label = arguments.at(3);
    const QStringList files = absolutePaths(fileArguments(arguments));
    const QList<Operation> operations = slices(mode, files);

    // The exact title wins; failing that, a label without the "…" and with
    // x for × ("trim", "speed 2x") names its slice too.
    const auto loosely = [](const QString& text) {
        QString plain = text.toLower();
        if (plain.endsWith(QChar(0x2026)))
            plain.chop(1);
        else if (plain.endsWith(QLatin1String("...")))
            plain.chop(3);
        return plain.replace(QChar(0x00d7), QLatin1Char('x'));
    };
    auto chosen = std::find_if(operations.cbegin(), operations.cend(), [&](const Operation& op) {
        return op.title.toLower() == label.toLower();
    });
    if (chosen == operations.cend())
        chosen = std::find_if(operations.cbegin(), operations.cend(), [&](const Operation& op) {
            return loosely(op.title) == loosely(label);
        });
    if (chosen == operations.cend()) {
        printLine(stdout, tr("No “%1” slice. Available: %2")
                              .arg(label, titles(operations).join(QStringLiteral(", "))));
        return 2;
    }

    Job job;
    const CancelOnInterrupt interrupt(job);
    try {
        if (chosen->unavailableReason)
            throw Fail(*chosen->unavailableReason);
        const NameReservations::Scope names;
        const Job::Scope watched(&job);
        QStringList results;
        {
            const ProgressBar bar(job, STDERR_FILENO);
            results = chosen->perform(files);
        }
        for (const QString& result : results)
            printLine(stdout, result);
        // Standard output holds only the results' paths.
        if (chosen->summary)
            if (const QString summary = chosen->summary(files, results); !summary.isEmpty())
                printLine(stderr, summary);
        if (afterSuccess)
            afterSuccess();
        return 0;
    } catch (...) {
        // Stopped by a signal: what was started is gone, and the shell
        // expects the signal's status.
        if (job.isCancelled() && CancelOnInterrupt::received())
            return 128 + CancelOnInterrupt::received();
        printLine(stderr, QStringLiteral("error: ") + describe(std::current_exception()));
    }
    return 1;
}

QString usage()
{
    return tr("Usage:\n"
              "  flingdial                                  start the tray application\n"
              "  flingdial --run MODE LABEL FILE…           run one slice on the files\n"
              "                                             (MODE: convert, tools or actions)\n"
              "  flingdial --login on|off                   start at login, or not\n"
              "  flingdial --render-icon OUT.png|svg [SIZE] draw the application icon\n"
              "  flingdial --render-menubar OUT.png [SIZE]  draw the tray mark\n"
              "  flingdial --snapshot OUT.png MODE light|dark FILE…   draw the wheel\n"
              "  flingdial --help | --version\n");
}

int login(const QStringList& arguments)
{
    const auto item = Autostart::create();
    try {
        if (arguments.at(2) == QLatin1String("on"))
            item->enable();
        else
            item->disable();
        printLine(stdout,
                  item->isEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled"));
        return 0;
    } catch (const Error& error) {
        printLine(stdout, QStringLiteral("error: ") + error.description());
        return 1;
    }
}

} // namespace CommandLine
