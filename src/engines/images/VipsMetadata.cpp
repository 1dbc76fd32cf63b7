#include "engines/images/VipsMetadata.h"

#include "engines/images/ExifTiff.h"

namespace VipsMetadata {

QByteArray blob(const vips::VImage& image, const char* name)
{
    if (!image.get_typeof(name))
        return {};
    size_t length = 0;
    const void* data = image.get_blob(name, &length);
    return QByteArray(static_cast<const char*>(data), static_cast<qsizetype>(length));
}

QByteArray uprightExif(const vips::VImage& image)
{
    const QByteArray exif = blob(image, VIPS_META_EXIF_NAME);
    QByteArray tiff = exif.mid(ExifTiff::start(exif));
    ExifTiff::markUpright(reinterpret_cast<uchar*>(tiff.data()), tiff.size());
    return tiff;
}

} // namespace VipsMetadata
