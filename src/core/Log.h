#pragma once

#include <QLoggingCategory>

// The program's one log category, "app".
Q_DECLARE_LOGGING_CATEGORY(lcApp)

namespace Log {

// Who reads standard error: a command line (cron, ssh, a script) wants
// nothing there but the program's own lines; the tray application's
// standard error is a session log where Qt's own warnings belong too.
enum class Audience { commandLine, application };

// Sends log lines to the system journal (identifier "flingdial") and to
// standard error when it is a terminal or FLINGDIAL_LOG=stderr is set.
// Qt's own messages ("XDG_RUNTIME_DIR not set" and the like) go to the
// journal; on standard error only for the application or with
// FLINGDIAL_LOG=stderr. Call before the application object exists, so
// that what Qt says while it starts is caught too; calling it again
// changes the audience.
void install(Audience audience);

} // namespace Log
