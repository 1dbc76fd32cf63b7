#include "helpers/pdfpages/PageText.h"

#include "helpers/pdfpages/PagesFailure.h"
#include "helpers/pdfpages/SourceDocument.h"

#include <QFile>
#include <QHash>
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
    QList<Line> result;
    qsizetype next = 0;
    for (const QString& row : fromPoppler(page.text()).split(QLatin1Char('\n'))) {
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
    read(
        *document, true,
        [&](const QList<Line>& lines) {
            QString page;
            for (const Line& line : lines) {
                if (line.runs.isEmpty())
                    continue;
                page +=
                    line.rightToLeft ? QStringLiteral("<p dir=\"rtl\">") : QStringLiteral("<p>");
                for (const Run& run : line.runs) {
                    const QString css = htmlStyle(run.style);
                    const QString text = run.text.toHtmlEscaped();
                    page += css.isEmpty()
                                ? text
                                : QStringLiteral("<span style=\"%1\">%2</span>").arg(css, text);
                }
                page += QStringLiteral("</p>\n");
            }
            write(file, page.toUtf8());
        },
        done);
    write(file, "</body></html>\n");
    finish(file);
}

} // namespace PageText
