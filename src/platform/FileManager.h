#pragma once

#include <QStringList>

// The desktop's file manager and sound theme.
namespace FileManager {

// Shows the files selected in the file manager, or opens their folder.
void reveal(const QStringList& paths);
// Plays the "work complete" sound of the desktop's sound theme.
void playCompletionSound();

} // namespace FileManager
