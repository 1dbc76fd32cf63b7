#include "engines/documents/DocumentModel.h"

#include <QHash>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFormat>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>

namespace DocumentModel {

namespace {

Marks marksOf(const QTextCharFormat& format, double defaultSize)
{
    Marks marks;
    const QStringList families = format.fontFamilies().toStringList();
    marks.font = families.isEmpty() ? QString() : families.first();
    marks.points = pointSize(format, defaultSize);
    marks.bold = format.fontWeight() >= QFont::DemiBold;
    marks.italic = format.fontItalic();
    marks.underline = format.fontUnderline();
    marks.strike = format.fontStrikeOut();
    if (format.hasProperty(QTextFormat::ForegroundBrush) &&
        format.foreground().style() != Qt::NoBrush)
        marks.color = format.foreground().color();
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        marks.position = 1;
    else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
        marks.position = -1;
    if (format.isAnchor())
        marks.href = format.anchorHref();
    return marks;
}

class Walker
{
public:
    explicit Walker(double defaultSize) : m_defaultSize(defaultSize) {}

    QList<Block> frame(QTextFrame* frame)
    {
        QList<Block> result;
        for (auto it = frame->begin(); !it.atEnd(); ++it) {
            if (QTextFrame* child = it.currentFrame()) {
                if (auto* table = qobject_cast<QTextTable*>(child))
                    result.append(Block{std::nullopt, this->table(table)});
                else
                    result += this->frame(child);
            } else if (it.currentBlock().isValid()) {
                result.append(Block{paragraph(it.currentBlock()), nullptr});
            }
        }
        return result;
    }

private:
    Paragraph paragraph(const QTextBlock& block)
    {
        const QTextBlockFormat format = block.blockFormat();
        Paragraph paragraph;
        const Qt::Alignment horizontal = format.alignment() & Qt::AlignHorizontal_Mask;
        paragraph.alignment = horizontal ? horizontal : Qt::AlignLeft;
        paragraph.left = format.leftMargin() + format.indent() * 36.0;
        paragraph.right = format.rightMargin();
        paragraph.firstLine = format.textIndent();
        paragraph.before = format.topMargin();
        paragraph.after = format.bottomMargin();
        paragraph.heading = std::clamp(format.headingLevel(), 0, 6);
        paragraph.pageBreakBefore = format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore;
        if (QTextList* list = block.textList()) {
            int& number = m_lists[list];
            if (number == 0)
                number = int(m_lists.size());
            const QTextListFormat listFormat = list->format();
            paragraph.list =
                ListItem{number, std::clamp(listFormat.indent() - 1, 0, 8), listFormat.style()};
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QString text = fragment.text();
            text.remove(QChar::ObjectReplacementCharacter);
            text.replace(QChar::LineSeparator, QLatin1Char('\n'));
            if (text.isEmpty())
                continue;
            Run run{text, marksOf(fragment.charFormat(), m_defaultSize)};
            if (!paragraph.runs.isEmpty() && paragraph.runs.last().marks == run.marks)
                paragraph.runs.last().text += run.text;
            else
                paragraph.runs.append(run);
        }
        return paragraph;
    }

    std::shared_ptr<Table> table(QTextTable* source)
    {
        auto table = std::make_shared<Table>();
        table->rows = source->rows();
        table->columns = source->columns();
        table->cells.resize(table->rows);
        for (int row = 0; row < table->rows; ++row) {
            table->cells[row].resize(table->columns);
            for (int column = 0; column < table->columns; ++column) {
                const QTextTableCell cell = source->cellAt(row, column);
                Cell& out = table->cells[row][column];
                if (cell.row() != row || cell.column() != column) {
                    out.covered = true;
                    out.originRow = cell.row();
                    out.originColumn = cell.column();
                    continue;
                }
                out.rowSpan = cell.rowSpan();
                out.columnSpan = cell.columnSpan();
                out.blocks = cellBlocks(cell);
            }
        }
        return table;
    }

    QList<Block> cellBlocks(const QTextTableCell& cell)
    {
        QList<Block> result;
        for (auto it = cell.begin(); !it.atEnd(); ++it) {
            if (QTextFrame* child = it.currentFrame()) {
                if (auto* table = qobject_cast<QTextTable*>(child))
                    result.append(Block{std::nullopt, this->table(table)});
                else
                    result += frame(child);
            } else if (it.currentBlock().isValid()) {
                result.append(Block{paragraph(it.currentBlock()), nullptr});
            }
        }
        return result;
    }

    double m_defaultSize;
    QHash<QTextList*, int> m_lists;
};

} // namespace

std::optional<double> pointSize(const QTextCharFormat& format, double defaultSize)
{
    const bool sized = format.hasProperty(QTextFormat::FontPointSize) && format.fontPointSize() > 0;
    const double base = sized ? format.fontPointSize() : defaultSize;
    // Qt's layout scales whatever size the run has by its relative size.
    if (!format.hasProperty(QTextFormat::FontSizeAdjustment))
        return sized ? std::optional<double>(base) : std::nullopt;
    static const double scale[] = {0.7, 0.8, 1.0, 1.2, 1.5, 2.0, 2.4};
    const int step = std::clamp(format.intProperty(QTextFormat::FontSizeAdjustment), -2, 4);
    return base * scale[step + 2];
}

QList<Block> blocks(const QTextDocument& document)
{
    const double defaultSize = document.defaultFont().pointSizeF();
    return Walker(defaultSize > 0 ? defaultSize : 12).frame(document.rootFrame());
}

bool isNumbered(QTextListFormat::Style style)
{
    return style != QTextListFormat::ListDisc && style != QTextListFormat::ListCircle &&
           style != QTextListFormat::ListSquare && style != QTextListFormat::ListStyleUndefined;
}

QTextListFormat::Style bulletForLevel(int level)
{
    return QTextListFormat::Style(QTextListFormat::ListDisc - level % 3);
}

QTextListFormat::Style styleAtLevel(const ListItem& item, int level)
{
    if (level == item.level)
        return item.style;
    return isNumbered(item.style) ? QTextListFormat::ListDecimal : bulletForLevel(level);
}

} // namespace DocumentModel
