#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QTextListFormat>
#include <memory>
#include <optional>

class QTextCharFormat;
class QTextDocument;

// The rich-text value as the writers see it: one walk over the document
// that the DOCX, ODT and RTF writers share.
namespace DocumentModel {

// What a run of text looks like; unset means the document's default.
struct Marks
{
    QString font;
    std::optional<double> points;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    std::optional<QColor> color;
    int position = 0; // 1 superscript, -1 subscript
    QString href;

    bool operator==(const Marks&) const = default;
};

// Text with tabs, and line breaks as line feeds.
struct Run
{
    QString text;
    Marks marks;
};

struct ListItem
{
    int list = 0;  // one number per list in the document
    int level = 0; // 0 for the outermost
    QTextListFormat::Style style = QTextListFormat::ListDisc;
};

struct Paragraph
{
    Qt::Alignment alignment = Qt::AlignLeft;
    double left = 0, right = 0, firstLine = 0, before = 0, after = 0; // points
    int heading = 0;                                                  // 1…6, 0 for body text
    bool pageBreakBefore = false;
    std::optional<ListItem> list;
    QList<Run> runs;
};

struct Table;

// A paragraph or a table.
struct Block
{
    std::optional<Paragraph> paragraph;
    std::shared_ptr<Table> table;
};

struct Cell
{
    int rowSpan = 1;
    int columnSpan = 1;
    bool covered = false; // part of a cell merged from above or the left
    int originRow = 0;    // where the cell that covers it starts
    int originColumn = 0;
    QList<Block> blocks;
};

struct Table
{
    int rows = 0;
    int columns = 0;
    QList<QList<Cell>> cells; // rows × columns, covered positions included
};

// The size a run is shown at, when it differs from the document's default:
// its own point size (else the default) scaled by the relative size that
// Qt's HTML reader gives headings ("xx-large" and the like).
std::optional<double> pointSize(const QTextCharFormat& format, double defaultSize);

// The document's blocks in reading order.
QList<Block> blocks(const QTextDocument& document);

// Whether a list style numbers its items (decimal, letters, roman).
bool isNumbered(QTextListFormat::Style style);

// The bullet of a nesting level that says nothing else: disc, circle, square, …
QTextListFormat::Style bulletForLevel(int level);

// The style a written list definition gives `level`: the item's own at its
// level, numbers or bullets like it at the others.
QTextListFormat::Style styleAtLevel(const ListItem& item, int level);

} // namespace DocumentModel
