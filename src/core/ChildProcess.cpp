#include "core/ChildProcess.h"

#include "base/Errors.h"
#include "core/Job.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <csignal>
#include <thread>
#include <unistd.h>

namespace {

// How often a waiting thread looks at the job: a cancel takes this long at
// most to reach the child.
constexpr int pollMs = 50;
// Time a child gets to finish after SIGTERM before SIGKILL.
constexpr int graceMs = 500;

} // namespace

ChildProcess::ChildProcess(const QString& program, const QStringList& arguments)
{
    m_process.setProgram(program);
    m_process.setArguments(arguments);
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.setChildProcessModifier([] { ::setsid(); });
}

ChildProcess::~ChildProcess()
{
    if (m_process.state() != QProcess::NotRunning)
        end();
}

void ChildProcess::start()
{
    Job::throwIfCancelled();
    m_process.start();
    if (!m_process.waitForStarted(-1))
        throw SystemError(QStringLiteral("%1: %2").arg(QFileInfo(m_process.program()).fileName(),
                                                       m_process.errorString()));
    // setsid() made the child the leader of a group of its own number.
    m_group.emplace(m_process.processId());
}

ChildProcess::Ending ChildProcess::wait(const Limits& limits, const LineReader& reader)
{
    QElapsedTimer total;
    total.start();
    QElapsedTimer quiet;
    quiet.start();
    while (m_process.state() != QProcess::NotRunning) {
        m_process.waitForReadyRead(pollMs);
        const qsizetype before = m_out.size();
        drain(reader);
        if (m_out.size() != before)
            quiet.restart();
        if (const Job* job = Job::current(); job && job->isCancelled()) {
            end();
            throw Cancelled();
        }
        const bool tooLong = limits.total && total.elapsed() >= limits.total->count();
        const bool tooQuiet = limits.silence && quiet.elapsed() >= limits.silence->count();
        if ((tooLong || tooQuiet) && m_process.state() != QProcess::NotRunning) {
            end();
            return Ending::outOfTime;
        }
    }
    drain(reader);
    m_group.reset();
    return Ending::finished;
}

bool ChildProcess::succeeded() const
{
    // After a crash the exit code is the signal number, never 0.
    return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}

void ChildProcess::drain(const LineReader& reader)
{
    if (m_process.processChannelMode() != QProcess::ForwardedOutputChannel)
        m_out += m_process.readAllStandardOutput();
    m_err += m_process.readAllStandardError();
    if (!reader)
        return;
    for (qsizetype end = m_out.indexOf('\n', m_linesTaken); end >= 0;
         end = m_out.indexOf('\n', m_linesTaken)) {
        reader(m_out.mid(m_linesTaken, end - m_linesTaken));
        m_linesTaken = end + 1;
    }
}

void ChildProcess::end()
{
    const auto group = pid_t(m_process.processId());
    if (group > 0) {
        ::kill(-group, SIGTERM);
        QElapsedTimer grace;
        grace.start();
        m_process.waitForFinished(graceMs);
        // The child may be gone while what it started lives on (it ignores
        // SIGTERM, or takes its time): the group gets the same grace in all.
        while (::kill(-group, 0) == 0 && grace.elapsed() < graceMs)
            std::this_thread::sleep_for(std::chrono::milliseconds(pollMs / 5));
        if (::kill(-group, 0) == 0)
            ::kill(-group, SIGKILL);
        m_process.waitForFinished(-1);
    }
    m_group.reset();
}
