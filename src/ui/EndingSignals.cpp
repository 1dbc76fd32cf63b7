#include "ui/EndingSignals.h"

#include "core/Log.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The handler may only write to a descriptor: the other end is read on
// the main thread.
int pipeEnds[2] = {-1, -1};
constexpr int caught[] = {SIGTERM, SIGINT, SIGHUP};

void forward(int signal)
{
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[0], &byte, 1);
}

} // namespace

EndingSignals& EndingSignals::shared()
{
    static EndingSignals* instance = new EndingSignals(QCoreApplication::instance());
    return *instance;
}

EndingSignals::EndingSignals(QObject* parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pipeEnds) != 0) {
        qCWarning(lcApp, "ending signals can't be caught: the work of a killed program stays");
        return;
    }
    auto* notifier = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &EndingSignals::readSignal);
    struct sigaction action
    {
    };
    action.sa_handler = forward;
    sigemptyset(&action.sa_mask);
    // Caught once: the next one ends a program that won't stop, as usual.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (const int signal : caught)
        sigaction(signal, &action, nullptr);
}

void EndingSignals::readSignal()
{
    unsigned char byte = 0;
    if (::read(pipeEnds[1], &byte, 1) == 1)
        Q_EMIT received(byte);
}
