#include "cli/CancelOnInterrupt.h"

#include "core/Unfinished.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

// A signal handler reaches the job only through statics; one command line
// runs one job, so there is only ever one.
std::atomic<Job*> interruptedJob = nullptr;
std::atomic<int> receivedSignal = 0;
std::atomic<int> wakeWatchdog = -1;
static_assert(std::atomic<Job*>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

constexpr char signalled = 's';
constexpr char finished = 'f';

void cancelJob(int signal)
{
    const int savedErrno = errno;
    receivedSignal.store(signal);
    if (Job* job = interruptedJob.load())
        job->cancel();
    if (const int fd = wakeWatchdog.load(); fd >= 0) [[maybe_unused]]
        const ssize_t written = ::write(fd, &signalled, 1);
    // The next one is not caught: a job that won't stop can still be ended.
    std::signal(signal, SIG_DFL);
    errno = savedErrno;
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

// The next byte written to the pipe, or 0 when none comes within `timeoutMs`
// (-1: no limit).
char nextByte(int fd, int timeoutMs)
{
    pollfd wait{fd, POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&wait, 1, timeoutMs);
        if (ready == 0)
            return 0;
        char byte = 0;
        if (ready > 0 && ::read(fd, &byte, 1) == 1)
            return byte;
        if (ready < 0 && errno != EINTR)
            return finished;
    }
}

} // namespace

CancelOnInterrupt::CancelOnInterrupt(Job& job)
{
    receivedSignal.store(0);
    interruptedJob.store(&job);
    if (::pipe2(m_wake, O_CLOEXEC) == 0) {
        wakeWatchdog.store(m_wake[1]);
        m_watchdog = std::thread([this] { watch(); });
    }
    catchSignal(SIGINT, &m_oldInterrupt);
    catchSignal(SIGTERM, &m_oldTerminate);
}

CancelOnInterrupt::~CancelOnInterrupt()
{
    sigaction(SIGINT, &m_oldInterrupt, nullptr);
    sigaction(SIGTERM, &m_oldTerminate, nullptr);
    interruptedJob.store(nullptr);
    wakeWatchdog.store(-1);
    if (m_watchdog.joinable()) {
        [[maybe_unused]] const ssize_t written = ::write(m_wake[1], &finished, 1);
        m_watchdog.join();
    }
    for (const int fd : m_wake)
        if (fd >= 0)
            ::close(fd);
}

void CancelOnInterrupt::watch() const
{
    if (nextByte(m_wake[0], -1) != signalled)
        return;
    // The work was cancelled: it has a moment to end by itself, which
    // ends this watch too.
    if (nextByte(m_wake[0], graceMs) == finished)
        return;
    Unfinished::abandonAndExit(128 + receivedSignal.load());
}

int CancelOnInterrupt::received()
{
    return receivedSignal.load();
}
