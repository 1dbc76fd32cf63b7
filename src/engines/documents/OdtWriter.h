#pragma once

#include <QString>

class QTextDocument;

// OpenDocument text: an uncompressed "mimetype" first, a manifest, the
// content with automatic paragraph, text and list styles, and a styles
// part with heading styles and an A4 page.
namespace OdtWriter {

// Writes `document` to `path` (a new file). Throws SystemError.
void write(const QTextDocument& document, const QString& title, const QString& path);

} // namespace OdtWriter
