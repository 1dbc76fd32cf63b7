#pragma once

#include "core/FileKind.h"
#include "core/Operation.h"
#include "core/WheelMode.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Which operations fit a set of files. Stateless: every call builds fresh
// operations and checks the installed components again.
namespace Catalog {

using UnavailableReason = std::function<std::optional<QString>(const QString& target)>;
using ConvertOne = std::function<QStringList(const QString& file, const QString& target)>;

// The kind all files share, if they share one.
std::optional<FileKind::Kind> commonKind(const QStringList& files);
// The format key all files share (possibly empty), if they share one.
std::optional<QString> commonExt(const QStringList& files);

// The title of a conversion: "GZIP" for "tar.gz", else the key in capitals.
QString title(const QString& target);

// Conversion operations for the targets, without the files' common format.
QList<Operation> formats(const QStringList& targets, const QStringList& files,
                         const UnavailableReason& unavailable, const ConvertOne& convert);

// The convert slice set.
QList<Operation> conversions(const QStringList& files);
// The tools slice set.
QList<Operation> tools(const QStringList& files);

// The slice set of a mode: none for no files; the share actions (which need
// the desktop) are not the catalog's and give none either.
QList<Operation> slices(WheelMode::Mode mode, const QStringList& files);

} // namespace Catalog
