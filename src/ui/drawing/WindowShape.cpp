#include "ui/drawing/WindowShape.h"

#include "platform/Platform.h"

#include <QBitmap>
#include <QImage>
#include <QWidget>

namespace WindowShape {

bool fitToPaintedArea(QWidget* window)
{
    if (Platform::shared().hasCompositor()) {
        window->clearMask();
        return false;
    }
    window->clearMask();
    QImage painted(window->size(), QImage::Format_ARGB32_Premultiplied);
    painted.fill(Qt::transparent);
    // The window's own painting only: its children lie inside it.
    window->render(&painted, QPoint(), QRegion(), QWidget::RenderFlags());
    window->setMask(QBitmap::fromImage(painted.createAlphaMask(Qt::ThresholdAlphaDither)));
    return true;
}

} // namespace WindowShape
