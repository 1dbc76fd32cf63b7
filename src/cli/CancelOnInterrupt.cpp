#include "cli/CancelOnInterrupt.h"

#include <atomic>

namespace {

// A signal handler reaches the job only through statics; one command line
// runs one job, so there is only ever one.
std::atomic<Job*> interruptedJob = nullptr;
std::atomic<int> receivedSignal = 0;
static_assert(std::atomic<Job*>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

void cancelJob(int signal)
{
    receivedSignal.store(signal);
    if (Job* job = interruptedJob.load())
        job->cancel();
    // The next one is not caught: a job that won't stop can still be ended.
    std::signal(signal, SIG_DFL);
}

void catchSignal(int signal, struct sigaction* old)
{
    struct sigaction action
    {
    };
    action.sa_handler = cancelJob;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a prompt reading the terminal returns at once.
    action.sa_flags = 0;
    sigaction(signal, &action, old);
}

} // namespace

CancelOnInterrupt::CancelOnInterrupt(Job& job)
{
    receivedSignal.store(0);
    interruptedJob.store(&job);
    catchSignal(SIGINT, &m_oldInterrupt);
    catchSignal(SIGTERM, &m_oldTerminate);
}

CancelOnInterrupt::~CancelOnInterrupt()
{
    sigaction(SIGINT, &m_oldInterrupt, nullptr);
    sigaction(SIGTERM, &m_oldTerminate, nullptr);
    interruptedJob.store(nullptr);
}

int CancelOnInterrupt::received()
{
    return receivedSignal.load();
}
