#pragma once

#include <QString>
#include <functional>

// What running work has started and not yet settled: results not yet in
// place, scratch folders, child programs. A command-line run stopped from
// outside whose work doesn't come to an end by itself in time (in-process
// work that never looks at its cancel flag) ends the process with
// abandonAndExit(), which removes and ends all of it first.
namespace Unfinished {

// A file or folder to remove should the work be abandoned, while this lives.
class Path
{
public:
    explicit Path(QString path);
    ~Path();
    Path(const Path&) = delete;
    Path& operator=(const Path&) = delete;

    // Runs `settle` (which moves the path into place, say), then stops
    // watching it, as one step that abandonAndExit() never interrupts.
    // When `settle` throws, the path is still watched.
    void release(const std::function<void()>& settle);

private:
    quint64 m_id;
};

// A child's process group to end should the work be abandoned, while this lives.
class ProcessGroup
{
public:
    explicit ProcessGroup(qint64 group);
    ~ProcessGroup();
    ProcessGroup(const ProcessGroup&) = delete;
    ProcessGroup& operator=(const ProcessGroup&) = delete;

private:
    quint64 m_id;
};

// Kills every watched process group, removes every watched path and ends
// the process with `status`, from any thread. Nothing is settled once it
// has begun.
[[noreturn]] void abandonAndExit(int status);

} // namespace Unfinished
