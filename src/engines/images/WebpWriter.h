#pragma once

#include <QString>
#include <vips/vips8>

// Lossy WEBP straight from a libvips pipeline. Rows are turned into the
// encoder's YUV planes as they are computed, so the RGB picture is never
// whole in memory (libvips' own saver holds it twice).
namespace WebpWriter {

// `image` is 8-bit sRGB, with or without alpha. Colour profile, EXIF and XMP
// are kept unless `strip`; the EXIF orientation is set to upright, as the
// pixels are. Throws vips::VError when the pipeline or the encoder fails and
// Fail when the file can't be written.
void write(const vips::VImage& image, const QString& output, int quality, bool strip);

} // namespace WebpWriter
