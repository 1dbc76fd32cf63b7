#pragma once

#include <QImage>
#include <QString>

class BackgroundRemover;

// Thumbnails and background removal need Qt GUI, poppler and OpenCV: they
// live in a module of their own, loaded on first use, so that image
// conversions start without them. These are the module's entry points.
extern "C" {
BackgroundRemover* flingdial_backgroundRemover();
QImage flingdial_thumbnail(const QString& path, int pixels);
}
