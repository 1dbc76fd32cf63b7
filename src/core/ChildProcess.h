#pragma once

#include "core/Unfinished.h"

#include <QByteArray>
#include <QProcess>
#include <chrono>
#include <functional>
#include <optional>

// A child program in a session of its own, so that ending it ends what it
// started too (LibreOffice's helpers, a shell's children). It is ended when
// the current job is cancelled (see Job), when a time limit passes, when
// this object goes away while it still runs, and when the run is abandoned
// (see Unfinished).
class ChildProcess
{
public:
    struct Limits
    {
        std::optional<std::chrono::milliseconds> total;
        // Longest time without a byte on standard output.
        std::optional<std::chrono::milliseconds> silence;
    };
    enum class Ending { finished, outOfTime };
    using LineReader = std::function<void(const QByteArray& line)>;

    ChildProcess(const QString& program, const QStringList& arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // For what the start needs: environment, folders, files for the streams.
    QProcess& process() { return m_process; }

    // Throws SystemError when the program can't start.
    void start();
    // Waits for the end, draining both pipes and handing each complete line of
    // standard output to `reader` as it comes. Throws Cancelled (after ending
    // the child) once the current job is cancelled.
    Ending wait(const Limits& limits = {}, const LineReader& reader = {});

    bool succeeded() const;
    int exitCode() const { return m_process.exitCode(); }
    const QByteArray& standardOutput() const { return m_out; }
    const QByteArray& standardError() const { return m_err; }

private:
    void drain(const LineReader& reader);
    void end();

    QProcess m_process;
    // Its session, ended should the whole run be abandoned.
    std::optional<Unfinished::ProcessGroup> m_group;
    QByteArray m_out;
    QByteArray m_err;
    qsizetype m_linesTaken = 0;
};
