#pragma once

#include <QObject>

// SIGTERM (the session ending, `kill`), SIGINT (Ctrl+C in the terminal it
// was started from) and SIGHUP, turned into a Qt signal on the main
// thread, so that the program can stop its work and remove what that work
// had started instead of dying with its child programs still running. A
// second such signal ends the program at once, as usual.
class EndingSignals : public QObject
{
    Q_OBJECT

public:
    // The one of this process, caught from the first call on; it belongs to
    // the application object.
    static EndingSignals& shared();

Q_SIGNALS:
    void received(int signal);

private:
    explicit EndingSignals(QObject* parent);
    void readSignal();
};
