#pragma once

#include <QString>
#include <memory>

class QTextDocument;

// The text of a PDF, read with poppler: one paragraph per line of text,
// runs keeping their font size, bold and italic (so that headings can be
// told by size), list items behind bullet glyphs, tables where words line
// up in columns, an empty paragraph after each page.
namespace PdfText {

std::unique_ptr<QTextDocument> read(const QString& path);

} // namespace PdfText
