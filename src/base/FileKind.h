#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <optional>

// The classification of a file location and its format key, the
// normalised lower-case extension that names a file format ("jpg", "tar.gz").
namespace FileKind {

enum Kind {
    image,
    video,
    audio,
    pdf,
    document,
    slides,
    spreadsheet,
    subtitle,
    archive,
    folder,
    other
};

QString rawValue(Kind kind);
std::optional<Kind> fromRawValue(const QString& raw);

// Format keys of the nine kinds that have them (from the format table);
// the sets are disjoint.
const QHash<Kind, QSet<QString>>& extensions();

// The format key of a location: aliases resolved, ".tar.gz" and ".tgz" as "tar.gz".
// A regular file whose name has no extension, or one no format has, gets
// the key its content names ("photo" holding a PNG is "png"); failing
// that, the name's extension as it is ("" or "xyz").
QString ext(const QString& path);

// The kind of a location: by format key first (so by content where the
// name doesn't tell), then folder or other.
Kind of(const QString& path);

// Directories that file managers present as one document or program.
bool isPackageDirectory(const QString& path);

} // namespace FileKind
