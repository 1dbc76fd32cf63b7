#pragma once

#include <QImage>
#include <QString>

class ImageEngine;

// The engines that need large libraries (libvips, qpdf, poppler, OpenCV)
// live in a module loaded on first use, so that everything else starts
// without them. These are the module's entry points.
extern "C" {
ImageEngine* flingdial_imageEngine();
QImage flingdial_thumbnail(const QString& path, int pixels);
}
