#include "engines/documents/MathText.h"

#include "engines/documents/Xml.h"

#include <QRegularExpression>
#include <QStringList>

namespace MathText {

namespace {

using Xml::attribute;
using Xml::child;
using Xml::is;

constexpr int depthLimit = 64;

// A part that is more than one sign is bracketed where it is combined.
QString grouped(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.size() <= 1)
        return trimmed;
    const QChar first = trimmed.front();
    const QChar last = trimmed.back();
    if ((first == u'(' && last == u')') || (first == u'[' && last == u']') ||
        (first == u'{' && last == u'}'))
        return trimmed;
    bool simple = true;
    for (const QChar c : trimmed)
        simple = simple && (c.isLetterOrNumber() || c == u'.');
    return simple ? trimmed : u'(' + trimmed + u')';
}

QString spacedOperator(const QString& op)
{
    static const QString spaced = QStringLiteral("=+−-×·<>≤≥≠±→←⇒⇔≈≡∈∉⊂⊃∪∩∧∨");
    const QString trimmed = op.trimmed();
    if (trimmed.size() == 1 && spaced.contains(trimmed))
        return u' ' + trimmed + u' ';
    if (trimmed == QLatin1String(","))
        return QStringLiteral(", ");
    return trimmed;
}

class OfficeMath
{
public:
    QString text(const pugi::xml_node& node, int depth = 0)
    {
        if (depth > depthLimit)
            return {};
        QString out;
        for (pugi::xml_node each : node.children())
            out += element(each, depth + 1);
        return out;
    }

private:
    QString part(const pugi::xml_node& node, const char* name, int depth)
    {
        return text(child(node, name), depth);
    }

    static QString property(const pugi::xml_node& node, const char* properties, const char* name,
                            const QString& fallback)
    {
        const pugi::xml_node found = child(child(node, properties), name);
        if (!found)
            return fallback;
        return attribute(found, "val").value_or(QString());
    }

    QString element(const pugi::xml_node& node, int depth)
    {
        if (node.type() != pugi::node_element)
            return {};
        if (is(node, "t"))
            return spacedOperator(Xml::text(node));
        if (is(node, "f"))
            return grouped(part(node, "num", depth)) + u'/' + grouped(part(node, "den", depth));
        if (is(node, "sSup"))
            return part(node, "e", depth) + u'^' + grouped(part(node, "sup", depth));
        if (is(node, "sSub"))
            return part(node, "e", depth) + u'_' + grouped(part(node, "sub", depth));
        if (is(node, "sSubSup"))
            return part(node, "e", depth) + u'_' + grouped(part(node, "sub", depth)) + u'^' +
                   grouped(part(node, "sup", depth));
        if (is(node, "sPre"))
            return u'_' + grouped(part(node, "sub", depth)) + u'^' +
                   grouped(part(node, "sup", depth)) + part(node, "e", depth);
        if (is(node, "rad")) {
            const QString degree = part(node, "deg", depth).trimmed();
            return degree + QStringLiteral("√") + grouped(part(node, "e", depth));
        }
        if (is(node, "d"))
            return delimited(node, depth);
        if (is(node, "nary")) {
            QString out = property(node, "naryPr", "chr", QStringLiteral("∫"));
            const QString sub = part(node, "sub", depth);
            const QString sup = part(node, "sup", depth);
            if (!sub.trimmed().isEmpty())
                out += u'_' + grouped(sub);
            if (!sup.trimmed().isEmpty())
                out += u'^' + grouped(sup);
            return out + u' ' + part(node, "e", depth);
        }
        if (is(node, "func"))
            return part(node, "fName", depth) + u' ' + part(node, "e", depth);
        if (is(node, "limLow"))
            return part(node, "e", depth) + u'_' + grouped(part(node, "lim", depth));
        if (is(node, "limUpp"))
            return part(node, "e", depth) + u'^' + grouped(part(node, "lim", depth));
        if (is(node, "acc"))
            return part(node, "e", depth) +
                   property(node, "accPr", "chr", QStringLiteral("\u0302"));
        if (is(node, "m"))
            return matrix(node, depth);
        if (is(node, "eqArr")) {
            QStringList rows;
            for (pugi::xml_node row : node.children())
                if (is(row, "e"))
                    rows.append(text(row, depth));
            return rows.join(QStringLiteral("; "));
        }
        if (is(node, "rPr") || is(node, "ctrlPr") || Xml::localName(node)[0] == '\0')
            return {};
        const QString name = QString::fromUtf8(Xml::localName(node));
        if (name.endsWith(QLatin1String("Pr")))
            return {};
        return text(node, depth);
    }

    QString delimited(const pugi::xml_node& node, int depth)
    {
        const QString open = property(node, "dPr", "begChr", QStringLiteral("("));
        const QString close = property(node, "dPr", "endChr", QStringLiteral(")"));
        const QString separator = property(node, "dPr", "sepChr", QStringLiteral("|"));
        QStringList parts;
        for (pugi::xml_node each : node.children())
            if (is(each, "e"))
                parts.append(text(each, depth));
        return open + parts.join(separator) + close;
    }

    QString matrix(const pugi::xml_node& node, int depth)
    {
        QStringList rows;
        for (pugi::xml_node row : node.children()) {
            if (!is(row, "mr"))
                continue;
            QStringList cells;
            for (pugi::xml_node cell : row.children())
                if (is(cell, "e"))
                    cells.append(text(cell, depth).trimmed());
            rows.append(cells.join(QStringLiteral(", ")));
        }
        return u'[' + rows.join(QStringLiteral("; ")) + u']';
    }
};

class MathMl
{
public:
    QString text(const pugi::xml_node& node, int depth = 0)
    {
        if (depth > depthLimit)
            return {};
        QString out;
        for (pugi::xml_node each : node.children()) {
            if (each.type() == pugi::node_pcdata || each.type() == pugi::node_cdata)
                out += QString::fromUtf8(each.value()).simplified();
            else
                out += element(each, depth + 1);
        }
        return out;
    }

private:
    // The element children, in order.
    static QList<pugi::xml_node> arguments(const pugi::xml_node& node)
    {
        QList<pugi::xml_node> out;
        for (pugi::xml_node each : node.children())
            if (each.type() == pugi::node_element)
                out.append(each);
        return out;
    }

    QString argument(const QList<pugi::xml_node>& list, int index, int depth)
    {
        return index < list.size() ? element(list.at(index), depth) : QString();
    }

    QString element(const pugi::xml_node& node, int depth)
    {
        if (depth > depthLimit)
            return {};
        const QList<pugi::xml_node> args = arguments(node);
        if (is(node, "mo"))
            return spacedOperator(text(node, depth));
        if (is(node, "mi") || is(node, "mn") || is(node, "mtext") || is(node, "ms"))
            return text(node, depth);
        if (is(node, "mspace"))
            return QStringLiteral(" ");
        if (is(node, "mfrac"))
            return grouped(argument(args, 0, depth)) + u'/' + grouped(argument(args, 1, depth));
        if (is(node, "msup") || is(node, "mover"))
            return argument(args, 0, depth) + u'^' + grouped(argument(args, 1, depth));
        if (is(node, "msub") || is(node, "munder"))
            return argument(args, 0, depth) + u'_' + grouped(argument(args, 1, depth));
        if (is(node, "msubsup") || is(node, "munderover"))
            return argument(args, 0, depth) + u'_' + grouped(argument(args, 1, depth)) + u'^' +
                   grouped(argument(args, 2, depth));
        if (is(node, "msqrt"))
            return QStringLiteral("√") + grouped(text(node, depth));
        if (is(node, "mroot"))
            return argument(args, 1, depth) + QStringLiteral("√") +
                   grouped(argument(args, 0, depth));
        if (is(node, "mfenced")) {
            QStringList parts;
            for (const pugi::xml_node& each : args)
                parts.append(element(each, depth));
            return attribute(node, "open").value_or(QStringLiteral("(")) +
                   parts.join(attribute(node, "separators").value_or(QStringLiteral(","))) +
                   attribute(node, "close").value_or(QStringLiteral(")"));
        }
        if (is(node, "mtable")) {
            QStringList rows;
            for (const pugi::xml_node& row : args) {
                QStringList cells;
                for (const pugi::xml_node& cell : arguments(row))
                    cells.append(element(cell, depth).trimmed());
                rows.append(cells.join(QStringLiteral(", ")));
            }
            return u'[' + rows.join(QStringLiteral("; ")) + u']';
        }
        if (is(node, "semantics"))
            return args.isEmpty() ? QString() : element(args.first(), depth);
        if (is(node, "annotation") || is(node, "annotation-xml") || is(node, "mphantom") ||
            is(node, "none") || is(node, "mprescripts"))
            return {};
        return text(node, depth);
    }
};

// The source an annotation of the formula carries: TeX first, then
// LibreOffice's StarMath.
QString annotation(const pugi::xml_node& math)
{
    QString starMath;
    for (const pugi::xpath_node& found : math.select_nodes(".//*[local-name()='annotation']")) {
        const QString encoding = attribute(found.node(), "encoding").value_or(QString()).toLower();
        const QString text = Xml::text(found.node()).trimmed();
        if (text.isEmpty())
            continue;
        if (encoding.contains(QLatin1String("tex")))
            return text;
        if (encoding.startsWith(QLatin1String("starmath")))
            starMath = text;
    }
    return starMath;
}

QString escapedHtml(QString text)
{
    text.replace(u'&', QStringLiteral("&amp;"));
    text.replace(u'<', QStringLiteral("&lt;"));
    text.replace(u'>', QStringLiteral("&gt;"));
    return text;
}

} // namespace

QString fromOfficeMath(const pugi::xml_node& node)
{
    return OfficeMath().text(node).simplified();
}

QString fromMathMl(const pugi::xml_node& node)
{
    const QString source = annotation(node);
    if (!source.isEmpty())
        return source.simplified();
    return MathMl().text(node).simplified();
}

QString replaceInHtml(const QString& html)
{
    static const QRegularExpression math(
        QStringLiteral("<((?:[A-Za-z][\\w.-]*:)?math)\\b[^>]*>[\\s\\S]*?</\\1\\s*>"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    if (!html.contains(QLatin1String("math"), Qt::CaseInsensitive))
        return html;
    QString out;
    qsizetype last = 0;
    QRegularExpressionMatchIterator matches = math.globalMatch(html);
    while (matches.hasNext()) {
        const auto match = matches.next();
        out += QStringView(html).mid(last, match.capturedStart() - last);
        const QByteArray fragment = match.captured(0).toUtf8();
        pugi::xml_document document;
        // Text of a piece that isn't XML is still HTML, entities and all.
        if (document.load_buffer(fragment.constData(), size_t(fragment.size()),
                                 pugi::parse_default | pugi::parse_ws_pcdata_single))
            out += u' ' + escapedHtml(fromMathMl(document.first_child())) + u' ';
        else
            out += u' ' + match.captured(0).remove(tags).simplified() + u' ';
        last = match.capturedEnd();
    }
    out += QStringView(html).mid(last);
    return out;
}

} // namespace MathText
