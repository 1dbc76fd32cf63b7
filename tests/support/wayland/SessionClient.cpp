#include "support/wayland/SessionClient.h"

#include "support/wayland/ProcessTree.h"

#include <QDeadlineTimer>
#include <QTest>

SessionClient::SessionClient(const QString& name) : m_name(name) {}

SessionClient::~SessionClient()
{
    stop(0);
}

void SessionClient::collect()
{
    m_output += m_process.readAllStandardOutput();
    m_log += m_process.readAllStandardError();
}

QString SessionClient::output()
{
    collect();
    return QString::fromUtf8(m_output);
}

QString SessionClient::log()
{
    collect();
    return QString::fromUtf8(m_log);
}

bool SessionClient::waitForOutput(const QString& text, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!output().contains(text) && !deadline.hasExpired() && isRunning())
        QTest::qWait(20);
    return output().contains(text);
}

bool SessionClient::waitForLog(const QString& text, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!log().contains(text) && !deadline.hasExpired() && isRunning())
        QTest::qWait(20);
    return log().contains(text);
}

QString SessionClient::lastLine(const QString& prefix)
{
    const QStringList lines = output().split(QLatin1Char('\n'));
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (line->startsWith(prefix))
            return *line;
    }
    return {};
}

bool SessionClient::waitForExit(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (isRunning() && !deadline.hasExpired())
        QTest::qWait(20);
    collect();
    return !isRunning();
}

void SessionClient::stop(int graceMs)
{
    if (!isRunning())
        return;
    const QList<ProcessTree::Process> started =
        ProcessTree::descendantsOf(int(m_process.processId()));
    m_process.terminate();
    // A compositor may wait for XWayland to go first while XWayland waits
    // for it (KWin does, for five seconds, now and then): end XWayland.
    if (graceMs > 0 && !waitForExit(std::min(graceMs, 500)))
        ProcessTree::end(started, 200);
    if (graceMs <= 0 || !waitForExit(graceMs)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    ProcessTree::end(started);
    collect();
}
