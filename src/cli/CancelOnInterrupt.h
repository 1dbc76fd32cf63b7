#pragma once

#include "core/Job.h"

#include <csignal>
#include <thread>

// While it lives, Ctrl+C (SIGINT) and SIGTERM cancel `job` instead of ending
// the program, so that the work can end its child programs and remove what
// it had started. Work that doesn't end within a moment (in-process work
// never looks at the job) is abandoned: what it had started is removed,
// its child programs are ended, and the program exits with the signal's
// status. A second signal ends the program at once, as usual.
class CancelOnInterrupt
{
public:
    explicit CancelOnInterrupt(Job& job);
    ~CancelOnInterrupt();
    CancelOnInterrupt(const CancelOnInterrupt&) = delete;
    CancelOnInterrupt& operator=(const CancelOnInterrupt&) = delete;

    // The signal that cancelled the job, or 0.
    static int received();

    // How long cancelled work has to come to an end by itself.
    static constexpr int graceMs = 1000;

private:
    void watch() const;

    int m_wake[2] = {-1, -1}; // the handler and the destructor write here
    std::thread m_watchdog;
    struct sigaction m_oldInterrupt
    {
    };
    struct sigaction m_oldTerminate
    {
    };
};
