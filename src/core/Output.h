#pragma once

#include <QString>
#include <utility>

// Where results go and what they are called, never overwriting anything.
namespace Output {

// The custom output folder (created when needed) or the source's folder.
QString directory(const QString& source);

// The source's name without its extension; ".tar.gz", ".tar.bz2" and
// ".tar.xz" are stripped whole, and a plain folder keeps its dots.
QString baseName(const QString& source);

// A free location: the candidate, or "name 2.ext", "name 3.ext", …
// A name handed out here is not handed out again in this process.
QString unique(const QString& candidate);

// A file name split into stem and suffix: "logs.tar.gz" into "logs" and
// ".tar.gz", "a.png" into "a" and ".png", "Photos" into "Photos" and "".
std::pair<QString, QString> splitName(const QString& name);

// The n-th choice of a name: the candidate itself for 1, else "stem n.ext";
// the stem is shortened where the name would pass 255 bytes.
QString numbered(const QString& candidate, qint64 n);

// The wanted location of a tool's result, before it is made unique:
// directory(source) + "/" + baseName(source) + suffix + "." + extension,
// the base name shortened where the name would pass 255 bytes.
QString candidate(const QString& source, const QString& suffix, const QString& extension);

// directory(source) + "/" + name, made unique.
QString uniqueIn(const QString& source, const QString& name);

// A new scratch folder "Flingdial-<UUID>" in the temporary folder; the
// caller decides whether to remove it. Throws SystemError.
QString temporaryDirectory();

} // namespace Output
