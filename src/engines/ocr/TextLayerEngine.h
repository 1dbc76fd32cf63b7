#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QtPlugin>
#include <optional>

// Invisible text over scanned pages: what a recogniser read on a page's
// drawing, placed on the page itself so that the text can be searched and
// copied while the page looks as it did. It lives in a module loaded on
// first use. Every failure is a Fail in the user's words.
class TextLayerEngine
{
public:
    // Positions are in the pixels of the page's drawing: the page as it
    // shows (crop box, turned by its rotation), origin top left.
    struct Word
    {
        QString text;
        QRectF box;
    };
    struct Line
    {
        QRectF box;
        // The baseline: y = box.bottom() + offset + slope × (x − box.left()).
        double slope = 0;
        double offset = 0;
        QList<Word> words;
        // How far the text is turned on the page, anticlockwise: 0, 90,
        // 180 or 270 degrees (a page scanned upside down or sideways).
        int turn = 0;
    };
    struct Page
    {
        int index = 0;  // from 0
        QSizeF drawing; // the drawing's size in pixels
        QList<Line> lines;
    };

    virtual ~TextLayerEngine() = default;

    // For each page, the resolution (dots per inch) its largest picture was
    // scanned at, or nothing when it shows no picture.
    virtual QList<std::optional<double>> scanResolutions(const QString& pdf) = 0;
    // The document written again with a text layer over each of `pages`;
    // the rest, images included, is copied as it is, neither decoded nor
    // encoded again.
    virtual void addTextLayers(const QString& source, const QList<Page>& pages,
                               const QString& output) = 0;
};

#define FlingdialTextLayerEngine_iid "org.flingdial.TextLayerEngine/1"
Q_DECLARE_INTERFACE(TextLayerEngine, FlingdialTextLayerEngine_iid)
