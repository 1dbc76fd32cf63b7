#include "platform/desktop/FreedesktopThumbnails.h"

#include "base/Errors.h"
#include "core/Engines.h"

#include <QCryptographicHash>
#include <QImage>
#include <QStandardPaths>
#include <QUrl>

namespace {

// The freedesktop thumbnail cache: PNGs named by the MD5 of the file's URI.
QImage cached(const QString& path)
{
    const QByteArray uri = QUrl::fromLocalFile(path).toEncoded();
    const QString name =
        QString::fromLatin1(QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex()) +
        QStringLiteral(".png");
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                          QStringLiteral("/thumbnails/");
    for (const char* size : {"x-large/", "large/", "normal/"}) {
        const QImage image(cache + QLatin1String(size) + name);
        if (!image.isNull())
            return image;
    }
    return {};
}

} // namespace

QImage FreedesktopThumbnails::of(const QString& path, int pixels)
{
    QImage image = cached(path);
    if (image.isNull()) {
        try {
            image = Engines::thumbnailer().thumbnail(path, pixels);
        } catch (const Fail&) {
            return {};
        }
    }
    if (image.isNull())
        return {};
    return image.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}
