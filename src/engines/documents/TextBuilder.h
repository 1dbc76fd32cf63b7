#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFormat>
#include <QTextListFormat>

class QTextList;
class QTextTable;

// Builds the rich-text value from what a reader finds, in reading order:
// paragraphs with their runs, list membership, line and page breaks,
// tables (grown row by row, cells merged at the end) nested to any depth.
class TextBuilder
{
public:
    explicit TextBuilder(QTextDocument& document);

    // Starts a paragraph in the current place: the body or a table cell.
    void paragraph(const QTextBlockFormat& format, const QTextCharFormat& marks = {});
    // Makes the current paragraph an item of the list `key` at `level`
    // (0 for the outermost). Deeper lists of the same key start again.
    void listItem(const QString& key, int level, QTextListFormat::Style style);
    void text(const QString& text, const QTextCharFormat& format);
    void lineBreak(const QTextCharFormat& format = {});
    // Ends the paragraph here and continues its text on a new page.
    void pageBreak();
    // Whether the current paragraph has any text yet.
    bool paragraphIsEmpty() const;

    void beginTable();
    void beginRow();
    // Starts the cell at grid column `column` of the current row, spanning
    // `columnSpan` columns; `continuesAbove` merges it into the cell above.
    void beginCell(int column, int columnSpan = 1, bool continuesAbove = false);
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
        QTextTable* table = nullptr;
        int row = -1;
        int columns = 0;
        QList<Merge> merges;
        bool cellOpen = false;
    };

    void ensureParagraph();

    QTextDocument& m_document;
    QTextCursor m_cursor;
    bool m_freshBlock = true; // the current place still has its first, unused block
    bool m_inParagraph = false;
    QHash<QString, QList<QTextList*>> m_lists;
    QList<TableState> m_tables;
};
