#pragma once

class QWidget;

// Rounded and round windows without a compositing manager: there the see-
// through pixels of a translucent window show black, so the window is cut to
// the shape it paints instead.
namespace WindowShape {

// Cuts `window` to the pixels its own painting covers at least half, or
// takes any cut away when a compositor blends it. Returns whether it is cut:
// the window then paints its background opaque over its whole rectangle, so
// that no half-covered edge pixel darkens against black.
bool fitToPaintedArea(QWidget* window);

} // namespace WindowShape
