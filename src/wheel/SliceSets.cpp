#include "wheel/SliceSets.h"

#include "actions/Actions.h"
#include "core/Catalog.h"

namespace SliceSets {

QList<Operation> of(WheelMode::Mode mode, const QStringList& files)
{
    if (files.isEmpty())
        return {};
    switch (mode) {
    case WheelMode::convert:
        return Catalog::conversions(files);
    case WheelMode::tools:
        return Catalog::tools(files);
    case WheelMode::actions:
        return Actions::all();
    }
    return {};
}

} // namespace SliceSets
