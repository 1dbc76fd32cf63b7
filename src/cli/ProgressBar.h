#pragma once

#include "core/Job.h"

#include <QByteArray>
#include <QCoreApplication>
#include <condition_variable>
#include <mutex>
#include <thread>

// A one-line progress bar on a terminal, drawn from a thread of its own while
// a job runs: "[########------------]  42 %  1:23 left". Nothing is drawn
// when the stream is not a terminal, before the work has run for a moment,
// while the job can't tell how far it is, or while a prompt waits; the line
// is cleared again when the bar goes away.
class ProgressBar
{
    Q_DECLARE_TR_FUNCTIONS(ProgressBar)

public:
    ProgressBar(const Job& job, int fileDescriptor);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // The line for a state, at most `width` characters wide.
    static QByteArray line(double done, std::optional<double> secondsLeft, int width);

private:
    void drawUntilStopped();
    void draw(const QByteArray& text);
    int terminalWidth() const;

    const Job& m_job;
    const int m_fd;
    QByteArray m_drawn;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_thread;
};
