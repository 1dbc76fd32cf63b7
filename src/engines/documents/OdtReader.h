#pragma once

#include <QString>

class QTextDocument;

// OpenDocument text: paragraphs and headings with their styles (parents
// followed), spans, lists, links, tables with spanned cells, line breaks,
// tabs and spaces, field values, and notes gathered at the end.
namespace OdtReader {

// Reads the file into `document`. Throws Fail naming the file.
void read(const QString& path, QTextDocument& document);

} // namespace OdtReader
