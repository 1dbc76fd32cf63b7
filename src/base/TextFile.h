#pragma once

#include <QString>
#include <QStringView>
#include <functional>

// Plain text files of unknown encoding, read the same way everywhere.
namespace TextFile {

// UTF-8 when the bytes are valid UTF-8; else the encoding the bytes show
// (a UTF-16 or UTF-32 byte-order mark, or Windows-1252 when they use its
// printable range 0x80–0x9F); else ISO Latin-1. Throws SystemError.
QString readText(const QString& path);

// Decodes bytes with the same rules.
QString decode(const QByteArray& bytes);

// Reads a large file piece by piece, decoded by the same rules (the file is
// read twice: once to choose the encoding), its byte-order mark left out.
// `take` gets the text in order. Throws SystemError.
void readInPieces(const QString& path, const std::function<void(QStringView text)>& take);

// Writes UTF-8 to `path`, checking every write and the final close. Throws
// SystemError.
void write(const QString& path, const QString& text);

// Writes UTF-8 to a temporary file beside `path` and renames it there once
// complete; an existing file at `path` is never replaced. Throws SystemError.
void writeAtomically(const QString& path, const QString& text);

} // namespace TextFile
