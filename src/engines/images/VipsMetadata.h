#pragma once

#include <QByteArray>
#include <vips/vips8>

// The metadata libvips carries with a picture, for writers that store it
// themselves.
namespace VipsMetadata {

// The named blob ("icc-profile-data", "exif-data", "xmp-data"), or empty.
QByteArray blob(const vips::VImage& image, const char* name);

// The EXIF of a picture whose pixels are upright now, as the TIFF structure
// alone (without "Exif\0\0"), its orientation set to 1.
QByteArray uprightExif(const vips::VImage& image);

} // namespace VipsMetadata
