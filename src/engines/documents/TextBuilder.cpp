#include "engines/documents/TextBuilder.h"

#include <QTextList>
#include <QTextTable>

namespace {

QTextTableCellFormat cellFormat(const TextBuilder::CellLook& look, const QMarginsF& padding)
{
    QTextTableCellFormat format;
    format.setLeftPadding(padding.left());
    format.setTopPadding(padding.top());
    format.setRightPadding(padding.right());
    format.setBottomPadding(padding.bottom());
    const auto& b = look.borders;
    using DocumentModel::Side;
    format.setTopBorder(b[Side::top].width);
    format.setTopBorderBrush(b[Side::top].color);
    format.setTopBorderStyle(b[Side::top].style);
    format.setRightBorder(b[Side::right].width);
    format.setRightBorderBrush(b[Side::right].color);
    format.setRightBorderStyle(b[Side::right].style);
    format.setBottomBorder(b[Side::bottom].width);
    format.setBottomBorderBrush(b[Side::bottom].color);
    format.setBottomBorderStyle(b[Side::bottom].style);
    format.setLeftBorder(b[Side::left].width);
    format.setLeftBorderBrush(b[Side::left].color);
    format.setLeftBorderStyle(b[Side::left].style);
    if (look.background)
        format.setBackground(*look.background);
    return format;
}

} // namespace

TextBuilder::TextBuilder(QTextDocument& document)
    : m_document(document), m_edit(&document), m_cursor(&document)
{
    m_cursor.movePosition(QTextCursor::End);
    m_edit.beginEditBlock();
}

TextBuilder::~TextBuilder()
{
    attachAnchors();
    m_edit.endEditBlock();
}

void TextBuilder::paragraph(const QTextBlockFormat& format, const QTextCharFormat& marks)
{
    if (m_freshBlock) {
        m_cursor.setBlockFormat(format);
        // The first block of a cell has the cell's own format, borders and all.
        if (m_cursor.blockCharFormat().isTableCellFormat())
            m_cursor.mergeBlockCharFormat(marks);
        else
            m_cursor.setBlockCharFormat(marks);
        m_freshBlock = false;
    } else {
        attachAnchors();
        m_cursor.insertBlock(format, marks);
    }
    m_inParagraph = true;
}

void TextBuilder::ensureParagraph()
{
    if (!m_inParagraph)
        paragraph(QTextBlockFormat());
}

// Anchors that found no text stay with the paragraph they were in.
void TextBuilder::attachAnchors()
{
    if (m_anchors.isEmpty() || !m_inParagraph)
        return;
    QTextCharFormat format = m_cursor.blockCharFormat();
    format.setAnchorNames(format.anchorNames() + std::exchange(m_anchors, {}));
    m_cursor.setBlockCharFormat(format);
}

QTextCharFormat TextBuilder::withAnchors(QTextCharFormat format)
{
    if (!m_anchors.isEmpty())
        format.setAnchorNames(format.anchorNames() + std::exchange(m_anchors, {}));
    return format;
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
    m_cursor.insertText(text, withAnchors(format));
}

void TextBuilder::lineBreak(const QTextCharFormat& format)
{
    text(QString(QChar::LineSeparator), format);
}

void TextBuilder::picture(QTextImageFormat picture, const QTextCharFormat& around)
{
    ensureParagraph();
    if (around.isAnchor() && !around.anchorHref().isEmpty()) {
        picture.setAnchor(true);
        picture.setAnchorHref(around.anchorHref());
    }
    picture = withAnchors(picture).toImageFormat();
    m_cursor.insertText(QString(QChar::ObjectReplacementCharacter), picture);
}

void TextBuilder::anchor(const QString& name)
{
    if (!name.isEmpty() && !m_anchors.contains(name) && m_anchors.size() < 64)
        m_anchors.append(name);
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

void TextBuilder::beginTable(const TableLook& look)
{
    // Tables start on a line of their own; what was open there stays.
    TableState state;
    state.look = look;
    m_tables.append(state);
}

void TextBuilder::beginRow(bool header)
{
    TableState& state = m_tables.last();
    if (!state.table) {
        QTextTableFormat format;
        format.setBorder(0);
        format.setCellPadding(0);
        format.setCellSpacing(0);
        format.setBorderCollapse(true);
        format.setWidth(state.look.width);
        format.setAlignment(state.look.alignment);
        if (!state.look.columns.isEmpty())
            format.setColumnWidthConstraints(state.look.columns);
        state.columns = std::clamp(int(state.look.columns.size()), 1, 64);
        state.table = m_cursor.insertTable(1, state.columns, format);
    }
    ++state.row;
    // Rows are added in growing batches and the spare ones removed at the
    // end: Qt indexes the whole table again after each change to its grid.
    if (state.row >= state.table->rows())
        state.table->appendRows(std::clamp(state.table->rows(), 1, 256));
    if (header && state.inHeader && state.row == state.headerRows)
        ++state.headerRows;
    else
        state.inHeader = false;
}

void TextBuilder::beginCell(int column, int columnSpan, bool continuesAbove, const CellLook& look)
{
    TableState& state = m_tables.last();
    if (state.row < 0)
        beginRow();
    column = std::clamp(column, 0, 1000);
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
    } else {
        state.merges.append(Merge{state.row, column, 1, columnSpan});
    }
    attachAnchors();
    QTextTableCell cell = state.table->cellAt(state.row, column);
    if (!continuesAbove)
        cell.setFormat(cellFormat(look, state.look.padding));
    m_cursor = cell.firstCursorPosition();
    // A continuation's text, if any, goes into the merged cell's own
    // blocks; it holds nothing of its own in practice.
    m_freshBlock = true;
    m_inParagraph = false;
}

void TextBuilder::endTable()
{
    attachAnchors();
    TableState state = m_tables.takeLast();
    if (!state.table)
        return;
    const int used = state.row + 1;
    if (state.table->rows() > used)
        state.table->removeRows(used, state.table->rows() - used);
    for (const Merge& merge : std::as_const(state.merges)) {
        if (merge.rowSpan > 1 || merge.columnSpan > 1)
            state.table->mergeCells(merge.row, merge.column, merge.rowSpan, merge.columnSpan);
    }
    if (state.headerRows > 0 && state.headerRows < used) {
        QTextTableFormat format = state.table->format();
        format.setHeaderRowCount(state.headerRows);
        state.table->setFormat(format);
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
