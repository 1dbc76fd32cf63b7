#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// Rich Text Format: fonts, sizes, bold, italic, underline, strike-through,
// colours, alignment and indents, heading outline levels, lists from the
// list tables, hyperlink fields, tables with merged cells, line and page
// breaks, Unicode and code-page text, and footnotes gathered at the end.
// Group nesting is capped and \bin lengths are checked, so no input can
// exhaust the stack or memory.
namespace RtfReader {

// Reads the file into `document`. Throws Fail naming the file.
void read(const QString& path, QTextDocument& document);

// Reads RTF text; `name` is the file named in failures.
void parse(const QByteArray& rtf, const QString& name, QTextDocument& document);

// Groups nested deeper than this make the file unreadable.
constexpr int maximumDepth = 1000;

} // namespace RtfReader
