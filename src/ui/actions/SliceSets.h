#pragma once

#include "core/Operation.h"
#include "core/WheelMode.h"

#include <QList>
#include <QStringList>

// The operations a mode offers for some files: none for no files.
namespace SliceSets {

QList<Operation> of(WheelMode::Mode mode, const QStringList& files);

} // namespace SliceSets
