#pragma once

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
// made portable first. Throws Fail, or SystemError when the file can't be
// written.
void write(QTextDocument& document, const QString& title, const QString& target,
           const QString& destination);

// A document from HTML text; `source` names the file in failures.
std::unique_ptr<QTextDocument> fromHTML(const QString& html, const QString& source = {});

// Sets the text in the desktop's own font in Helvetica Neue, which other
// computers know; bold and italic stay. Changed in place: documents are
// large, and every conversion owns the one it writes.
void makeFontsPortable(QTextDocument& document);

// The plain text: line breaks as line feeds, pictures left out.
QString plainText(const QTextDocument& document);

// Everything larger than this is refused before it is read.
constexpr qint64 inputLimit = 512LL * 1024 * 1024;

} // namespace RichDocument
