#pragma once

#include "engines/ocr/TextLayerEngine.h"

#include <QByteArray>
#include <QList>
#include <QSizeF>
#include <QString>

// What tesseract read on one picture, from its hOCR output: the lines of
// words with their boxes, grouped in paragraphs.
namespace Hocr {

struct Page
{
    QSizeF size; // of the picture read, in pixels
    QList<QList<TextLayerEngine::Line>> paragraphs;

    bool isEmpty() const { return paragraphs.isEmpty(); }
    QList<TextLayerEngine::Line> lines() const;
    // The text: a paragraph a line, words joined by spaces (a line ending
    // in a hyphen runs on into the next), paragraphs apart by an empty line.
    QString text() const;
};

// Reads the first page of an hOCR document. Words without letters or digits
// and lines without words are left out. Throws Fail when it isn't hOCR.
Page parse(const QByteArray& hocr);

} // namespace Hocr
