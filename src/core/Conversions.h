#pragma once

#include "core/Operation.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Conversion operations: one per target format, each converting every file
// in the user's order.
namespace Conversions {

using UnavailableReason = std::function<std::optional<QString>(const QString& target)>;
using ConvertOne = std::function<QStringList(const QString& file, const QString& target)>;

// The format key all files share (possibly empty), if they share one.
std::optional<QString> commonExt(const QStringList& files);

// Conversion operations for the targets, without the files' common format.
// The first failing file ends an operation; earlier results stay on disk.
QList<Operation> formats(const QStringList& targets, const QStringList& files,
                         const UnavailableReason& unavailable, const ConvertOne& convert);

} // namespace Conversions
