#pragma once

#include <QString>
#include <functional>

// The program's texts in the user's language, and Qt's own.
namespace Translations {

// Installs the translators for the system locale (LANGUAGE, LC_ALL,
// LC_MESSAGES, LANG). Call once the application object exists.
void install();

// Where the program's .qm files are looked for: next to the program in the
// build tree, then the installed data folder.
QStringList folders();

// Runs `work` with the program's own translator set aside, so that the
// texts it makes come out in English: the command line matches the slice
// titles that scripts type against those too. Meant for the main thread
// while nothing else runs: other threads would meanwhile translate nothing.
void withoutTranslations(const std::function<void()>& work);

} // namespace Translations
