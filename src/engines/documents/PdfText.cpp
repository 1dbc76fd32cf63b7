#include "engines/documents/PdfText.h"

#include "base/Errors.h"
#include "base/Translate.h"
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

// Whether a word starts a new line: it sits lower, or back at the left.
bool startsLine(const poppler::rectf& previous, const poppler::rectf& box)
{
    const double height = std::max(1.0, std::min(previous.height(), box.height()));
    return std::abs(box.top() - previous.top()) > height / 2 || box.left() < previous.left() - 1;
}

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
    TextBuilder builder(*document);
    for (int index = 0; index < pdf->pages(); ++index) {
        std::unique_ptr<poppler::page> page(pdf->create_page(index));
        if (!page)
            continue;
        const std::vector<poppler::text_box> boxes =
            page->text_list(poppler::page::text_list_include_font);
        if (boxes.empty())
            continue;
        std::optional<poppler::rectf> previous;
        bool spaceAfter = false;
        for (const poppler::text_box& box : boxes) {
            const poppler::rectf bounds = box.bbox();
            if (!previous || startsLine(*previous, bounds)) {
                builder.paragraph(QTextBlockFormat());
            } else if (spaceAfter) {
                builder.text(QStringLiteral(" "), formatOf(box));
            }
            builder.text(text(box.text()), formatOf(box));
            spaceAfter = box.has_space_after();
            previous = bounds;
        }
        builder.paragraph(QTextBlockFormat());
    }
    return document;
}

} // namespace PdfText
