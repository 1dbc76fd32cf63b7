#pragma once

#include "core/Operation.h"

#include <QString>
#include <QStringList>

// Text from scans: searchable PDFs and the text of pictures, read by
// tesseract page by page, side by side.
namespace OcrConverter {

// The PDF tool "Make Searchable".
Operation makeSearchable();
// The image tools "Make Searchable PDF" and "Extract Text".
Operation searchablePdf();
Operation extractText();

// The PDF with an invisible text layer over each page that carries none:
// " searchable.pdf". Fail "X already has text." when every page has some.
QString searchable(const QString& pdf);
// The pictures, in order, as one PDF with a text layer.
QString searchablePdf(const QStringList& pictures);
// The text of a picture, a paragraph a line: ".txt".
QString text(const QString& picture);

} // namespace OcrConverter
