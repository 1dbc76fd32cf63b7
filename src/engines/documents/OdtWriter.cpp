#include "engines/documents/OdtWriter.h"

#include "base/ZipWriter.h"
#include "engines/documents/DocumentModel.h"
#include "engines/documents/Pictures.h"
#include "engines/documents/Xml.h"

#include <QHash>
#include <QMap>
#include <QTextDocument>

namespace OdtWriter {

namespace {

using namespace DocumentModel;
using Xml::escaped;

const QByteArray namespaces =
    R"( xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" xmlns:xlink="http://www.w3.org/1999/xlink" xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:meta="urn:oasis:names:tc:opendocument:xmlns:meta:1.0" xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" office:version="1.3")";

QByteArray points(double value)
{
    return QByteArray::number(value, 'f', 2) + "pt";
}

const char* numberFormat(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListLowerAlpha:
        return "a";
    case QTextListFormat::ListUpperAlpha:
        return "A";
    case QTextListFormat::ListLowerRoman:
        return "i";
    case QTextListFormat::ListUpperRoman:
        return "I";
    default:
        return "1";
    }
}

const char* bullet(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListCircle:
        return "\xE2\x97\xA6";
    case QTextListFormat::ListSquare:
        return "\xE2\x96\xAA";
    default:
        return "\xE2\x80\xA2";
    }
}

// Text for element content: ODF collapses runs of spaces, so every space
// after the first (and one at the start) is spelled out.
QByteArray spaced(const QString& text, bool& afterSpace)
{
    QByteArray out;
    QString pending;
    for (const QChar c : text) {
        if (c == QLatin1Char(' ')) {
            if (afterSpace) {
                out += escaped(pending) + "<text:s/>";
                pending.clear();
            } else {
                pending += c;
            }
            afterSpace = true;
        } else if (c == QLatin1Char('\t')) {
            out += escaped(pending) + "<text:tab/>";
            pending.clear();
            afterSpace = false;
        } else if (c == QLatin1Char('\n')) {
            out += escaped(pending) + "<text:line-break/>";
            pending.clear();
            afterSpace = true;
        } else {
            pending += c;
            afterSpace = false;
        }
    }
    return out + escaped(pending);
}

class Writer
{
public:
    explicit Writer(const QTextDocument& document) : m_document(document) {}

    void write(const QString& title, const QString& path)
    {
        QByteArray body;
        blocks(DocumentModel::blocks(m_document), body);
        closeLists(body, -1);

        ZipWriter zip(path);
        zip.add(QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.text",
                ZipWriter::Method::stored);
        zip.add(QStringLiteral("content.xml"), content(body));
        zip.add(QStringLiteral("styles.xml"), styles());
        zip.add(QStringLiteral("meta.xml"), meta(title));
        if (!m_media.isEmpty())
            zip.addFolder(QStringLiteral("Pictures/"));
        for (const Media& media : std::as_const(m_media))
            zip.add(media.name, media.bytes, ZipWriter::Method::stored);
        zip.addFolder(QStringLiteral("META-INF/"));
        zip.add(QStringLiteral("META-INF/manifest.xml"), manifest());
        zip.finish();
    }

private:
    QByteArray manifest() const
    {
        QByteArray pictures;
        for (const Media& media : m_media)
            pictures += R"(<manifest:file-entry manifest:full-path=")" + escaped(media.name) +
                        R"(" manifest:media-type=")" + media.type + R"("/>)";
        return R"(<?xml version="1.0" encoding="UTF-8"?>
<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.3"><manifest:file-entry manifest:full-path="/" manifest:version="1.3" manifest:media-type="application/vnd.oasis.opendocument.text"/><manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/><manifest:file-entry manifest:full-path="styles.xml" manifest:media-type="text/xml"/><manifest:file-entry manifest:full-path="meta.xml" manifest:media-type="text/xml"/>)" +
               pictures + "</manifest:manifest>";
    }

    static QByteArray meta(const QString& title)
    {
        return R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document-meta)" +
               namespaces + "><office:meta><dc:title>" + escaped(title) +
               "</dc:title><meta:generator>Flingdial</meta:generator></office:meta></"
               "office:document-meta>";
    }

    QByteArray styles() const
    {
        const QFont font = m_document.defaultFont();
        QByteArray out =
            R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document-styles)" +
            namespaces +
            R"(><office:styles><style:default-style style:family="paragraph"><style:text-properties fo:font-family=")" +
            escaped(font.family()) + R"(" fo:font-size=")" +
            points(font.pointSizeF() > 0 ? font.pointSizeF() : 12) +
            R"("/></style:default-style><style:style style:name="Standard" style:family="paragraph" style:class="text"/>)";
        static const double headingPoints[] = {24, 18, 14.4, 12, 10, 9};
        for (int level = 1; level <= 6; ++level) {
            const QByteArray n = QByteArray::number(level);
            out +=
                R"(<style:style style:name="Heading_20_)" + n +
                R"(" style:display-name="Heading )" + n +
                R"(" style:family="paragraph" style:parent-style-name="Standard" style:next-style-name="Standard" style:default-outline-level=")" +
                n +
                R"(" style:class="text"><style:paragraph-properties fo:margin-top="12pt" fo:margin-bottom="3pt" fo:keep-with-next="always"/><style:text-properties fo:font-size=")" +
                points(headingPoints[level - 1]) +
                R"(" fo:font-weight="bold" style:font-weight-asian="bold" style:font-weight-complex="bold"/></style:style>)";
        }
        out +=
            R"(</office:styles><office:automatic-styles><style:page-layout style:name="A4"><style:page-layout-properties fo:page-width="595pt" fo:page-height="842pt" style:print-orientation="portrait" fo:margin-top="56pt" fo:margin-bottom="56pt" fo:margin-left="56pt" fo:margin-right="56pt"/></style:page-layout></office:automatic-styles><office:master-styles><style:master-page style:name="Standard" style:page-layout-name="A4"/></office:master-styles></office:document-styles>)";
        return out;
    }

    QByteArray content(const QByteArray& body) const
    {
        QByteArray automatic;
        for (auto it = m_paragraphStyles.constBegin(); it != m_paragraphStyles.constEnd(); ++it)
            automatic += it.value().second;
        for (auto it = m_textStyles.constBegin(); it != m_textStyles.constEnd(); ++it)
            automatic += it.value().second;
        for (auto it = m_lists.constBegin(); it != m_lists.constEnd(); ++it)
            automatic += listStyle(it.key(), it.value());
        for (const QByteArray& style : m_tableStyles)
            automatic += style;
        if (!m_media.isEmpty())
            automatic +=
                R"(<style:style style:name="Picture" style:family="graphic"><style:graphic-properties style:vertical-pos="top" style:vertical-rel="baseline" fo:border="none" style:wrap="none"/></style:style>)";
        return R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document-content)" +
               namespaces + "><office:automatic-styles>" + automatic +
               "</office:automatic-styles><office:body><office:text>" + body +
               "</office:text></office:body></office:document-content>";
    }

    static QByteArray listStyle(int id, const ListItem& item)
    {
        QByteArray out = R"(<text:list-style style:name="L)" + QByteArray::number(id) + R"(">)";
        for (int level = 0; level < 10; ++level) {
            const QTextListFormat::Style style = styleAtLevel(item, level);
            const QByteArray properties =
                R"(<style:list-level-properties text:list-level-position-and-space-mode="label-alignment"><style:list-level-label-alignment text:label-followed-by="listtab" fo:text-indent="-18pt" fo:margin-left=")" +
                points(36.0 * (level + 1)) + R"("/></style:list-level-properties>)";
            const QByteArray n = QByteArray::number(level + 1);
            if (isNumbered(style))
                out += R"(<text:list-level-style-number text:level=")" + n +
                       R"(" style:num-suffix="." style:num-format=")" + numberFormat(style) +
                       R"(">)" + properties + "</text:list-level-style-number>";
            else
                out += R"(<text:list-level-style-bullet text:level=")" + n +
                       R"(" text:bullet-char=")" + bullet(style) + R"(">)" + properties +
                       "</text:list-level-style-bullet>";
        }
        return out + "</text:list-style>";
    }

    QByteArray paragraphStyle(const Paragraph& p)
    {
        QByteArray properties;
        if (p.alignment & Qt::AlignHCenter)
            properties += R"( fo:text-align="center")";
        else if (p.alignment & (Qt::AlignRight | Qt::AlignTrailing))
            properties += R"( fo:text-align="end")";
        else if (p.alignment & Qt::AlignJustify)
            properties += R"( fo:text-align="justify")";
        if (!p.list) {
            if (p.left != 0)
                properties += R"( fo:margin-left=")" + points(p.left) + '"';
            if (p.firstLine != 0)
                properties += R"( fo:text-indent=")" + points(p.firstLine) + '"';
        }
        if (p.right != 0)
            properties += R"( fo:margin-right=")" + points(p.right) + '"';
        if (p.before != 0)
            properties += R"( fo:margin-top=")" + points(p.before) + '"';
        if (p.after != 0)
            properties += R"( fo:margin-bottom=")" + points(p.after) + '"';
        if (p.pageBreakBefore)
            properties += R"( fo:break-before="page")";
        const QByteArray parent =
            p.heading ? "Heading_20_" + QByteArray::number(p.heading) : QByteArray("Standard");
        const QByteArray key = parent + properties;
        auto& entry = m_paragraphStyles[key];
        if (entry.first.isEmpty()) {
            entry.first = "P" + QByteArray::number(m_paragraphStyles.size());
            entry.second = R"(<style:style style:name=")" + entry.first +
                           R"(" style:family="paragraph" style:parent-style-name=")" + parent +
                           R"("><style:paragraph-properties)" + properties + "/></style:style>";
        }
        return entry.first;
    }

    QByteArray textStyle(const Marks& m)
    {
        QByteArray properties;
        if (!m.font.isEmpty())
            properties += R"( fo:font-family=")" + escaped(m.font) +
                          R"(" style:font-family-asian=")" + escaped(m.font) +
                          R"(" style:font-family-complex=")" + escaped(m.font) + '"';
        if (m.points)
            properties += R"( fo:font-size=")" + points(*m.points) +
                          R"(" style:font-size-asian=")" + points(*m.points) +
                          R"(" style:font-size-complex=")" + points(*m.points) + '"';
        if (m.bold)
            properties +=
                R"( fo:font-weight="bold" style:font-weight-asian="bold" style:font-weight-complex="bold")";
        if (m.italic)
            properties +=
                R"( fo:font-style="italic" style:font-style-asian="italic" style:font-style-complex="italic")";
        if (m.underline)
            properties +=
                R"( style:text-underline-style="solid" style:text-underline-width="auto" style:text-underline-color="font-color")";
        if (m.strike)
            properties +=
                R"( style:text-line-through-style="solid" style:text-line-through-type="single")";
        if (m.color)
            properties += R"( fo:color=")" + m.color->name().toLatin1() + '"';
        if (m.position)
            properties += m.position > 0 ? R"( style:text-position="super 58%")"
                                         : R"( style:text-position="sub 58%")";
        if (properties.isEmpty())
            return {};
        auto& entry = m_textStyles[properties];
        if (entry.first.isEmpty()) {
            entry.first = "T" + QByteArray::number(m_textStyles.size());
            entry.second = R"(<style:style style:name=")" + entry.first +
                           R"(" style:family="text"><style:text-properties)" + properties +
                           "/></style:style>";
        }
        return entry.first;
    }

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

    // Lists nest as elements: an item at level n sits in the open item of
    // level n − 1.
    void closeLists(QByteArray& out, int keepThrough)
    {
        while (!m_open.isEmpty() && m_open.last().level > keepThrough) {
            out += "</text:list-item></text:list>";
            m_open.removeLast();
        }
    }

    void enterList(const ListItem& item, QByteArray& out)
    {
        m_lists.insert(item.list, item);
        closeLists(out, item.level);
        if (!m_open.isEmpty() && m_open.last().level == item.level) {
            if (m_open.last().list == item.list) {
                out += "</text:list-item><text:list-item>";
                return;
            }
            closeLists(out, item.level - 1);
        }
        // Lists between the open ones and this level hold no item of their own.
        while (m_open.isEmpty() || m_open.last().level < item.level) {
            const int level = m_open.isEmpty() ? 0 : m_open.last().level + 1;
            out += R"(<text:list text:style-name="L)" + QByteArray::number(item.list) +
                   R"("><text:list-item>)";
            m_open.append(OpenList{item.list, level});
            if (level == item.level)
                break;
        }
    }

    void paragraph(const Paragraph& p, QByteArray& out)
    {
        if (p.list)
            enterList(*p.list, out);
        else
            closeLists(out, -1);
        const QByteArray style = paragraphStyle(p);
        const QByteArray element = p.heading ? "text:h" : "text:p";
        out += '<' + element + R"( text:style-name=")" + style + '"';
        if (p.heading)
            out += R"( text:outline-level=")" + QByteArray::number(p.heading) + '"';
        out += '>';
        for (const QString& name : p.anchors)
            out += R"(<text:bookmark text:name=")" + escaped(name) + R"("/>)";
        bool afterSpace = true;
        for (const Run& run : p.runs) {
            for (const QString& name : run.anchors)
                out += R"(<text:bookmark text:name=")" + escaped(name) + R"("/>)";
            QByteArray text =
                run.picture ? frame(*run.picture, afterSpace) : spaced(run.text, afterSpace);
            const QByteArray span = textStyle(run.marks);
            if (!span.isEmpty())
                text = R"(<text:span text:style-name=")" + span + R"(">)" + text + "</text:span>";
            if (!run.marks.href.isEmpty())
                text = R"(<text:a xlink:type="simple" xlink:href=")" + escaped(run.marks.href) +
                       R"(">)" + text + "</text:a>";
            out += text;
        }
        out += "</" + element + '>';
    }

    // A picture inline in its paragraph, its bytes a part of Pictures/.
    QByteArray frame(const DocumentModel::Picture& picture, bool& afterSpace)
    {
        const auto portable = Pictures::portable(picture.picture);
        if (!portable)
            return spaced(picture.alt, afterSpace);
        afterSpace = false;
        QString& name = m_mediaNames[portable->bytes];
        if (name.isEmpty()) {
            name = QStringLiteral("Pictures/picture%1.").arg(m_media.size() + 1) +
                   Pictures::extension(portable->format);
            m_media.append(
                Media{name, portable->bytes, Pictures::mediaType(portable->format).toLatin1()});
        }
        QByteArray out =
            R"(<draw:frame draw:style-name="Picture" draw:name="Picture )" +
            QByteArray::number(++m_frames) + R"(" text:anchor-type="as-char" svg:width=")" +
            points(picture.size.width()) + R"(" svg:height=")" + points(picture.size.height()) +
            R"(" draw:z-index="0"><draw:image xlink:href=")" + escaped(name) +
            R"(" xlink:type="simple" xlink:show="embed" xlink:actuate="onLoad"/>)";
        if (!picture.alt.isEmpty())
            out += "<svg:title>" + escaped(picture.alt) + "</svg:title><svg:desc>" +
                   escaped(picture.alt) + "</svg:desc>";
        return out + "</draw:frame>";
    }

    static QByteArray border(const Border& border)
    {
        if (!border.isVisible())
            return "none";
        const char* style = border.style == QTextFrameFormat::BorderStyle_Double   ? "double"
                            : border.style == QTextFrameFormat::BorderStyle_Dotted ? "dotted"
                            : border.style == QTextFrameFormat::BorderStyle_Dashed ? "dashed"
                                                                                   : "solid";
        return points(border.width) + ' ' + style + ' ' + border.color.name().toLatin1();
    }

    // The automatic style of a cell's look, shared by cells that look alike.
    QByteArray cellStyle(const Table& t, const Cell& cell)
    {
        QByteArray properties = R"( fo:padding-left=")" + points(t.padding.left()) +
                                R"(" fo:padding-right=")" + points(t.padding.right()) +
                                R"(" fo:padding-top=")" + points(t.padding.top()) +
                                R"(" fo:padding-bottom=")" + points(t.padding.bottom()) +
                                R"(" fo:border-top=")" + border(cell.borders[Side::top]) +
                                R"(" fo:border-right=")" + border(cell.borders[Side::right]) +
                                R"(" fo:border-bottom=")" + border(cell.borders[Side::bottom]) +
                                R"(" fo:border-left=")" + border(cell.borders[Side::left]) + '"';
        if (cell.background)
            properties += R"( fo:background-color=")" + cell.background->name().toLatin1() + '"';
        return automaticStyle("table-cell", "style:table-cell-properties", properties, "Cell");
    }

    QByteArray automaticStyle(const char* family, const char* element, const QByteArray& properties,
                              const char* prefix)
    {
        const QByteArray key = QByteArray(family) + properties;
        QByteArray& name = m_tableStyleNames[key];
        if (name.isEmpty()) {
            name = prefix + QByteArray::number(m_tableStyleNames.size());
            m_tableStyles.append(R"(<style:style style:name=")" + name + R"(" style:family=")" +
                                 family + R"("><)" + element + properties + "/></style:style>");
        }
        return name;
    }

    void table(const Table& t, QByteArray& out)
    {
        if (t.rows == 0 || t.columns == 0)
            return;
        double width = 0;
        for (const double each : t.widths)
            width += each;
        const QByteArray tableStyle = automaticStyle(
            "table", "style:table-properties",
            R"( style:width=")" + points(width) + R"(" table:align="left")", "Table");
        out += R"(<table:table table:name="Table)" + QByteArray::number(++m_tables) +
               R"(" table:style-name=")" + tableStyle + R"(">)";
        for (const double each : t.widths)
            out += R"(<table:table-column table:style-name=")" +
                   automaticStyle("table-column", "style:table-column-properties",
                                  R"( style:column-width=")" + points(each) + '"', "Column") +
                   R"("/>)";
        for (int row = 0; row < t.rows; ++row) {
            if (row == 0 && t.headerRows > 0)
                out += "<table:table-header-rows>";
            out += "<table:table-row>";
            for (int column = 0; column < t.columns; ++column) {
                const Cell& cell = t.cells[row][column];
                if (cell.covered) {
                    out += "<table:covered-table-cell/>";
                    continue;
                }
                out += R"(<table:table-cell table:style-name=")" + cellStyle(t, cell) +
                       R"(" office:value-type="string")";
                if (cell.columnSpan > 1)
                    out += R"( table:number-columns-spanned=")" +
                           QByteArray::number(cell.columnSpan) + '"';
                if (cell.rowSpan > 1)
                    out +=
                        R"( table:number-rows-spanned=")" + QByteArray::number(cell.rowSpan) + '"';
                out += '>';
                const QList<OpenList> outer = std::exchange(m_open, {});
                blocks(cell.blocks, out);
                closeLists(out, -1);
                m_open = outer;
                if (cell.blocks.isEmpty())
                    out += "<text:p/>";
                out += "</table:table-cell>";
            }
            out += "</table:table-row>";
            if (t.headerRows > 0 && row == t.headerRows - 1)
                out += "</table:table-header-rows>";
        }
        out += "</table:table>";
    }

    struct OpenList
    {
        int list = 0;
        int level = 0;
    };

    const QTextDocument& m_document;
    QMap<QByteArray, std::pair<QByteArray, QByteArray>> m_paragraphStyles; // key → name, XML
    QMap<QByteArray, std::pair<QByteArray, QByteArray>> m_textStyles;
    QMap<int, ListItem> m_lists;
    QList<OpenList> m_open;
    int m_tables = 0;
    struct Media
    {
        QString name;
        QByteArray bytes;
        QByteArray type;
    };
    QList<Media> m_media;
    QHash<QByteArray, QString> m_mediaNames; // bytes → part
    int m_frames = 0;
    QHash<QByteArray, QByteArray> m_tableStyleNames; // properties → name
    QList<QByteArray> m_tableStyles;
};

} // namespace

void write(const QTextDocument& document, const QString& title, const QString& path)
{
    Writer(document).write(title, path);
}

} // namespace OdtWriter
