#pragma once

#include <QString>

class QTextDocument;

// Word documents (Office Open XML): paragraphs with their alignment and
// indents, runs with font, size, bold, italic, underline, strike-through
// and colour, headings (through the style chain), bulleted and numbered
// lists, hyperlinks and bookmarks, pictures (DrawingML and VML) with their
// size and alt text, text boxes after their paragraph, equations as text,
// tables with merged cells, borders, shading and column widths, line and
// page breaks, tabs, field results, and foot- and endnotes gathered at the
// end.
namespace DocxReader {

// Reads the file into `document`. Throws Fail naming the file.
void read(const QString& path, QTextDocument& document);

} // namespace DocxReader
