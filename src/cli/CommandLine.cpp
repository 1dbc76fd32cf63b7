#include "cli/CommandLine.h"

#include "base/Errors.h"
#include "base/FileKind.h"
#include "base/Formats.h"
#include "base/Translate.h"
#include "catalog/Catalog.h"
#include "cli/Bindings.h"
#include "cli/CancelOnInterrupt.h"
#include "cli/Instance.h"
#include "cli/ProgressBar.h"
#include "core/Job.h"
#include "core/Log.h"
#include "core/NameReservations.h"
#include "core/Settings.h"
#include "core/Translations.h"
#include "core/WheelMode.h"
#include "platform/Autostart.h"
#include "platform/Platform.h"

#include <QCoreApplication>
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

QStringList titles(const QList<Operation>& operations)
{
    QStringList list;
    for (const Operation& operation : operations)
        list.append(operation.title);
    return list;
}

} // namespace

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

QStringList fileArguments(const QStringList& arguments)
{
    QStringList files = arguments.mid(4);
    if (files.size() > 1 && files.first() == QLatin1String("--"))
        files.removeFirst();
    return files;
}

namespace {

// A title as a label may loosely give it: any letter case, without the
// "…" and with x for × ("trim", "speed 2x").
QString loosely(const QString& text)
{
    QString plain = text.toLower();
    if (plain.endsWith(QChar(0x2026)))
        plain.chop(1);
    else if (plain.endsWith(QLatin1String("...")))
        plain.chop(3);
    return plain.replace(QChar(0x00d7), QLatin1Char('x'));
}

// Where `label` names a slice among `operations`: the exact title in any
// letter case, else a conversion's format key or alias ("jpeg", "tar.gz"),
// else a loose match.
std::optional<qsizetype> indexNamed(const QList<Operation>& operations, const QString& label)
{
    for (qsizetype i = 0; i < operations.size(); ++i)
        if (operations.at(i).title.compare(label, Qt::CaseInsensitive) == 0)
            return i;
    const QString key = Formats::key(label.toLower());
    for (qsizetype i = 0; i < operations.size(); ++i)
        if (operations.at(i).target == key)
            return i;
    for (qsizetype i = 0; i < operations.size(); ++i)
        if (loosely(operations.at(i).title) == loosely(label))
            return i;
    return std::nullopt;
}

// Where `label` names a slice by its English title, as scripts type it
// whatever the user's language; none when the English slices don't line
// up with `shown`.
std::optional<qsizetype> indexNamedInEnglish(const CommandLine::SliceSet& slices,
                                             WheelMode::Mode mode, const QStringList& files,
                                             const QList<Operation>& shown, const QString& label)
{
    QList<Operation> english;
    Translations::withoutTranslations([&] { english = slices(mode, files); });
    if (english.size() != shown.size())
        return std::nullopt;
    return indexNamed(english, label);
}

} // namespace

std::optional<Operation> slice(const QList<Operation>& operations, const QString& label)
{
    const std::optional<qsizetype> index = indexNamed(operations, label);
    return index ? std::optional(operations.at(*index)) : std::nullopt;
}

int run(const QStringList& arguments, const SliceSet& slices,
        const std::function<void()>& afterSuccess)
{
    const WheelMode::Mode mode = modeNamed(arguments.at(2));
    const QString label = arguments.at(3);
    const QStringList files = absolutePaths(fileArguments(arguments));
    const QList<Operation> operations = slices(mode, files);

    std::optional<qsizetype> index = indexNamed(operations, label);
    if (!index)
        index = indexNamedInEnglish(slices, mode, files, operations, label);
    if (!index) {
        printLine(stdout, tr("No “%1” slice. Available: %2")
                              .arg(label, titles(operations).join(QStringLiteral(", "))));
        return 2;
    }

    const Operation* chosen = &operations.at(*index);
    Job job;
    const CancelOnInterrupt interrupt(job);
    try {
        if (chosen->missing)
            throw Fail(chosen->missing->text());
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
        printLine(stderr, tr("error: %1").arg(describe(std::current_exception())));
    }
    return 1;
}

QString usage()
{
    return tr(
        "Usage:\n"
        "  flingdial                                  start the tray application, or open\n"
        "                                             its settings when it runs\n"
        "  flingdial FILE…                            open the wheel for the files\n"
        "  flingdial --run MODE LABEL FILE…           run one slice on the files\n"
        "                                             (MODE: convert, tools or actions)\n"
        "  flingdial --trigger [MODE]                 open the wheel of the running program:\n"
        "                                             during a drag at the pointer, else\n"
        "                                             for the copied files\n"
        "  flingdial --bindings sway|hyprland         the key bindings for that compositor\n"
        "  flingdial --login on|off                   start at login, or not\n"
        "  flingdial --render-icon OUT.png|svg [SIZE] draw the application icon\n"
        "  flingdial --render-menubar OUT.png|svg [SIZE]\n"
        "                                             draw the tray mark\n"
        "  flingdial --snapshot OUT.png MODE light|dark FILE…   draw the wheel\n"
        "  flingdial --help | --version\n");
}

int trigger(const QStringList& arguments)
{
    const QString word = arguments.value(2, QStringLiteral("convert"));
    const std::optional<WheelMode::Mode> mode = WheelMode::fromRawValue(word.toLower());
    if (!mode) {
        printLine(stderr, tr("error: No “%1” wheel: convert, tools or actions.").arg(word));
        return 2;
    }
    QString why;
    // Without a mode it is the hot key, which also opens the keyboard wheel.
    const QString sent = arguments.size() > 2 ? WheelMode::rawValue(*mode) : QString();
    if (!Instance::call(QStringLiteral("Trigger"), {sent}, &why)) {
        printLine(stderr, tr("error: Flingdial isn’t running. Start it first, then press the key "
                             "again."));
        if (!why.isEmpty())
            qCWarning(lcApp, "the trigger couldn't be handed over: %s", qUtf8Printable(why));
        return 1;
    }
    return 0;
}

int bindings(const QStringList& arguments)
{
    const std::optional<QString> lines =
        Bindings::forCompositor(arguments.at(2).toLower(), QCoreApplication::applicationFilePath(),
                                Settings::shared().hotKeyKeys());
    if (!lines) {
        printLine(stderr,
                  tr("error: No bindings for “%1”: sway or hyprland.").arg(arguments.at(2)));
        return 2;
    }
    std::fputs(lines->toUtf8().constData(), stdout);
    return 0;
}

int login(const QStringList& arguments)
{
    Autostart* item = &Platform::shared().autostart();
    try {
        if (arguments.at(2) == QLatin1String("on"))
            item->enable();
        else
            item->disable();
        printLine(stdout,
                  item->isEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled"));
        return 0;
    } catch (const Error& error) {
        printLine(stdout, tr("error: %1").arg(error.description()));
        return 1;
    }
}

} // namespace CommandLine
