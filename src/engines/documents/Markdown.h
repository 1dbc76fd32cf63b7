#pragma once

#include <QString>

class QTextDocument;

// Markdown both ways, for a fixed subset: headings, paragraphs with line
// breaks, bulleted and numbered lists, block quotes, rules, fenced code,
// code spans, links, images (their alt text), bold, italic and
// strike-through. Backslash escapes keep markup characters as text.
namespace Markdown {

// Markdown text → a complete HTML document. Never fails.
QString html(const QString& markdown);

// A document → Markdown text ending in one line feed: headings guessed from
// font sizes, lists from list formats or bullet characters, emphasis from
// the font; markup characters in the text are escaped so that the text
// reads back as it was.
QString markdown(const QTextDocument& document);

} // namespace Markdown
