#include "converters/ocr/PageWorkers.h"

#include "base/Errors.h"
#include "core/Job.h"

#include <QThread>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace PageWorkers {

void run(int count, int threads, const std::function<void(int page)>& work)
{
    if (count <= 0)
        return;
    Job::throwIfCancelled();
    const Job* outer = Job::current();
    // The pages' own job: cancelled by the user's cancel or by a failure,
    // which ends the child programs of every page.
    Job pages;
    std::atomic<int> next{0};
    std::mutex mutex;
    std::condition_variable changed;
    int done = 0;
    int running = std::clamp(threads, 1, count);
    std::exception_ptr failure;
    const auto worker = [&] {
        const Job::Scope scope(&pages);
        for (int page = next++; page < count && !pages.isCancelled(); page = next++) {
            try {
                work(page);
            } catch (...) {
                const std::lock_guard lock(mutex);
                // A page stopped because another failed says nothing new.
                if (!failure && !(pages.isCancelled() && isCancel(std::current_exception())))
                    failure = std::current_exception();
                pages.cancel();
            }
            const std::lock_guard lock(mutex);
            ++done;
            changed.notify_all();
        }
        const std::lock_guard lock(mutex);
        --running;
        changed.notify_all();
    };
    std::vector<std::thread> workers;
    for (int t = 0, n = running; t < n; ++t)
        workers.emplace_back(worker);
    {
        std::unique_lock lock(mutex);
        int reported = 0;
        while (running > 0) {
            changed.wait_for(lock, std::chrono::milliseconds(50));
            if (outer && outer->isCancelled())
                pages.cancel();
            if (done != reported && !failure) {
                reported = done;
                lock.unlock();
                Job::reportFraction(double(reported) / count);
                lock.lock();
            }
        }
    }
    for (std::thread& thread : workers)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
    if (pages.isCancelled())
        throw Cancelled();
}

int threadCount()
{
    return std::max(1, QThread::idealThreadCount());
}

} // namespace PageWorkers
