#include "platform/x11/X11Platform.h"

#include "platform/x11/X11DragSource.h"
#include "platform/x11/X11HotKey.h"

#include <QCoreApplication>

std::unique_ptr<GlobalHotKey> X11Platform::createHotKey(QObject* parent, QString* why)
{
    auto hotKey = std::make_unique<X11HotKey>(parent);
    if (hotKey->isValid())
        return hotKey;
    if (why)
        *why = X11Connection::unavailableReason();
    return nullptr;
}

std::unique_ptr<DragSource> X11Platform::createDragSource(QString* why)
{
    auto source = std::make_unique<X11DragSource>(&m_ownDragFiles);
    if (source->isValid())
        return source;
    if (why)
        *why = X11Connection::unavailableReason();
    return nullptr;
}

void X11Platform::answerEveryDropAsCopy()
{
    if (m_copyDrops)
        return;
    m_copyDrops = std::make_unique<X11CopyDrops>();
    QCoreApplication::instance()->installNativeEventFilter(m_copyDrops.get());
}
