#include "core/Log.h"

#include <cstdio>
#include <syslog.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcApp, "app")

namespace Log {

namespace {

bool s_toStderr = false;

int syslogPriority(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return LOG_DEBUG;
    case QtInfoMsg:
        return LOG_NOTICE;
    case QtWarningMsg:
        return LOG_WARNING;
    case QtCriticalMsg:
        return LOG_ERR;
    case QtFatalMsg:
        return LOG_CRIT;
    }
    return LOG_NOTICE;
}

void handleMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const QByteArray text = message.toUtf8();
    const bool ours = context.category && qstrcmp(context.category, "app") == 0;
    if (ours)
        syslog(syslogPriority(type), "%s", text.constData());
    // Qt's own warnings go to standard error as they always do.
    if (s_toStderr || !ours) {
        std::fprintf(stderr, "flingdial[%s]: %s\n", context.category ? context.category : "qt",
                     text.constData());
        std::fflush(stderr);
    }
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace

void install()
{
    s_toStderr = isatty(STDERR_FILENO) || qgetenv("FLINGDIAL_LOG") == "stderr";
    openlog("flingdial", LOG_PID, LOG_USER);
    qInstallMessageHandler(handleMessage);
}

} // namespace Log
