#pragma once

#include "engines/documents/Pictures.h"

#include <QColor>
#include <QList>
#include <QMarginsF>
#include <QString>
#include <QStringList>
#include <QTextFrameFormat>
#include <QTextListFormat>
#include <array>
#include <memory>
#include <optional>

class QTextCharFormat;
class QTextDocument;
class QTextTableFormat;

// The rich-text value as the writers see it: one walk over the document
// that the DOCX, ODT, RTF, HTML and EPUB writers share. Anchors come out
// as names every format takes, links to anchors that aren't in the
// document as plain text.
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
    QString href;     // "#name" for an anchor of the document

    bool operator==(const Marks&) const = default;
};

struct Picture
{
    Pictures::Picture picture;
    QSizeF size; // points
    QString alt;
};

// Text with tabs, and line breaks as line feeds; or one picture.
struct Run
{
    QString text;
    Marks marks;
    std::optional<Picture> picture;
    QStringList anchors; // names that start here
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
    QStringList anchors; // names of the paragraph as a whole
    QList<Run> runs;
};

struct Table;

// A paragraph or a table.
struct Block
{
    std::optional<Paragraph> paragraph;
    std::shared_ptr<Table> table;
};

// One side of a cell's frame; a width of 0 draws nothing.
struct Border
{
    double width = 0; // points
    QColor color = Qt::black;
    QTextFrameFormat::BorderStyle style = QTextFrameFormat::BorderStyle_Solid;

    bool isVisible() const { return width > 0 && style != QTextFrameFormat::BorderStyle_None; }
    bool operator==(const Border&) const = default;
};

enum Side { top, right, bottom, left };

struct Cell
{
    int rowSpan = 1;
    int columnSpan = 1;
    bool covered = false; // part of a cell merged from above or the left
    int originRow = 0;    // where the cell that covers it starts
    int originColumn = 0;
    std::array<Border, 4> borders; // by Side
    std::optional<QColor> background;
    QList<Block> blocks;
};

struct Table
{
    int rows = 0;
    int columns = 0;
    int headerRows = 0;       // repeated at the top of each page
    QList<double> widths;     // points per column, fitted to the text column
    QMarginsF padding;        // points, inside each cell
    QList<QList<Cell>> cells; // rows × columns, covered positions included
};

// How the written format takes links.
enum class Links {
    any,  // every link but those to anchors that aren't there
    book, // also only web and mail addresses: an EPUB knows no other files
};

// The width of the text column every written page has.
constexpr double columnWidth = 483;

// The size a run is shown at, when it differs from the document's default:
// its own point size (else the default) scaled by the relative size that
// Qt's HTML reader gives headings ("xx-large" and the like).
std::optional<double> pointSize(const QTextCharFormat& format, double defaultSize);

// A table's column widths in points, within `available`: fixed ones as
// they are, percentages of the table, the rest sharing what is left; all
// scaled down together where they would be wider.
QList<double> columnWidths(const QTextTableFormat& format, int columns, double available);

// The document's blocks in reading order.
QList<Block> blocks(const QTextDocument& document, Links links = Links::any);

// A name as an XML identifier (a letter or "_" first, then letters,
// digits, "-", "_" and "."), at most 40 characters, as Word wants its
// bookmarks. The same name always gives the same identifier.
QString identifier(const QString& name);

// Whether a link goes somewhere outside the document that every reader
// can follow: a web or mail address.
bool isExternal(const QString& href);

// Whether a list style numbers its items (decimal, letters, roman).
bool isNumbered(QTextListFormat::Style style);

// The bullet of a nesting level that says nothing else: disc, circle, square, …
QTextListFormat::Style bulletForLevel(int level);

// The style a written list definition gives `level`: the item's own at its
// level, numbers or bullets like it at the others.
QTextListFormat::Style styleAtLevel(const ListItem& item, int level);

} // namespace DocumentModel
