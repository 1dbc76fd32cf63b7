#pragma once

#include "core/Job.h"
#include "core/Operation.h"

#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <exception>
#include <map>
#include <memory>

// Carries an operation from the user's gesture to its visible end: setup
// help for a missing component, immediate work at once, background work on
// the thread pool with a busy count, then the log line, sound, reveal and
// notification, or the failure in an alert. Background work can be
// followed and cancelled while it runs.
class Runner : public QObject
{
    Q_OBJECT

public:
    static Runner& shared();

    // Main thread only. Returns once background work is queued.
    void execute(const Operation& operation, const QStringList& files);

    bool isBusy() const { return m_active > 0; }

    // Background work that runs and has not been cancelled, oldest first.
    struct Running
    {
        int id;
        QString description; // "Converting talk.mov to MP4 — 42 %"
    };
    QList<Running> running() const;
    // Ends that work at once, silently; what it had started is removed.
    void cancel(int id);
    // Cancels all of it. isBusy() stays true until the last has stopped.
    void cancelAll();

    // One line for a running operation: what it does, on what, how far.
    static QString progressLine(const Operation& operation, const QStringList& files,
                                const Job::State& state);

    // The notification for a finished operation.
    static QString notificationTitle(const Operation& operation);
    // `summary` ("4.2 MB → 1.1 MB") goes on a line of its own.
    static QString notificationBody(const QStringList& results, const QString& summary = {});

Q_SIGNALS:
    // After every start and every finish of background work.
    void busyChanged(bool busy);
    // When work starts, ends or gets further; a few times a second at most.
    void runningChanged();

private:
    explicit Runner(QObject* parent);

    void finish(const Operation& operation, const QStringList& files, const QStringList& results);
    void report(const std::exception_ptr& failure);
    void showSetupHelp(const Component& missing);

    void noticeProgress();

    struct Work
    {
        Operation operation;
        QStringList files;
        std::shared_ptr<Job> job;
    };
    std::map<int, Work> m_work;
    // Threads of its own: Qt draws and scales images on the global pool,
    // and long work there would stall the interface until it ends.
    QThreadPool m_pool;
    int m_nextId = 1;
    int m_active = 0;
    QTimer m_progressTimer;
    QList<Running> m_lastShown;
};
