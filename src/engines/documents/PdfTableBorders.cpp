#include "engines/documents/PdfTableBorders.h"

#include "engines/documents/PdfRenderer.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

namespace {

using DocumentModel::Border;
using DocumentModel::Side;

Border border(double width, const QBrush& brush, QTextFrameFormat::BorderStyle style)
{
    Border out;
    out.width = std::clamp(width, 0.0, 20.0);
    out.style = style;
    if (brush.style() != Qt::NoBrush)
        out.color = brush.color();
    return out;
}

QList<QTextTable*> tablesIn(QTextFrame* frame)
{
    QList<QTextTable*> found;
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child))
            found.append(table);
        found += tablesIn(child);
    }
    return found;
}

int pageOf(double y)
{
    return std::max(0, int(y / PdfRenderer::textHeight));
}

} // namespace

void PdfTableBorders::take(QTextDocument& document)
{
    static const int borderProperties[] = {
        QTextFormat::TableCellTopBorder,       QTextFormat::TableCellBottomBorder,
        QTextFormat::TableCellLeftBorder,      QTextFormat::TableCellRightBorder,
        QTextFormat::TableCellTopBorderStyle,  QTextFormat::TableCellBottomBorderStyle,
        QTextFormat::TableCellLeftBorderStyle, QTextFormat::TableCellRightBorderStyle,
        QTextFormat::TableCellTopBorderBrush,  QTextFormat::TableCellBottomBorderBrush,
        QTextFormat::TableCellLeftBorderBrush, QTextFormat::TableCellRightBorderBrush};
    for (QTextTable* source : tablesIn(document.rootFrame())) {
        QTextTableFormat format = source->format();
        // Tables drawn the way of web pages are quick to draw already.
        if (!format.borderCollapse())
            continue;
        Table table;
        table.table = source;
        table.rows = source->rows();
        table.columns = source->columns();
        table.headerRows = std::clamp(format.headerRowCount(), 0, table.rows);
        const bool ownGrid =
            format.border() > 0 && format.borderStyle() != QTextFrameFormat::BorderStyle_None;
        for (int row = 0; row < table.rows; ++row) {
            for (int column = 0; column < table.columns; ++column) {
                QTextTableCell cell = source->cellAt(row, column);
                if (cell.row() != row || cell.column() != column)
                    continue;
                QTextTableCellFormat cellFormat = cell.format().toTableCellFormat();
                Cell out{row, column, cell.rowSpan(), cell.columnSpan()};
                if (cellFormat.hasProperty(QTextFormat::TableCellTopBorder) ||
                    cellFormat.hasProperty(QTextFormat::TableCellLeftBorder)) {
                    out.borders[Side::top] =
                        border(cellFormat.topBorder(), cellFormat.topBorderBrush(),
                               cellFormat.topBorderStyle());
                    out.borders[Side::right] =
                        border(cellFormat.rightBorder(), cellFormat.rightBorderBrush(),
                               cellFormat.rightBorderStyle());
                    out.borders[Side::bottom] =
                        border(cellFormat.bottomBorder(), cellFormat.bottomBorderBrush(),
                               cellFormat.bottomBorderStyle());
                    out.borders[Side::left] =
                        border(cellFormat.leftBorder(), cellFormat.leftBorderBrush(),
                               cellFormat.leftBorderStyle());
                } else if (ownGrid) {
                    out.borders.fill(border(std::min(format.border(), 1.0), format.borderBrush(),
                                            QTextFrameFormat::BorderStyle_Solid));
                }
                const auto padding = [&](int property) {
                    return cellFormat.hasProperty(property) ? cellFormat.doubleProperty(property)
                                                            : format.cellPadding();
                };
                out.paddingTop = padding(QTextFormat::TableCellTopPadding);
                out.paddingBottom = padding(QTextFormat::TableCellBottomPadding);
                out.paddingLeft = padding(QTextFormat::TableCellLeftPadding);
                out.firstBlock = cell.firstPosition();
                out.lastBlock = cell.lastPosition();
                for (const int property : borderProperties)
                    cellFormat.clearProperty(property);
                cell.setFormat(cellFormat);
                table.cells.append(out);
            }
        }
        format.setBorderCollapse(false);
        format.setBorder(0);
        format.setCellSpacing(0);
        source->setFormat(format);
        m_tables.append(table);
    }
}

void PdfTableBorders::measure(const QTextDocument& document, double scale)
{
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    for (Table& table : m_tables) {
        const QRectF frame = layout->frameBoundingRect(table.table);
        table.lefts = QList<double>(table.columns + 1, -1);
        table.tops = QList<double>(table.rows, 1e12);
        table.bottoms = QList<double>(table.rows, -1);
        QList<double> contentBottoms(table.rows, -1);
        for (const Cell& cell : std::as_const(table.cells)) {
            const QTextBlock first = document.findBlock(cell.firstBlock);
            const QTextBlock last = document.findBlock(cell.lastBlock);
            if (!first.isValid() || !last.isValid())
                continue;
            // Qt sets a cell's first block at the cell's padding, whatever
            // its top margin; an indent lies inside the padding.
            const QRectF top = layout->blockBoundingRect(first);
            const QRectF bottom = layout->blockBoundingRect(last);
            table.tops[cell.row] = std::min(table.tops[cell.row], top.top() - cell.paddingTop);
            if (cell.rowSpan == 1)
                contentBottoms[cell.row] =
                    std::max(contentBottoms[cell.row],
                             bottom.bottom() + last.blockFormat().bottomMargin() / scale +
                                 cell.paddingBottom);
            const double left =
                top.left() - first.blockFormat().leftMargin() / scale - cell.paddingLeft;
            double& known = table.lefts[cell.column];
            known = known < 0 ? left : std::min(known, left);
        }
        // The table's edges, and columns every cell of which spans others,
        // from their neighbours.
        table.lefts[0] = frame.left();
        table.lefts[table.columns] = frame.right();
        for (int column = 1; column < table.columns; ++column)
            if (table.lefts[column] < 0)
                table.lefts[column] = table.lefts[column - 1];
        for (int row = 0; row < table.rows; ++row) {
            if (table.tops[row] > 1e11)
                table.tops[row] = row > 0 ? table.tops[row - 1] : frame.top();
        }
        // A row ends where the next begins, unless that is on a later page.
        for (int row = 0; row < table.rows; ++row) {
            const bool last = row + 1 == table.rows;
            const double next = last ? frame.bottom() : table.tops[row + 1];
            table.bottoms[row] = pageOf(next - 0.01) == pageOf(table.tops[row])
                                     ? next
                                     : std::max(contentBottoms[row], table.tops[row]);
        }
    }
}

void PdfTableBorders::draw(QPainter& painter, const QRectF& page) const
{
    const int pageNumber = pageOf(page.top() + 1);
    for (const Table& table : m_tables) {
        if (table.tops.isEmpty() || table.tops.first() > page.bottom() ||
            table.bottoms.last() < page.top())
            continue;
        const auto boxOf = [&](const Cell& cell, double shift) {
            const int lastRow = std::min(cell.row + cell.rowSpan, table.rows) - 1;
            const int lastColumn = std::min(cell.column + cell.columnSpan, table.columns);
            return QRectF(QPointF(table.lefts[cell.column], table.tops[cell.row] + shift),
                          QPointF(table.lefts[lastColumn], table.bottoms[lastRow] + shift));
        };
        for (const Cell& cell : table.cells) {
            const QRectF box = boxOf(cell, 0);
            if (box.bottom() >= page.top() && box.top() <= page.bottom())
                drawCell(painter, cell, box);
        }
        // Header rows repeat at the top of the pages the table goes on to.
        const bool continues = table.headerRows > 0 && table.headerRows < table.rows &&
                               pageOf(table.tops[table.headerRows - 1]) < pageNumber &&
                               pageOf(table.bottoms.last() - 0.01) >= pageNumber;
        if (!continues)
            continue;
        const double shift = page.top() - table.tops.first();
        for (const Cell& cell : table.cells)
            if (cell.row < table.headerRows)
                drawCell(painter, cell, boxOf(cell, shift));
    }
}

void PdfTableBorders::drawCell(QPainter& painter, const Cell& cell, const QRectF& box) const
{
    // The pen goes back as it was: the next page's text would be drawn with it.
    painter.save();
    const auto line = [&](const Border& border, QPointF from, QPointF to) {
        if (!border.isVisible())
            return;
        QPen pen(border.color, border.width);
        pen.setCapStyle(Qt::SquareCap);
        if (border.style == QTextFrameFormat::BorderStyle_Dashed)
            pen.setStyle(Qt::DashLine);
        else if (border.style == QTextFrameFormat::BorderStyle_Dotted)
            pen.setStyle(Qt::DotLine);
        if (border.style == QTextFrameFormat::BorderStyle_Double) {
            // Two lines, each a third of the width, a third apart.
            pen.setWidthF(border.width / 3);
            painter.setPen(pen);
            const QPointF step =
                (from.x() == to.x() ? QPointF(border.width / 3, 0) : QPointF(0, border.width / 3));
            painter.drawLine(from - step, to - step);
            painter.drawLine(from + step, to + step);
            return;
        }
        painter.setPen(pen);
        painter.drawLine(from, to);
    };
    line(cell.borders[Side::top], box.topLeft(), box.topRight());
    line(cell.borders[Side::bottom], box.bottomLeft(), box.bottomRight());
    line(cell.borders[Side::left], box.topLeft(), box.bottomLeft());
    line(cell.borders[Side::right], box.topRight(), box.bottomRight());
    painter.restore();
}
