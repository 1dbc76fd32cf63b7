#pragma once

#include <QString>

class QTextDocument;

// Word documents (Office Open XML): paragraphs with their alignment and
// indents, runs with font, size, bold, italic, underline, strike-through
// and colour, headings (through the style chain), bulleted and numbered
// lists, hyperlinks, tables with merged cells, line and page breaks, tabs,
// field results, and foot- and endnotes gathered at the end. Pictures are
// left out.
namespace DocxReader {

// Reads the file into `document`. Throws Fail naming the file.
void read(const QString& path, QTextDocument& document);

} // namespace DocxReader
