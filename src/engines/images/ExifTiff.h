#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The TIFF structure that EXIF data is stored in (and that a TIFF file is):
// directories of tagged entries pointing at each other by offset. Every
// function checks each offset against the size, for files from anywhere.
namespace ExifTiff {

// Where the TIFF structure starts in EXIF data: after "Exif\0\0" when that
// is there, else at 0.
qsizetype start(const QByteArray& exif);

// Whether the bytes begin with a classic TIFF header ("II*\0", "MM\0*").
bool isTiff(const uchar* data, qint64 size);

// Sets the orientation of the first directory to 1 (upright), as for
// pixels that were turned already.
void markUpright(uchar* data, qint64 size);

// Whether the first directory points at GPS data with at least one entry.
bool hasGps(const uchar* data, qint64 size);

// Removes the GPS data and the pointer to it, in place: the length stays
// the same, so nothing that other parts point at moves. Returns whether
// there was any.
bool removeGps(uchar* data, qint64 size);

// Adds what EXIF data holds beyond the picture (camera, dates, exposure,
// GPS) to a classic TIFF file that lacks it: the EXIF and GPS directories
// and the first directory's camera and author tags are appended, with a
// new first directory pointing at them. The maker note, whose private
// offsets would break when moved, stays behind. Throws Fail when the file
// can't be written.
void addToTiffFile(const QString& path, const QByteArray& exif);

} // namespace ExifTiff
