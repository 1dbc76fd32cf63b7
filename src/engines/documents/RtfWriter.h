#pragma once

#include <QByteArray>

class QTextDocument;

// Rich Text Format: fonts, colours, heading outline levels, list tables,
// hyperlink fields, tables with merged cells and A4 pages; everything
// outside ASCII as \u escapes.
namespace RtfWriter {

QByteArray rtf(const QTextDocument& document);

} // namespace RtfWriter
