#include "engines/documents/TextBuilder.h"

#include <QTextList>
#include <QTextTable>

TextBuilder::TextBuilder(QTextDocument& document) : m_document(document), m_cursor(&document)
{
    m_cursor.movePosition(QTextCursor::End);
}

void TextBuilder::paragraph(const QTextBlockFormat& format, const QTextCharFormat& marks)
{
    if (m_freshBlock) {
        m_cursor.setBlockFormat(format);
        m_cursor.setBlockCharFormat(marks);
        m_freshBlock = false;
    } else {
        m_cursor.insertBlock(format, marks);
    }
    m_inParagraph = true;
}

void TextBuilder::ensureParagraph()
{
    if (!m_inParagraph)
        paragraph(QTextBlockFormat());
}

void TextBuilder::listItem(const QString& key, int level, QTextListFormat::Style style)
{
    ensureParagraph();
    level = std::clamp(level, 0, 8);
    QList<QTextList*>& levels = m_lists[key];
    // An item ends every deeper list of its own: they number afresh.
    if (levels.size() > level + 1)
        levels.resize(level + 1);
    while (levels.size() <= level)
        levels.append(nullptr);
    QTextList*& list = levels[level];
    if (list && list->format().style() != style)
        list = nullptr;
    if (list) {
        list->add(m_cursor.block());
        return;
    }
    QTextListFormat format;
    format.setStyle(style);
    format.setIndent(level + 1);
    list = m_cursor.createList(format);
}

void TextBuilder::text(const QString& text, const QTextCharFormat& format)
{
    if (text.isEmpty())
        return;
    ensureParagraph();
    m_cursor.insertText(text, format);
}

void TextBuilder::lineBreak(const QTextCharFormat& format)
{
    text(QString(QChar::LineSeparator), format);
}

void TextBuilder::pageBreak()
{
    ensureParagraph();
    QTextBlockFormat format = m_cursor.blockFormat();
    format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    format.setObjectIndex(-1); // the rest is not another list item
    const QTextCharFormat marks = m_cursor.blockCharFormat();
    if (paragraphIsEmpty() && !m_cursor.currentList())
        m_cursor.setBlockFormat(format);
    else
        m_cursor.insertBlock(format, marks);
}

bool TextBuilder::paragraphIsEmpty() const
{
    return m_cursor.block().length() <= 1;
}

void TextBuilder::beginTable()
{
    // Tables start on a line of their own; what was open there stays.
    m_tables.append(TableState());
}

void TextBuilder::beginRow()
{
    TableState& state = m_tables.last();
    if (state.table) {
        state.table->appendRows(1);
    } else {
        QTextTableFormat format;
        format.setBorder(0.5);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setCellPadding(4);
        format.setCellSpacing(0);
        format.setBorderCollapse(true);
        format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        state.table = m_cursor.insertTable(1, 1, format);
        state.columns = 1;
    }
    ++state.row;
    state.cellOpen = false;
}

void TextBuilder::beginCell(int column, int columnSpan, bool continuesAbove)
{
    TableState& state = m_tables.last();
    if (state.row < 0)
        beginRow();
    column = std::max(column, 0);
    columnSpan = std::clamp(columnSpan, 1, 64);
    const int needed = column + columnSpan;
    if (needed > state.columns) {
        state.table->appendColumns(needed - state.columns);
        state.columns = needed;
    }
    if (continuesAbove) {
        // Grows the merge that covers the cell above, or starts one there.
        for (Merge& merge : state.merges) {
            if (merge.column == column && merge.row + merge.rowSpan == state.row) {
                ++merge.rowSpan;
                break;
            }
        }
    } else if (columnSpan > 1 || state.row >= 0) {
        state.merges.append(Merge{state.row, column, 1, columnSpan});
    }
    m_cursor = state.table->cellAt(state.row, column).firstCursorPosition();
    m_freshBlock = !continuesAbove;
    m_inParagraph = false;
    if (continuesAbove) {
        // Its text, if any, goes into the merged cell's own blocks; a
        // continuation holds nothing of its own in practice.
        m_freshBlock = true;
    }
    state.cellOpen = true;
}

void TextBuilder::endTable()
{
    TableState state = m_tables.takeLast();
    if (!state.table)
        return;
    for (const Merge& merge : std::as_const(state.merges)) {
        if (merge.rowSpan > 1 || merge.columnSpan > 1)
            state.table->mergeCells(merge.row, merge.column, merge.rowSpan, merge.columnSpan);
    }
    m_cursor = state.table->lastCursorPosition();
    m_cursor.movePosition(QTextCursor::NextBlock);
    m_freshBlock = m_cursor.block().length() <= 1;
    m_inParagraph = false;
}

QTextListFormat::Style TextBuilder::bulletStyle(const QString& bulletText)
{
    const QString bullet = bulletText.trimmed();
    if (bullet == QStringLiteral("\u25e6") || bullet == QLatin1String("o") ||
        bullet == QStringLiteral("\u25cb"))
        return QTextListFormat::ListCircle;
    if (bullet == QStringLiteral("\u25aa") || bullet == QStringLiteral("\u25a0") ||
        bullet == QStringLiteral("\uf0a7") || bullet == QLatin1String("\xa7"))
        return QTextListFormat::ListSquare;
    return QTextListFormat::ListDisc;
}
