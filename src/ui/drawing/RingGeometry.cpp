#include "ui/drawing/RingGeometry.h"

#include <QtMath>

namespace RingGeometry {

QPointF onCircle(QPointF centre, qreal radius, qreal degrees)
{
    const qreal radians = qDegreesToRadians(degrees);
    return centre + QPointF(radius * qCos(radians), radius * qSin(radians));
}

void arc(QPainterPath& path, QPointF centre, qreal radius, qreal from, qreal to)
{
    // Two points a degree keep the outline smooth at icon and wheel sizes.
    const int steps = std::max(2, int(qAbs(to - from) * 2));
    for (int i = 0; i <= steps; ++i)
        path.lineTo(onCircle(centre, radius, from + (to - from) * i / steps));
}

} // namespace RingGeometry
