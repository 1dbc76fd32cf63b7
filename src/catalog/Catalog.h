#pragma once

#include "base/FileKind.h"
#include "core/Conversions.h"
#include "core/Operation.h"
#include "core/WheelMode.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Which operations fit a set of files. Stateless: every call builds fresh
// operations from the converter table and checks the installed components
// again.
namespace Catalog {

using Conversions::commonExt;
using Conversions::formats;

// The kind all files share, if they share one.
std::optional<FileKind::Kind> commonKind(const QStringList& files);

// The convert slice set.
QList<Operation> conversions(const QStringList& files);
// The tools slice set.
QList<Operation> tools(const QStringList& files);

// The same, before their inputs are checked (files or folders that exist).
QList<Operation> convertSlices(const QStringList& files);
QList<Operation> toolSlices(const QStringList& files);

// The slice set of a mode: none for no files; the share actions (which need
// the desktop) are not the catalog's and give none either.
QList<Operation> slices(WheelMode::Mode mode, const QStringList& files);

} // namespace Catalog
