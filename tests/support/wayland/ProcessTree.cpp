#include "support/wayland/ProcessTree.h"

#include "support/TestSupport.h"

#include <QDeadlineTimer>
#include <QThread>
#include <signal.h>

namespace ProcessTree {

namespace {

// Field 22 of /proc/PID/stat, or 0 once the process is gone (or a zombie).
qulonglong startTimeOf(int pid)
{
    const QByteArray stat = TestSupport::readFile(QStringLiteral("/proc/%1/stat").arg(pid));
    // "pid (name) state ppid …": the name may hold spaces and parentheses.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20 || fields.at(0) == "Z")
        return 0;
    return fields.at(19).toULongLong();
}

bool isRunning(const Process& process)
{
    return process.startTime != 0 && startTimeOf(process.pid) == process.startTime;
}

} // namespace

QList<Process> descendantsOf(int pid)
{
    QList<Process> found;
    if (pid <= 0)
        return found;
    for (int child : TestSupport::runningChildrenOf(pid)) {
        found.append({child, startTimeOf(child)});
        found.append(descendantsOf(child));
    }
    return found;
}

void end(const QList<Process>& processes, int graceMs)
{
    QList<Process> running;
    for (const Process& process : processes) {
        if (isRunning(process)) {
            ::kill(process.pid, SIGTERM);
            running.append(process);
        }
    }
    const QDeadlineTimer deadline(graceMs);
    while (!running.isEmpty() && !deadline.hasExpired()) {
        running.removeIf([](const Process& process) { return !isRunning(process); });
        QThread::msleep(20);
    }
    for (const Process& process : std::as_const(running)) {
        if (isRunning(process))
            ::kill(process.pid, SIGKILL);
    }
}

} // namespace ProcessTree
