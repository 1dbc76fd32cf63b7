#include "engines/documents/PdfRenderer.h"

#include "base/Errors.h"
#include "engines/documents/PageTextFilter.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

namespace PdfRenderer {

namespace {

// What would be clipped at the right edge wraps instead: long words break
// anywhere, preformatted lines may break, tables stay within the column.
void fitToColumn(QTextDocument& document)
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
    QList<QTextFrame*> frames = {document.rootFrame()};
    while (!frames.isEmpty()) {
        QTextFrame* frame = frames.takeLast();
        frames += frame->childFrames();
        auto* table = qobject_cast<QTextTable*>(frame);
        if (!table)
            continue;
        QTextTableFormat format = table->format();
        const QTextLength width = format.width();
        if (width.type() != QTextLength::PercentageLength || width.rawValue() > 100) {
            format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
            // Fixed column widths would force the old width back.
            format.clearColumnWidthConstraints();
            table->setFormat(format);
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

void write(QTextDocument& target, const QString& path)
{
    QTextDocument* const document = &target;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw SystemError(QStringLiteral("“%1” couldn’t be written: %2.")
                              .arg(QFileInfo(path).fileName(), file.errorString()));
    QPdfWriter writer(&file);
    writer.setResolution(72); // one device unit is one point
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setCreator(QStringLiteral("Flingdial"));

    document->setUseDesignMetrics(true);
    document->documentLayout()->setPaintDevice(&writer);
    document->setDocumentMargin(0);
    fitToColumn(*document);
    document->setPageSize(QSizeF(columnWidth, textHeight));

    QPainter pdf;
    if (!pdf.begin(&writer))
        throw Fail(QStringLiteral("The PDF couldn’t be created."));
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = printPalette();
    // Only text inside the page's text area reaches the PDF's text layer.
    PageTextFilter filter(writer, pdf, QRectF(0, margin - 0.5, pageWidth, textHeight + 1));
    const int pages = std::max(1, document->pageCount());
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !writer.newPage())
            throw Fail(QStringLiteral("The PDF couldn’t be created."));
        const double top = page * textHeight;
        QPainter painter(&filter);
        painter.translate(margin, margin - top);
        context.clip = QRectF(0, top, columnWidth, textHeight);
        painter.setClipRect(QRectF(-margin, top, pageWidth, textHeight));
        document->documentLayout()->draw(&painter, context);
    }
    if (!pdf.end())
        throw Fail(QStringLiteral("The PDF couldn’t be created."));
    // Every byte reached the disk, or the result is not one.
    if (file.error() != QFileDevice::NoError || !file.flush())
        throw SystemError(QStringLiteral("“%1” couldn’t be written: %2.")
                              .arg(QFileInfo(path).fileName(), file.errorString()));
    file.close();
    if (file.error() != QFileDevice::NoError)
        throw SystemError(QStringLiteral("“%1” couldn’t be written: %2.")
                              .arg(QFileInfo(path).fileName(), file.errorString()));
}

} // namespace PdfRenderer
