#pragma once

#include "engines/documents/HtmlPictures.h"

#include <QString>
#include <memory>

class QTextDocument;

// The rich-text value every document conversion goes through: a
// QTextDocument with a 12-point default font, read from a file by the
// reader for its format and written by the writer for the target.
namespace RichDocument {

// A new empty document with the 12-point default font.
std::unique_ptr<QTextDocument> create();

// Reads a document of any format the engine reads. Throws Fail.
std::unique_ptr<QTextDocument> load(const QString& path);

// Writes `document` as `target` at `destination` (a new file), its fonts
// made portable first. Pictures of HTML pages and Markdown go as files into
// `picturesFolder` (an empty folder beside the destination) when it is
// given; without it a page holds them as data: URLs and Markdown keeps
// their alt text. Throws Fail, or SystemError when the file can't be
// written.
void write(QTextDocument& document, const QString& title, const QString& target,
           const QString& destination, const QString& picturesFolder = {});

// A document from HTML text; `source` names the file in failures. Pictures
// come from `pictures`, or from data: URLs only.
std::unique_ptr<QTextDocument> fromHTML(const QString& html, const QString& source = {},
                                        const HtmlPictures::Resolver& pictures = {});

// Reads prepared HTML (equations and pictures already taken care of) into `document`.
void read(QTextDocument& document, const QString& html, const QString& source);

// Sets the text in the desktop's own font in Helvetica Neue, which other
// computers know; bold and italic stay. Changed in place: documents are
// large, and every conversion owns the one it writes.
void makeFontsPortable(QTextDocument& document);

// The plain text: line breaks as line feeds, pictures as their alt text.
QString plainText(const QTextDocument& document);

// Everything larger than this is refused before it is read.
constexpr qint64 inputLimit = 512LL * 1024 * 1024;

} // namespace RichDocument
