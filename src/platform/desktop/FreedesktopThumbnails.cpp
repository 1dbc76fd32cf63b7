#include "platform/desktop/FreedesktopThumbnails.h"

#include "base/Errors.h"
#include "base/FileKind.h"
#include "converters/pdf/PageHelper.h"
#include "core/Engines.h"
#include "core/ScratchDirectory.h"

#include <QFileInfo>

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

// A PDF's first page, drawn by the page helper: poppler may loop for ever
// on a damaged file, and the helper can be stopped.
QImage firstPage(const QString& path, int pixels)
{
    const ScratchDirectory scratch;
    const QString output = scratch.filePath(QStringLiteral("thumbnail.png"));
    PageHelper helper(PdfPagesProtocol::Mode::thumbnail, {path, output, QString::number(pixels)},
                      QFileInfo(path).fileName());
    if (!helper.finish())
        return {};
    return QImage(output);
}

} // namespace

QImage FreedesktopThumbnails::of(const QString& path, int pixels)
{
    QImage image = cached(path);
    if (image.isNull()) {
        try {
            image = FileKind::of(path) == FileKind::pdf
                        ? firstPage(path, pixels)
                        : Engines::thumbnailer().thumbnail(path, pixels);
        } catch (const std::exception&) {
            return {};
        }
    }
    if (image.isNull())
        return {};
    return image.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}
