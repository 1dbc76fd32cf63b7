#pragma once

#include "core/Operation.h"

#include <QList>
#include <QMimeData>
#include <memory>

// The share actions: the same six for every selection, run at once on the
// main thread.
namespace ShareActions {

QList<Operation> all();

// Each action's work, for the operations above and for tests.
void sendToDevice(const QStringList& files);
void shelve(const QStringList& files);
void copyFiles(const QStringList& files);
QStringList moveFiles(const QStringList& files);
void copyPaths(const QStringList& files);
void openTerminal(const QStringList& files);

// The prompt of Move…: "Move photo.jpg to:" or "Move 5 items to:".
QString movePrompt(const QStringList& files);
// Clipboard data that file managers paste as files.
std::unique_ptr<QMimeData> filesMimeData(const QStringList& files);
// The folder Terminal opens for these files.
QString terminalFolder(const QStringList& files);

} // namespace ShareActions
