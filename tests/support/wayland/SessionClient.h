#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

// A program running inside a test's Wayland session, with everything it
// printed so far. WaylandSession makes them and ends them when it stops.
class SessionClient
{
public:
    explicit SessionClient(const QString& name);
    ~SessionClient();
    SessionClient(const SessionClient&) = delete;
    SessionClient& operator=(const SessionClient&) = delete;

    const QString& name() const { return m_name; }
    QProcess& process() { return m_process; }
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }

    // Standard output and standard error so far.
    QString output();
    QString log();
    // Waits until standard output (or error) holds `text`.
    bool waitForOutput(const QString& text, int timeoutMs = 10000);
    bool waitForLog(const QString& text, int timeoutMs = 10000);
    // The last line of standard output that starts with `prefix` (empty if none).
    QString lastLine(const QString& prefix);

    // Waits for the program to end by itself; false when it still runs.
    bool waitForExit(int timeoutMs = 10000);
    // Asks it to end (SIGTERM), then kills it and whatever it started.
    void stop(int graceMs = 3000);

private:
    void collect();

    QString m_name;
    QProcess m_process;
    QByteArray m_output;
    QByteArray m_log;
};
