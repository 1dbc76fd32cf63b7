#include "converters/ocr/Hocr.h"

#include "base/Errors.h"
#include "base/Translate.h"

#include <QSet>
#include <QXmlStreamReader>
#include <cmath>

namespace Hocr {
FLINGDIAL_TR_CONTEXT(Hocr)

namespace {

using Line = TextLayerEngine::Line;

// The properties in a title: "bbox 1 2 3 4; baseline 0.01 -5; x_size 30".
QHash<QString, QList<double>> properties(const QString& title)
{
    QHash<QString, QList<double>> found;
    for (const QString& part : title.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList words = part.simplified().split(QLatin1Char(' '));
        QList<double> numbers;
        for (qsizetype i = 1; i < words.size(); ++i) {
            bool ok = false;
            const double value = words.at(i).toDouble(&ok);
            if (ok && std::isfinite(value))
                numbers.append(value);
        }
        found.insert(words.first(), numbers);
    }
    return found;
}

std::optional<QRectF> box(const QHash<QString, QList<double>>& found)
{
    const QList<double> b = found.value(QStringLiteral("bbox"));
    if (b.size() != 4 || b[2] < b[0] || b[3] < b[1])
        return std::nullopt;
    return QRectF(QPointF(b[0], b[1]), QPointF(b[2], b[3]));
}

bool isLine(const QString& kind)
{
    static const QSet<QString> kinds = {QStringLiteral("ocr_line"), QStringLiteral("ocr_header"),
                                        QStringLiteral("ocr_caption"),
                                        QStringLiteral("ocr_textfloat")};
    return kinds.contains(kind);
}

QRectF extent(const QList<Line>& lines)
{
    QRectF all;
    for (const Line& line : lines)
        all |= line.box;
    return all;
}

// Tesseract starts paragraphs, and blocks, at lines that only look like a
// start. A paragraph goes on in the next one below it in the same column
// where the lines keep their spacing and the line before runs to the
// right edge, as lines do in the middle of a paragraph.
bool continues(const QList<Line>& before, const QList<Line>& after)
{
    const Line& last = before.last();
    const Line& next = after.first();
    const QRectF above = extent(before);
    const QRectF below = extent(after);
    const QRectF both = above | below;
    const double height = std::max(last.box.height(), next.box.height());
    const double gap = next.box.top() - last.box.bottom();
    const double overlap =
        std::min(above.right(), below.right()) - std::max(above.left(), below.left());
    const bool full = last.box.right() >= both.right() - 0.1 * both.width();
    return full && gap > -0.5 * height && gap < 0.6 * height &&
           overlap > 0.5 * std::min(above.width(), below.width());
}

} // namespace

QList<Line> Page::lines() const
{
    QList<Line> all;
    for (const auto& paragraph : paragraphs)
        all += paragraph;
    return all;
}

QString Page::text() const
{
    QStringList out;
    for (const auto& paragraph : paragraphs) {
        QString joined;
        for (const Line& line : paragraph) {
            QStringList words;
            for (const auto& word : line.words)
                words.append(word.text);
            const QString text = words.join(QLatin1Char(' '));
            if (!joined.isEmpty() && !joined.endsWith(QLatin1Char('-')))
                joined += QLatin1Char(' ');
            joined += text;
        }
        if (!joined.isEmpty())
            out.append(joined);
    }
    return out.isEmpty() ? QString() : out.join(QStringLiteral("\n\n")) + QLatin1Char('\n');
}

Page parse(const QByteArray& hocr)
{
    Page page;
    QXmlStreamReader reader(hocr);
    bool inPage = false;
    bool newParagraph = true;
    std::optional<Line> line;
    // A paragraph of its own while it may still go on from the one before.
    QList<Line> paragraph;
    const auto endParagraph = [&] {
        if (paragraph.isEmpty())
            return;
        if (!page.paragraphs.isEmpty() && continues(page.paragraphs.last(), paragraph))
            page.paragraphs.last() += paragraph;
        else
            page.paragraphs.append(paragraph);
        paragraph.clear();
    };
    const auto endLine = [&] {
        if (line && !line->words.isEmpty()) {
            if (newParagraph) {
                endParagraph();
                newParagraph = false;
            }
            paragraph.append(*line);
        }
        line.reset();
    };
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QString kind = reader.attributes().value(QLatin1String("class")).toString();
        const auto found = properties(reader.attributes().value(QLatin1String("title")).toString());
        if (kind == QLatin1String("ocr_page")) {
            // One picture, one page: a second one is not ours.
            if (inPage)
                break;
            inPage = true;
            if (const auto size = box(found))
                page.size = size->size();
        } else if (kind == QLatin1String("ocr_par") || kind == QLatin1String("ocr_carea")) {
            endLine();
            newParagraph = true;
        } else if (isLine(kind)) {
            endLine();
            const auto lineBox = box(found);
            if (!lineBox)
                continue;
            line = Line{*lineBox, 0, 0, {}};
            const QList<double> baseline = found.value(QStringLiteral("baseline"));
            if (baseline.size() == 2) {
                line->slope = std::clamp(baseline[0], -1.0, 1.0);
                line->offset = std::clamp(baseline[1], -lineBox->height(), 0.0);
            }
            // Quarter turns only: tesseract turns whole pages.
            const QList<double> angle = found.value(QStringLiteral("textangle"));
            if (angle.size() == 1 && std::isfinite(angle[0]))
                line->turn = ((qRound(std::fmod(angle[0], 360.0) / 90) % 4 + 4) % 4) * 90;
        } else if (kind == QLatin1String("ocrx_word") && line) {
            const auto wordBox = box(found);
            const QString text =
                reader.readElementText(QXmlStreamReader::IncludeChildElements).simplified();
            if (wordBox && !text.isEmpty())
                line->words.append({text, *wordBox});
        }
    }
    endLine();
    endParagraph();
    if (reader.hasError() && reader.error() != QXmlStreamReader::PrematureEndOfDocumentError)
        throw Fail(tr("The text recogniser’s answer can’t be read."));
    if (!inPage || page.size.isEmpty())
        throw Fail(tr("The text recogniser’s answer can’t be read."));
    return page;
}

} // namespace Hocr
