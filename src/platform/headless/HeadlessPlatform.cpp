#include "platform/headless/HeadlessPlatform.h"

#include "base/Errors.h"
#include "platform/DragSource.h"
#include "platform/GlobalHotKey.h"

#include <QCoreApplication>

namespace {

QString noDisplay()
{
    return QStringLiteral("there is no display");
}

} // namespace

void HeadlessPlatform::openTerminal(const QString&)
{
    throw Fail(
        QCoreApplication::translate("HeadlessPlatform", "A terminal needs a display to open on."));
}

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
