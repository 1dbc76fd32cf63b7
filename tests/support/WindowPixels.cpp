#include "support/WindowPixels.h"

#include <QImage>
#include <QWidget>

namespace WindowPixels {

QRegion seeThroughInsideShape(QWidget* window)
{
    QImage shown(window->size(), QImage::Format_ARGB32_Premultiplied);
    shown.fill(Qt::transparent);
    // A masked window renders its mask's bounding box at the offset given.
    window->render(&shown, window->mask().boundingRect().topLeft(), QRegion(),
                   QWidget::RenderFlags());
    QRegion seeThrough;
    for (const QRect& band : window->mask()) {
        for (int y = band.top(); y <= band.bottom(); ++y) {
            for (int x = band.left(); x <= band.right(); ++x) {
                if (qAlpha(shown.pixel(x, y)) < 255)
                    seeThrough += QRect(x, y, 1, 1);
            }
        }
    }
    return seeThrough;
}

} // namespace WindowPixels
