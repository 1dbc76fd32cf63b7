#pragma once

#include <QList>
#include <QString>
#include <functional>

namespace poppler {
class page;
}

// A PDF's text read the way pdftotext reads it: lines in reading order,
// right-to-left runs in logical order, characters through the fonts'
// ToUnicode maps; each line with the size, weight and slant of the words
// it came from, so that headings can be told by their size.
namespace PageText {

struct Style
{
    double size = 0; // points; 0 when unknown
    bool bold = false;
    bool italic = false;
    bool operator==(const Style&) const = default;
};

struct Run
{
    QString text;
    Style style;
};

// One line of text; a line without runs separates blocks of text.
struct Line
{
    QList<Run> runs;
    bool rightToLeft = false; // its first letter is Hebrew, Arabic…
    QString text() const;
};

// The lines of a page, with the invisible direction marks poppler puts
// around runs of the other direction, which keep them looking as drawn;
// the runs carry their style when `styled` (which reads the page twice).
QList<Line> lines(poppler::page& page, bool styled);

// Writes the text of every page of `source` to `output`, which must not
// exist: UTF-8 text with a blank line between blocks and pages, or an HTML
// page with one paragraph per line. `done` is told each page's number as it
// is read. Throws PagesFailure.
void writeText(const QString& source, const QString& output,
               const std::function<void(int page)>& done);
void writeHtml(const QString& source, const QString& output,
               const std::function<void(int page)>& done);

} // namespace PageText
