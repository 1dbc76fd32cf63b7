#pragma once

#include "core/Operation.h"

#include <QObject>
#include <exception>

// Carries an operation from the user's gesture to its visible end: setup
// help for a missing component, immediate work at once, background work on
// the thread pool with a busy count, then the log line, sound, reveal and
// notification, or the failure in an alert.
class Runner : public QObject
{
    Q_OBJECT

public:
    static Runner& shared();

    // Main thread only. Returns once background work is queued.
    void execute(const Operation& operation, const QStringList& files);

    bool isBusy() const { return m_active > 0; }

    // The notification for a finished operation.
    static QString notificationTitle(const Operation& operation);
    static QString notificationBody(const QStringList& results);

Q_SIGNALS:
    // After every start and every finish of background work.
    void busyChanged(bool busy);

private:
    explicit Runner(QObject* parent);

    void finish(const Operation& operation, const QStringList& results);
    void report(const std::exception_ptr& failure);
    void showSetupHelp(const QString& reason);

    int m_active = 0;
};
