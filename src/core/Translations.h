#pragma once

#include <QString>

// The program's texts in the user's language, and Qt's own.
namespace Translations {

// Installs the translators for the system locale (LANGUAGE, LC_ALL,
// LC_MESSAGES, LANG). Call once the application object exists.
void install();

// Where the program's .qm files are looked for: next to the program in the
// build tree, then the installed data folder.
QStringList folders();

} // namespace Translations
