#pragma once

#include "core/Operation.h"

#include <QList>
#include <QString>
#include <QStringList>

// Making, re-packing and extracting archives.
namespace ArchiveConverter {

// The archive formats it writes, in wheel order: "zip", "tar", "tar.gz".
const QStringList& formats();

// ZIP, TAR and GZIP, each making one archive of all the files.
QList<Operation> compressOperations();
// "Extract".
QList<Operation> tools();
// "Compress to ZIP".
Operation compressToZip();

// One archive of all the files and folders; returns its location.
QString compress(const QStringList& files, const QString& format);
// Re-packs one archive into another format.
QString convert(const QString& file, const QString& format);

} // namespace ArchiveConverter
