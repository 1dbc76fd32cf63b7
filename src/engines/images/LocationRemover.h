#pragma once

#include <QString>
#include <QtGlobal>

// Removes where a picture was taken and leaves everything else as it was:
// the GPS data of its EXIF and the GPS properties of its XMP go; the pixels
// are never decoded, and every other tag keeps its bytes.
namespace LocationRemover {

// Writes the picture at `output` without its location. JPEG, PNG, WebP,
// TIFF, HEIF/AVIF and JPEG XL. Throws Fail when the file can't be read or
// written, or keeps its metadata in a form that can't be edited (such as
// compressed boxes), rather than leaving a location behind.
void remove(const QString& input, const QString& output);

// Blanks the GPS properties of XMP text (attributes and elements named
// prefix:GPS…) with spaces, keeping its length. Returns how many went.
int blankXmpGps(char* xmp, qint64 size);

} // namespace LocationRemover
