#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// File-system work that the platform's file manager would do: copying
// trees, moving across file systems, listing folders.
namespace FileOps {

// Copies a file, folder tree or symbolic link (as a link). Pipes, sockets
// and devices inside a folder are left out. Throws SystemError.
void copy(const QString& from, const QString& to);

// The paths, relative to `parent`, of each named file and of everything in
// each named folder, parents first: regular files, folders and symbolic
// links (not followed). Pipes, sockets and devices are left out, and so is
// whatever `skip` says of a name (a folder's contents with it). The paths
// are the file system's own bytes, so that names that aren't UTF-8 survive.
QList<QByteArray> plainTree(const QString& parent, const QStringList& names,
                            const std::function<bool(const QString& name)>& skip = {});

// Moves by renaming, or by copying and removing when the destination is
// on another file system. Throws SystemError.
void move(const QString& from, const QString& to);

// Removes a file or tree. Throws SystemError naming what is left.
void remove(const QString& path);

// Removes a file or tree; failures are ignored.
void removeQuietly(const QString& path);

// The names in a folder, hidden ones included, sorted. Throws SystemError.
QStringList entryNames(const QString& folder);

// Fails with a sentence naming the file when it doesn't exist or isn't a
// plain file (a folder, a device, a pipe that would never end).
void requireRegularFile(const QString& path);

// Fails with a sentence naming the file when it doesn't exist or is
// neither a plain file nor a folder (a device, a pipe, a socket).
void requireFileOrFolder(const QString& path);

// The whole content of a file the user gave us, at most `limit` bytes.
// Fails with a sentence naming the file when it doesn't exist, isn't a
// plain file (a folder, a device, a pipe that would never end) or is
// larger than the limit.
QByteArray readInput(const QString& path, qint64 limit);

} // namespace FileOps
