#include "engines/documents/HtmlText.h"

#include "base/TextFile.h"

#include <QRegularExpression>
#include <algorithm>

using namespace Qt::StringLiterals;
#include <QStringDecoder>

namespace HtmlText {

namespace {

// Elements without an end tag, or whose end tag may be left out.
bool needsNoEndTag(QStringView name)
{
    static const QStringList names = {
        u"area"_s,   u"base"_s,     u"br"_s,    u"col"_s,   u"colgroup"_s, u"dd"_s,   u"dt"_s,
        u"embed"_s,  u"hr"_s,       u"img"_s,   u"input"_s, u"li"_s,       u"link"_s, u"meta"_s,
        u"option"_s, u"optgroup"_s, u"p"_s,     u"param"_s, u"rp"_s,       u"rt"_s,   u"source"_s,
        u"tbody"_s,  u"td"_s,       u"tfoot"_s, u"th"_s,    u"thead"_s,    u"tr"_s,   u"track"_s,
        u"wbr"_s,    u"html"_s,     u"head"_s,  u"body"_s};
    return std::any_of(names.cbegin(), names.cend(), [&](const QString& each) {
        return name.compare(each, Qt::CaseInsensitive) == 0;
    });
}

bool isNameCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'-' || c == u':' || c == u'_';
}

} // namespace

Nesting nesting(QStringView html)
{
    Nesting deepest;
    Nesting depth;
    qsizetype at = 0;
    while ((at = html.indexOf(u'<', at)) >= 0) {
        ++at;
        if (html.mid(at).startsWith(u"!--")) {
            at = html.indexOf(u"-->", at);
            if (at < 0)
                break;
            continue;
        }
        const bool closing = at < html.size() && html.at(at) == u'/';
        const qsizetype start = closing ? at + 1 : at;
        qsizetype end = start;
        while (end < html.size() && isNameCharacter(html.at(end)))
            ++end;
        const qsizetype tagEnd = html.indexOf(u'>', end);
        if (tagEnd < 0)
            break;
        const QStringView name = html.mid(start, end - start);
        at = tagEnd + 1;
        if (name.isEmpty() || needsNoEndTag(name) || html.at(tagEnd - 1) == u'/')
            continue;
        const int tables = name.compare(u"table", Qt::CaseInsensitive) == 0 ? 1 : 0;
        if (closing) {
            depth.elements = std::max(0, depth.elements - 1);
            depth.tables = std::max(0, depth.tables - tables);
            continue;
        }
        deepest.elements = std::max(deepest.elements, ++depth.elements);
        deepest.tables = std::max(deepest.tables, depth.tables += tables);
        // Scripts and style sheets hold text, not elements.
        if (name.compare(u"script", Qt::CaseInsensitive) == 0 ||
            name.compare(u"style", Qt::CaseInsensitive) == 0) {
            const qsizetype closes =
                html.indexOf(u"</"_s + name.toString(), at, Qt::CaseInsensitive);
            if (closes < 0)
                break;
            at = closes;
        }
    }
    return deepest;
}

QString forQtReader(const QString& html)
{
    static const QRegularExpression tag(QStringLiteral(
        "<([a-zA-Z][a-zA-Z0-9]*)((?:\\s[^>]*?)?\\sstyle\\s*=\\s*(\"[^\"]*\"|'[^']*')[^>]*)>"));
    static const QRegularExpression property(
        QStringLiteral("((?:margin|padding|text-indent|border|width|height)[a-z-]*\\s*:)([^;]*)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression points(QStringLiteral("(\\d*\\.?\\d+)pt\\b"));
    static const QRegularExpression width(
        QStringLiteral("(?:^|[;\"'\\s])width\\s*:\\s*(\\d*\\.?\\d+)(px|%)"));
    if (!html.contains(QLatin1String("style"), Qt::CaseInsensitive))
        return html;
    QString out;
    qsizetype last = 0;
    QRegularExpressionMatchIterator tags = tag.globalMatch(html);
    while (tags.hasNext()) {
        const auto match = tags.next();
        out += QStringView(html).mid(last, match.capturedStart() - last);
        last = match.capturedEnd();
        const QString style = match.captured(3);
        QString changed;
        qsizetype done = 0;
        QRegularExpressionMatchIterator properties = property.globalMatch(style);
        while (properties.hasNext()) {
            const auto each = properties.next();
            changed += QStringView(style).mid(done, each.capturedStart(2) - done);
            changed += QString(each.captured(2)).replace(points, QStringLiteral("\\1px"));
            done = each.capturedEnd(2);
        }
        changed += QStringView(style).mid(done);
        QString whole = match.captured(0);
        whole.replace(match.capturedStart(3) - match.capturedStart(0), style.size(), changed);
        const QString name = match.captured(1).toLower();
        if ((name == QLatin1String("td") || name == QLatin1String("th") ||
             name == QLatin1String("table")) &&
            !QRegularExpression(QStringLiteral("\\swidth\\s*="),
                                QRegularExpression::CaseInsensitiveOption)
                 .match(match.captured(2).remove(style))
                 .hasMatch()) {
            const auto found = width.match(changed);
            if (found.hasMatch())
                whole.insert(1 + name.size(),
                             QStringLiteral(" width=\"%1%2\"")
                                 .arg(found.captured(1), found.captured(2) == QLatin1String("%")
                                                             ? QStringLiteral("%")
                                                             : QString()));
        }
        out += whole;
    }
    out += QStringView(html).mid(last);
    return out;
}

QByteArray declaredCharset(const QByteArray& bytes)
{
    static const QRegularExpression meta(
        QStringLiteral("<meta[^>]*charset\\s*=\\s*[\"']?\\s*([A-Za-z0-9_.:-]+)"),
        QRegularExpression::CaseInsensitiveOption);
    const QString head = QString::fromLatin1(bytes.left(8192));
    const auto match = meta.match(head);
    return match.hasMatch() ? match.captured(1).toLatin1().toLower() : QByteArray();
}

QString decode(const QByteArray& bytes)
{
    // A byte-order mark outranks the page's own claim.
    if (bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") ||
        bytes.startsWith("\xFE\xFF"))
        return TextFile::decode(bytes);
    QByteArray charset = declaredCharset(bytes);
    // Browsers read pages that say Latin-1 or ASCII as Windows-1252.
    if (charset == "iso-8859-1" || charset == "latin1" || charset == "us-ascii" ||
        charset == "ascii")
        charset = "windows-1252";
    if (!charset.isEmpty() && charset != "utf-16" && charset != "utf-32") {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid()) {
            QString text = decoder.decode(bytes);
            if (!decoder.hasError() || charset != "utf-8")
                return text;
        }
    }
    return TextFile::decode(bytes);
}

} // namespace HtmlText
