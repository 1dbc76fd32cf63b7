#pragma once

#include "engines/documents/Pictures.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QTextObjectInterface>
#include <optional>

class QPDF;

// Draws a document's pictures into a PDF. JPEG pictures, and PNG pictures
// whose pixels a PDF can hold as they are, keep their own encoding: a
// small stand-in is drawn in their place, and finish() puts the picture's
// own bytes into the stand-in's image object. Other pictures are decoded
// and drawn losslessly. A picture is drawn at its size, shrunk to fit the
// width it is laid out in and the page.
class PdfPictures : public QObject, public QTextObjectInterface
{
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    explicit PdfPictures(QSizeF page);

    // Pictures in table cells get at most the cell's width.
    void setWidthAt(int position, double width);

    QSizeF intrinsicSize(QTextDocument* document, int position, const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int position,
                    const QTextFormat& format) override;

    // Whether the picture can be drawn: kept as it is, or decoded.
    bool canDraw(QTextDocument* document, const QTextImageFormat& format)
    {
        return !shown(document, format).image.isNull();
    }

    // Whether any picture was drawn as a stand-in.
    bool hasStandIns() const { return !m_streams.isEmpty(); }
    // Puts each picture's own bytes in place of its stand-in.
    void finish(QPDF& pdf) const;

    // A picture's bytes as a PDF image stream takes them, when it can.
    struct Stream
    {
        QByteArray data;
        QByteArray dictionary; // the stream's keys, in PDF syntax
    };
    static std::optional<Stream> jpegStream(const QByteArray& bytes);
    static std::optional<Stream> pngStream(const QByteArray& bytes);

private:
    struct Shown
    {
        QImage image; // the stand-in, or the decoded pixels
        bool standIn = false;
    };

    const Shown& shown(QTextDocument* document, const QTextImageFormat& format);

    QSizeF m_page;
    QHash<int, double> m_widths; // position → width of the cell it is in
    QHash<QString, Shown> m_shown;
    QList<Stream> m_streams; // by stand-in number
};
