#include "core/Job.h"

#include "base/Errors.h"

#include <algorithm>

namespace {

thread_local Job* currentJob = nullptr;

} // namespace

std::optional<double> Job::State::overall() const
{
    if (fileCount <= 1)
        return fraction;
    return (fileIndex + fraction.value_or(0)) / fileCount;
}

Job::Job()
{
    m_clock.start();
}

Job::State Job::state() const
{
    const QMutexLocker lock(&m_mutex);
    return m_state;
}

std::optional<double> Job::secondsLeft() const
{
    const auto done = state().overall();
    // Too early to tell: the first moments of a job say little of its pace.
    if (!done || *done < 0.02 || m_clock.elapsed() < 1000)
        return std::nullopt;
    const double elapsed = m_clock.elapsed() / 1000.0;
    return std::max(0.0, elapsed / *done - elapsed);
}

void Job::setListener(std::function<void(const State&)> listener)
{
    const QMutexLocker lock(&m_mutex);
    m_listener = std::move(listener);
}

void Job::update(const std::function<void(State&)>& change)
{
    State now;
    std::function<void(const State&)> listener;
    {
        const QMutexLocker lock(&m_mutex);
        change(m_state);
        now = m_state;
        listener = m_listener;
    }
    if (listener)
        listener(now);
}

Job* Job::current()
{
    return currentJob;
}

void Job::reportFile(int index, int count)
{
    if (Job* job = current())
        job->update([&](State& state) {
            state.fileIndex = index;
            state.fileCount = std::max(count, 1);
            state.fraction.reset();
        });
    throwIfCancelled();
}

void Job::reportFraction(double fraction)
{
    if (Job* job = current())
        job->update([&](State& state) {
            const double clamped = std::clamp(fraction, 0.0, 1.0);
            // A job never goes backwards.
            state.fraction = std::max(clamped, state.fraction.value_or(0));
        });
}

void Job::throwIfCancelled()
{
    if (const Job* job = current(); job && job->isCancelled())
        throw Cancelled();
}

Job::Asking::Asking()
{
    if (Job* job = current())
        job->update([](State& state) { state.asking = true; });
}

Job::Asking::~Asking()
{
    if (Job* job = current())
        job->update([](State& state) { state.asking = false; });
}

Job::Scope::Scope(Job* job) : m_outer(currentJob)
{
    currentJob = job;
}

Job::Scope::~Scope()
{
    currentJob = m_outer;
}
