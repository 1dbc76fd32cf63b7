#pragma once

#include <QList>

// The processes a test's session started, directly or not, so that none
// outlives the test: a compositor starts XWayland, a bus starts services,
// the program starts its tools.
namespace ProcessTree {

struct Process
{
    int pid = 0;
    qulonglong startTime = 0; // tells a process from a later one with its pid
};

// The running descendants of `pid`, deepest last.
QList<Process> descendantsOf(int pid);

// Sends SIGTERM to those still running and SIGKILL to those still running
// `graceMs` later.
void end(const QList<Process>& processes, int graceMs = 2000);

} // namespace ProcessTree
