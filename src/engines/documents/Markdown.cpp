#include "engines/documents/Markdown.h"

#include "engines/documents/DocumentModel.h"
#include "engines/documents/Pictures.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

namespace Markdown {

namespace {

QRegularExpression pattern(const QString& expression)
{
    // ICU's \w, \d and \s: letters, digits and spaces of every script.
    return QRegularExpression(expression, QRegularExpression::UseUnicodePropertiesOption);
}

bool isHorizontalSpace(QChar c)
{
    return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
}

QString trimmedHorizontally(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isHorizontalSpace(text.at(start)))
        ++start;
    while (end > start && isHorizontalSpace(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

QString escapedHtml(QString text)
{
    text.replace(QLatin1Char('&'), QStringLiteral("&amp;"));
    text.replace(QLatin1Char('<'), QStringLiteral("&lt;"));
    text.replace(QLatin1Char('>'), QStringLiteral("&gt;"));
    text.replace(QLatin1Char('"'), QStringLiteral("&quot;"));
    return text;
}

// A backslash before ASCII punctuation keeps that character as text. While
// the markup is read, such characters stand in the private plane 15, where
// no pattern matches them.
constexpr char32_t shelter = 0xF0000;

QString sheltered(const QString& text)
{
    static const QRegularExpression escape(QStringLiteral("\\\\([!-/:-@\\[-`{-~])"));
    QString out;
    qsizetype last = 0;
    QRegularExpressionMatchIterator matches = escape.globalMatch(text);
    while (matches.hasNext()) {
        const auto match = matches.next();
        out += QStringView(text).mid(last, match.capturedStart() - last);
        const char32_t kept = shelter + match.captured(1).at(0).unicode();
        out += QString::fromUcs4(&kept, 1);
        last = match.capturedEnd();
    }
    out += QStringView(text).mid(last);
    return out;
}

QString unsheltered(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size()) {
            const char32_t code = QChar::surrogateToUcs4(c, text.at(i + 1));
            if (code >= shelter && code < shelter + 0x80) {
                out += escapedHtml(QString(QChar(char16_t(code - shelter))));
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

// ![alt](target "title"): a picture; the target may sit in angle brackets.
QString images(const QString& text)
{
    static const QRegularExpression image =
        pattern(QStringLiteral("!\\[([^\\]]*)\\]\\(\\s*(&lt;[^)]*?&gt;|[^)\\s]+)[^)]*\\)"));
    QString out;
    qsizetype last = 0;
    QRegularExpressionMatchIterator matches = image.globalMatch(text);
    while (matches.hasNext()) {
        const auto match = matches.next();
        out += QStringView(text).mid(last, match.capturedStart() - last);
        QString target = match.captured(2);
        if (target.startsWith(QLatin1String("&lt;")))
            target = target.mid(4, target.size() - 8);
        // Markup inside the alt text or address is not markup.
        QString alt = match.captured(1);
        for (const QChar c : {u'*', u'_', u'`', u'~', u'[', u']'}) {
            const char32_t kept = shelter + c.unicode();
            alt.replace(c, QString::fromUcs4(&kept, 1));
            target.replace(c, QString::fromUcs4(&kept, 1));
        }
        out += QStringLiteral("<img src=\"") + target + QStringLiteral("\" alt=\"") + alt +
               QStringLiteral("\"/>");
        last = match.capturedEnd();
    }
    out += QStringView(text).mid(last);
    return out;
}

QString inlineHtml(const QString& line)
{
    static const std::pair<QRegularExpression, QString> steps[] = {
        {pattern(QStringLiteral("`([^`]+)`")), QStringLiteral("<code>\\1</code>")},
        {pattern(QStringLiteral("\\[([^\\]]+)\\]\\(([^)\\s]+)\\)")),
         QStringLiteral("<a href=\"\\2\">\\1</a>")},
        {pattern(QStringLiteral("\\*\\*([^*]+)\\*\\*")), QStringLiteral("<strong>\\1</strong>")},
        {pattern(QStringLiteral("__([^_]+)__")), QStringLiteral("<strong>\\1</strong>")},
        {pattern(QStringLiteral("(?<![\\w*])\\*([^*]+)\\*(?![\\w*])")),
         QStringLiteral("<em>\\1</em>")},
        {pattern(QStringLiteral("(?<![\\w_])_([^_]+)_(?![\\w_])")), QStringLiteral("<em>\\1</em>")},
        {pattern(QStringLiteral("~~([^~]+)~~")), QStringLiteral("<del>\\1</del>")},
    };
    QString text = images(escapedHtml(sheltered(line)));
    for (const auto& [expression, replacement] : steps)
        text.replace(expression, replacement);
    return unsheltered(text);
}

class HtmlFromMarkdown
{
public:
    QString convert(const QString& markdown)
    {
        QString text = markdown;
        if (text.startsWith(QChar(0xfeff)))
            text.remove(0, 1);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (!m_inCode && i + 1 < lines.size() && isTableStart(lines.at(i), lines.at(i + 1)))
                i = table(lines, i) - 1;
            else
                add(lines.at(i));
        }
        flushParagraph();
        closeList();
        if (m_inCode)
            m_out.append(QStringLiteral("</code></pre>"));
        return QStringLiteral(
                   "<html><head><meta charset=\"utf-8\"/><style>body{font-family:'Helvetica "
                   "Neue',Helvetica,Arial,sans-serif;font-size:12pt;line-height:1.4}</"
                   "style></head><body>\n") +
               m_out.join(QLatin1Char('\n')) + QStringLiteral("\n</body></html>");
    }

private:
    void add(const QString& line)
    {
        static const QRegularExpression heading = pattern(QStringLiteral("^#{1,6}\\s"));
        static const QRegularExpression rule = pattern(QStringLiteral("^(-{3,}|\\*{3,}|_{3,})$"));
        static const QRegularExpression bullet = pattern(QStringLiteral("^[-*+]\\s+"));
        static const QRegularExpression number = pattern(QStringLiteral("^\\d+[.)]\\s+"));
        const QString t = trimmedHorizontally(line);
        if (t.startsWith(QLatin1String("```"))) {
            flushParagraph();
            closeList();
            m_out.append(m_inCode ? QStringLiteral("</code></pre>")
                                  : QStringLiteral("<pre><code>"));
            m_inCode = !m_inCode;
        } else if (m_inCode) {
            m_out.append(escapedHtml(line));
        } else if (t.isEmpty()) {
            flushParagraph();
            closeList();
        } else if (const auto match = heading.match(t); match.hasMatch()) {
            flushParagraph();
            closeList();
            const QString n = QString::number(match.captured(0).count(QLatin1Char('#')));
            const QString title = t.mid(match.capturedEnd());
            const QString id = slug(title);
            m_out.append(QStringLiteral("<h%1%2>%3</h%1>")
                             .arg(n,
                                  id.isEmpty() ? QString()
                                               : QStringLiteral(" id=\"%1\"").arg(escapedHtml(id)),
                                  inlineHtml(title)));
        } else if (rule.match(t).hasMatch()) {
            flushParagraph();
            closeList();
            m_out.append(QStringLiteral("<hr/>"));
        } else if (const auto item = bullet.match(t); item.hasMatch()) {
            listItem(QStringLiteral("ul"), t.mid(item.capturedEnd()));
        } else if (const auto item = number.match(t); item.hasMatch()) {
            listItem(QStringLiteral("ol"), t.mid(item.capturedEnd()));
        } else if (t.startsWith(QLatin1Char('>'))) {
            flushParagraph();
            closeList();
            m_out.append(QStringLiteral("<blockquote><p>") +
                         inlineHtml(trimmedHorizontally(t.mid(1))) +
                         QStringLiteral("</p></blockquote>"));
        } else {
            closeList();
            m_paragraph.append(t);
        }
    }

    // The identifier a heading gets, as GitHub makes it: lower case,
    // spaces as hyphens, punctuation left out; repeated ones numbered.
    QString slug(const QString& title)
    {
        const QString base = Markdown::slug(title);
        if (base.isEmpty())
            return {};
        const int seen = m_slugs[base]++;
        return seen == 0 ? base : base + u'-' + QString::number(seen);
    }

    // A pipe table: a row of cells, then a row of dashes (with colons for
    // the alignment) under each of them.
    static bool isTableStart(const QString& header, const QString& delimiter)
    {
        static const QRegularExpression dashes =
            pattern(QStringLiteral("^\\|?\\s*:?-+:?\\s*(\\|\\s*:?-+:?\\s*)*\\|?$"));
        const QString h = trimmedHorizontally(header);
        const QString d = trimmedHorizontally(delimiter);
        if (!h.contains(u'|') || !dashes.match(d).hasMatch())
            return false;
        return cells(h).size() == cells(d).size();
    }

    // The cells of a table row; an escaped pipe is text.
    static QStringList cells(const QString& row)
    {
        QString text = sheltered(trimmedHorizontally(row));
        if (text.startsWith(u'|'))
            text.remove(0, 1);
        if (text.endsWith(u'|'))
            text.chop(1);
        QStringList out;
        for (const QString& cell : text.split(u'|'))
            out.append(trimmedHorizontally(cell));
        return out;
    }

    // Reads the table that starts at `first`; returns the line after it.
    qsizetype table(const QStringList& lines, qsizetype first)
    {
        flushParagraph();
        closeList();
        const QStringList header = cells(lines.at(first));
        QStringList aligns;
        for (const QString& dash : cells(lines.at(first + 1))) {
            const bool left = dash.startsWith(u':');
            const bool right = dash.endsWith(u':');
            aligns.append(left && right ? QStringLiteral("center")
                          : right       ? QStringLiteral("right")
                                        : QStringLiteral("left"));
        }
        const auto row = [&](const QStringList& cells, const QString& tag) {
            QString out = QStringLiteral("<tr>");
            for (qsizetype c = 0; c < aligns.size(); ++c)
                out += QStringLiteral("<%1 style=\"border:0.5pt solid #000000;padding:2pt "
                                      "4pt;text-align:%2\">%3</%1>")
                           .arg(tag, aligns.at(c), inlineHtml(cells.value(c)));
            return out + QStringLiteral("</tr>");
        };
        m_out.append(QStringLiteral("<table style=\"border-collapse:collapse\"><thead>") +
                     row(header, QStringLiteral("th")) + QStringLiteral("</thead><tbody>"));
        qsizetype at = first + 2;
        for (; at < lines.size(); ++at) {
            const QString t = trimmedHorizontally(lines.at(at));
            if (t.isEmpty() || !t.contains(u'|'))
                break;
            m_out.append(row(cells(t), QStringLiteral("td")));
        }
        m_out.append(QStringLiteral("</tbody></table>"));
        return at;
    }

    void listItem(const QString& tag, const QString& text)
    {
        flushParagraph();
        if (m_list != tag) {
            closeList();
            m_out.append(QLatin1Char('<') + tag + QLatin1Char('>'));
            m_list = tag;
        }
        m_out.append(QStringLiteral("<li>") + inlineHtml(text) + QStringLiteral("</li>"));
    }

    void flushParagraph()
    {
        if (m_paragraph.isEmpty())
            return;
        QStringList lines;
        for (const QString& line : std::as_const(m_paragraph))
            lines.append(inlineHtml(line));
        m_out.append(QStringLiteral("<p>") + lines.join(QStringLiteral("<br/>")) +
                     QStringLiteral("</p>"));
        m_paragraph.clear();
    }

    void closeList()
    {
        if (m_list.isEmpty())
            return;
        m_out.append(QStringLiteral("</") + m_list + QLatin1Char('>'));
        m_list.clear();
    }

    QStringList m_out;
    QStringList m_paragraph;
    QString m_list;
    bool m_inCode = false;
    QHash<QString, int> m_slugs;
};

// Markup characters in text, escaped so that they read back as text.
QString escapedText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('*') || c == QLatin1Char('_') ||
            c == QLatin1Char('`') || c == QLatin1Char('[') || c == QLatin1Char(']') ||
            c == QLatin1Char('~'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

// What would start a heading, list, quote or rule at the start of a line.
QString escapedLineStart(const QString& line)
{
    static const QRegularExpression numbered = pattern(QStringLiteral("^(\\d+)([.)])"));
    if (line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char('>')) ||
        line.startsWith(QLatin1Char('-')) || line.startsWith(QLatin1Char('+')))
        return QLatin1Char('\\') + line;
    QString out = line;
    if (const auto match = numbered.match(out); match.hasMatch())
        out.insert(match.capturedEnd(1), QLatin1Char('\\'));
    return out;
}

QString linkTarget(QString href)
{
    href.replace(QLatin1Char(' '), QStringLiteral("%20"));
    href.replace(QLatin1Char('('), QStringLiteral("%28"));
    href.replace(QLatin1Char(')'), QStringLiteral("%29"));
    return href;
}

class MarkdownWriter
{
public:
    MarkdownWriter(const QTextDocument& document, const PictureSource& pictures)
        : m_document(document), m_pictures(pictures)
    {
        const double fallback = document.defaultFont().pointSizeF();
        m_defaultSize = fallback > 0 ? fallback : 12;
        m_bodySize = bodySize();
        headingTargets();
    }

    QString convert()
    {
        QStringList lines;
        frame(m_document.rootFrame(), lines);
        static const QRegularExpression blankRuns(QStringLiteral("\\n{3,}"));
        QString text = lines.join(QLatin1Char('\n'));
        text.replace(blankRuns, QStringLiteral("\n\n"));
        return text.trimmed() + QLatin1Char('\n');
    }

private:
    void frame(QTextFrame* frame, QStringList& lines)
    {
        for (auto it = frame->begin(); !it.atEnd(); ++it) {
            if (QTextFrame* child = it.currentFrame()) {
                auto* table = qobject_cast<QTextTable*>(child);
                if (!table || !pipeTable(*table, lines))
                    this->frame(child, lines);
            } else if (it.currentBlock().isValid()) {
                block(it.currentBlock(), lines);
            }
        }
    }

    void block(const QTextBlock& block, QStringList& lines)
    {
        if (block.length() <= 1) {
            lines.append(QString());
            return;
        }
        lines.append(paragraph(block));
        lines.append(QString());
        lines.append(QString());
    }

    // A table whose cells each hold one line of text, as a pipe table;
    // false for any other, whose cells are written one after the other.
    bool pipeTable(const QTextTable& table, QStringList& lines)
    {
        QList<QStringList> rows;
        QStringList aligns;
        for (int r = 0; r < table.rows(); ++r) {
            QStringList row;
            for (int c = 0; c < table.columns(); ++c) {
                const QTextTableCell cell = table.cellAt(r, c);
                if (cell.rowSpan() != 1 || cell.columnSpan() != 1 || cell.begin().currentFrame() ||
                    cell.firstCursorPosition().block() != cell.lastCursorPosition().block())
                    return false;
                const QTextBlock block = cell.firstCursorPosition().block();
                if (block.textList() || block.text().contains(QChar::LineSeparator))
                    return false;
                QString text = runs(block).first;
                text.replace(QLatin1Char('|'), QStringLiteral("\\|"));
                row.append(trimmedHorizontally(text));
                if (r == 0) {
                    const Qt::Alignment align = block.blockFormat().alignment();
                    aligns.append(align & Qt::AlignHCenter ? QStringLiteral(":---:")
                                  : align & Qt::AlignRight ? QStringLiteral("---:")
                                                           : QStringLiteral("---"));
                }
            }
            rows.append(row);
        }
        if (rows.isEmpty())
            return false;
        const auto line = [](const QStringList& cells) {
            return QStringLiteral("| ") + cells.join(QStringLiteral(" | ")) + QStringLiteral(" |");
        };
        lines.append(line(rows.first()));
        lines.append(line(aligns));
        for (qsizetype r = 1; r < rows.size(); ++r)
            lines.append(line(rows.at(r)));
        lines.append(QString());
        lines.append(QString());
        return true;
    }

    double sizeOf(const QTextCharFormat& format) const
    {
        return DocumentModel::pointSize(format, m_defaultSize).value_or(m_defaultSize);
    }

    double bodySize() const
    {
        QHash<double, qsizetype> characters;
        for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next())
            for (auto it = block.begin(); !it.atEnd(); ++it)
                characters[sizeOf(it.fragment().charFormat())] += it.fragment().length();
        double best = m_defaultSize;
        qsizetype most = -1;
        for (auto it = characters.constBegin(); it != characters.constEnd(); ++it) {
            if (it.value() > most || (it.value() == most && it.key() < best)) {
                most = it.value();
                best = it.key();
            }
        }
        return best;
    }

    // The heading marker a paragraph gets from its level, or else from its
    // size: "# " and so on.
    QString headingPrefix(const QTextBlock& block, double largest) const
    {
        const int level = block.blockFormat().headingLevel();
        if (level >= 1 && level <= 6)
            return QString(level, u'#') + u' ';
        if (largest >= 1.7 * m_bodySize)
            return QStringLiteral("# ");
        if (largest >= 1.35 * m_bodySize)
            return QStringLiteral("## ");
        if (largest >= 1.15 * m_bodySize)
            return QStringLiteral("### ");
        return {};
    }

    // Links to an anchor in a heading land on the heading's identifier,
    // which readers of Markdown make from its text; other anchors don't
    // exist in Markdown, and links to them become text.
    void headingTargets()
    {
        QHash<QString, int> seen;
        for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next()) {
            if (block.length() <= 1)
                continue;
            const auto [text, largest] = runs(block);
            if (block.textList() || headingPrefix(block, largest).isEmpty())
                continue;
            QString base = Markdown::slug(block.text().remove(QChar::ObjectReplacementCharacter));
            if (base.isEmpty())
                continue;
            const int count = seen[base]++;
            const QString id = count == 0 ? base : base + u'-' + QString::number(count);
            QStringList anchors = block.charFormat().anchorNames();
            for (auto it = block.begin(); !it.atEnd(); ++it)
                anchors += it.fragment().charFormat().anchorNames();
            for (const QString& anchor : std::as_const(anchors))
                m_headingIds.insert(anchor, id);
        }
    }

    QString target(const QString& href) const
    {
        if (href.startsWith(u'#')) {
            const QString id = m_headingIds.value(QUrl::fromPercentEncoding(href.mid(1).toUtf8()));
            return id.isEmpty() ? QString() : u'#' + id;
        }
        if (href.startsWith(QLatin1String("javascript:"), Qt::CaseInsensitive))
            return {};
        return href;
    }

    // One run's text with its markers around the text, never around the
    // spaces at its ends.
    QString marked(const QString& text, const QTextCharFormat& format) const
    {
        const QString core = trimmedHorizontally(text);
        if (core.isEmpty())
            return text;
        QString wrapped = escapedText(core);
        if (format.fontItalic())
            wrapped = QLatin1Char('*') + wrapped + QLatin1Char('*');
        if (format.fontWeight() >= QFont::DemiBold)
            wrapped = QStringLiteral("**") + wrapped + QStringLiteral("**");
        const QString href = format.isAnchor() ? target(format.anchorHref()) : QString();
        if (!href.isEmpty())
            wrapped = QLatin1Char('[') + wrapped + QStringLiteral("](") + linkTarget(href) +
                      QLatin1Char(')');
        const qsizetype start = text.indexOf(core);
        return text.left(start) + wrapped + text.mid(start + core.size());
    }

    QString picture(const QTextImageFormat& format) const
    {
        const QString alt = format.stringProperty(Pictures::altProperty);
        const auto picture = Pictures::of(m_document, format);
        const QString source = picture && m_pictures ? m_pictures(*picture) : QString();
        if (source.isEmpty())
            return escapedText(alt);
        return QStringLiteral("![") + escapedText(alt) + QStringLiteral("](") + linkTarget(source) +
               QLatin1Char(')');
    }

    // The paragraph's runs as Markdown, and the largest size in it.
    std::pair<QString, double> runs(const QTextBlock& block) const
    {
        QString text;
        double largest = 0;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat()) {
                for (int i = 0; i < fragment.length(); ++i)
                    text += picture(format.toImageFormat());
                continue;
            }
            largest = std::max(largest, sizeOf(format));
            QString piece = fragment.text();
            piece.remove(QChar::ObjectReplacementCharacter);
            // Markers never span a line break inside the paragraph.
            const QStringList parts = piece.split(QChar::LineSeparator);
            QStringList out;
            for (const QString& part : parts)
                out.append(marked(part, format));
            text += out.join(QLatin1Char('\n'));
        }
        text.replace(QLatin1Char('\t'), QLatin1Char(' '));
        return {text, largest};
    }

    QString paragraph(const QTextBlock& block) const
    {
        const auto [text, largest] = runs(block);
        QStringList lines;
        for (const QString& line : text.split(QLatin1Char('\n')))
            lines.append(escapedLineStart(trimmedHorizontally(line)));
        while (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        while (!lines.isEmpty() && lines.first().isEmpty())
            lines.removeFirst();
        QString body = lines.join(QLatin1Char('\n'));
        return withMarker(block, body, largest);
    }

    QString withMarker(const QTextBlock& block, QString body, double largest) const
    {
        static const QRegularExpression typedMarker =
            pattern(QStringLiteral("^([^\\p{L}\\p{N}\\s\\\\]{1,3}|\\p{N}{1,3}\\\\?[.)])\\s+"));
        static const QRegularExpression bulletChar = pattern(QStringLiteral("^[•◦▪▫‣⁃]\\s+"));
        static const QRegularExpression indentedNumber =
            pattern(QStringLiteral("^(\\d+)\\\\?[.)]?\\s+"));
        if (QTextList* list = block.textList()) {
            // A marker typed into the item's own text gives way to ours.
            body.remove(typedMarker);
            const QTextListFormat format = list->format();
            const QString marker = format.style() == QTextListFormat::ListDecimal
                                       ? QStringLiteral("1. ")
                                       : QStringLiteral("- ");
            return QString(2 * std::max(0, format.indent() - 1), QLatin1Char(' ')) + marker + body;
        }
        if (bulletChar.match(body).hasMatch())
            return body.replace(bulletChar, QStringLiteral("- "));
        const QTextBlockFormat format = block.blockFormat();
        if (format.leftMargin() + format.indent() > 0 && indentedNumber.match(body).hasMatch())
            return body.replace(indentedNumber, QStringLiteral("\\1. "));
        const QString prefix = headingPrefix(block, largest);
        if (prefix.isEmpty())
            return body;
        return prefix + body.remove(QStringLiteral("**"));
    }

    const QTextDocument& m_document;
    PictureSource m_pictures;
    double m_defaultSize = 12;
    double m_bodySize = 12;
    QHash<QString, QString> m_headingIds; // anchor → heading identifier
};

} // namespace

QString html(const QString& markdown)
{
    return HtmlFromMarkdown().convert(markdown);
}

QString markdown(const QTextDocument& document, const PictureSource& pictures)
{
    return MarkdownWriter(document, pictures).convert();
}

QString slug(const QString& title)
{
    static const QRegularExpression markup = pattern(QStringLiteral("[*_`~\\\\]"));
    QString out;
    for (const QChar c : QString(title).remove(markup).trimmed().toLower()) {
        if (c.isLetterOrNumber() || c == u'-' || c == u'_')
            out += c;
        else if (c.isSpace())
            out += u'-';
    }
    return out;
}

} // namespace Markdown
