#pragma once

#include "core/Operation.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Still and animated image conversions and the image tools.
namespace ImageConverter {

const QStringList& targets();
QList<Operation> tools();

// Why a target can't be produced on this machine, or nothing.
std::optional<QString> unavailableReason(const QString& target);

// Converts one file and returns the new file's location.
QString convert(const QString& file, const QString& target);

} // namespace ImageConverter
