#include "core/Operation.h"

#include "base/Errors.h"
#include "core/Job.h"
#include "core/NameReservations.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

thread_local int t_filesAtOnce = 1;

// Files of one batch running side by side, each on a thread of its own and
// in a job of its own; the calling thread starts them, watches them and
// tells its job how far the whole batch is.
class Batch
{
public:
    Batch(const QStringList& files, const Operation::Step& step, const Operation::MemoryNeed& need,
          int workers)
        : m_files(files), m_step(step), m_need(need), m_workers(workers),
          m_slots(size_t(files.size()))
    {}

    ~Batch()
    {
        // Only reached with threads left when the caller's thread unwinds
        // by surprise: they must not outlive what they point to.
        for (Slot& slot : m_slots) {
            if (slot.job)
                slot.job->cancel();
            if (slot.thread.joinable())
                slot.thread.join();
        }
    }

    QStringList run()
    {
        Job* const watcher = Job::current();
        const qint64 budget = Operation::sideBySideMemory();
        std::unique_lock lock(m_mutex);
        while (true) {
            if (watcher && watcher->isCancelled())
                cancelFrom(0);
            startWhatFits(lock, budget);
            if (m_running == 0)
                break;
            m_changed.wait_for(lock, std::chrono::milliseconds(100));
            collectFinished(lock);
            report(watcher);
        }
        lock.unlock();
        return results();
    }

private:
    struct Slot
    {
        std::unique_ptr<Job> job;
        std::thread thread;
        std::optional<qint64> need; // estimated when the file is next to start
        std::optional<double> fraction;
        bool finished = false;
        bool collected = false;
        bool cancelled = false; // by the batch, after an earlier failure or a cancel
        QString result;
        std::exception_ptr failure;
    };

    qint64 needOf(const QString& file) const
    {
        return m_need ? std::max<qint64>(0, m_need(file)) : 0;
    }

    bool stopping() const { return m_stopAt < m_files.size(); }

    void startWhatFits(std::unique_lock<std::mutex>& lock, qint64 budget)
    {
        while (!stopping() && m_next < m_files.size() && m_running < m_workers) {
            const qsizetype index = m_next;
            Slot& slot = m_slots[size_t(index)];
            if (!slot.need) {
                lock.unlock();
                const qint64 need = needOf(m_files.at(index));
                lock.lock();
                slot.need = need;
            }
            if (m_running > 0 && m_inUse + *slot.need > budget)
                return;
            start(index);
        }
    }

    void start(qsizetype index)
    {
        Slot& slot = m_slots[size_t(index)];
        slot.job = std::make_unique<Job>();
        slot.job->setListener([this, &slot](const Job::State& state) {
            const std::lock_guard guard(m_mutex);
            slot.fraction = state.fraction;
        });
        m_inUse += *slot.need;
        ++m_running;
        ++m_next;
        slot.thread = std::thread([this, &slot, file = m_files.at(index)] {
            t_filesAtOnce = m_workers;
            const Job::Scope watched(slot.job.get());
            QString result;
            std::exception_ptr failure;
            try {
                // Names claimed here are written by the time the file is done.
                const NameReservations::Scope names;
                result = m_step(file);
            } catch (...) {
                failure = std::current_exception();
            }
            {
                const std::lock_guard guard(m_mutex);
                slot.result = result;
                slot.failure = failure;
                slot.finished = true;
            }
            m_changed.notify_all();
        });
    }

    // Stops starting files from `index` on and cancels those running there.
    void cancelFrom(qsizetype index)
    {
        m_stopAt = std::min(m_stopAt, index);
        for (qsizetype i = index; i < m_next; ++i) {
            Slot& slot = m_slots[size_t(i)];
            if (!slot.finished && !slot.cancelled) {
                slot.cancelled = true;
                slot.job->cancel();
            }
        }
    }

    void collectFinished(std::unique_lock<std::mutex>& lock)
    {
        for (qsizetype i = 0; i < m_next; ++i) {
            Slot& slot = m_slots[size_t(i)];
            if (!slot.finished || slot.collected)
                continue;
            slot.collected = true;
            lock.unlock();
            slot.thread.join();
            lock.lock();
            --m_running;
            ++m_done;
            m_inUse -= *slot.need;
            if (slot.failure && !slot.cancelled)
                cancelFrom(i + 1);
        }
    }

    // Files done as the file index, the running files' shares as its
    // fraction: the count never runs ahead of the files that are finished.
    void report(Job* watcher)
    {
        if (!watcher || watcher->isCancelled())
            return;
        const int count = int(m_files.size());
        const int index = int(std::min<qsizetype>(m_done, count - 1));
        std::optional<double> running;
        for (qsizetype i = 0; i < m_next; ++i) {
            const Slot& slot = m_slots[size_t(i)];
            if (!slot.finished && slot.fraction)
                running = running.value_or(0) + *slot.fraction;
        }
        try {
            if (index != m_reportedIndex) {
                Job::reportFile(index, count);
                m_reportedIndex = index;
            }
            if (running)
                Job::reportFraction(std::min(*running, 0.99));
        } catch (const Cancelled&) {
            // Seen at the next turn, which cancels the running files.
        }
    }

    QStringList results() const
    {
        // A cancel of the whole batch wins; else the first failure in file
        // order, which is never one the batch caused itself.
        if (const Job* watcher = Job::current(); watcher && watcher->isCancelled())
            throw Cancelled();
        QStringList list;
        for (const Slot& slot : m_slots) {
            if (slot.failure && !slot.cancelled)
                std::rethrow_exception(slot.failure);
            if (slot.collected)
                list.append(slot.result);
        }
        return list;
    }

    const QStringList& m_files;
    const Operation::Step& m_step;
    const Operation::MemoryNeed& m_need;
    const int m_workers;
    std::vector<Slot> m_slots;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    qsizetype m_next = 0;
    qsizetype m_stopAt = std::numeric_limits<qsizetype>::max();
    int m_running = 0;
    qsizetype m_done = 0;
    qint64 m_inUse = 0;
    int m_reportedIndex = -1;
};

// The whole of a small file of the kernel's (/proc and /sys files tell no
// size, so they are read to their end).
QByteArray kernelFile(const char* path)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The memory that is free for new work: what the kernel counts as
// available, within what the control group may still take.
qint64 availableMemory()
{
    qint64 available = -1;
    for (const QByteArray& line : kernelFile("/proc/meminfo").split('\n')) {
        if (line.startsWith("MemAvailable:"))
            available = line.mid(13).trimmed().split(' ').constFirst().toLongLong() * 1024;
    }
    if (available < 0)
        available = qint64(1) << 30; // without /proc, a cautious guess
    bool limited = false;
    const qint64 limit = kernelFile("/sys/fs/cgroup/memory.max").trimmed().toLongLong(&limited);
    if (limited) {
        const qint64 used = kernelFile("/sys/fs/cgroup/memory.current").trimmed().toLongLong();
        available = std::min(available, std::max<qint64>(0, limit - used));
    }
    return available;
}

qint64 totalSize(const QStringList& files)
{
    qint64 total = 0;
    for (const QString& file : files)
        total += QFileInfo(file).size();
    return total;
}

// One file per core; FLINGDIAL_WORKERS sets another number (1: one file
// at a time).
int defaultWorkers()
{
    bool ok = false;
    const int chosen = qEnvironmentVariableIntValue("FLINGDIAL_WORKERS", &ok);
    return ok && chosen > 0 ? chosen : QThread::idealThreadCount();
}

// "66 kB", "4.2 MB": a tenth is worth showing from megabytes on.
QString spokenSize(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, bytes >= 1'000'000 ? 1 : 0,
                                       QLocale::DataSizeSIFormat);
}

} // namespace

Operation::Operation(QString title, Perform perform)
    : title(std::move(title)), perform(std::move(perform))
{
    asksFirst = this->title.endsWith(QChar(0x2026));
}

Operation& Operation::withSymbol(const QString& name)
{
    symbol = name;
    return *this;
}

Operation& Operation::withSummary(Summary describe)
{
    summary = std::move(describe);
    return *this;
}

Operation Operation::perFile(const QString& title, const QString& symbol, Step step,
                             MemoryNeed need)
{
    Operation operation(title,
                        [step = std::move(step), need = std::move(need)](const QStringList& files) {
                            return need ? sideBySide(files, step, need) : eachFile(files, step);
                        });
    return operation.withSymbol(symbol);
}

QStringList Operation::eachFile(const QStringList& files, const Step& step)
{
    QStringList results;
    for (qsizetype i = 0; i < files.size(); ++i) {
        Job::reportFile(int(i), int(files.size()));
        results.append(step(files.at(i)));
    }
    return results;
}

QStringList Operation::sideBySide(const QStringList& files, const Step& step,
                                  const MemoryNeed& need, int workers)
{
    if (workers <= 0)
        workers = defaultWorkers();
    if (workers <= 1 || files.size() <= 1)
        return eachFile(files, step);
    Job::throwIfCancelled();
    Batch batch(files, step, need, workers);
    return batch.run();
}

int Operation::filesAtOnce()
{
    return t_filesAtOnce;
}

qint64 Operation::sideBySideMemory()
{
    return availableMemory() / 2;
}

QString Operation::sizeChange(const QStringList& files, const QStringList& results)
{
    return QStringLiteral("%1 → %2").arg(spokenSize(totalSize(files)),
                                         spokenSize(totalSize(results)));
}

Operation Operation::allFiles(const QString& title, const QString& symbol,
                              std::function<QString(const QStringList& files)> work)
{
    Operation operation(title, [work = std::move(work)](const QStringList& files) {
        return QStringList{work(files)};
    });
    return operation.withSymbol(symbol);
}
