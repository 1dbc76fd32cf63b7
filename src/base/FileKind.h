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
QString ext(const QString& path);

// The kind of a location: by format key first, then folder or other.
Kind of(const QString& path);

// Directories that file managers present as one document or program.
bool isPackageDirectory(const QString& path);

} // namespace FileKind
