#pragma once

#include <QElapsedTimer>
#include <QMutex>
#include <atomic>
#include <functional>
#include <optional>

// How far one running operation has got, and the user's request to stop it.
// The operation reports through the job of its thread (`Job::current()`);
// whoever started it (the runner, the command line) reads it and may cancel
// it from any thread. Cancelling is only a request: the child processes
// notice it within a moment and are ended, and the next check throws
// Cancelled, which unwinds the operation and removes what it had started.
class Job
{
public:
    struct State
    {
        int fileIndex = 0; // the file being worked on, from 0
        int fileCount = 1;
        std::optional<double> fraction; // of that file, when the work can tell
        bool asking = false;            // a prompt waits for the user
        // Of the whole job, when known.
        std::optional<double> overall() const;
    };

    Job();
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    State state() const;
    // Seconds left, estimated from the pace so far, once there is one.
    std::optional<double> secondsLeft() const;

    // Async-signal-safe: a SIGINT handler may call it.
    void cancel() { m_cancelled.store(true); }
    bool isCancelled() const { return m_cancelled.load(); }

    // Called on every report, on the operation's thread.
    void setListener(std::function<void(const State&)> listener);

    // The job of the calling thread, or null when nothing watches the work.
    static Job* current();

    // For the operation: each does nothing without a current job.
    static void reportFile(int index, int count);
    static void reportFraction(double fraction);
    // Throws Cancelled once the current job is cancelled.
    static void throwIfCancelled();

    // Marks the current job as waiting for the user while the scope lives.
    class Asking
    {
    public:
        Asking();
        ~Asking();
        Asking(const Asking&) = delete;
        Asking& operator=(const Asking&) = delete;
    };

    // Makes `job` the current one of this thread while the scope lives.
    class Scope
    {
    public:
        explicit Scope(Job* job);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        Job* m_outer;
    };

private:
    void update(const std::function<void(State&)>& change);

    mutable QMutex m_mutex;
    State m_state;
    QElapsedTimer m_clock;
    std::function<void(const State&)> m_listener;
    std::atomic<bool> m_cancelled = false;
    static_assert(std::atomic<bool>::is_always_lock_free);
};
