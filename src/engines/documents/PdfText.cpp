#include "engines/documents/PdfText.h"

#include "base/Errors.h"
#include "base/Translate.h"
#include "engines/documents/PageLayout.h"
#include "engines/documents/RichDocument.h"
#include "engines/documents/TextBuilder.h"

#include <QFile>
#include <QFileInfo>
#include <QTextDocument>
#include <optional>
#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-global.h>
#include <poppler/cpp/poppler-page.h>

namespace PdfText {

FLINGDIAL_TR_CONTEXT(PdfText)

namespace {

QString text(const poppler::ustring& value)
{
    const poppler::byte_array bytes = value.to_utf8();
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

QTextCharFormat formatOf(const poppler::text_box& box)
{
    QTextCharFormat format;
    if (!box.has_font_info())
        return format;
    const double size = box.get_font_size();
    if (size > 1 && size < 500)
        format.setFontPointSize(std::round(size * 2) / 2);
    const QString font = QString::fromStdString(box.get_font_name());
    for (const char* heavy : {"Bold", "Black", "Heavy", "Semibold", "Demi"})
        if (font.contains(QLatin1String(heavy), Qt::CaseInsensitive))
            format.setFontWeight(QFont::Bold);
    if (font.contains(QLatin1String("Italic"), Qt::CaseInsensitive) ||
        font.contains(QLatin1String("Oblique"), Qt::CaseInsensitive))
        format.setFontItalic(true);
    return format;
}

// The page's words with their font formats, in poppler's reading order.
struct PageWords
{
    QList<PageLayout::Word> words;
    QList<QTextCharFormat> formats;
};

PageWords wordsOf(const poppler::page& page)
{
    PageWords out;
    for (const poppler::text_box& box : page.text_list(poppler::page::text_list_include_font)) {
        const poppler::rectf r = box.bbox();
        out.words.append(PageLayout::Word{text(box.text()),
                                          QRectF(r.left(), r.top(), r.width(), r.height()),
                                          box.has_space_after()});
        out.formats.append(formatOf(box));
    }
    return out;
}

class PageWriter
{
public:
    PageWriter(TextBuilder& builder, const PageWords& page) : m_builder(builder), m_page(page) {}

    void write()
    {
        const QList<PageLayout::Block> blocks = PageLayout::blocks(m_page.words);
        // The outermost list items of the page are the first level.
        double leftmost = 1e9;
        for (const PageLayout::Block& block : blocks)
            if (block.line && !block.line->bullet.isEmpty())
                leftmost = std::min(leftmost, left(*block.line));
        for (const PageLayout::Block& block : blocks) {
            if (block.table)
                table(*block.table);
            else if (block.line)
                line(*block.line, leftmost);
        }
    }

private:
    double left(const PageLayout::Line& line) const
    {
        return m_page.words.at(line.words.first()).box.left();
    }

    // Words with the space between them that the page shows: a tab where
    // the gap is wide, so that columns never run together ("Beta7").
    void words(const QList<int>& indexes, bool dropGlyph = false)
    {
        for (qsizetype i = 0; i < indexes.size(); ++i) {
            const PageLayout::Word& word = m_page.words.at(indexes.at(i));
            const QTextCharFormat& format = m_page.formats.at(indexes.at(i));
            if (i > 0) {
                const PageLayout::Word& previous = m_page.words.at(indexes.at(i - 1));
                const double gap = word.box.left() - previous.box.right();
                const double size = std::max(1.0, word.box.height());
                if (gap > 1.1 * size)
                    m_builder.text(QStringLiteral("\t"), format);
                else if (previous.spaceAfter || gap > 0.2 * size)
                    m_builder.text(QStringLiteral(" "), format);
            }
            QString text = word.text;
            if (i == 0 && dropGlyph)
                text = text.mid(text.at(0).isHighSurrogate() ? 2 : 1).trimmed();
            m_builder.text(text, format);
        }
    }

    void line(const PageLayout::Line& line, double leftmost)
    {
        if (line.continuation) {
            m_builder.text(QStringLiteral(" "), m_page.formats.at(line.words.first()));
            words(line.words);
            return;
        }
        m_builder.paragraph(QTextBlockFormat());
        if (!line.bullet.isEmpty()) {
            const int level = std::clamp(int(std::lround((left(line) - leftmost) / 18)), 0, 8);
            m_builder.listItem(QStringLiteral("pdf"), level, TextBuilder::bulletStyle(line.bullet));
        }
        words(line.words, line.bulletGlued);
    }

    void table(const PageLayout::Table& table)
    {
        TextBuilder::TableLook look;
        for (const double width : table.columns)
            look.columns.append(QTextLength(QTextLength::FixedLength, width));
        look.width = QTextLength(QTextLength::VariableLength, 0);
        look.padding = QMarginsF(3, 1, 3, 1);
        TextBuilder::CellLook cell;
        cell.borders.fill(TextBuilder::Border{0.5, QColor(0x99, 0x99, 0x99)});
        m_builder.beginTable(look);
        for (const QList<QList<int>>& row : table.rows) {
            m_builder.beginRow();
            for (int column = 0; column < int(row.size()); ++column) {
                m_builder.beginCell(column, 1, false, cell);
                m_builder.paragraph(QTextBlockFormat());
                words(row.at(column));
            }
        }
        m_builder.endTable();
    }

    TextBuilder& m_builder;
    const PageWords& m_page;
};

} // namespace

std::unique_ptr<QTextDocument> read(const QString& path)
{
    // Damaged files make poppler talk on standard error; our own message says enough.
    poppler::set_debug_error_function([](const std::string&, void*) {}, nullptr);
    const QByteArray name = QFile::encodeName(path);
    std::unique_ptr<poppler::document> pdf(poppler::document::load_from_file(name.toStdString()));
    if (!pdf || pdf->is_locked())
        throw Fail(tr("Can’t open %1.").arg(QFileInfo(path).fileName()));
    auto document = RichDocument::create();
    {
        TextBuilder builder(*document);
        for (int index = 0; index < pdf->pages(); ++index) {
            std::unique_ptr<poppler::page> page(pdf->create_page(index));
            if (!page)
                continue;
            const PageWords words = wordsOf(*page);
            if (words.words.isEmpty())
                continue;
            PageWriter(builder, words).write();
            builder.paragraph(QTextBlockFormat());
        }
    }
    return document;
}

} // namespace PdfText
