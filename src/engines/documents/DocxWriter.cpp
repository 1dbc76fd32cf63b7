#include "engines/documents/DocxWriter.h"

#include "base/ZipWriter.h"
#include "engines/documents/DocumentModel.h"
#include "engines/documents/Pictures.h"
#include "engines/documents/Xml.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <QTextDocument>
#include <cmath>

namespace DocxWriter {

namespace {

using namespace DocumentModel;
using Xml::escaped;

constexpr int twipsPerPoint = 20;

QByteArray number(double value)
{
    return QByteArray::number(qlonglong(std::lround(value)));
}

QByteArray twips(double points)
{
    return number(points * twipsPerPoint);
}

const char* numberFormat(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListDecimal:
        return "decimal";
    case QTextListFormat::ListLowerAlpha:
        return "lowerLetter";
    case QTextListFormat::ListUpperAlpha:
        return "upperLetter";
    case QTextListFormat::ListLowerRoman:
        return "lowerRoman";
    case QTextListFormat::ListUpperRoman:
        return "upperRoman";
    default:
        return "bullet";
    }
}

const char* bulletText(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListCircle:
        return "\xE2\x97\xA6"; // ◦
    case QTextListFormat::ListSquare:
        return "\xE2\x96\xAA"; // ▪
    default:
        return "\xE2\x80\xA2"; // •
    }
}

class Writer
{
public:
    explicit Writer(const QTextDocument& document) : m_document(document) {}

    void write(const QString& title, const QString& path)
    {
        m_defaultFamily = m_document.defaultFont().family();
        QByteArray body;
        blocks(DocumentModel::blocks(m_document), body);

        ZipWriter zip(path);
        zip.add(QStringLiteral("[Content_Types].xml"), contentTypes());
        zip.addFolder(QStringLiteral("_rels/"));
        zip.add(QStringLiteral("_rels/.rels"), packageRelationships());
        zip.addFolder(QStringLiteral("docProps/"));
        zip.add(QStringLiteral("docProps/core.xml"), coreProperties(title));
        zip.addFolder(QStringLiteral("word/"));
        zip.add(QStringLiteral("word/document.xml"), document(body));
        zip.add(QStringLiteral("word/styles.xml"), styles());
        zip.add(QStringLiteral("word/numbering.xml"), numbering());
        zip.addFolder(QStringLiteral("word/_rels/"));
        zip.add(QStringLiteral("word/_rels/document.xml.rels"), documentRelationships());
        if (!m_media.isEmpty())
            zip.addFolder(QStringLiteral("word/media/"));
        for (const Media& media : std::as_const(m_media))
            // Pictures are compressed already.
            zip.add(QStringLiteral("word/") + media.name, media.bytes, ZipWriter::Method::stored);
        zip.finish();
    }

private:
    QByteArray contentTypes() const
    {
        QByteArray pictures;
        for (const char* extension : {"png", "jpg", "gif"})
            if (m_extensions.contains(QString::fromLatin1(extension)))
                pictures += R"(<Default Extension=")" + QByteArray(extension) +
                            R"(" ContentType=")" +
                            Pictures::mediaType(extension == QByteArray("jpg") ? "jpeg" : extension)
                                .toLatin1() +
                            R"("/>)";
        return R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/>)" +
               pictures +
               R"(<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/><Override PartName="/word/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/><Override PartName="/word/numbering.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.numbering+xml"/><Override PartName="/docProps/core.xml" ContentType="application/vnd.openxmlformats-package.core-properties+xml"/></Types>)";
    }

    static QByteArray packageRelationships()
    {
        return R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/><Relationship Id="rId2" Type="http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties" Target="docProps/core.xml"/></Relationships>)";
    }

    static QByteArray coreProperties(const QString& title)
    {
        return R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<cp:coreProperties xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties" xmlns:dc="http://purl.org/dc/elements/1.1/"><dc:title>)" +
               escaped(title) + "</dc:title></cp:coreProperties>";
    }

    QByteArray document(const QByteArray& body) const
    {
        const QByteArray margin = twips(56);
        return R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing" xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" xmlns:pic="http://schemas.openxmlformats.org/drawingml/2006/picture"><w:body>)" +
               body + R"(<w:sectPr><w:pgSz w:w="11906" w:h="16838"/><w:pgMar w:top=")" + margin +
               R"(" w:right=")" + margin + R"(" w:bottom=")" + margin + R"(" w:left=")" + margin +
               R"(" w:header="708" w:footer="708" w:gutter="0"/></w:sectPr></w:body></w:document>)";
    }

    QByteArray styles() const
    {
        QByteArray out = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<w:styles xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:docDefaults><w:rPrDefault><w:rPr>)";
        out += fonts(m_defaultFamily);
        out +=
            R"(<w:sz w:val=")" + number(m_document.defaultFont().pointSizeF() * 2) +
            R"("/><w:szCs w:val=")" + number(m_document.defaultFont().pointSizeF() * 2) +
            R"("/></w:rPr></w:rPrDefault><w:pPrDefault><w:pPr><w:spacing w:after="0"/></w:pPr></w:pPrDefault></w:docDefaults>)";
        out +=
            R"(<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/><w:qFormat/></w:style>)";
        static const int headingHalfPoints[] = {48, 36, 29, 24, 20, 18};
        for (int level = 1; level <= 6; ++level) {
            const QByteArray n = QByteArray::number(level);
            out +=
                R"(<w:style w:type="paragraph" w:styleId="Heading)" + n +
                R"("><w:name w:val="heading )" + n +
                R"("/><w:basedOn w:val="Normal"/><w:next w:val="Normal"/><w:uiPriority w:val="9"/><w:qFormat/><w:pPr><w:keepNext/><w:spacing w:before="240" w:after="60"/><w:outlineLvl w:val=")" +
                QByteArray::number(level - 1) + R"("/></w:pPr><w:rPr><w:b/><w:sz w:val=")" +
                QByteArray::number(headingHalfPoints[level - 1]) + R"("/></w:rPr></w:style>)";
        }
        out +=
            R"(<w:style w:type="paragraph" w:styleId="ListParagraph"><w:name w:val="List Paragraph"/><w:basedOn w:val="Normal"/><w:qFormat/></w:style>)";
        out +=
            R"(<w:style w:type="character" w:styleId="Hyperlink"><w:name w:val="Hyperlink"/><w:rPr><w:color w:val="0563C1"/><w:u w:val="single"/></w:rPr></w:style>)";
        out +=
            R"(<w:style w:type="table" w:styleId="TableGrid"><w:name w:val="Table Grid"/><w:tblPr><w:tblBorders><w:top w:val="single" w:sz="4" w:space="0" w:color="auto"/><w:left w:val="single" w:sz="4" w:space="0" w:color="auto"/><w:bottom w:val="single" w:sz="4" w:space="0" w:color="auto"/><w:right w:val="single" w:sz="4" w:space="0" w:color="auto"/><w:insideH w:val="single" w:sz="4" w:space="0" w:color="auto"/><w:insideV w:val="single" w:sz="4" w:space="0" w:color="auto"/></w:tblBorders><w:tblCellMar><w:left w:w="108" w:type="dxa"/><w:right w:w="108" w:type="dxa"/></w:tblCellMar></w:tblPr></w:style>)";
        out += "</w:styles>";
        return out;
    }

    QByteArray numbering() const
    {
        QByteArray abstracts;
        QByteArray nums;
        for (auto it = m_lists.constBegin(); it != m_lists.constEnd(); ++it) {
            const QByteArray id = QByteArray::number(it.key());
            abstracts += R"(<w:abstractNum w:abstractNumId=")" + id +
                         R"("><w:multiLevelType w:val="multilevel"/>)";
            for (int level = 0; level < 9; ++level) {
                const QTextListFormat::Style style = styleAtLevel(*it, level);
                const bool numbered = isNumbered(style);
                abstracts += R"(<w:lvl w:ilvl=")" + QByteArray::number(level) +
                             R"("><w:start w:val="1"/><w:numFmt w:val=")" + numberFormat(style) +
                             R"("/><w:lvlText w:val=")" +
                             (numbered ? "%" + QByteArray::number(level + 1) + "."
                                       : QByteArray(bulletText(style))) +
                             R"("/><w:lvlJc w:val="left"/><w:pPr><w:ind w:left=")" +
                             QByteArray::number(720 * (level + 1)) +
                             R"(" w:hanging="360"/></w:pPr></w:lvl>)";
            }
            abstracts += "</w:abstractNum>";
            nums += R"(<w:num w:numId=")" + id + R"("><w:abstractNumId w:val=")" + id +
                    R"("/></w:num>)";
        }
        return R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<w:numbering xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)" +
               abstracts + nums + "</w:numbering>";
    }

    QByteArray documentRelationships() const
    {
        QByteArray out = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rIdStyles" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/><Relationship Id="rIdNumbering" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/numbering" Target="numbering.xml"/>)";
        for (auto it = m_links.constBegin(); it != m_links.constEnd(); ++it)
            out +=
                R"(<Relationship Id=")" + it.value() +
                R"(" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/hyperlink" Target=")" +
                escaped(it.key()) + R"(" TargetMode="External"/>)";
        for (const Media& media : m_media)
            out +=
                R"(<Relationship Id=")" + media.id +
                R"(" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/image" Target=")" +
                escaped(media.name) + R"("/>)";
        return out + "</Relationships>";
    }

    static QByteArray fonts(const QString& family)
    {
        if (family.isEmpty())
            return {};
        const QByteArray name = escaped(family);
        return R"(<w:rFonts w:ascii=")" + name + R"(" w:hAnsi=")" + name + R"(" w:cs=")" + name +
               R"(" w:eastAsia=")" + name + R"("/>)";
    }

    void blocks(const QList<Block>& list, QByteArray& out)
    {
        for (const Block& block : list) {
            if (block.paragraph)
                paragraph(*block.paragraph, out);
            else if (block.table)
                table(*block.table, out);
        }
    }

    void paragraph(const Paragraph& p, QByteArray& out)
    {
        out += "<w:p><w:pPr>";
        if (p.heading)
            out += R"(<w:pStyle w:val="Heading)" + QByteArray::number(p.heading) + R"("/>)";
        else if (p.list)
            out += R"(<w:pStyle w:val="ListParagraph"/>)";
        if (p.pageBreakBefore)
            out += "<w:pageBreakBefore/>";
        if (p.list) {
            m_lists.insert(p.list->list, *p.list);
            out += R"(<w:numPr><w:ilvl w:val=")" + QByteArray::number(p.list->level) +
                   R"("/><w:numId w:val=")" + QByteArray::number(p.list->list) + R"("/></w:numPr>)";
        }
        if (p.before > 0 || p.after > 0)
            out += R"(<w:spacing w:before=")" + twips(p.before) + R"(" w:after=")" +
                   twips(p.after) + R"("/>)";
        if (!p.list && (p.left != 0 || p.right != 0 || p.firstLine != 0)) {
            out += R"(<w:ind w:left=")" + twips(p.left) + R"(" w:right=")" + twips(p.right) + '"';
            out += p.firstLine < 0 ? R"( w:hanging=")" + twips(-p.firstLine) + '"'
                                   : R"( w:firstLine=")" + twips(p.firstLine) + '"';
            out += "/>";
        }
        if (p.alignment & Qt::AlignHCenter)
            out += R"(<w:jc w:val="center"/>)";
        else if (p.alignment & (Qt::AlignRight | Qt::AlignTrailing))
            out += R"(<w:jc w:val="right"/>)";
        else if (p.alignment & Qt::AlignJustify)
            out += R"(<w:jc w:val="both"/>)";
        out += "</w:pPr>";
        bookmarks(p.anchors, out);
        for (const Run& run : p.runs) {
            bookmarks(run.anchors, out);
            if (run.marks.href.isEmpty()) {
                this->run(run, out);
                continue;
            }
            if (run.marks.href.startsWith(QLatin1Char('#'))) {
                out += R"(<w:hyperlink w:anchor=")" + escaped(run.marks.href.mid(1)) + R"(">)";
            } else {
                QByteArray& id = m_links[run.marks.href];
                if (id.isEmpty())
                    id = "rIdLink" + QByteArray::number(m_links.size());
                out += R"(<w:hyperlink r:id=")" + id + R"(">)";
            }
            this->run(run, out);
            out += "</w:hyperlink>";
        }
        out += "</w:p>";
    }

    void bookmarks(const QStringList& names, QByteArray& out)
    {
        for (const QString& name : names) {
            const QByteArray id = QByteArray::number(++m_bookmarks);
            out += R"(<w:bookmarkStart w:id=")" + id + R"(" w:name=")" + escaped(name) +
                   R"("/><w:bookmarkEnd w:id=")" + id + R"("/>)";
        }
    }

    // A picture inline in its paragraph, its bytes a part of word/media.
    QByteArray drawing(const DocumentModel::Picture& picture)
    {
        const auto portable = Pictures::portable(picture.picture);
        if (!portable)
            return "<w:t>" + escaped(picture.alt) + "</w:t>";
        QByteArray& id = m_mediaIds[portable->bytes];
        if (id.isEmpty()) {
            id = "rIdPicture" + QByteArray::number(m_media.size() + 1);
            const QString extension = Pictures::extension(portable->format);
            m_extensions.insert(extension);
            m_media.append(
                Media{id, QStringLiteral("media/picture%1.").arg(m_media.size() + 1) + extension,
                      portable->bytes});
        }
        const QByteArray cx =
            QByteArray::number(qlonglong(std::lround(picture.size.width() * 12700)));
        const QByteArray cy =
            QByteArray::number(qlonglong(std::lround(picture.size.height() * 12700)));
        const QByteArray number = QByteArray::number(++m_drawings);
        const QByteArray alt = escaped(picture.alt);
        return R"(<w:drawing><wp:inline distT="0" distB="0" distL="0" distR="0"><wp:extent cx=")" +
               cx + R"(" cy=")" + cy + R"("/><wp:docPr id=")" + number + R"(" name="Picture )" +
               number + R"(" descr=")" + alt +
               R"("/><wp:cNvGraphicFramePr><a:graphicFrameLocks noChangeAspect="1"/></wp:cNvGraphicFramePr><a:graphic><a:graphicData uri="http://schemas.openxmlformats.org/drawingml/2006/picture"><pic:pic><pic:nvPicPr><pic:cNvPr id=")" +
               number + R"(" name="Picture )" + number + R"(" descr=")" + alt +
               R"("/><pic:cNvPicPr/></pic:nvPicPr><pic:blipFill><a:blip r:embed=")" + id +
               R"("/><a:stretch><a:fillRect/></a:stretch></pic:blipFill><pic:spPr><a:xfrm><a:off x="0" y="0"/><a:ext cx=")" +
               cx + R"(" cy=")" + cy +
               R"("/></a:xfrm><a:prstGeom prst="rect"><a:avLst/></a:prstGeom></pic:spPr></pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing>)";
    }

    void run(const Run& run, QByteArray& out)
    {
        QByteArray properties;
        const Marks& m = run.marks;
        if (!m.href.isEmpty())
            properties += R"(<w:rStyle w:val="Hyperlink"/>)";
        if (!m.font.isEmpty() && m.font != m_defaultFamily)
            properties += fonts(m.font);
        if (m.bold)
            properties += "<w:b/><w:bCs/>";
        if (m.italic)
            properties += "<w:i/><w:iCs/>";
        if (m.strike)
            properties += "<w:strike/>";
        if (m.color)
            properties +=
                R"(<w:color w:val=")" + m.color->name().mid(1).toUpper().toLatin1() + R"("/>)";
        if (m.points)
            properties += R"(<w:sz w:val=")" + number(*m.points * 2) + R"("/><w:szCs w:val=")" +
                          number(*m.points * 2) + R"("/>)";
        if (m.underline)
            properties += R"(<w:u w:val="single"/>)";
        if (m.position)
            properties += m.position > 0 ? R"(<w:vertAlign w:val="superscript"/>)"
                                         : R"(<w:vertAlign w:val="subscript"/>)";
        out += "<w:r>";
        if (!properties.isEmpty())
            out += "<w:rPr>" + properties + "</w:rPr>";
        if (run.picture) {
            out += drawing(*run.picture) + "</w:r>";
            return;
        }
        qsizetype start = 0;
        const QString& text = run.text;
        for (qsizetype i = 0; i <= text.size(); ++i) {
            const bool end = i == text.size();
            const QChar c = end ? QChar() : text.at(i);
            if (!end && c != QLatin1Char('\t') && c != QLatin1Char('\n'))
                continue;
            if (i > start)
                out += R"(<w:t xml:space="preserve">)" + escaped(text.mid(start, i - start)) +
                       "</w:t>";
            if (!end)
                out += c == QLatin1Char('\t') ? "<w:tab/>" : "<w:br/>";
            start = i + 1;
        }
        out += "</w:r>";
    }

    void table(const Table& t, QByteArray& out)
    {
        if (t.rows == 0 || t.columns == 0)
            return;
        double width = 0;
        for (const double each : t.widths)
            width += each;
        out += R"(<w:tbl><w:tblPr><w:tblW w:w=")" + twips(width) +
               R"(" w:type="dxa"/><w:tblLayout w:type="fixed"/><w:tblCellMar><w:top w:w=")" +
               twips(t.padding.top()) + R"(" w:type="dxa"/><w:left w:w=")" +
               twips(t.padding.left()) + R"(" w:type="dxa"/><w:bottom w:w=")" +
               twips(t.padding.bottom()) + R"(" w:type="dxa"/><w:right w:w=")" +
               twips(t.padding.right()) +
               R"(" w:type="dxa"/></w:tblCellMar><w:tblLook w:val="04A0"/></w:tblPr><w:tblGrid>)";
        for (const double each : t.widths)
            out += R"(<w:gridCol w:w=")" + twips(each) + R"("/>)";
        out += "</w:tblGrid>";
        for (int row = 0; row < t.rows; ++row) {
            out += row < t.headerRows ? "<w:tr><w:trPr><w:tblHeader/></w:trPr>" : "<w:tr>";
            for (int column = 0; column < t.columns; ++column) {
                const Cell& cell = t.cells[row][column];
                if (cell.covered) {
                    // Only the first column of a cell merged from above gets
                    // a continuation; the rest is covered by its gridSpan.
                    if (cell.originRow == row || cell.originColumn != column)
                        continue;
                    const Cell& origin = t.cells[cell.originRow][cell.originColumn];
                    out += "<w:tc><w:tcPr>" + cellWidth(t, column, origin.columnSpan) +
                           gridSpan(origin.columnSpan) + "<w:vMerge/>" + cellLook(origin) +
                           "</w:tcPr><w:p/></w:tc>";
                    continue;
                }
                out += "<w:tc><w:tcPr>" + cellWidth(t, column, cell.columnSpan) +
                       gridSpan(cell.columnSpan);
                if (cell.rowSpan > 1)
                    out += R"(<w:vMerge w:val="restart"/>)";
                out += cellLook(cell) + "</w:tcPr>";
                blocks(cell.blocks, out);
                // A cell ends with a paragraph, as Word requires.
                if (cell.blocks.isEmpty() || !cell.blocks.last().paragraph)
                    out += "<w:p/>";
                out += "</w:tc>";
            }
            out += "</w:tr>";
        }
        out += "</w:tbl>";
    }

    static QByteArray cellWidth(const Table& t, int column, int span)
    {
        double width = 0;
        for (int c = column; c < column + span && c < t.widths.size(); ++c)
            width += t.widths.at(c);
        return R"(<w:tcW w:w=")" + twips(width) + R"(" w:type="dxa"/>)";
    }

    static QByteArray border(const char* side, const Border& border)
    {
        if (!border.isVisible())
            return "<w:" + QByteArray(side) + R"( w:val="nil"/>)";
        const char* style = border.style == QTextFrameFormat::BorderStyle_Double   ? "double"
                            : border.style == QTextFrameFormat::BorderStyle_Dotted ? "dotted"
                            : border.style == QTextFrameFormat::BorderStyle_Dashed ? "dashed"
                                                                                   : "single";
        return "<w:" + QByteArray(side) + R"( w:val=")" + style + R"(" w:sz=")" +
               number(std::clamp(border.width * 8, 2.0, 96.0)) + R"(" w:space="0" w:color=")" +
               border.color.name().mid(1).toUpper().toLatin1() + R"("/>)";
    }

    static QByteArray cellLook(const Cell& cell)
    {
        QByteArray out = "<w:tcBorders>" + border("top", cell.borders[Side::top]) +
                         border("left", cell.borders[Side::left]) +
                         border("bottom", cell.borders[Side::bottom]) +
                         border("right", cell.borders[Side::right]) + "</w:tcBorders>";
        if (cell.background)
            out += R"(<w:shd w:val="clear" w:color="auto" w:fill=")" +
                   cell.background->name().mid(1).toUpper().toLatin1() + R"("/>)";
        return out;
    }

    static QByteArray gridSpan(int span)
    {
        return span > 1 ? R"(<w:gridSpan w:val=")" + QByteArray::number(span) + R"("/>)"
                        : QByteArray();
    }

    const QTextDocument& m_document;
    QString m_defaultFamily;
    QMap<int, ListItem> m_lists;
    QMap<QString, QByteArray> m_links; // target → relationship id
    struct Media
    {
        QByteArray id;
        QString name; // inside word/
        QByteArray bytes;
    };
    QList<Media> m_media;
    QHash<QByteArray, QByteArray> m_mediaIds; // bytes → relationship id
    QSet<QString> m_extensions;
    int m_drawings = 0;
    int m_bookmarks = 0;
};

} // namespace

void write(const QTextDocument& document, const QString& title, const QString& path)
{
    Writer(document).write(title, path);
}

} // namespace DocxWriter
