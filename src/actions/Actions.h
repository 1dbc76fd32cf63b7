#pragma once

#include "core/Operation.h"

#include <QList>

// The share actions: the same six for every selection, run at once on the
// main thread.
namespace Actions {

QList<Operation> all();

} // namespace Actions
