#include "helpers/pdfpages/PageLayout.h"

#include <QHash>
#include <QSet>
#include <algorithm>

namespace PageLayout {

namespace {

// A line of the page as it lies, words left to right, split into
// segments where the gap between words is wider than a word space.
struct Row
{
    QList<int> words;
    double top = 0;
    double bottom = 0;
    QList<QPair<double, double>> segments; // left, right
    bool bulleted = false;                 // a list item: its glyph is no column
};

double height(const Word& word)
{
    return std::max(1.0, word.box.height());
}

bool sameLine(const Word& a, const Word& b)
{
    const double overlap =
        std::min(a.box.bottom(), b.box.bottom()) - std::max(a.box.top(), b.box.top());
    return overlap > 0.5 * std::min(height(a), height(b));
}

// Whether `next` starts a new line after `previous`, in reading order.
bool startsLine(const Word& previous, const Word& next)
{
    const double h = std::min(height(previous), height(next));
    return std::abs(next.box.top() - previous.box.top()) > h / 2 ||
           next.box.left() < previous.box.left() - 1;
}

QList<Row> rows(const QList<Word>& words)
{
    QList<int> order(words.size());
    for (int i = 0; i < int(order.size()); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return words.at(a).box.center().y() < words.at(b).box.center().y();
    });
    QList<Row> found;
    for (const int index : std::as_const(order)) {
        const Word& word = words.at(index);
        if (word.text.trimmed().isEmpty())
            continue;
        if (!found.isEmpty() && sameLine(words.at(found.last().words.first()), word)) {
            found.last().words.append(index);
            continue;
        }
        found.append(Row{{index}, 0, 0, {}});
    }
    for (Row& row : found) {
        std::sort(row.words.begin(), row.words.end(),
                  [&](int a, int b) { return words.at(a).box.left() < words.at(b).box.left(); });
        row.top = words.at(row.words.first()).box.top();
        row.bottom = words.at(row.words.first()).box.bottom();
        double size = 0;
        for (const int index : std::as_const(row.words)) {
            row.top = std::min(row.top, words.at(index).box.top());
            row.bottom = std::max(row.bottom, words.at(index).box.bottom());
            size = std::max(size, height(words.at(index)));
        }
        const QString first = words.at(row.words.first()).text.trimmed();
        row.bulleted = first.size() <= 2 && isBullet(first.left(1));
        // Cells of a table lie further apart than words of a sentence; a
        // line of running text stretched to justify it may split too, but
        // its pieces never line up with those of the lines around it.
        const double gap = std::max(4.5, 0.42 * size);
        for (const int index : std::as_const(row.words)) {
            const QRectF box = words.at(index).box;
            if (!row.segments.isEmpty() && box.left() - row.segments.last().second <= gap)
                row.segments.last().second = std::max(row.segments.last().second, box.right());
            else
                row.segments.append({box.left(), box.right()});
        }
    }
    return found;
}

using Intervals = QList<QPair<double, double>>;

// The columns of a run of rows: where their segments lie, merged where
// they overlap; the white space between them is the gutters.
Intervals merged(Intervals intervals)
{
    std::sort(intervals.begin(), intervals.end());
    Intervals out;
    for (const auto& each : std::as_const(intervals)) {
        if (!out.isEmpty() && each.first <= out.last().second + 2)
            out.last().second = std::max(out.last().second, each.second);
        else
            out.append(each);
    }
    return out;
}

// Columns set close together still show in their words: where words
// start at one place row after row, after a gap, a column starts.
Intervals split(const Intervals& columns, const QList<Row>& rows, const QList<Word>& words,
                int first, int last)
{
    QList<double> starts;
    for (int r = first; r <= last; ++r) {
        const QList<int>& row = rows.at(r).words;
        for (qsizetype i = 1; i < row.size(); ++i) {
            const QRectF previous = words.at(row.at(i - 1)).box;
            const QRectF box = words.at(row.at(i)).box;
            if (box.left() - previous.right() > 0.2 * std::max(1.0, box.height()))
                starts.append(box.left());
        }
    }
    std::sort(starts.begin(), starts.end());
    const int needed = std::max(3, int(0.6 * (last - first + 1)));
    QList<double> cuts;
    for (qsizetype i = 0; i < starts.size();) {
        qsizetype j = i;
        while (j + 1 < starts.size() && starts.at(j + 1) - starts.at(i) <= 1.5)
            ++j;
        if (j - i + 1 >= needed)
            cuts.append(starts.at(i) - 0.5);
        i = j + 1;
    }
    Intervals out;
    for (const auto& column : columns) {
        double left = column.first;
        for (const double cut : std::as_const(cuts)) {
            if (cut > left + 1 && cut < column.second) {
                out.append({left, cut - 0.5});
                left = cut;
            }
        }
        out.append({left, column.second});
    }
    return out;
}

// Whether the cells of most columns line up: their left edges, right
// edges or middles in one place row after row. Words of running text
// spread by justification never do, but at the margins.
bool aligned(const Intervals& columns, const QList<Row>& rows, int first, int last)
{
    int consistent = 0;
    for (const auto& column : columns) {
        QList<QPair<double, double>> cells;
        for (int r = first; r <= last; ++r)
            for (const auto& segment : rows.at(r).segments)
                if (segment.first < column.second && segment.second > column.first)
                    cells.append(segment);
        const auto share = [&](const auto& edge) {
            int best = 0;
            for (const auto& a : cells) {
                int near = 0;
                for (const auto& b : cells)
                    near += std::abs(edge(a) - edge(b)) <= 2 ? 1 : 0;
                best = std::max(best, near);
            }
            return best;
        };
        const int best = std::max({share([](const auto& s) { return s.first; }),
                                   share([](const auto& s) { return s.second; }),
                                   share([](const auto& s) { return (s.first + s.second) / 2; })});
        if (cells.size() >= 2 && best >= 0.6 * cells.size())
            ++consistent;
    }
    return consistent >= 2 && 3 * consistent >= 2 * columns.size();
}

struct Found
{
    Table table;
    QSet<int> words;
};

std::optional<Found> tableOf(const QList<Row>& rows, const QList<Word>& words, int first, int last)
{
    Intervals all;
    int wide = 0;
    for (int r = first; r <= last; ++r) {
        all += rows.at(r).segments;
        if (rows.at(r).segments.size() >= 2)
            ++wide;
    }
    const Intervals columns = split(merged(all), rows, words, first, last);
    if (columns.size() < 2 || wide < 2)
        return std::nullopt;
    // Columns of running text (a page set in two columns) hold lines of
    // many words; the cells of a table hold a few.
    int cells = 0;
    int cellWords = 0;
    for (int r = first; r <= last; ++r) {
        cells += int(rows.at(r).segments.size());
        cellWords += int(rows.at(r).words.size());
    }
    if (cellWords > 4.5 * cells)
        return std::nullopt;
    if (!aligned(columns, rows, first, last))
        return std::nullopt;
    Found found;
    for (int c = 0; c < int(columns.size()); ++c) {
        const double right = c + 1 < columns.size()
                                 ? (columns.at(c).second + columns.at(c + 1).first) / 2
                                 : columns.at(c).second;
        const double left =
            c > 0 ? (columns.at(c - 1).second + columns.at(c).first) / 2 : columns.at(c).first;
        found.table.columns.append(std::max(right - left, 12.0));
    }
    for (int r = first; r <= last; ++r) {
        QList<QList<int>> cells(columns.size());
        for (const int index : rows.at(r).words) {
            const double x = words.at(index).box.left();
            int column = 0;
            while (column + 1 < columns.size() && x >= columns.at(column + 1).first - 1)
                ++column;
            cells[column].append(index);
            found.words.insert(index);
        }
        found.table.rows.append(cells);
    }
    return found;
}

// Runs of rows whose segments keep to common columns become tables.
QList<Found> tables(const QList<Row>& rows, const QList<Word>& words)
{
    QList<Found> found;
    int first = -1;
    Intervals columns;
    const auto close = [&](int last) {
        if (first >= 0 && last > first)
            if (auto table = tableOf(rows, words, first, last))
                found.append(*table);
        first = -1;
        columns.clear();
    };
    for (int r = 0; r < int(rows.size()); ++r) {
        const Row& row = rows.at(r);
        if (row.bulleted) {
            close(r - 1);
            continue;
        }
        const bool near =
            first >= 0 && row.top - rows.at(r - 1).bottom <= 2.5 * (row.bottom - row.top);
        if (first >= 0 && near) {
            // A row that bridges the gutters ends the table.
            const Intervals current = merged(columns);
            bool bridges = false;
            for (const auto& segment : row.segments) {
                int touched = 0;
                for (const auto& column : current)
                    if (segment.first < column.second && segment.second > column.first)
                        ++touched;
                bridges = bridges || touched > 1;
            }
            if (!bridges) {
                columns += row.segments;
                continue;
            }
        }
        close(r - 1);
        if (row.segments.size() >= 2) {
            first = r;
            columns = row.segments;
        }
    }
    close(int(rows.size()) - 1);
    return found;
}

QString leadingGlyph(const QString& text)
{
    if (text.isEmpty())
        return {};
    const int length = text.at(0).isHighSurrogate() && text.size() > 1 ? 2 : 1;
    return text.left(length);
}

} // namespace

bool isBullet(const QString& glyph)
{
    static const QString bullets = QStringLiteral("•◦▪▫‣⁃●○■□◆◇►▸➢➤✓✔❖∙·");
    if (glyph.size() != 1)
        return false;
    const char16_t c = glyph.at(0).unicode();
    return bullets.contains(glyph) || (c >= 0xE000 && c <= 0xF8FF);
}

QList<Block> blocks(const QList<Word>& words)
{
    const QList<Found> found = tables(rows(words), words);
    QHash<int, int> tableOfWord;
    for (int t = 0; t < int(found.size()); ++t)
        for (const int index : found.at(t).words)
            tableOfWord.insert(index, t);

    QList<Block> out;
    QSet<int> written;
    std::optional<Line> line;
    double itemLeft = -1; // where the text of the list item above starts
    const auto flush = [&] {
        if (line && !line->words.isEmpty())
            out.append(Block{*line, std::nullopt});
        line.reset();
    };
    for (int index = 0; index < int(words.size()); ++index) {
        const Word& word = words.at(index);
        if (word.text.trimmed().isEmpty())
            continue;
        if (const auto table = tableOfWord.constFind(index); table != tableOfWord.constEnd()) {
            if (!written.contains(*table)) {
                flush();
                written.insert(*table);
                out.append(Block{std::nullopt, found.at(*table).table});
            }
            itemLeft = -1;
            continue;
        }
        if (line && line->words.isEmpty() && !line->bullet.isEmpty()) {
            line->words.append(index); // the text after a bullet
            continue;
        }
        if (line && !line->words.isEmpty() && !startsLine(words.at(line->words.last()), word)) {
            line->words.append(index);
            continue;
        }
        flush();
        line = Line();
        const QString glyph = leadingGlyph(word.text);
        const bool alone = word.text.trimmed() == glyph;
        const bool nextOnLine = index + 1 < words.size() && !startsLine(word, words.at(index + 1));
        if (isBullet(glyph) && (!alone || nextOnLine)) {
            line->bullet = glyph;
            line->bulletGlued = !alone;
            if (alone) {
                itemLeft = words.at(index + 1).box.left();
                continue; // the glyph is no word of the text
            }
            itemLeft = word.box.left();
        } else if (itemLeft >= 0 && std::abs(word.box.left() - itemLeft) < 3 && !out.isEmpty() &&
                   out.last().line) {
            line->continuation = true;
        } else {
            itemLeft = -1;
        }
        line->words.append(index);
    }
    flush();
    return out;
}

} // namespace PageLayout
