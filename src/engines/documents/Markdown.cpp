#include "engines/documents/Markdown.h"

#include "engines/documents/DocumentModel.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

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

QString inlineHtml(const QString& line)
{
    static const std::pair<QRegularExpression, QString> steps[] = {
        {pattern(QStringLiteral("`([^`]+)`")), QStringLiteral("<code>\\1</code>")},
        {pattern(QStringLiteral("!\\[([^\\]]*)\\]\\(([^)]+)\\)")), QStringLiteral("\\1")},
        {pattern(QStringLiteral("\\[([^\\]]+)\\]\\(([^)\\s]+)\\)")),
         QStringLiteral("<a href=\"\\2\">\\1</a>")},
        {pattern(QStringLiteral("\\*\\*([^*]+)\\*\\*")), QStringLiteral("<strong>\\1</strong>")},
        {pattern(QStringLiteral("__([^_]+)__")), QStringLiteral("<strong>\\1</strong>")},
        {pattern(QStringLiteral("(?<![\\w*])\\*([^*]+)\\*(?![\\w*])")),
         QStringLiteral("<em>\\1</em>")},
        {pattern(QStringLiteral("(?<![\\w_])_([^_]+)_(?![\\w_])")), QStringLiteral("<em>\\1</em>")},
        {pattern(QStringLiteral("~~([^~]+)~~")), QStringLiteral("<del>\\1</del>")},
    };
    QString text = escapedHtml(sheltered(line));
    for (const auto& [expression, replacement] : steps)
        text.replace(expression, replacement);
    return unsheltered(text);
}

class HtmlWriter
{
public:
    QString convert(const QString& markdown)
    {
        QString text = markdown;
        if (text.startsWith(QChar(0xfeff)))
            text.remove(0, 1);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        for (const QString& line : text.split(QLatin1Char('\n')))
            add(line);
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
            m_out.append(
                QStringLiteral("<h%1>%2</h%1>").arg(n, inlineHtml(t.mid(match.capturedEnd()))));
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
    explicit MarkdownWriter(const QTextDocument& document) : m_document(document)
    {
        const double fallback = document.defaultFont().pointSizeF();
        m_defaultSize = fallback > 0 ? fallback : 12;
        m_bodySize = bodySize();
    }

    QString convert()
    {
        QStringList lines;
        for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next()) {
            if (block.length() <= 1) {
                lines.append(QString());
                continue;
            }
            lines.append(paragraph(block));
            lines.append(QString());
            lines.append(QString());
        }
        static const QRegularExpression blankRuns(QStringLiteral("\\n{3,}"));
        QString text = lines.join(QLatin1Char('\n'));
        text.replace(blankRuns, QStringLiteral("\n\n"));
        return text.trimmed() + QLatin1Char('\n');
    }

private:
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

    // One run's text with its markers around the text, never around the
    // spaces at its ends.
    static QString marked(const QString& text, const QTextCharFormat& format)
    {
        const QString core = trimmedHorizontally(text);
        if (core.isEmpty())
            return text;
        QString wrapped = escapedText(core);
        if (format.fontItalic())
            wrapped = QLatin1Char('*') + wrapped + QLatin1Char('*');
        if (format.fontWeight() >= QFont::DemiBold)
            wrapped = QStringLiteral("**") + wrapped + QStringLiteral("**");
        if (format.isAnchor() && !format.anchorHref().isEmpty())
            wrapped = QLatin1Char('[') + wrapped + QStringLiteral("](") +
                      linkTarget(format.anchorHref()) + QLatin1Char(')');
        const qsizetype start = text.indexOf(core);
        return text.left(start) + wrapped + text.mid(start + core.size());
    }

    QString paragraph(const QTextBlock& block) const
    {
        QString text;
        double largest = 0;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            largest = std::max(largest, sizeOf(fragment.charFormat()));
            QString piece = fragment.text();
            piece.remove(QChar::ObjectReplacementCharacter);
            // Markers never span a line break inside the paragraph.
            const QStringList parts = piece.split(QChar::LineSeparator);
            QStringList out;
            for (const QString& part : parts)
                out.append(marked(part, fragment.charFormat()));
            text += out.join(QLatin1Char('\n'));
        }
        text.replace(QLatin1Char('\t'), QLatin1Char(' '));
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
        QString prefix;
        if (largest >= 1.7 * m_bodySize)
            prefix = QStringLiteral("# ");
        else if (largest >= 1.35 * m_bodySize)
            prefix = QStringLiteral("## ");
        else if (largest >= 1.15 * m_bodySize)
            prefix = QStringLiteral("### ");
        if (prefix.isEmpty())
            return body;
        return prefix + body.remove(QStringLiteral("**"));
    }

    const QTextDocument& m_document;
    double m_defaultSize = 12;
    double m_bodySize = 12;
};

} // namespace

QString html(const QString& markdown)
{
    return HtmlWriter().convert(markdown);
}

QString markdown(const QTextDocument& document)
{
    return MarkdownWriter(document).convert();
}

} // namespace Markdown
