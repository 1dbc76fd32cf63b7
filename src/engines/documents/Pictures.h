#pragma once

#include <QByteArray>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QTextFormat>
#include <optional>

class QTextDocument;
class QTextImageFormat;

// Pictures inside documents. A picture is an image character whose name
// refers to a resource of the document holding the picture's bytes as the
// source stored them; its width and height are points, its alt text a
// property of its own. Nothing is decoded until a writer needs pixels.
namespace Pictures {

// The image format's property holding the picture's alt text.
constexpr int altProperty = QTextFormat::UserProperty + 1;

// Pictures with more pixels are left out: a small file may declare
// 50,000 × 50,000 of them. Those whose pixels must be decoded (to be
// drawn or converted) may have a quarter of that.
constexpr qint64 pixelLimit = 250'000'000;
constexpr qint64 decodeLimit = pixelLimit / 4;

struct Picture
{
    QByteArray bytes;
    QByteArray format; // Qt's name for it: "png", "jpeg", "gif", "svg", …
    QSize pixels;
};

// What the bytes hold, from their header only: nothing when no reader
// knows them or they declare too many pixels.
std::optional<Picture> recognise(const QByteArray& bytes);

// The size a picture takes when its source gives none: 96 pixels to the
// inch, shrunk to fit an A4 text column and page.
QSizeF naturalSize(QSize pixels);

// The same in one of the `accepted` formats: kept as it is when it is one
// of them, else converted to PNG. Nothing when the pixels can't be decoded.
std::optional<Picture> converted(const Picture& picture, const QList<QByteArray>& accepted);

// In PNG, JPEG or GIF, which every format written takes.
std::optional<Picture> portable(const Picture& picture);

// Whether a file's name says it holds a picture a document may show.
bool hasPictureName(const QString& name);

// The file extension and media type of a portable picture's format.
QString extension(const QByteArray& format);
QString mediaType(const QByteArray& format);

// Whether the picture is shown as stored, without an orientation tag
// turning or mirroring it.
bool isUpright(const Picture& picture);

// Decodes the pixels, upright, within the decoding limit. A null image on failure.
QImage decode(const Picture& picture);

// The picture an image character shows, or nothing.
std::optional<Picture> of(const QTextDocument& document, const QTextImageFormat& format);

// A picture's size in points as its image character gives it.
QSizeF sizeOf(const QTextImageFormat& format);

// The pictures of one document being read: each distinct picture is kept
// once, as a resource of the document, and all of them together within a
// budget (what the source holds besides its text counts toward the limit
// a source has). A picture beyond the budget, or that can't be recognised,
// is refused: the reader keeps its alt text instead.
class Store
{
public:
    explicit Store(QTextDocument& document);

    static constexpr qint64 budget = 256LL * 1024 * 1024;

    // The image character for a picture, sized `points` (its natural size
    // when not given), or nothing when it is refused.
    std::optional<QTextImageFormat> add(const QByteArray& bytes, std::optional<QSizeF> points,
                                        const QString& alt);

private:
    QTextDocument& m_document;
    qint64 m_used = 0;
};

} // namespace Pictures
