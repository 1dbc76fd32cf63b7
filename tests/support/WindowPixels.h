#pragma once

#include <QRegion>

class QWidget;

namespace WindowPixels {

// The pixels of `window`'s shape (its mask) that its own painting leaves
// less than fully opaque: without a compositor they would show dark.
QRegion seeThroughInsideShape(QWidget* window);

} // namespace WindowPixels
