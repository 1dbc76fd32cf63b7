#include "engines/documents/Pictures.h"

#include "engines/documents/PdfRenderer.h"

#include <QBuffer>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

namespace Pictures {

namespace {

constexpr double pointsPerPixel = 72.0 / 96.0;

} // namespace

std::optional<Picture> recognise(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return std::nullopt;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    if (format.isEmpty())
        return std::nullopt;
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || qint64(size.width()) * size.height() > pixelLimit)
        return std::nullopt;
    return Picture{bytes, format == "jpg" ? QByteArray("jpeg") : format, size};
}

QSizeF naturalSize(QSize pixels)
{
    QSizeF size = QSizeF(pixels) * pointsPerPixel;
    const QSizeF page(PdfRenderer::columnWidth, PdfRenderer::textHeight);
    if (size.width() > page.width() || size.height() > page.height())
        size.scale(page, Qt::KeepAspectRatio);
    return size;
}

bool isUpright(const Picture& picture)
{
    QBuffer buffer;
    buffer.setData(picture.bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, picture.format);
    reader.setAutoTransform(true);
    return reader.transformation() == QImageIOHandler::TransformationNone;
}

QImage decode(const Picture& picture)
{
    if (qint64(picture.pixels.width()) * picture.pixels.height() > decodeLimit)
        return {};
    QBuffer buffer;
    buffer.setData(picture.bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, picture.format);
    reader.setAutoTransform(true);
    // Four bytes a pixel, whatever the picture stores.
    reader.setAllocationLimit(int(decodeLimit * 4 / (1024 * 1024)) + 1);
    return reader.read();
}

std::optional<Picture> portable(const Picture& picture)
{
    return converted(picture, {"png", "jpeg", "gif"});
}

std::optional<Picture> converted(const Picture& picture, const QList<QByteArray>& accepted)
{
    if (accepted.contains(picture.format))
        return picture;
    const QImage image = decode(picture);
    if (image.isNull())
        return std::nullopt;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        return std::nullopt;
    return Picture{png, "png", image.size()};
}

bool hasPictureName(const QString& name)
{
    static const QStringList extensions = {
        QStringLiteral(".png"),  QStringLiteral(".jpg"),  QStringLiteral(".jpeg"),
        QStringLiteral(".gif"),  QStringLiteral(".bmp"),  QStringLiteral(".tif"),
        QStringLiteral(".tiff"), QStringLiteral(".webp"), QStringLiteral(".svg")};
    for (const QString& extension : extensions)
        if (name.endsWith(extension, Qt::CaseInsensitive))
            return true;
    return false;
}

QString extension(const QByteArray& format)
{
    return format == "jpeg" ? QStringLiteral("jpg") : QString::fromLatin1(format);
}

QString mediaType(const QByteArray& format)
{
    return QStringLiteral("image/") + QString::fromLatin1(format);
}

std::optional<Picture> of(const QTextDocument& document, const QTextImageFormat& format)
{
    const QVariant data = document.resource(QTextDocument::ImageResource, QUrl(format.name()));
    if (data.userType() != QMetaType::QByteArray)
        return std::nullopt;
    return recognise(data.toByteArray());
}

QSizeF sizeOf(const QTextImageFormat& format)
{
    return QSizeF(format.width(), format.height());
}

Store::Store(QTextDocument& document) : m_document(document) {}

std::optional<QTextImageFormat> Store::add(const QByteArray& bytes, std::optional<QSizeF> points,
                                           const QString& alt)
{
    const std::optional<Picture> picture = recognise(bytes);
    if (!picture)
        return std::nullopt;
    // A picture shown again is kept once; the name tells pictures apart.
    const QString stem = QStringLiteral("picture:") + QString::number(qHash(bytes), 16) +
                         QLatin1Char('-') + QString::number(bytes.size());
    QString key = stem;
    for (int n = 2;; ++n) {
        const QVariant stored = m_document.resource(QTextDocument::ImageResource, QUrl(key));
        if (stored.userType() != QMetaType::QByteArray)
            break;
        if (stored.toByteArray() == bytes)
            break;
        key = stem + QLatin1Char('-') + QString::number(n);
    }
    const QUrl url(key);
    if (m_document.resource(QTextDocument::ImageResource, url).userType() !=
        QMetaType::QByteArray) {
        if (m_used + bytes.size() > budget)
            return std::nullopt;
        m_used += bytes.size();
        m_document.addResource(QTextDocument::ImageResource, url, bytes);
    }
    QSizeF size = points.value_or(naturalSize(picture->pixels));
    if (!(size.width() > 0) || !(size.height() > 0) || size.width() > 10000 ||
        size.height() > 10000)
        size = naturalSize(picture->pixels);
    QTextImageFormat format;
    format.setName(key);
    format.setWidth(size.width());
    format.setHeight(size.height());
    if (!alt.trimmed().isEmpty())
        format.setProperty(altProperty, alt.simplified());
    return format;
}

} // namespace Pictures
