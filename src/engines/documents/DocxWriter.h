#pragma once

#include <QString>

class QTextDocument;

// Word documents (Office Open XML) with real heading styles, numbering
// definitions for lists, hyperlinks through the document's relationships,
// tables with merged cells, and A4 pages.
namespace DocxWriter {

// Writes `document` to `path` (a new file). Throws SystemError.
void write(const QTextDocument& document, const QString& title, const QString& path);

} // namespace DocxWriter
