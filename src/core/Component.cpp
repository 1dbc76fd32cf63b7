#include "core/Component.h"

QString Component::text() const
{
    if (installCommand.isEmpty())
        return explanation;
    return explanation + QStringLiteral("  ") + installCommand;
}
