#pragma once

#include <QString>

class QTextDocument;

// Lays a document out on A4 pages (56-point margins, a 483-point column,
// 730 points of text a page) and writes them as a PDF, black text on
// white whatever the desktop's colours.
namespace PdfRenderer {

constexpr double pageWidth = 595;
constexpr double pageHeight = 842;
constexpr double margin = 56;
constexpr double columnWidth = pageWidth - 2 * margin;
constexpr double textHeight = pageHeight - 2 * margin;

// Writes `document` to `path` (a new file), laying it out for the pages
// in place. Throws Fail "The PDF couldn’t be created." or SystemError when
// the file can't be written.
void write(QTextDocument& document, const QString& path);

} // namespace PdfRenderer
