#pragma once

#include "engines/documents/Pictures.h"

#include <QString>
#include <functional>

class QTextDocument;

// Markdown both ways, for a fixed subset: headings (with the identifiers
// links find them by), paragraphs with line breaks, bulleted and numbered
// lists, block quotes, rules, fenced code, pipe tables, code spans, links,
// pictures, bold, italic and strike-through. Backslash escapes keep markup
// characters as text.
namespace Markdown {

// Markdown text → a complete HTML document. Never fails.
QString html(const QString& markdown);

// Where a picture's image link points; empty leaves its alt text.
using PictureSource = std::function<QString(const Pictures::Picture& picture)>;

// A document → Markdown text ending in one line feed: headings guessed from
// font sizes, lists from list formats or bullet characters, emphasis from
// the font, tables of single lines as pipe tables; markup characters in the
// text are escaped so that the text reads back as it was.
QString markdown(const QTextDocument& document, const PictureSource& pictures = {});

// A heading's identifier as GitHub makes it from the heading's text.
QString slug(const QString& title);

} // namespace Markdown
