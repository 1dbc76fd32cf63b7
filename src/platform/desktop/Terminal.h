#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// The user's terminal program, found the way the desktop would: $TERMINAL,
// the desktop's own setting (GNOME's default terminal, KDE's
// TerminalApplication), Debian's x-terminal-emulator, then the common ones.
namespace Terminal {

// The command line that starts it (program first, then its own
// arguments), empty when none is installed. Programs are looked up on
// the PATH of `environment`.
QStringList
command(const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

// Starts it with `folder` as working folder. Throws Fail when none is
// installed (saying how to install one) or it can't be started.
void open(const QString& folder);

} // namespace Terminal
