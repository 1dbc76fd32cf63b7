#pragma once

#include <QByteArray>
#include <QString>

// Writing a result the engine made in memory.
namespace NewFile {

// Writes `bytes` to `path`, which must not exist yet, checking every write
// and the close: a full disk never passes for success. Throws SystemError
// naming the file.
void write(const QString& path, const QByteArray& bytes);

} // namespace NewFile
