#include "engines/documents/PdfRenderer.h"

#include "base/Errors.h"
#include "base/Translate.h"
#include "engines/documents/DocumentModel.h"
#include "engines/documents/NewFile.h"
#include "engines/documents/PageTextFilter.h"
#include "engines/documents/PdfPictures.h"
#include "engines/documents/PdfTableBorders.h"
#include "engines/qpdf/QpdfFiles.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QScreen>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <QUrl>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

namespace PdfRenderer {

FLINGDIAL_TR_CONTEXT(PdfRenderer)

namespace {

// Where an anchor lands: a page and the height on it, in the page's
// coordinates (from the bottom).
struct Place
{
    int page = 0;
    double top = 0;
};

// What would be clipped at the right edge wraps instead: long words break
// anywhere, preformatted lines may break.
void wrapEverything(QTextDocument& document)
{
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(option);
    QTextCursor cursor(&document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (!block.blockFormat().nonBreakableLines())
            continue;
        QTextBlockFormat format = block.blockFormat();
        format.setNonBreakableLines(false);
        cursor.setPosition(block.position());
        cursor.setBlockFormat(format);
    }
}

// How many of the layout's units Qt takes a document's length to be: it
// reads margins, indents, table widths, padding and borders as pixels of
// the screen (96 to the inch, usually) and scales them to the paint
// device; the document's lengths are points.
double unitsPerPoint()
{
    double dpi = 100;
    if (QCoreApplication::testAttribute(Qt::AA_Use96Dpi))
        dpi = 96;
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        dpi = qRound(screen->logicalDotsPerInchY());
    return dpi / 72.0;
}

void scaleProperties(QTextFormat& format, std::initializer_list<int> properties, double scale)
{
    for (const int property : properties)
        if (format.hasProperty(property))
            format.setProperty(property, format.doubleProperty(property) * scale);
}

// The document's lengths in the units Qt's layout takes them in.
void scaleLengths(QTextDocument& document, double scale)
{
    document.setIndentWidth(36 * scale);
    QTextCursor cursor(&document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        if (format.leftMargin() == 0 && format.rightMargin() == 0 && format.topMargin() == 0 &&
            format.bottomMargin() == 0 && format.textIndent() == 0)
            continue;
        scaleProperties(format,
                        {QTextFormat::BlockLeftMargin, QTextFormat::BlockRightMargin,
                         QTextFormat::BlockTopMargin, QTextFormat::BlockBottomMargin,
                         QTextFormat::TextIndent},
                        scale);
        cursor.setPosition(block.position());
        cursor.setBlockFormat(format);
    }
}

void scaleCell(QTextTableCell& cell, double scale)
{
    QTextCharFormat format = cell.format();
    scaleProperties(format,
                    {QTextFormat::TableCellLeftPadding, QTextFormat::TableCellRightPadding,
                     QTextFormat::TableCellTopPadding, QTextFormat::TableCellBottomPadding,
                     QTextFormat::TableCellTopBorder, QTextFormat::TableCellBottomBorder,
                     QTextFormat::TableCellLeftBorder, QTextFormat::TableCellRightBorder},
                    scale);
    cell.setFormat(format);
}

void fitFrame(QTextFrame* frame, double available, PdfPictures& pictures, double scale);

// The width inside a cell, for what it holds.
double innerWidth(const QTextTable& table, const QTextTableCell& cell, const QList<double>& widths)
{
    const QTextTableCellFormat format = cell.format().toTableCellFormat();
    const double padding = format.hasProperty(QTextFormat::TableCellLeftPadding)
                               ? format.leftPadding() + format.rightPadding()
                               : 2 * table.format().cellPadding();
    double inner = -padding;
    for (int c = cell.column(); c < cell.column() + cell.columnSpan() && c < widths.size(); ++c)
        inner += widths.at(c);
    return std::max(inner, 12.0);
}

// A table laid out at widths that fit the column it is in: its own
// widths where those fit, scaled down where not; a picture in a cell gets
// at most the cell's width, a table in a cell the cell's.
void fitTable(QTextTable* table, double available, PdfPictures& pictures, double scale)
{
    QTextTableFormat format = table->format();
    const QList<double> widths = DocumentModel::columnWidths(format, table->columns(), available);
    QList<QTextLength> lengths;
    for (const double width : widths)
        lengths.append(QTextLength(QTextLength::FixedLength, width * scale));
    format.setColumnWidthConstraints(lengths);
    format.setWidth(QTextLength(QTextLength::VariableLength, 0));
    scaleProperties(format,
                    {QTextFormat::FrameBorder, QTextFormat::TableCellPadding,
                     QTextFormat::TableCellSpacing, QTextFormat::FrameMargin,
                     QTextFormat::FramePadding},
                    scale);
    // Tables in cells get the cell's width, in points, before the cells are scaled.
    QList<std::pair<QTextFrame*, double>> inner;
    for (QTextFrame* child : table->childFrames())
        inner.append({child, innerWidth(*table, table->cellAt(child->firstPosition()), widths)});
    table->setFormat(format);
    for (int row = 0; row < table->rows(); ++row) {
        for (int column = 0; column < table->columns(); ++column) {
            QTextTableCell cell = table->cellAt(row, column);
            if (cell.row() != row || cell.column() != column)
                continue;
            const double inner = innerWidth(*table, cell, widths);
            scaleCell(cell, scale);
            for (auto it = cell.begin(); !it.atEnd(); ++it) {
                const QTextBlock block = it.currentBlock();
                if (it.currentFrame() || !block.isValid())
                    continue;
                const double room =
                    inner - block.blockFormat().leftMargin() - block.blockFormat().rightMargin();
                for (auto part = block.begin(); !part.atEnd(); ++part)
                    if (part.fragment().charFormat().isImageFormat())
                        for (int i = 0; i < part.fragment().length(); ++i)
                            pictures.setWidthAt(part.fragment().position() + i, room);
            }
        }
    }
    for (const auto& [child, width] : std::as_const(inner))
        fitFrame(child, width, pictures, scale);
}

void fitFrame(QTextFrame* frame, double available, PdfPictures& pictures, double scale)
{
    if (auto* table = qobject_cast<QTextTable*>(frame)) {
        fitTable(table, available, pictures, scale);
        return;
    }
    for (QTextFrame* child : frame->childFrames())
        fitFrame(child, available, pictures, scale);
}

// Tables still wider than the column once laid out (their cells' words
// or the tables in them need more than their share) are narrowed until
// they fit: the layout breaks their words anywhere where it must.
void narrowWideTables(QTextDocument& document)
{
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    for (int round = 0; round < 4; ++round) {
        bool narrowed = false;
        for (QTextFrame* frame : document.rootFrame()->childFrames()) {
            auto* table = qobject_cast<QTextTable*>(frame);
            if (!table)
                continue;
            const QRectF box = layout->frameBoundingRect(table);
            if (box.right() <= columnWidth + 0.5 || box.width() <= 0)
                continue;
            const double factor =
                std::clamp((columnWidth - std::max(0.0, box.left())) / box.width(), 0.5, 1.0) *
                0.98;
            QTextTableFormat format = table->format();
            QList<QTextLength> lengths = format.columnWidthConstraints();
            for (QTextLength& length : lengths)
                length = QTextLength(QTextLength::FixedLength, length.rawValue() * factor);
            format.setColumnWidthConstraints(lengths);
            table->setFormat(format);
            narrowed = true;
        }
        if (!narrowed)
            return;
    }
}

// A link as the PDF holds it: an address in ASCII, whose parentheses and
// backslashes Qt would write into the file unescaped; "#name" for an
// anchor of the document, or nothing when the anchor isn't there.
QString pdfLink(const QString& href, const QSet<QString>& anchors)
{
    const QString target = href.trimmed();
    if (target.startsWith(u'#')) {
        const QString name = QUrl::fromPercentEncoding(target.mid(1).toUtf8());
        if (anchors.contains(name))
            return u'#' + DocumentModel::identifier(name);
        if (anchors.contains(target.mid(1)))
            return u'#' + DocumentModel::identifier(target.mid(1));
        return {};
    }
    if (target.startsWith(QLatin1String("javascript:"), Qt::CaseInsensitive))
        return {};
    QString encoded = QString::fromLatin1(QUrl(target).toEncoded());
    encoded.replace(u'(', QStringLiteral("%28"));
    encoded.replace(u')', QStringLiteral("%29"));
    encoded.replace(u'\\', QStringLiteral("%5C"));
    return encoded;
}

// Links in the PDF's words; pictures that can't be drawn as their alt text.
// Returns whether any link goes to a place in the document.
bool prepareText(QTextDocument& document, PdfPictures& pictures)
{
    QSet<QString> anchors;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (const QString& name : block.charFormat().anchorNames())
            anchors.insert(name);
        for (auto it = block.begin(); !it.atEnd(); ++it)
            for (const QString& name : it.fragment().charFormat().anchorNames())
                anchors.insert(name);
    }
    struct Change
    {
        int position;
        int length;
        QTextCharFormat format;
        std::optional<QString> text; // replaces the range
    };
    QList<Change> changes;
    bool internal = false;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat() && !pictures.canDraw(&document, format.toImageFormat())) {
                QTextCharFormat text = format;
                for (const int property :
                     {int(QTextFormat::ObjectType), int(QTextFormat::ImageName),
                      int(QTextFormat::ImageWidth), int(QTextFormat::ImageHeight),
                      Pictures::altProperty})
                    text.clearProperty(property);
                const QString alt = format.stringProperty(Pictures::altProperty);
                changes.append(Change{fragment.position(), fragment.length(), text,
                                      alt.repeated(fragment.length())});
                continue;
            }
            if (!format.isAnchor() || format.anchorHref().isEmpty())
                continue;
            const QString link = pdfLink(format.anchorHref(), anchors);
            internal = internal || link.startsWith(u'#');
            if (link == format.anchorHref())
                continue;
            format.setAnchorHref(link);
            if (link.isEmpty())
                format.setAnchor(false);
            changes.append(Change{fragment.position(), fragment.length(), format, std::nullopt});
        }
    }
    QTextCursor cursor(&document);
    // From the end, so that positions still hold.
    for (auto change = changes.crbegin(); change != changes.crend(); ++change) {
        cursor.setPosition(change->position);
        cursor.setPosition(change->position + change->length, QTextCursor::KeepAnchor);
        if (change->text)
            cursor.insertText(*change->text, change->format);
        else
            cursor.setCharFormat(change->format);
    }
    return internal;
}

// Where each anchor landed, by its identifier.
QHash<QString, Place> places(QTextDocument& document)
{
    QHash<QString, Place> found;
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    const auto place = [&](const QStringList& names, const QTextBlock& block, int position) {
        if (names.isEmpty())
            return;
        double y = layout->blockBoundingRect(block).top();
        if (const QTextLayout* lines = block.layout()) {
            const QTextLine line = lines->lineForTextPosition(position - block.position());
            if (line.isValid())
                y += line.y();
        }
        const int page = std::max(0, int(y / textHeight));
        const Place at{page, pageHeight - margin - (y - page * textHeight)};
        for (const QString& name : names)
            found.insert(DocumentModel::identifier(name), at);
    };
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        place(block.charFormat().anchorNames(), block, block.position());
        for (auto it = block.begin(); !it.atEnd(); ++it)
            place(it.fragment().charFormat().anchorNames(), block, it.fragment().position());
    }
    return found;
}

// Links to places in the document go to their page, at the anchor's height.
void linkPlaces(QPDF& pdf, const QHash<QString, Place>& anchors)
{
    std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
    for (QPDFPageObjectHelper& page : pages) {
        QPDFObjectHandle annotations = page.getObjectHandle().getKey("/Annots");
        if (!annotations.isArray())
            continue;
        for (QPDFObjectHandle annotation : annotations.aitems()) {
            QPDFObjectHandle action = annotation.getKey("/A");
            if (!action.isDictionary() || !action.getKey("/URI").isString())
                continue;
            const QString uri = QString::fromStdString(action.getKey("/URI").getUTF8Value());
            if (!uri.startsWith(u'#'))
                continue;
            const auto found = anchors.constFind(uri.mid(1));
            annotation.removeKey("/A");
            if (found == anchors.constEnd() || found->page >= int(pages.size()))
                continue;
            QPDFObjectHandle destination = QPDFObjectHandle::newArray();
            destination.appendItem(pages[size_t(found->page)].getObjectHandle());
            destination.appendItem(QPDFObjectHandle::newName("/XYZ"));
            destination.appendItem(QPDFObjectHandle::newInteger(int(margin)));
            destination.appendItem(QPDFObjectHandle::newInteger(int(std::ceil(found->top))));
            destination.appendItem(QPDFObjectHandle::newNull());
            annotation.replaceKey("/Dest", destination);
        }
    }
}

QPalette printPalette()
{
    QPalette palette;
    for (const auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        palette.setColor(role, Qt::black);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::Link, QColor(0x05, 0x63, 0xc1));
    return palette;
}

} // namespace

void write(QTextDocument& document, const QString& path)
{
    PdfPictures pictures(QSizeF(columnWidth, textHeight));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(72); // one device unit is one point
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setCreator(QStringLiteral("Flingdial"));

    // Every change to a document that has a layout lays it out again:
    // the document is made ready first, and laid out once, for the PDF's
    // device, when it gets its page size (without one it has no layout).
    document.setPageSize(QSizeF());
    document.setUseDesignMetrics(true);
    document.setDocumentMargin(0);
    wrapEverything(document);
    const bool internalLinks = prepareText(document, pictures);
    PdfTableBorders borders;
    borders.take(document);
    const double scale = unitsPerPoint();
    scaleLengths(document, scale);
    fitFrame(document.rootFrame(), columnWidth, pictures, scale);
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    layout->registerHandler(QTextFormat::ImageObject, &pictures);
    layout->setPaintDevice(&writer);
    document.setPageSize(QSizeF(columnWidth, textHeight));
    narrowWideTables(document);
    borders.measure(document, scale);

    QPainter pdf;
    if (!pdf.begin(&writer))
        throw Fail(tr("The PDF couldn’t be created."));
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = printPalette();
    // Only text inside the page's text area reaches the PDF's text layer.
    PageTextFilter filter(writer, pdf, QRectF(0, margin - 0.5, pageWidth, textHeight + 1));
    const int pages = std::max(1, document.pageCount());
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !writer.newPage())
            throw Fail(tr("The PDF couldn’t be created."));
        const double top = page * textHeight;
        QPainter painter(&filter);
        painter.translate(margin, margin - top);
        context.clip = QRectF(0, top, columnWidth, textHeight);
        painter.setClipRect(QRectF(-margin, top, pageWidth, textHeight));
        layout->draw(&painter, context);
        borders.draw(painter, context.clip);
    }
    if (!pdf.end())
        throw Fail(tr("The PDF couldn’t be created."));
    buffer.close();

    if (!pictures.hasStandIns() && !internalLinks) {
        NewFile::write(path, bytes);
        return;
    }
    // Pictures keep their own bytes and links find their places: qpdf
    // opens what Qt wrote and writes it again with those.
    QPDF finished;
    finished.setSuppressWarnings(true);
    try {
        finished.processMemoryFile("document.pdf", bytes.constData(), size_t(bytes.size()));
        pictures.finish(finished);
        if (internalLinks)
            linkPlaces(finished, places(document));
    } catch (const std::exception&) {
        throw Fail(tr("The PDF couldn’t be created."));
    }
    QpdfFiles::save(finished, path, [](QPDFWriter& out) {
        out.setStreamDataMode(qpdf_s_preserve);
        out.setObjectStreamMode(qpdf_o_generate);
    });
}

} // namespace PdfRenderer
