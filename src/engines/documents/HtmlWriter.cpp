#include "engines/documents/HtmlWriter.h"

#include "engines/documents/Xml.h"

#include <QTextDocument>
#include <cmath>

namespace HtmlWriter {

namespace {

using namespace DocumentModel;
using Xml::escaped;

QByteArray points(double value)
{
    return QByteArray::number(std::round(value * 100) / 100, 'g', 8) + "pt";
}

// CSS pixels, which <img> sizes are given in: 96 to the inch.
QByteArray pixels(double points)
{
    return QByteArray::number(std::max(1LL, std::llround(points * 4 / 3)));
}

QByteArray colorName(const QColor& color)
{
    return color.name().toLatin1();
}

const char* listType(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListDecimal:
        return "decimal";
    case QTextListFormat::ListLowerAlpha:
        return "lower-alpha";
    case QTextListFormat::ListUpperAlpha:
        return "upper-alpha";
    case QTextListFormat::ListLowerRoman:
        return "lower-roman";
    case QTextListFormat::ListUpperRoman:
        return "upper-roman";
    case QTextListFormat::ListCircle:
        return "circle";
    case QTextListFormat::ListSquare:
        return "square";
    default:
        return "disc";
    }
}

QByteArray borderStyle(const Border& border)
{
    if (!border.isVisible())
        return "none";
    const char* style = border.style == QTextFrameFormat::BorderStyle_Double   ? "double"
                        : border.style == QTextFrameFormat::BorderStyle_Dotted ? "dotted"
                        : border.style == QTextFrameFormat::BorderStyle_Dashed ? "dashed"
                                                                               : "solid";
    return points(border.width) + ' ' + style + ' ' + colorName(border.color);
}

class Writer
{
public:
    Writer(const QTextDocument& document, const Options& options)
        : m_document(document), m_options(options)
    {
        const QString family = document.defaultFont().family();
        m_defaultFamily = family;
    }

    Body write()
    {
        Body body;
        blocks(DocumentModel::blocks(m_document, m_options.links), body.markup);
        closeLists(body.markup, -1);
        body.headings = m_headings;
        return body;
    }

private:
    void blocks(const QList<Block>& list, QByteArray& out)
    {
        for (const Block& block : list) {
            if (block.paragraph) {
                paragraph(*block.paragraph, out);
            } else if (block.table) {
                closeLists(out, -1);
                table(*block.table, out);
            }
        }
    }

    // Lists nest as elements: a deeper list sits in the open item above it.
    void closeLists(QByteArray& out, int keepThrough)
    {
        while (!m_open.isEmpty() && m_open.last().level > keepThrough) {
            out += "</li></" + m_open.last().tag + ">\n";
            m_open.removeLast();
        }
    }

    void enterList(const ListItem& item, QByteArray& out)
    {
        const QByteArray tag = isNumbered(item.style) ? "ol" : "ul";
        closeLists(out, item.level);
        if (!m_open.isEmpty() && m_open.last().level == item.level) {
            if (m_open.last().list == item.list && m_open.last().tag == tag) {
                out += "</li>\n<li>";
                return;
            }
            closeLists(out, item.level - 1);
        }
        while (m_open.isEmpty() || m_open.last().level < item.level) {
            const int level = m_open.isEmpty() ? 0 : m_open.last().level + 1;
            const QTextListFormat::Style style =
                level == item.level ? item.style
                                    : (isNumbered(item.style) ? QTextListFormat::ListDecimal
                                                              : bulletForLevel(level));
            const QByteArray levelTag = isNumbered(style) ? "ol" : "ul";
            out += '<' + levelTag + R"( style="list-style-type:)" + listType(style) + R"(">)";
            // A level without an item of its own shows no marker.
            out += level == item.level ? "<li>" : R"(<li style="list-style-type:none">)";
            m_open.append(OpenList{item.list, level, levelTag});
        }
    }

    void paragraph(const Paragraph& p, QByteArray& out)
    {
        if (p.list)
            enterList(*p.list, out);
        else
            closeLists(out, -1);
        QByteArray style;
        if (p.alignment & Qt::AlignHCenter)
            style += "text-align:center;";
        else if (p.alignment & (Qt::AlignRight | Qt::AlignTrailing))
            style += "text-align:right;";
        else if (p.alignment & Qt::AlignJustify)
            style += "text-align:justify;";
        if (!p.list && p.left > 0)
            style += "margin-left:" + points(p.left) + ';';
        if (p.right > 0)
            style += "margin-right:" + points(p.right) + ';';
        if (p.before > 0)
            style += "margin-top:" + points(p.before) + ';';
        if (p.after > 0)
            style += "margin-bottom:" + points(p.after) + ';';
        if (!p.list && p.firstLine != 0)
            style += "text-indent:" + points(p.firstLine) + ';';
        if (p.pageBreakBefore)
            style += "page-break-before:always;";
        QStringList anchors = p.anchors;
        for (const Run& run : p.runs) {
            if (!run.anchors.isEmpty() && run.text.isEmpty() && !run.picture)
                anchors += run.anchors;
            else if (!run.text.trimmed().isEmpty() || run.picture)
                break;
        }
        QString id = anchors.isEmpty() ? QString() : anchors.takeFirst();
        if (p.heading && id.isEmpty() && m_options.headingIdentifiers)
            id = QStringLiteral("heading-%1").arg(m_headings.size() + 1);
        const QByteArray tag =
            p.heading ? "h" + QByteArray::number(p.heading) : (p.list ? QByteArray() : "p");
        if (!tag.isEmpty()) {
            out += '<' + tag;
            if (!id.isEmpty())
                out += R"( id=")" + escaped(id) + '"';
            if (!style.isEmpty())
                out += R"( style=")" + style + '"';
            out += '>';
        } else {
            if (!id.isEmpty())
                anchors.prepend(id);
            if (!style.isEmpty())
                out += R"(<span style=")" + style + R"(">)";
        }
        for (const QString& name : std::as_const(anchors))
            out += R"(<a id=")" + escaped(name) + R"("></a>)";
        QString plain;
        for (const Run& run : p.runs) {
            this->run(run, p.heading > 0, out);
            plain += run.text;
        }
        if (p.heading && !id.isEmpty())
            m_headings.append(Heading{p.heading, plain.simplified(), id});
        if (!tag.isEmpty())
            out += "</" + tag + ">\n";
        else if (!style.isEmpty())
            out += "</span>";
    }

    void run(const Run& run, bool inHeading, QByteArray& out)
    {
        for (const QString& name : run.anchors)
            if (!run.text.isEmpty() || run.picture)
                out += R"(<a id=")" + escaped(name) + R"("></a>)";
        QByteArray body = run.picture ? picture(*run.picture) : text(run.text);
        if (body.isEmpty())
            return;
        const Marks& m = run.marks;
        QByteArray style;
        if (!m.font.isEmpty() && m.font != m_defaultFamily)
            style += "font-family:'" + escaped(QString(m.font).remove(u'\'')) + "';";
        if (m.points && !inHeading)
            style += "font-size:" + points(*m.points) + ';';
        if (m.color)
            style += "color:" + colorName(*m.color) + ';';
        if (!style.isEmpty())
            body = R"(<span style=")" + style + R"(">)" + body + "</span>";
        if (m.position > 0)
            body = "<sup>" + body + "</sup>";
        else if (m.position < 0)
            body = "<sub>" + body + "</sub>";
        if (m.strike)
            body = "<s>" + body + "</s>";
        if (m.underline && m.href.isEmpty())
            body = "<u>" + body + "</u>";
        if (m.italic)
            body = "<i>" + body + "</i>";
        if (m.bold && !inHeading)
            body = "<b>" + body + "</b>";
        if (!m.href.isEmpty())
            body = R"(<a href=")" + escaped(m.href) + R"(">)" + body + "</a>";
        out += body;
    }

    static QByteArray text(const QString& value)
    {
        QByteArray out;
        qsizetype start = 0;
        for (qsizetype i = 0; i <= value.size(); ++i) {
            const bool end = i == value.size();
            const QChar c = end ? QChar() : value.at(i);
            if (!end && c != u'\n' && c != u'\t')
                continue;
            out += escaped(value.mid(start, i - start));
            if (!end)
                out += c == u'\n' ? QByteArray("<br/>")
                                  : QByteArray(R"(<span style="white-space:pre">&#9;</span>)");
            start = i + 1;
        }
        return out;
    }

    QByteArray picture(const DocumentModel::Picture& picture) const
    {
        const QString source =
            m_options.pictureSource ? m_options.pictureSource(picture.picture) : QString();
        if (source.isEmpty())
            return escaped(picture.alt);
        return R"(<img src=")" + escaped(source) + R"(" alt=")" + escaped(picture.alt) +
               R"(" width=")" + pixels(picture.size.width()) + R"(" height=")" +
               pixels(picture.size.height()) + R"("/>)";
    }

    void table(const Table& t, QByteArray& out)
    {
        if (t.rows == 0 || t.columns == 0)
            return;
        double width = 0;
        for (const double each : t.widths)
            width += each;
        out +=
            R"(<table style="border-collapse:collapse;width:)" + points(width) + R"("><colgroup>)";
        for (const double each : t.widths)
            out += R"(<col style="width:)" + points(each) + R"("/>)";
        out += "</colgroup>\n";
        const QByteArray padding = "padding:" + points(t.padding.top()) + ' ' +
                                   points(t.padding.right()) + ' ' + points(t.padding.bottom()) +
                                   ' ' + points(t.padding.left()) + ';';
        for (int row = 0; row < t.rows; ++row) {
            if (row == 0)
                out += t.headerRows > 0 ? "<thead>" : "<tbody>";
            else if (row == t.headerRows)
                out += "</thead><tbody>";
            out += "<tr>";
            for (int column = 0; column < t.columns; ++column) {
                const Cell& cell = t.cells[row][column];
                if (cell.covered)
                    continue;
                const QByteArray tag = row < t.headerRows ? "th" : "td";
                out += '<' + tag;
                if (cell.columnSpan > 1)
                    out += R"( colspan=")" + QByteArray::number(cell.columnSpan) + '"';
                if (cell.rowSpan > 1)
                    out += R"( rowspan=")" + QByteArray::number(cell.rowSpan) + '"';
                double cellWidth = 0;
                for (int c = column; c < column + cell.columnSpan && c < t.widths.size(); ++c)
                    cellWidth += t.widths.at(c);
                out += R"( style="vertical-align:top;text-align:left;font-weight:normal;width:)" +
                       points(cellWidth) + ';' + padding +
                       "border-top:" + borderStyle(cell.borders[Side::top]) +
                       ";border-right:" + borderStyle(cell.borders[Side::right]) +
                       ";border-bottom:" + borderStyle(cell.borders[Side::bottom]) +
                       ";border-left:" + borderStyle(cell.borders[Side::left]) + ';';
                if (cell.background)
                    out += "background-color:" + colorName(*cell.background) + ';';
                out += R"(">)";
                const QList<OpenList> outer = std::exchange(m_open, {});
                blocks(cell.blocks, out);
                closeLists(out, -1);
                m_open = outer;
                out += "</" + tag + '>';
            }
            out += "</tr>\n";
        }
        out += t.headerRows >= t.rows ? "</thead></table>\n" : "</tbody></table>\n";
    }

    struct OpenList
    {
        int list = 0;
        int level = 0;
        QByteArray tag;
    };

    const QTextDocument& m_document;
    const Options& m_options;
    QString m_defaultFamily;
    QList<OpenList> m_open;
    QList<Heading> m_headings;
};

} // namespace

Body body(const QTextDocument& document, const Options& options)
{
    return Writer(document, options).write();
}

QByteArray page(const QTextDocument& document, const QString& title, const Options& options)
{
    const QFont font = document.defaultFont();
    const double size = font.pointSizeF() > 0 ? font.pointSizeF() : 12;
    return "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n<meta "
           "charset=\"utf-8\"/>\n<title>" +
           Xml::escaped(title) + "</title>\n<style>body{font-family:'" +
           Xml::escaped(font.family().remove(u'\'')) + "';font-size:" + points(size) +
           "}</style>\n</head>\n<body>\n" + body(document, options).markup + "</body>\n</html>\n";
}

} // namespace HtmlWriter
