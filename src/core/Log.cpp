#include "core/Log.h"

#include <cstdio>
#include <syslog.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcApp, "app")

namespace Log {

namespace {

bool s_toStderr = false;
// Qt's own messages on standard error too.
bool s_qtToStderr = false;

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
    syslog(syslogPriority(type), "%s", text.constData());
    if (ours ? s_toStderr : s_qtToStderr) {
        std::fprintf(stderr, "flingdial[%s]: %s\n", context.category ? context.category : "qt",
                     text.constData());
        std::fflush(stderr);
    }
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace

void install(Audience audience)
{
    const bool asked = qgetenv("FLINGDIAL_LOG") == "stderr";
    s_toStderr = isatty(STDERR_FILENO) || asked;
    s_qtToStderr = audience == Audience::application || asked;
    openlog("flingdial", LOG_PID, LOG_USER);
    qInstallMessageHandler(handleMessage);
}

} // namespace Log
