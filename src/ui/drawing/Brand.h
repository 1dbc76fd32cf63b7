#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>

// The program's mark, drawn in code: a ring of six segments around a dot
// with one segment lit, the shape of the wheel itself.
namespace Brand {

QColor teal();
QColor indigo();

// Paints the application icon into a square of `side` (y pointing down,
// as QPainter has it).
void paintAppIcon(QPainter& painter, qreal side);
// Paints the 18 × 18 tray mark in `colour`, segment `lit` lit (none when
// outside 0…5).
void paintMenuBar(QPainter& painter, int lit, const QColor& colour);
// Paints the 18 × 18 mark for the system tray: the same ring, light inside a
// dark outline, so that it reads on any panel.
void paintTray(QPainter& painter, int lit);

// The icons as bitmaps of `pixels` × `pixels`.
QImage appIcon(int pixels);
QImage menuBarImage(int lit, const QColor& colour, int pixels);
QImage trayImage(int lit, int pixels);

} // namespace Brand
