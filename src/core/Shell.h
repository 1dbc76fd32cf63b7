#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The one way to run an external program.
namespace Shell {

// The PATH every child gets, whatever this process had.
QString searchPath();

// Runs the program with the arguments as given (no shell), standard input
// from /dev/null, both output pipes drained, in a session of its own, and
// waits for it; a cancel of the current job ends it and throws Cancelled.
// Returns
// standard output, or standard error when returningErrors is set (empty
// when standard output went to a file). A non-zero exit becomes a Fail:
// "<name> failed (<status>).\n<last 800 characters of its complaint>".
// A program that can't start, or an output file that can't be opened,
// throws SystemError.
QString run(const QString& executable, const QStringList& arguments,
            const std::optional<QString>& workingDirectory = std::nullopt,
            const std::optional<QString>& stdoutFile = std::nullopt, bool returningErrors = false);

// The same, with each complete line of standard output handed to
// `outputLine` as the program writes it (for programs that report progress).
struct Watch
{
    std::optional<QString> workingDirectory;
    std::optional<QString> stdoutFile;
    bool returningErrors = false;
    std::function<void(const QByteArray& line)> outputLine;
    std::optional<QString> stdinFile; // instead of /dev/null
};
QString run(const QString& executable, const QStringList& arguments, const Watch& watch);

} // namespace Shell
