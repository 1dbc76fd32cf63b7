#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>

// The box container of JPEG XL files, which carries EXIF and XMP beside
// the codestream (libvips writes a bare codestream and reads neither).
namespace JxlContainer {

// One top-level box: its four-letter type and where its payload lies.
struct Box
{
    QByteArray type;
    qint64 payload = 0;
    qint64 length = 0;
};

// Whether the bytes begin with the container's signature box.
bool isContainer(const QByteArray& head);

// The top-level boxes of a container file, in order; empty for a bare
// codestream or a damaged file.
QList<Box> boxes(QIODevice& file);

// A container holding `codestream` (bare, or a container whose boxes are
// kept) with EXIF (the TIFF structure, without "Exif\0\0") and XMP boxes
// before it. Either may be empty.
QByteArray withMetadata(const QByteArray& codestream, const QByteArray& exif,
                        const QByteArray& xmp);

// EXIF (as the TIFF structure) and XMP read from a container file's boxes.
struct Metadata
{
    QByteArray exif;
    QByteArray xmp;
};
Metadata metadata(QIODevice& file);

} // namespace JxlContainer
