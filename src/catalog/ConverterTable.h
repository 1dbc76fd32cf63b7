#pragma once

#include "core/ConverterFamily.h"

#include <QList>

// The families of formats the program converts, one row each. A new family
// is a folder under converters/ and one row here.
namespace ConverterTable {

const QList<ConverterFamily>& rows();

// The row for files of this kind, if a family converts them.
const ConverterFamily* rowFor(FileKind::Kind kind);

} // namespace ConverterTable
