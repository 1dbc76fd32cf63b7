#pragma once

#include <QList>
#include <QRectF>
#include <QString>
#include <optional>

// The structure of a page of a PDF, from where its words are: lines in
// reading order, list items behind bullet glyphs (and the lines that
// continue them), and tables, found as words aligned in columns across
// several lines, with gutters of white space between the columns.
namespace PageLayout {

struct Word
{
    QString text;
    QRectF box; // points, from the top of the page
    bool spaceAfter = false;
};

// A line of text in reading order.
struct Line
{
    QList<int> words;
    QString bullet;            // the glyph of a list item, or empty
    bool bulletGlued = false;  // the glyph is the first letter of the first word
    bool continuation = false; // the text of the list item above goes on
};

struct Table
{
    QList<double> columns;         // widths in points
    QList<QList<QList<int>>> rows; // row → cell → words, left to right
};

// A line or a table.
struct Block
{
    std::optional<Line> line;
    std::optional<Table> table;
};

// The page's words, in the reader's order, as blocks in reading order.
QList<Block> blocks(const QList<Word>& words);

// Whether a glyph stands for a list item's bullet: •, ◦, ▪, ‣, ● and the
// like, and the private-use glyphs of symbol fonts (Symbol's bullet is
// U+F0B7) that would otherwise show as empty boxes.
bool isBullet(const QString& glyph);

} // namespace PageLayout
