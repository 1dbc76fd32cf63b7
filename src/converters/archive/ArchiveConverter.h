#pragma once

#include "core/ConverterFamily.h"
#include "core/Operation.h"

#include <QList>
#include <QString>
#include <QStringList>

// Making, re-packing and extracting archives with the system's archivers:
// zip for ZIP, bsdtar for TAR and for every extraction (it reads ZIP, 7z
// and RAR too), gzip, bzip2 and xz for lone compressed files.
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
// Packs `names`, which lie in `parent`, into `output`.
void pack(const QString& parent, const QStringList& names, const QString& format,
          const QString& output);
// Re-packs one archive into another format; returns the new archive.
QString convert(const QString& file, const QString& format);
// Unpacks an archive, or decompresses a lone compressed file; returns the
// one resulting file or folder.
QString extract(const QString& file);

// The row of the converter table for archives.
ConverterFamily family();

} // namespace ArchiveConverter
