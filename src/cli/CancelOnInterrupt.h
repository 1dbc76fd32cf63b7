#pragma once

#include "core/Job.h"

#include <csignal>

// While it lives, Ctrl+C (SIGINT) and SIGTERM cancel `job` instead of ending
// the program, so that the work can end its child programs and remove what
// it had started. A second signal ends the program at once, as usual.
class CancelOnInterrupt
{
public:
    explicit CancelOnInterrupt(Job& job);
    ~CancelOnInterrupt();
    CancelOnInterrupt(const CancelOnInterrupt&) = delete;
    CancelOnInterrupt& operator=(const CancelOnInterrupt&) = delete;

    // The signal that cancelled the job, or 0.
    static int received();

private:
    struct sigaction m_oldInterrupt
    {
    };
    struct sigaction m_oldTerminate
    {
    };
};
