#include "helpers/pdfpages/PageText.h"

#include "helpers/pdfpages/PageLayout.h"
#include "helpers/pdfpages/PagesFailure.h"
#include "helpers/pdfpages/SourceDocument.h"

#include <QFile>
#include <QHash>
#include <QRectF>
#include <algorithm>
#include <cmath>
#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-page.h>

namespace PageText {

namespace {

using PdfPagesProtocol::Failure;

// How far ahead a line's words are looked for when poppler's word list
// holds words its text leaves out (outside the crop box).
constexpr qsizetype searchAhead = 64;

QString fromPoppler(const poppler::ustring& value)
{
    const poppler::byte_array bytes = value.to_utf8();
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

bool isDirectionMark(QChar c)
{
    const char16_t u = c.unicode();
    return u == 0x200e || u == 0x200f || (u >= 0x202a && u <= 0x202e) ||
           (u >= 0x2066 && u <= 0x2069);
}

bool isLetter(QChar c)
{
    return !c.isSpace() && !isDirectionMark(c);
}

// What the word list holds of a text: no spaces, no direction marks.
QString lettersOf(const QString& text)
{
    QString letters;
    letters.reserve(text.size());
    for (const QChar c : text)
        if (isLetter(c))
            letters.append(c);
    return letters;
}

bool startsRightToLeft(const QString& text)
{
    for (const QChar c : text) {
        const QChar::Direction direction = c.direction();
        if (direction == QChar::DirL)
            return false;
        if (direction == QChar::DirR || direction == QChar::DirAL)
            return true;
    }
    return false;
}

Style styleOf(const poppler::text_box& box)
{
    Style style;
    if (!box.has_font_info())
        return style;
    const double size = box.get_font_size();
    if (size > 1 && size < 500)
        style.size = std::round(size * 2) / 2;
    const QString font = QString::fromStdString(box.get_font_name());
    for (const char* heavy : {"Bold", "Black", "Heavy", "Semibold", "Demi"})
        if (font.contains(QLatin1String(heavy), Qt::CaseInsensitive))
            style.bold = true;
    style.italic = font.contains(QLatin1String("Italic"), Qt::CaseInsensitive) ||
                   font.contains(QLatin1String("Oblique"), Qt::CaseInsensitive);
    return style;
}

// A word of poppler's word list: its letters and their style.
struct Word
{
    QString letters;
    Style style;
};

void append(Line& line, QChar c, const Style& style)
{
    if (line.runs.isEmpty() || !(line.runs.last().style == style))
        line.runs.append(Run{QString(), style});
    line.runs.last().text.append(c);
}

// Where the words from `start` on spell out `letters`: the index after the
// last of them, and whether they do so in order (left-to-right text) or
// only as a whole (right-to-left text, which the word list holds as drawn).
struct Match
{
    qsizetype end = -1;
    bool inOrder = false;
};

Match match(const QList<Word>& words, qsizetype start, const QString& letters)
{
    QString taken;
    qsizetype end = start;
    while (taken.size() < letters.size() && end < words.size())
        taken += words.at(end++).letters;
    if (taken == letters)
        return {end, true};
    QString sortedTaken = taken;
    QString sortedLetters = letters;
    std::sort(sortedTaken.begin(), sortedTaken.end());
    std::sort(sortedLetters.begin(), sortedLetters.end());
    return {sortedTaken == sortedLetters ? end : -1, false};
}

// The style most of the letters of words[start, end) have.
Style commonStyle(const QList<Word>& words, qsizetype start, qsizetype end)
{
    QList<std::pair<Style, qsizetype>> counts;
    for (qsizetype i = start; i < end; ++i) {
        auto it = std::find_if(counts.begin(), counts.end(),
                               [&](const auto& count) { return count.first == words.at(i).style; });
        if (it == counts.end())
            counts.append({words.at(i).style, words.at(i).letters.size()});
        else
            it->second += words.at(i).letters.size();
    }
    const auto most =
        std::max_element(counts.cbegin(), counts.cend(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    return most == counts.cend() ? Style() : most->first;
}

// The line's text with the styles of the words it was made of, which are
// the next ones in the word list (both come from the same reading of the
// page, in the same order).
Line withStyles(const QString& text, const QList<Word>& words, qsizetype& next)
{
    Line line;
    line.rightToLeft = startsRightToLeft(text);
    const QString letters = lettersOf(text);
    for (qsizetype start = next; start < std::min(next + searchAhead, words.size()); ++start) {
        const Match found = match(words, start, letters);
        if (found.end < 0)
            continue;
        if (found.inOrder) {
            QList<Style> styles;
            for (qsizetype i = start; i < found.end; ++i)
                styles.append(QList<Style>(words.at(i).letters.size(), words.at(i).style));
            qsizetype letter = 0;
            Style current = styles.value(0);
            for (const QChar c : text) {
                if (isLetter(c))
                    current = styles.at(letter++);
                append(line, c, current);
            }
        } else {
            line.runs.append(Run{text, commonStyle(words, start, found.end)});
        }
        next = found.end;
        return line;
    }
    // A hyphen poppler dropped, a word split otherwise: the words that
    // hold as many letters carry the style.
    qsizetype end = next;
    for (qsizetype count = 0; count < letters.size() && end < words.size(); ++end)
        count += words.at(end).letters.size();
    line.runs.append(Run{text, commonStyle(words, next, end)});
    next = end;
    return line;
}

// The lines of a page's text, each with the styles of the words (from
// poppler's word list, in the same order) that make it up.
QList<Line> linesOf(const QString& pageText, const QList<Word>& words)
{
    QList<Line> result;
    qsizetype next = 0;
    for (const QString& row : pageText.split(QLatin1Char('\n'))) {
        QString text = row;
        text.remove(QLatin1Char('\f'));
        text = text.trimmed();
        if (text.isEmpty()) {
            if (!result.isEmpty() && !result.last().runs.isEmpty())
                result.append(Line());
            continue;
        }
        result.append(withStyles(text, words, next));
    }
    if (!result.isEmpty() && result.last().runs.isEmpty())
        result.removeLast();
    return result;
}

// What the page's words and their places tell: its tables and list items,
// which the line by line reading runs together ("Beta7") or shows as
// boxes (a symbol font's bullet).
struct PlacedWords
{
    QList<PageLayout::Word> words;
    QList<Style> styles;
};

PlacedWords placedWords(const std::vector<poppler::text_box>& boxes)
{
    PlacedWords placed;
    for (const poppler::text_box& box : boxes) {
        const poppler::rectf r = box.bbox();
        placed.words.append(PageLayout::Word{fromPoppler(box.text()),
                                             QRectF(r.left(), r.top(), r.width(), r.height()),
                                             box.has_space_after()});
        placed.styles.append(styleOf(box));
    }
    return placed;
}

QString htmlStyle(const Style& style)
{
    QString css;
    if (style.size > 0)
        css += QStringLiteral("font-size:%1pt;").arg(style.size);
    if (style.bold)
        css += QStringLiteral("font-weight:bold;");
    if (style.italic)
        css += QStringLiteral("font-style:italic;");
    return css;
}

QString styledHtml(const QString& text, const Style& style)
{
    const QString css = htmlStyle(style);
    const QString escaped = text.toHtmlEscaped();
    return css.isEmpty() ? escaped
                         : QStringLiteral("<span style=\"%1\">%2</span>").arg(css, escaped);
}

// Writes a page as its tables, list items and paragraphs.
class BlockWriter
{
public:
    explicit BlockWriter(const PlacedWords& page) : m_page(page) {}

    QString html(const QList<PageLayout::Block>& blocks)
    {
        // The outermost list items of the page are the first level.
        double leftmost = 1e9;
        for (const PageLayout::Block& block : blocks)
            if (block.line && !block.line->bullet.isEmpty())
                leftmost = std::min(leftmost, left(*block.line));
        for (const PageLayout::Block& block : blocks) {
            if (block.table) {
                close(-1);
                table(*block.table);
            } else if (block.line) {
                line(*block.line, leftmost);
            }
        }
        close(-1);
        return m_html;
    }

private:
    double left(const PageLayout::Line& line) const
    {
        return m_page.words.at(line.words.first()).box.left();
    }

    // Words with the space between them that the page shows: a tab where
    // the gap is wide, so that columns never run together.
    QString words(const QList<int>& indexes, bool dropGlyph = false) const
    {
        QString out;
        QString run;
        Style style;
        const auto flush = [&] {
            out += styledHtml(run, style);
            run.clear();
        };
        for (qsizetype i = 0; i < indexes.size(); ++i) {
            const PageLayout::Word& word = m_page.words.at(indexes.at(i));
            const Style& wordStyle = m_page.styles.at(indexes.at(i));
            if (i > 0) {
                const PageLayout::Word& previous = m_page.words.at(indexes.at(i - 1));
                const double gap = word.box.left() - previous.box.right();
                const double size = std::max(1.0, word.box.height());
                if (gap > 1.1 * size) {
                    flush();
                    out += QStringLiteral("<span style=\"white-space:pre\">\t</span>");
                } else if (previous.spaceAfter || gap > 0.2 * size) {
                    run += QLatin1Char(' ');
                }
            }
            if (!(wordStyle == style) && !run.trimmed().isEmpty())
                flush();
            style = wordStyle;
            QString text = word.text;
            if (i == 0 && dropGlyph)
                text = text.mid(text.at(0).isHighSurrogate() ? 2 : 1).trimmed();
            run += text;
        }
        flush();
        return out;
    }

    // Ends the open paragraph or item, and the lists deeper than `level`.
    void close(int level)
    {
        if (!m_open.isEmpty()) {
            m_html += m_open;
            m_open.clear();
        }
        for (; m_level > level; --m_level)
            m_html += QStringLiteral("</ul>\n");
    }

    void line(const PageLayout::Line& line, double leftmost)
    {
        if (line.continuation && !m_open.isEmpty()) {
            m_html += QLatin1Char(' ') + words(line.words);
            return;
        }
        if (line.bullet.isEmpty()) {
            close(-1);
            m_html += QStringLiteral("<p>") + words(line.words);
            m_open = QStringLiteral("</p>\n");
            return;
        }
        const int level = std::clamp(int(std::lround((left(line) - leftmost) / 18)), 0, 8);
        close(level);
        for (; m_level < level; ++m_level)
            m_html += QStringLiteral("<ul>\n");
        m_html += QStringLiteral("<li>") + words(line.words, line.bulletGlued);
        m_open = QStringLiteral("</li>\n");
    }

    void table(const PageLayout::Table& table)
    {
        m_html += QStringLiteral("<table border=\"0.5\" cellspacing=\"0\" cellpadding=\"2\" "
                                 "style=\"border-collapse:collapse;border-color:#999999\">\n");
        bool first = true;
        for (const QList<QList<int>>& row : table.rows) {
            m_html += QStringLiteral("<tr>");
            for (qsizetype column = 0; column < row.size(); ++column) {
                const double width = table.columns.value(column);
                m_html += first && width > 0
                              ? QStringLiteral("<td style=\"width:%1pt\">").arg(std::lround(width))
                              : QStringLiteral("<td>");
                m_html += words(row.at(column)) + QStringLiteral("</td>");
            }
            m_html += QStringLiteral("</tr>\n");
            first = false;
        }
        m_html += QStringLiteral("</table>\n");
    }

    const PlacedWords& m_page;
    QString m_html;
    QString m_open;   // what ends the paragraph or item being written
    int m_level = -1; // of the innermost open list
};

bool hasRightToLeft(const QList<PageLayout::Word>& words)
{
    for (const PageLayout::Word& word : words)
        if (startsRightToLeft(word.text))
            return true;
    return false;
}

QString linesHtml(const QList<Line>& lines)
{
    QString page;
    for (const Line& line : lines) {
        if (line.runs.isEmpty())
            continue;
        page += line.rightToLeft ? QStringLiteral("<p dir=\"rtl\">") : QStringLiteral("<p>");
        for (const Run& run : line.runs)
            page += styledHtml(run.text, run.style);
        page += QStringLiteral("</p>\n");
    }
    return page;
}

// A page as HTML: by the places of its words where they make tables or
// list items; else line by line, as pdftotext reads it, which also keeps
// right-to-left text in its order.
QString pageHtml(poppler::page& page)
{
    const std::vector<poppler::text_box> boxes =
        page.text_list(poppler::page::text_list_include_font);
    const PlacedWords placed = placedWords(boxes);
    if (!hasRightToLeft(placed.words)) {
        const QList<PageLayout::Block> blocks = PageLayout::blocks(placed.words);
        const bool structured = std::any_of(blocks.cbegin(), blocks.cend(), [](const auto& block) {
            return block.table || (block.line && !block.line->bullet.isEmpty());
        });
        if (structured)
            return BlockWriter(placed).html(blocks);
    }
    QList<Word> words;
    words.reserve(qsizetype(boxes.size()));
    for (const poppler::text_box& box : boxes)
        words.append(Word{lettersOf(fromPoppler(box.text())), styleOf(box)});
    return linesHtml(linesOf(fromPoppler(page.text()), words));
}

QFile& created(QFile& file)
{
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw PagesFailure(Failure::save, file.fileName());
    return file;
}

void write(QFile& file, const QByteArray& bytes)
{
    if (file.write(bytes) != bytes.size())
        throw PagesFailure(Failure::save, file.fileName());
}

void finish(QFile& file)
{
    if (!file.flush())
        throw PagesFailure(Failure::save, file.fileName());
    file.close();
    if (file.error() != QFileDevice::NoError)
        throw PagesFailure(Failure::save, file.fileName());
}

// Reads every page in turn, handing its lines to `take`.
void read(poppler::document& document, bool styled,
          const std::function<void(const QList<Line>&)>& take,
          const std::function<void(int page)>& done)
{
    for (int index = 0; index < document.pages(); ++index) {
        std::unique_ptr<poppler::page> page(document.create_page(index));
        take(page ? lines(*page, styled) : QList<Line>());
        done(index + 1);
    }
}

} // namespace

QString Line::text() const
{
    QString all;
    for (const Run& run : runs)
        all += run.text;
    return all;
}

QList<Line> lines(poppler::page& page, bool styled)
{
    QList<Word> words;
    if (styled)
        for (const poppler::text_box& box : page.text_list(poppler::page::text_list_include_font))
            words.append(Word{lettersOf(fromPoppler(box.text())), styleOf(box)});
    return linesOf(fromPoppler(page.text()), words);
}

void writeText(const QString& source, const QString& output,
               const std::function<void(int page)>& done)
{
    const auto document = SourceDocument::open(source);
    QFile file(output);
    created(file);
    bool first = true;
    read(
        *document, false,
        [&](const QList<Line>& lines) {
            if (lines.isEmpty())
                return;
            QString page = first ? QString() : QStringLiteral("\n");
            first = false;
            for (const Line& line : lines)
                page += line.text() + QLatin1Char('\n');
            write(file, page.toUtf8());
        },
        done);
    finish(file);
}

void writeHtml(const QString& source, const QString& output,
               const std::function<void(int page)>& done)
{
    const auto document = SourceDocument::open(source);
    QFile file(output);
    created(file);
    write(file, "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"></head><body>\n");
    for (int index = 0; index < document->pages(); ++index) {
        std::unique_ptr<poppler::page> page(document->create_page(index));
        if (page)
            write(file, pageHtml(*page).toUtf8());
        done(index + 1);
    }
    write(file, "</body></html>\n");
    finish(file);
}

} // namespace PageText
