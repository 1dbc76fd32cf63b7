#include "engines/documents/DocumentModel.h"

#include <QCryptographicHash>
#include <QHash>
#include <QSet>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFormat>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

namespace DocumentModel {

namespace {

constexpr int identifierLength = 40;

bool isNameStart(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
}

bool isNameCharacter(QChar c)
{
    return isNameStart(c) || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.';
}

// Every anchor the document has, by name.
QSet<QString> anchorsOf(const QTextDocument& document)
{
    QSet<QString> names;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (const QString& name : block.charFormat().anchorNames())
            names.insert(name);
        for (auto it = block.begin(); !it.atEnd(); ++it)
            for (const QString& name : it.fragment().charFormat().anchorNames())
                names.insert(name);
    }
    return names;
}

Border borderOf(double width, const QBrush& brush, QTextFrameFormat::BorderStyle style)
{
    Border border;
    border.width = std::clamp(width, 0.0, 20.0);
    border.style = style;
    if (brush.style() != Qt::NoBrush)
        border.color = brush.color();
    return border;
}

class Walker
{
public:
    Walker(const QTextDocument& document, Links links)
        : m_document(document), m_links(links), m_anchors(anchorsOf(document))
    {
        const double size = document.defaultFont().pointSizeF();
        m_defaultSize = size > 0 ? size : 12;
    }

    QList<Block> frame(QTextFrame* frame, double width)
    {
        QList<Block> result;
        for (auto it = frame->begin(); !it.atEnd(); ++it) {
            if (QTextFrame* child = it.currentFrame()) {
                if (auto* table = qobject_cast<QTextTable*>(child))
                    result.append(Block{std::nullopt, this->table(table, width)});
                else
                    result += this->frame(child, width);
            } else if (it.currentBlock().isValid()) {
                result.append(Block{paragraph(it.currentBlock()), nullptr});
            }
        }
        return result;
    }

private:
    Marks marksOf(const QTextCharFormat& format) const
    {
        Marks marks;
        const QStringList families = format.fontFamilies().toStringList();
        marks.font = families.isEmpty() ? QString() : families.first();
        marks.points = pointSize(format, m_defaultSize);
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
            marks.href = link(format.anchorHref());
        return marks;
    }

    // Anchors as identifiers, each written once: Qt's reader gives a
    // heading's identifier to both the paragraph and its first letter.
    QStringList identifiers(const QStringList& names)
    {
        QStringList out;
        for (const QString& name : names) {
            if (name.isEmpty())
                continue;
            const QString id = identifier(name);
            if (!m_written.contains(id)) {
                m_written.insert(id);
                out.append(id);
            }
        }
        return out;
    }

    // The link as the written document can have it, or nothing.
    QString link(const QString& href) const
    {
        const QString target = href.trimmed();
        if (target.startsWith(u'#')) {
            const QString name = QUrl::fromPercentEncoding(target.mid(1).toUtf8());
            if (m_anchors.contains(name))
                return u'#' + identifier(name);
            if (m_anchors.contains(target.mid(1)))
                return u'#' + identifier(target.mid(1));
            return {};
        }
        if (target.isEmpty() ||
            target.startsWith(QLatin1String("javascript:"), Qt::CaseInsensitive))
            return {};
        if (m_links == Links::book && !isExternal(target))
            return {};
        // Addresses as URIs: a space or a letter beyond ASCII is escaped.
        const QUrl url(target);
        return url.isValid() ? QString::fromLatin1(url.toEncoded()) : target;
    }

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
        paragraph.anchors = identifiers(block.charFormat().anchorNames());
        if (QTextList* list = block.textList()) {
            int& number = m_lists[list];
            if (number == 0)
                number = int(m_lists.size());
            const QTextListFormat listFormat = list->format();
            paragraph.list =
                ListItem{number, std::clamp(listFormat.indent() - 1, 0, 8), listFormat.style()};
        }
        for (auto it = block.begin(); !it.atEnd(); ++it)
            fragment(it.fragment(), paragraph.runs);
        return paragraph;
    }

    void fragment(const QTextFragment& fragment, QList<Run>& runs)
    {
        const QTextCharFormat format = fragment.charFormat();
        const QStringList anchors = identifiers(format.anchorNames());
        if (format.isImageFormat()) {
            const QTextImageFormat image = format.toImageFormat();
            const auto picture = Pictures::of(m_document, image);
            // Equal pictures side by side share one fragment.
            for (int i = 0; picture && i < fragment.length(); ++i) {
                Run run{QString(), marksOf(format),
                        Picture{*picture, Pictures::sizeOf(image),
                                image.stringProperty(Pictures::altProperty)},
                        i == 0 ? anchors : QStringList()};
                runs.append(run);
            }
            return;
        }
        QString text = fragment.text();
        text.remove(QChar::ObjectReplacementCharacter);
        text.replace(QChar::LineSeparator, QLatin1Char('\n'));
        if (text.isEmpty() && anchors.isEmpty())
            return;
        Run run{text, marksOf(format), std::nullopt, anchors};
        if (anchors.isEmpty() && !runs.isEmpty() && !runs.last().picture &&
            runs.last().marks == run.marks)
            runs.last().text += run.text;
        else
            runs.append(run);
    }

    std::shared_ptr<Table> table(QTextTable* source, double available)
    {
        auto table = std::make_shared<Table>();
        const QTextTableFormat format = source->format();
        table->rows = source->rows();
        table->columns = source->columns();
        table->headerRows = std::clamp(format.headerRowCount(), 0, table->rows);
        table->padding = QMarginsF(format.cellPadding(), format.cellPadding(), format.cellPadding(),
                                   format.cellPadding());
        table->widths = columnWidths(format, table->columns, available);
        table->cells.resize(table->rows);
        bool paddingTaken = false;
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
                const QTextTableCellFormat cellFormat = cell.format().toTableCellFormat();
                if (!paddingTaken && cellFormat.hasProperty(QTextFormat::TableCellLeftPadding)) {
                    table->padding =
                        QMarginsF(cellFormat.leftPadding(), cellFormat.topPadding(),
                                  cellFormat.rightPadding(), cellFormat.bottomPadding());
                    paddingTaken = true;
                }
                out.rowSpan = cell.rowSpan();
                out.columnSpan = cell.columnSpan();
                out.borders = borders(format, cellFormat);
                if (cellFormat.background().style() != Qt::NoBrush)
                    out.background = cellFormat.background().color();
                double inner = 0;
                for (int c = column; c < column + out.columnSpan && c < table->columns; ++c)
                    inner += table->widths.at(c);
                inner -= table->padding.left() + table->padding.right();
                out.blocks = cellBlocks(cell, std::max(inner, 36.0));
            }
        }
        return table;
    }

    // A cell's own borders; a cell without them has the table's.
    static std::array<Border, 4> borders(const QTextTableFormat& table,
                                         const QTextTableCellFormat& cell)
    {
        std::array<Border, 4> out;
        if (!cell.hasProperty(QTextFormat::TableCellTopBorder) &&
            !cell.hasProperty(QTextFormat::TableCellLeftBorder)) {
            if (table.border() > 0 && table.borderStyle() != QTextFrameFormat::BorderStyle_None)
                out.fill(borderOf(std::min(table.border(), 1.0), table.borderBrush(),
                                  QTextFrameFormat::BorderStyle_Solid));
            return out;
        }
        out[top] = borderOf(cell.topBorder(), cell.topBorderBrush(), cell.topBorderStyle());
        out[right] = borderOf(cell.rightBorder(), cell.rightBorderBrush(), cell.rightBorderStyle());
        out[bottom] =
            borderOf(cell.bottomBorder(), cell.bottomBorderBrush(), cell.bottomBorderStyle());
        out[left] = borderOf(cell.leftBorder(), cell.leftBorderBrush(), cell.leftBorderStyle());
        return out;
    }

    QList<Block> cellBlocks(const QTextTableCell& cell, double width)
    {
        QList<Block> result;
        for (auto it = cell.begin(); !it.atEnd(); ++it) {
            if (QTextFrame* child = it.currentFrame()) {
                if (auto* table = qobject_cast<QTextTable*>(child))
                    result.append(Block{std::nullopt, this->table(table, width)});
                else
                    result += frame(child, width);
            } else if (it.currentBlock().isValid()) {
                result.append(Block{paragraph(it.currentBlock()), nullptr});
            }
        }
        return result;
    }

    const QTextDocument& m_document;
    Links m_links;
    QSet<QString> m_anchors;
    QSet<QString> m_written; // identifiers given out
    double m_defaultSize = 12;
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

// Column widths in points, within `available`: fixed ones as they are,
// percentages of the table, the rest sharing what is left; scaled
// down together when they would be wider than the column.
QList<double> columnWidths(const QTextTableFormat& format, int columns, double available)
{
    const QTextLength width = format.width();
    double tableWidth = available;
    if (width.type() == QTextLength::FixedLength && width.rawValue() > 0)
        tableWidth = std::min(width.rawValue(), available);
    else if (width.type() == QTextLength::PercentageLength && width.rawValue() > 0)
        tableWidth = available * std::min(width.rawValue(), 100.0) / 100;
    const QList<QTextLength> constraints = format.columnWidthConstraints();
    QList<double> out(columns, 0);
    double known = 0;
    int unknown = 0;
    for (int column = 0; column < columns; ++column) {
        const QTextLength length = constraints.value(column);
        if (length.type() == QTextLength::FixedLength && length.rawValue() > 0)
            out[column] = length.rawValue();
        else if (length.type() == QTextLength::PercentageLength && length.rawValue() > 0)
            out[column] = tableWidth * length.rawValue() / 100;
        else
            ++unknown;
        known += out[column];
    }
    if (unknown > 0) {
        const double share = std::max((tableWidth - known) / unknown, tableWidth / columns / 4);
        for (double& each : out)
            if (each == 0)
                each = share;
    }
    double total = 0;
    for (const double each : std::as_const(out))
        total += each;
    if (total > available && total > 0)
        for (double& each : out)
            each *= available / total;
    return out;
}

QList<Block> blocks(const QTextDocument& document, Links links)
{
    return Walker(document, links).frame(document.rootFrame(), columnWidth);
}

QString identifier(const QString& name)
{
    bool valid = !name.isEmpty() && name.size() <= identifierLength && isNameStart(name.at(0));
    for (const QChar c : name)
        valid = valid && isNameCharacter(c);
    if (valid)
        return name;
    // Changed names carry a hash of the original, so that two names never
    // meet in one identifier.
    QString kept = QStringLiteral("_");
    for (const QChar c : name) {
        if (kept.size() >= identifierLength - 9)
            break;
        kept += isNameCharacter(c) ? c : QChar(u'_');
    }
    const QByteArray hash =
        QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1).toHex().left(8);
    return kept + u'_' + QString::fromLatin1(hash);
}

bool isExternal(const QString& href)
{
    const QString scheme = QUrl(href).scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("mailto");
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
