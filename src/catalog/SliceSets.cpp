#include "catalog/SliceSets.h"

#include "actions/Actions.h"
#include "catalog/Catalog.h"

namespace SliceSets {

QList<Operation> of(WheelMode::Mode mode, const QStringList& files)
{
    if (mode == WheelMode::actions && !files.isEmpty())
        return Actions::all();
    return Catalog::slices(mode, files);
}

} // namespace SliceSets
