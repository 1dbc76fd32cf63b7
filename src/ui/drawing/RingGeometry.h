#pragma once

#include <QPainterPath>
#include <QPointF>

// Points and arcs around a centre, with angles in degrees counter-clockwise
// from the positive x axis and y pointing up: the geometry of the wheel and
// of the mark drawn after it.
namespace RingGeometry {

QPointF onCircle(QPointF centre, qreal radius, qreal degrees);

// Continues `path` along an arc from one angle to the other, as a fine polyline.
void arc(QPainterPath& path, QPointF centre, qreal radius, qreal from, qreal to);

} // namespace RingGeometry
