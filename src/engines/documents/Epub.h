#pragma once

#include <QString>
#include <memory>

class QTextDocument;

// EPUB books: written as a minimal EPUB 3 package with one content
// document made through Markdown; read by joining the bodies of the
// spine's documents. Neither direction keeps pictures or styles.
namespace Epub {

// Writes `document` as a book at `path` (a new file). Throws SystemError.
void write(const QTextDocument& document, const QString& title, const QString& path);

// Reads a book, in memory, never outside it. Throws Fail naming the file.
std::unique_ptr<QTextDocument> read(const QString& path);

} // namespace Epub
