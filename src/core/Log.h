#pragma once

#include <QLoggingCategory>

// The program's one log category, "app".
Q_DECLARE_LOGGING_CATEGORY(lcApp)

namespace Log {

// Sends log lines to the system journal (identifier "flingdial") and to
// standard error when it is a terminal or FLINGDIAL_LOG=stderr is set.
void install();

} // namespace Log
