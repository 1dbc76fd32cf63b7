#include "platform/gnome/ShellCoordinates.h"

#include <QGuiApplication>
#include <QLineF>
#include <QScreen>
#include <algorithm>
#include <limits>

namespace ShellCoordinates {

namespace {

// The screen in the window system's own pixels.
QRectF nativeArea(const Screen& screen)
{
    return {QPointF(screen.geometry.topLeft()),
            QSizeF(screen.geometry.size()) * screen.devicePixelRatio};
}

qreal distance(const QRectF& area, const QPointF& point)
{
    const QPointF nearest(std::clamp(point.x(), area.left(), area.right()),
                          std::clamp(point.y(), area.top(), area.bottom()));
    return QLineF(nearest, point).length();
}

} // namespace

QList<Screen> screens()
{
    QList<Screen> all;
    for (const QScreen* screen : QGuiApplication::screens())
        all.append({screen->geometry(), screen->devicePixelRatio()});
    return all;
}

QPoint toGlobal(QPoint point, QSize stageSize, const QList<Screen>& screens)
{
    if (screens.isEmpty())
        return point;
    // The X11 desktop starts at 0,0 as the stage does.
    QRectF desktop;
    for (const Screen& screen : screens)
        desktop |= nativeArea(screen);
    QPointF native(point);
    if (stageSize.width() > 0 && stageSize.height() > 0)
        native = QPointF(point.x() * desktop.right() / stageSize.width(),
                         point.y() * desktop.bottom() / stageSize.height());

    const Screen* under = nullptr;
    qreal best = std::numeric_limits<qreal>::max();
    for (const Screen& screen : screens) {
        const qreal away = distance(nativeArea(screen), native);
        if (away < best) {
            best = away;
            under = &screen;
        }
    }
    const QPointF corner(under->geometry.topLeft());
    return (corner + (native - corner) / under->devicePixelRatio).toPoint();
}

} // namespace ShellCoordinates
