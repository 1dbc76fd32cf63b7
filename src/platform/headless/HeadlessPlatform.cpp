#include "platform/headless/HeadlessPlatform.h"

#include "platform/DragSource.h"
#include "platform/GlobalHotKey.h"

namespace {

QString noDisplay()
{
    return QStringLiteral("there is no display");
}

} // namespace

std::unique_ptr<GlobalHotKey> HeadlessPlatform::createHotKey(QObject*, QString* why)
{
    if (why)
        *why = noDisplay();
    return nullptr;
}

std::unique_ptr<DragSource> HeadlessPlatform::createDragSource(QString* why)
{
    if (why)
        *why = noDisplay();
    return nullptr;
}
