#include "ui/actions/SliceSets.h"

#include "catalog/Catalog.h"
#include "ui/actions/ShareActions.h"

namespace SliceSets {

QList<Operation> of(WheelMode::Mode mode, const QStringList& files)
{
    if (mode == WheelMode::actions && !files.isEmpty())
        return ShareActions::all();
    return Catalog::slices(mode, files);
}

} // namespace SliceSets
