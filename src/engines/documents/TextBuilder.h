#pragma once

#include "engines/documents/DocumentModel.h"

#include <QBrush>
#include <QHash>
#include <QList>
#include <QMarginsF>
#include <QString>
#include <QStringList>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFormat>
#include <QTextListFormat>
#include <array>
#include <optional>

class QTextList;
class QTextTable;

// How a table cell is drawn: borders top, right, bottom, left; its shading.
struct TextBuilderCellLook
{
    std::array<DocumentModel::Border, 4> borders;
    std::optional<QColor> background;
};

// How a table is laid out.
struct TextBuilderTableLook
{
    QList<QTextLength> columns; // widths of the grid's columns, where known
    QTextLength width = QTextLength(QTextLength::PercentageLength, 100);
    QMarginsF padding = QMarginsF(4, 2, 4, 2); // points inside each cell
    Qt::Alignment alignment = Qt::AlignLeft;
};

// Builds the rich-text value from what a reader finds, in reading order:
// paragraphs with their runs, list membership, line and page breaks,
// pictures, anchors, tables with their borders, shading and column
// widths (grown row by row, cells merged at the end) nested to any depth.
// The document is one edit while it is built, so that Qt does its
// bookkeeping once at the end instead of after every insertion.
class TextBuilder
{
public:
    explicit TextBuilder(QTextDocument& document);
    ~TextBuilder();
    TextBuilder(const TextBuilder&) = delete;
    TextBuilder& operator=(const TextBuilder&) = delete;

    using Border = DocumentModel::Border;
    using CellLook = TextBuilderCellLook;
    using TableLook = TextBuilderTableLook;

    // Starts a paragraph in the current place: the body or a table cell.
    void paragraph(const QTextBlockFormat& format, const QTextCharFormat& marks = {});
    // Makes the current paragraph an item of the list `key` at `level`
    // (0 for the outermost). Deeper lists of the same key start again.
    void listItem(const QString& key, int level, QTextListFormat::Style style);
    void text(const QString& text, const QTextCharFormat& format);
    void lineBreak(const QTextCharFormat& format = {});
    // A picture (see Pictures::Store), linked where `around` is a link.
    void picture(QTextImageFormat picture, const QTextCharFormat& around = {});
    // An anchor named `name` where the next text starts (a bookmark, a
    // heading's identifier): the target of links to "#name".
    void anchor(const QString& name);
    // Ends the paragraph here and continues its text on a new page.
    void pageBreak();
    // Whether the current paragraph has any text yet.
    bool paragraphIsEmpty() const;

    void beginTable(const TableLook& look = {});
    // A row; header rows at the top of a table repeat on every page.
    void beginRow(bool header = false);
    // Starts the cell at grid column `column` of the current row, spanning
    // `columnSpan` columns; `continuesAbove` merges it into the cell above.
    void beginCell(int column, int columnSpan = 1, bool continuesAbove = false,
                   const CellLook& look = {});
    void endTable();

    // The bullet style a list level's bullet text shows: ◦ and o are
    // circles, ▪ and ■ squares, anything else a disc.
    static QTextListFormat::Style bulletStyle(const QString& bulletText);

    // Never more than this many tables inside each other; deeper ones are
    // read as plain paragraphs of the cell around them. Laying out nested
    // tables takes time that doubles with each level: 16 took 11 s.
    static constexpr int maximumTableDepth = 10;
    int tableDepth() const { return int(m_tables.size()); }

private:
    struct Merge
    {
        int row = 0;
        int column = 0;
        int rowSpan = 1;
        int columnSpan = 1;
    };
    struct TableState
    {
        TableLook look;
        QTextTable* table = nullptr;
        int row = -1;
        int columns = 0;
        int headerRows = 0;
        bool inHeader = true;
        QList<Merge> merges;
    };

    void ensureParagraph();
    void attachAnchors();
    QTextCharFormat withAnchors(QTextCharFormat format);

    QTextDocument& m_document;
    QTextCursor m_edit;
    QTextCursor m_cursor;
    bool m_freshBlock = true; // the current place still has its first, unused block
    bool m_inParagraph = false;
    QStringList m_anchors; // waiting for the next text
    QHash<QString, QList<QTextList*>> m_lists;
    QList<TableState> m_tables;
};
