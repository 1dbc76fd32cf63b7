#pragma once

#include "engines/documents/DocumentModel.h"

#include <QByteArray>
#include <QString>
#include <functional>

class QTextDocument;

// Web pages and EPUB content documents, written from the document model
// as XHTML (well-formed, so that the same markup serves both): headings,
// paragraphs with their alignment and indents, nested lists, runs with
// their fonts, sizes, colours and emphasis, links and anchors, pictures
// with their size and alt text, and tables with their borders, shading
// and column widths.
namespace HtmlWriter {

struct Options
{
    DocumentModel::Links links = DocumentModel::Links::any;
    // Where a picture's <img> points: a file written beside the page, a
    // part of the book, or a data: URL. Empty leaves the alt text.
    std::function<QString(const Pictures::Picture& picture)> pictureSource;
    // Every heading gets an identifier, for a book's table of contents.
    bool headingIdentifiers = false;
};

struct Heading
{
    int level = 0;
    QString text;
    QString id;
};

struct Body
{
    QByteArray markup;
    QList<Heading> headings; // those with an identifier, in order
};

Body body(const QTextDocument& document, const Options& options);

// A whole HTML page: the body with the document's default font.
QByteArray page(const QTextDocument& document, const QString& title, const Options& options);

} // namespace HtmlWriter
