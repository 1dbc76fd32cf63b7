#include "engines/documents/DocxReader.h"

#include "base/Errors.h"
#include "base/Translate.h"
#include "engines/documents/MathText.h"
#include "engines/documents/Pictures.h"
#include "engines/documents/RunStyle.h"
#include "engines/documents/TextBuilder.h"
#include "engines/documents/Xml.h"
#include "engines/documents/ZipArchive.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTextDocument>
#include <list>
#include <optional>
#include <utility>

namespace DocxReader {

FLINGDIAL_TR_CONTEXT(DocxReader)

namespace {

using Xml::attribute;
using Xml::child;
using Xml::is;

struct ParagraphStyle
{
    std::optional<Qt::Alignment> alignment;
    std::optional<double> left, right, firstLine, before, after; // points
    std::optional<int> outlineLevel;                             // 0 for Heading 1
    std::optional<QString> numId;
    std::optional<int> level;
    std::optional<bool> pageBreakBefore;

    void overlay(const ParagraphStyle& top)
    {
        const auto take = [](auto& mine, const auto& theirs) {
            if (theirs)
                mine = theirs;
        };
        take(alignment, top.alignment);
        take(left, top.left);
        take(right, top.right);
        take(firstLine, top.firstLine);
        take(before, top.before);
        take(after, top.after);
        take(outlineLevel, top.outlineLevel);
        take(numId, top.numId);
        take(level, top.level);
        take(pageBreakBefore, top.pageBreakBefore);
    }
};

// The sides of a table's frame as a table style or table sets them.
enum Edge { edgeTop, edgeLeft, edgeBottom, edgeRight, edgeInsideH, edgeInsideV, edgeCount };

struct TableStyle
{
    std::array<std::optional<TextBuilder::Border>, edgeCount> edges;
    std::optional<QMarginsF> margins;
    std::optional<QColor> shading;

    void overlay(const TableStyle& top)
    {
        for (int edge = 0; edge < edgeCount; ++edge)
            if (top.edges[edge])
                edges[edge] = top.edges[edge];
        if (top.margins)
            margins = top.margins;
        if (top.shading)
            shading = top.shading;
    }
};

struct Style
{
    QString basedOn;
    ParagraphStyle paragraph;
    RunStyle run;
    TableStyle table;
};

constexpr int styleChainLimit = 32;
constexpr double twipsPerPoint = 20.0;

// A toggle property: present means on unless its value says off.
std::optional<bool> toggle(const pugi::xml_node& properties, const char* name)
{
    const pugi::xml_node node = child(properties, name);
    if (!node)
        return std::nullopt;
    const QString value = attribute(node, "val").value_or(QStringLiteral("true"));
    return !(value == QLatin1String("0") || value == QLatin1String("false") ||
             value == QLatin1String("off") || value == QLatin1String("none"));
}

std::optional<double> twips(const pugi::xml_node& node, const char* name)
{
    const auto value = attribute(node, name);
    if (!value)
        return std::nullopt;
    bool ok = false;
    const double number = value->toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    return std::clamp(number / twipsPerPoint, -2000.0, 2000.0);
}

// A border element (w:top, w:insideH, …): eighths of a point, "nil" and
// "none" for no line.
std::optional<TextBuilder::Border> border(const pugi::xml_node& node)
{
    if (!node)
        return std::nullopt;
    TextBuilder::Border border;
    const QString value = attribute(node, "val").value_or(QStringLiteral("single"));
    if (value == QLatin1String("nil") || value == QLatin1String("none"))
        return border;
    bool ok = false;
    const double eighths = attribute(node, "sz").value_or(QStringLiteral("4")).toDouble(&ok);
    border.width = std::clamp(ok ? eighths / 8 : 0.5, 0.25, 12.0);
    if (value == QLatin1String("double"))
        border.style = QTextFrameFormat::BorderStyle_Double;
    else if (value == QLatin1String("dotted"))
        border.style = QTextFrameFormat::BorderStyle_Dotted;
    else if (value.startsWith(QLatin1String("dash")))
        border.style = QTextFrameFormat::BorderStyle_Dashed;
    const QString color = attribute(node, "color").value_or(QString());
    if (color.size() == 6 && QColor::isValidColorName(QLatin1Char('#') + color))
        border.color = QColor(QLatin1Char('#') + color);
    return border;
}

// A shading element's fill colour, when it has one.
std::optional<QColor> shading(const pugi::xml_node& node)
{
    if (!node)
        return std::nullopt;
    QString fill = attribute(node, "fill").value_or(QString());
    if (attribute(node, "val").value_or(QString()) == QLatin1String("solid"))
        fill = attribute(node, "color").value_or(fill);
    if (fill.size() != 6 || !QColor::isValidColorName(QLatin1Char('#') + fill))
        return std::nullopt;
    return QColor(QLatin1Char('#') + fill);
}

TableStyle tableStyle(const pugi::xml_node& properties)
{
    TableStyle style;
    if (!properties)
        return style;
    if (const pugi::xml_node borders = child(properties, "tblBorders")) {
        struct Names
        {
            Edge edge;
            const char* name;
            const char* otherName; // the same side in newer documents
        };
        static const Names names[] = {{edgeTop, "top", "top"},
                                      {edgeLeft, "left", "start"},
                                      {edgeBottom, "bottom", "bottom"},
                                      {edgeRight, "right", "end"},
                                      {edgeInsideH, "insideH", "insideH"},
                                      {edgeInsideV, "insideV", "insideV"}};
        for (const Names& each : names) {
            auto found = border(child(borders, each.name));
            if (!found)
                found = border(child(borders, each.otherName));
            style.edges[each.edge] = found;
        }
    }
    if (const pugi::xml_node margins = child(properties, "tblCellMar")) {
        const auto side = [&](std::initializer_list<const char*> names, double fallback) {
            for (const char* name : names)
                if (const pugi::xml_node node = child(margins, name))
                    return std::clamp(attribute(node, "w").value_or(QString()).toDouble() /
                                          twipsPerPoint,
                                      0.0, 72.0);
            return fallback;
        };
        style.margins = QMarginsF(side({"left", "start"}, 5.4), side({"top"}, 0),
                                  side({"right", "end"}, 5.4), side({"bottom"}, 0));
    }
    style.shading = shading(child(properties, "shd"));
    return style;
}

// A length of VML's style attribute ("120pt", "1.5in", "3cm") in points.
std::optional<double> vmlLength(const QString& style, const QString& property)
{
    const QRegularExpression expression(
        QStringLiteral("(?:^|;)\\s*%1\\s*:\\s*([0-9.]+)\\s*(pt|in|cm|mm|px)?").arg(property),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = expression.match(style);
    if (!match.hasMatch())
        return std::nullopt;
    const double value = match.captured(1).toDouble();
    const QString unit = match.captured(2).toLower();
    const double factor = unit == QLatin1String("in")   ? 72.0
                          : unit == QLatin1String("cm") ? 72.0 / 2.54
                          : unit == QLatin1String("mm") ? 72.0 / 25.4
                          : unit == QLatin1String("px") ? 0.75
                                                        : 1.0;
    return value * factor;
}

RunStyle runStyle(const pugi::xml_node& properties)
{
    RunStyle style;
    if (!properties)
        return style;
    style.bold = toggle(properties, "b");
    style.italic = toggle(properties, "i");
    if (const pugi::xml_node underline = child(properties, "u"))
        style.underline =
            attribute(underline, "val").value_or(QStringLiteral("single")) != QLatin1String("none");
    style.strike = toggle(properties, "strike");
    if (const auto doubled = toggle(properties, "dstrike"); doubled && *doubled)
        style.strike = true;
    if (const pugi::xml_node size = child(properties, "sz")) {
        bool ok = false;
        const double halfPoints = attribute(size, "val").value_or(QString()).toDouble(&ok);
        if (ok && halfPoints >= 2 && halfPoints <= 3276)
            style.points = halfPoints / 2;
    }
    if (const pugi::xml_node fonts = child(properties, "rFonts")) {
        for (const char* which : {"ascii", "hAnsi", "cs", "eastAsia"}) {
            if (const auto name = attribute(fonts, which); name && !name->isEmpty()) {
                style.font = *name;
                break;
            }
        }
    }
    if (const pugi::xml_node color = child(properties, "color")) {
        const QString value = attribute(color, "val").value_or(QString());
        if (value.size() == 6)
            style.color = QColor(QLatin1Char('#') + value);
    }
    if (const pugi::xml_node position = child(properties, "vertAlign")) {
        const QString value = attribute(position, "val").value_or(QString());
        if (value == QLatin1String("superscript"))
            style.position = 1;
        else if (value == QLatin1String("subscript"))
            style.position = -1;
    }
    return style;
}

ParagraphStyle paragraphStyle(const pugi::xml_node& properties)
{
    ParagraphStyle style;
    if (!properties)
        return style;
    if (const pugi::xml_node jc = child(properties, "jc")) {
        const QString value = attribute(jc, "val").value_or(QString());
        if (value == QLatin1String("center"))
            style.alignment = Qt::AlignHCenter;
        else if (value == QLatin1String("right") || value == QLatin1String("end"))
            style.alignment = Qt::AlignRight;
        else if (value == QLatin1String("both") || value == QLatin1String("distribute"))
            style.alignment = Qt::AlignJustify;
        else
            style.alignment = Qt::AlignLeft;
    }
    if (const pugi::xml_node indent = child(properties, "ind")) {
        style.left = twips(indent, "left");
        if (!style.left)
            style.left = twips(indent, "start");
        style.right = twips(indent, "right");
        if (!style.right)
            style.right = twips(indent, "end");
        style.firstLine = twips(indent, "firstLine");
        if (const auto hanging = twips(indent, "hanging"))
            style.firstLine = -*hanging;
    }
    if (const pugi::xml_node spacing = child(properties, "spacing")) {
        style.before = twips(spacing, "before");
        style.after = twips(spacing, "after");
    }
    if (const pugi::xml_node outline = child(properties, "outlineLvl")) {
        const int level = attribute(outline, "val").value_or(QString()).toInt();
        if (level >= 0 && level < 9)
            style.outlineLevel = level;
    }
    if (const pugi::xml_node numbering = child(properties, "numPr")) {
        if (const pugi::xml_node id = child(numbering, "numId"))
            style.numId = attribute(id, "val");
        if (const pugi::xml_node level = child(numbering, "ilvl"))
            style.level = attribute(level, "val").value_or(QString()).toInt();
    }
    style.pageBreakBefore = toggle(properties, "pageBreakBefore");
    return style;
}

QTextListFormat::Style listStyle(const QString& format, int level)
{
    if (format == QLatin1String("decimal") || format == QLatin1String("decimalZero"))
        return QTextListFormat::ListDecimal;
    if (format == QLatin1String("lowerLetter"))
        return QTextListFormat::ListLowerAlpha;
    if (format == QLatin1String("upperLetter"))
        return QTextListFormat::ListUpperAlpha;
    if (format == QLatin1String("lowerRoman"))
        return QTextListFormat::ListLowerRoman;
    if (format == QLatin1String("upperRoman"))
        return QTextListFormat::ListUpperRoman;
    static const QTextListFormat::Style bullets[] = {
        QTextListFormat::ListDisc, QTextListFormat::ListCircle, QTextListFormat::ListSquare};
    return bullets[level % 3];
}

class Reader
{
public:
    Reader(const QString& path, QTextDocument& document)
        : m_path(path), m_builder(document), m_pictures(document),
          m_archive(ZipArchive::open(
              path,
              [](const QString& name) {
                  return name.endsWith(QLatin1String(".xml")) ||
                         name.endsWith(QLatin1String(".rels"));
              },
              Pictures::hasPictureName))
    {}

    void read()
    {
        const QString main = mainPart();
        const auto body = m_archive.part(main);
        if (!body)
            throw Fail(QCoreApplication::translate("DocxReader", "%1 isn’t a Word document.")
                           .arg(fileName()));
        const QString folder = main.section(QLatin1Char('/'), 0, -2);
        const QString prefix = folder.isEmpty() ? QString() : folder + QLatin1Char('/');
        readRelationships(prefix + QStringLiteral("_rels/") + main.section(QLatin1Char('/'), -1) +
                              QStringLiteral(".rels"),
                          folder);
        readStyles(prefix + QStringLiteral("styles.xml"));
        readNumbering(prefix + QStringLiteral("numbering.xml"));
        readNotes(prefix + QStringLiteral("footnotes.xml"), "footnote", m_footnotes);
        readNotes(prefix + QStringLiteral("endnotes.xml"), "endnote", m_endnotes);

        const pugi::xml_document document = Xml::parse(*body, m_path);
        blocks(Xml::path(document, {"document", "body"}));
        writeNotes();
    }

private:
    QString fileName() const { return QFileInfo(m_path).fileName(); }

    std::optional<pugi::xml_document> parsed(const QString& name) const
    {
        const auto data = m_archive.part(name);
        if (!data)
            return std::nullopt;
        return Xml::parse(*data, m_path);
    }

    QString mainPart() const
    {
        if (const auto rels = parsed(QStringLiteral("_rels/.rels"))) {
            for (pugi::xml_node each : Xml::child(*rels, "Relationships").children()) {
                if (attribute(each, "Type")
                        .value_or(QString())
                        .endsWith(QLatin1String("/officeDocument"))) {
                    QString target = attribute(each, "Target").value_or(QString());
                    while (target.startsWith(QLatin1Char('/')))
                        target.remove(0, 1);
                    return target;
                }
            }
        }
        return QStringLiteral("word/document.xml");
    }

    void readRelationships(const QString& name, const QString& folder)
    {
        const auto rels = parsed(name);
        if (!rels)
            return;
        for (pugi::xml_node each : Xml::child(*rels, "Relationships").children()) {
            const auto id = attribute(each, "Id");
            const auto target = attribute(each, "Target");
            const QString type = attribute(each, "Type").value_or(QString());
            if (!id || !target)
                continue;
            if (type.endsWith(QLatin1String("/hyperlink")))
                m_links.insert(*id, *target);
            // Pictures linked from outside the package are never fetched.
            else if (type.endsWith(QLatin1String("/image")) &&
                     attribute(each, "TargetMode").value_or(QString()) != QLatin1String("External"))
                m_media.insert(*id,
                               QDir::cleanPath(target->startsWith(u'/') ? target->mid(1)
                                                                        : folder + u'/' + *target));
        }
    }

    void readStyles(const QString& name)
    {
        const auto styles = parsed(name);
        if (!styles)
            return;
        const pugi::xml_node root = child(*styles, "styles");
        const pugi::xml_node defaults = child(root, "docDefaults");
        m_defaults.run = runStyle(Xml::path(defaults, {"rPrDefault", "rPr"}));
        m_defaults.paragraph = paragraphStyle(Xml::path(defaults, {"pPrDefault", "pPr"}));
        for (pugi::xml_node each : root.children()) {
            if (!is(each, "style"))
                continue;
            Style style;
            if (const pugi::xml_node based = child(each, "basedOn"))
                style.basedOn = attribute(based, "val").value_or(QString());
            style.paragraph = paragraphStyle(child(each, "pPr"));
            style.run = runStyle(child(each, "rPr"));
            style.table = tableStyle(child(each, "tblPr"));
            // Word's built-in heading styles carry their level in the name
            // even where the outline level is missing.
            static const QRegularExpression heading(QStringLiteral("^heading ([1-9])$"),
                                                    QRegularExpression::CaseInsensitiveOption);
            const QString styleName =
                attribute(child(each, "name"), "val").value_or(QString()).trimmed();
            if (const auto match = heading.match(styleName);
                match.hasMatch() && !style.paragraph.outlineLevel)
                style.paragraph.outlineLevel = match.captured(1).toInt() - 1;
            const QString type = attribute(each, "type").value_or(QString());
            if (attribute(each, "default").value_or(QString()) == QLatin1String("1")) {
                if (type == QLatin1String("paragraph"))
                    m_defaultParagraphStyle = attribute(each, "styleId").value_or(QString());
                else if (type == QLatin1String("table"))
                    m_defaultTableStyle = attribute(each, "styleId").value_or(QString());
            }
            m_styles.insert(attribute(each, "styleId").value_or(QString()), style);
        }
    }

    // A style with everything it inherits.
    Style resolved(const QString& id) const
    {
        QList<const Style*> chain;
        QString next = id;
        while (!next.isEmpty() && chain.size() < styleChainLimit) {
            const auto found = m_styles.constFind(next);
            if (found == m_styles.constEnd())
                break;
            chain.prepend(&*found);
            next = found->basedOn;
        }
        Style style = m_defaults;
        for (const Style* each : chain) {
            style.paragraph.overlay(each->paragraph);
            style.run.overlay(each->run);
            style.table.overlay(each->table);
        }
        return style;
    }

    void readNumbering(const QString& name)
    {
        const auto numbering = parsed(name);
        if (!numbering)
            return;
        const pugi::xml_node root = child(*numbering, "numbering");
        QHash<QString, QHash<int, QTextListFormat::Style>> abstractFormats;
        for (pugi::xml_node each : root.children()) {
            if (!is(each, "abstractNum"))
                continue;
            QHash<int, QTextListFormat::Style>& levels =
                abstractFormats[attribute(each, "abstractNumId").value_or(QString())];
            for (pugi::xml_node level : each.children()) {
                if (!is(level, "lvl"))
                    continue;
                const int index = attribute(level, "ilvl").value_or(QString()).toInt();
                const QString format = attribute(child(level, "numFmt"), "val").value_or(QString());
                // A level without a number (outline numbering of headings)
                // makes no list item.
                levels.insert(
                    index, format == QLatin1String("none") ? QTextListFormat::ListStyleUndefined
                           : format == QLatin1String("bullet") || format.isEmpty()
                               ? TextBuilder::bulletStyle(
                                     attribute(child(level, "lvlText"), "val").value_or(QString()))
                               : listStyle(format, index));
            }
        }
        for (pugi::xml_node each : root.children()) {
            if (!is(each, "num"))
                continue;
            const QString abstractId =
                attribute(child(each, "abstractNumId"), "val").value_or(QString());
            m_numbering.insert(attribute(each, "numId").value_or(QString()),
                               abstractFormats.value(abstractId));
        }
    }

    void readNotes(const QString& name, const char* element, QHash<QString, pugi::xml_node>& notes)
    {
        auto document = parsed(name);
        if (!document)
            return;
        m_noteParts.push_back(std::move(*document));
        for (pugi::xml_node each :
             child(m_noteParts.back(),
                   element == std::string("footnote") ? "footnotes" : "endnotes")
                 .children()) {
            if (is(each, element) && !attribute(each, "type"))
                notes.insert(attribute(each, "id").value_or(QString()), each);
        }
    }

    // Body-level content: paragraphs, tables and the containers around them.
    void blocks(const pugi::xml_node& parent, int depth = 0)
    {
        if (depth > 64)
            return;
        for (pugi::xml_node each : parent.children()) {
            if (is(each, "p"))
                paragraph(each);
            else if (is(each, "tbl"))
                table(each, depth);
            else if (is(each, "sdt"))
                blocks(child(each, "sdtContent"), depth + 1);
            else if (is(each, "customXml") || is(each, "ins") || is(each, "smartTag"))
                blocks(each, depth + 1);
            else if (is(each, "bookmarkStart"))
                bookmark(each);
            else if (is(each, "oMathPara") || is(each, "oMath")) {
                m_builder.paragraph(QTextBlockFormat());
                math(each, QTextCharFormat());
            }
        }
    }

    void bookmark(const pugi::xml_node& node)
    {
        const QString name = attribute(node, "name").value_or(QString());
        // Word's mark of the last place edited is no target.
        if (name != QLatin1String("_GoBack"))
            m_builder.anchor(name);
    }

    void math(const pugi::xml_node& node, const QTextCharFormat& format)
    {
        const QString text = MathText::fromOfficeMath(node);
        if (!text.isEmpty())
            m_builder.text(text, format);
    }

    void paragraph(const pugi::xml_node& node)
    {
        const pugi::xml_node properties = child(node, "pPr");
        const QString styleId =
            attribute(child(properties, "pStyle"), "val").value_or(m_defaultParagraphStyle);
        Style style = resolved(styleId);
        style.paragraph.overlay(paragraphStyle(properties));
        style.run.overlay(runStyle(child(properties, "rPr")));
        m_paragraphRun = style.run;

        const ParagraphStyle& p = style.paragraph;
        QTextBlockFormat format;
        format.setAlignment(p.alignment.value_or(Qt::AlignLeft));
        const bool listed = p.numId && !p.numId->isEmpty() && *p.numId != QLatin1String("0") &&
                            m_numbering.contains(*p.numId) &&
                            m_numbering.value(*p.numId).value(std::clamp(p.level.value_or(0), 0, 8),
                                                              QTextListFormat::ListDisc) !=
                                QTextListFormat::ListStyleUndefined;
        if (!listed) {
            format.setLeftMargin(std::max(0.0, p.left.value_or(0)));
            format.setTextIndent(p.firstLine.value_or(0));
        }
        format.setRightMargin(std::max(0.0, p.right.value_or(0)));
        format.setTopMargin(std::max(0.0, p.before.value_or(0)));
        format.setBottomMargin(std::max(0.0, p.after.value_or(0)));
        if (p.outlineLevel && *p.outlineLevel < 6)
            format.setHeadingLevel(*p.outlineLevel + 1);
        if (p.pageBreakBefore.value_or(false))
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        m_builder.paragraph(format, style.run.format());
        if (listed) {
            const int level = std::clamp(p.level.value_or(0), 0, 8);
            m_builder.listItem(QStringLiteral("docx") + *p.numId, level,
                               m_numbering.value(*p.numId).value(level, QTextListFormat::ListDisc));
        }
        if (!m_noteMarker.isEmpty()) {
            QTextCharFormat marker = style.run.format();
            marker.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
            m_builder.text(std::exchange(m_noteMarker, QString()), marker);
        }
        const QList<pugi::xml_node> outerBoxes = std::exchange(m_boxes, {});
        inlines(node, 0);
        // Text boxes anchored in the paragraph follow it.
        const QList<pugi::xml_node> boxes = std::exchange(m_boxes, outerBoxes);
        for (const pugi::xml_node& box : boxes)
            if (m_boxDepth < 4) {
                ++m_boxDepth;
                blocks(box, 1);
                --m_boxDepth;
            }
    }

    // Runs and what wraps them inside a paragraph.
    void inlines(const pugi::xml_node& parent, int depth)
    {
        if (depth > 64)
            return;
        for (pugi::xml_node each : parent.children()) {
            if (is(each, "r")) {
                run(each);
            } else if (is(each, "hyperlink")) {
                const QString previous = m_href;
                if (const auto id = Xml::prefixedAttribute(each, "r", "id"))
                    m_href = m_links.value(*id);
                else if (const auto anchor = attribute(each, "anchor"))
                    m_href = QLatin1Char('#') + *anchor;
                inlines(each, depth + 1);
                m_href = previous;
            } else if (is(each, "fldSimple")) {
                const QString previous = m_href;
                if (const auto link = hyperlinkIn(attribute(each, "instr").value_or(QString())))
                    m_href = *link;
                inlines(each, depth + 1);
                m_href = previous;
            } else if (is(each, "ins") || is(each, "smartTag") || is(each, "customXml") ||
                       is(each, "sdtContent") || is(each, "moveTo")) {
                inlines(each, depth + 1);
            } else if (is(each, "sdt")) {
                inlines(child(each, "sdtContent"), depth + 1);
            } else if (is(each, "bookmarkStart")) {
                bookmark(each);
            } else if (is(each, "oMath") || is(each, "oMathPara")) {
                math(each, m_paragraphRun.format());
            }
            // Deleted text (del, moveFrom) is left out.
        }
    }

    static std::optional<QString> hyperlinkIn(const QString& instruction)
    {
        // HYPERLINK "address", or HYPERLINK \l "bookmark" for a place in the text.
        static const QRegularExpression link(
            QStringLiteral("^\\s*HYPERLINK\\s+(\\\\l\\s+)?\"([^\"]*)\""));
        const auto match = link.match(instruction);
        if (!match.hasMatch())
            return std::nullopt;
        return match.hasCaptured(1) ? u'#' + match.captured(2) : match.captured(2);
    }

    void run(const pugi::xml_node& node)
    {
        const pugi::xml_node properties = child(node, "rPr");
        RunStyle style = m_paragraphRun;
        if (const auto id = attribute(child(properties, "rStyle"), "val"))
            style.overlay(resolved(*id).run);
        style.overlay(runStyle(properties));
        QTextCharFormat format = style.format();
        if (!m_href.isEmpty() && m_fieldState != FieldState::instruction) {
            format.setAnchor(true);
            format.setAnchorHref(m_href);
        }
        runContent(node, format, 0);
    }

    void runContent(const pugi::xml_node& node, const QTextCharFormat& format, int depth)
    {
        if (depth > 8)
            return;
        for (pugi::xml_node each : node.children()) {
            if (m_fieldState != FieldState::instruction) {
                if (is(each, "drawing")) {
                    drawing(each, format);
                    continue;
                }
                if (is(each, "pict") || is(each, "object")) {
                    vml(each, format);
                    continue;
                }
                if (is(each, "AlternateContent")) {
                    runContent(alternative(each), format, depth + 1);
                    continue;
                }
            }
            if (is(each, "fldChar")) {
                field(attribute(each, "fldCharType").value_or(QString()));
                continue;
            }
            if (m_fieldState == FieldState::instruction) {
                if (is(each, "instrText"))
                    m_instruction += Xml::text(each);
                continue;
            }
            if (is(each, "t"))
                m_builder.text(Xml::text(each), format);
            else if (is(each, "tab") || is(each, "ptab"))
                m_builder.text(QStringLiteral("\t"), format);
            else if (is(each, "br") || is(each, "cr"))
                lineOrPageBreak(attribute(each, "type").value_or(QString()), format);
            else if (is(each, "noBreakHyphen"))
                m_builder.text(QString(QChar(0x2011)), format);
            else if (is(each, "sym"))
                symbol(each, format);
            else if (is(each, "footnoteReference"))
                noteReference(each, m_footnotes, format);
            else if (is(each, "endnoteReference"))
                noteReference(each, m_endnotes, format);
        }
    }

    // The branch of markup-compatibility content to read: Word's own
    // (a drawing) where it has one, else the fallback for older readers.
    static pugi::xml_node alternative(const pugi::xml_node& node)
    {
        for (pugi::xml_node each : node.children())
            if (is(each, "Choice") && (each.select_node(".//*[local-name()='drawing']")))
                return each;
        return child(node, "Fallback");
    }

    // A DrawingML picture, or a text box whose text follows the paragraph.
    void drawing(const pugi::xml_node& node, const QTextCharFormat& format)
    {
        pugi::xml_node frame = child(node, "inline");
        if (!frame)
            frame = child(node, "anchor");
        const pugi::xml_node extent = child(frame, "extent");
        const double emuPerPoint = 12700;
        const QSizeF size(attribute(extent, "cx").value_or(QString()).toDouble() / emuPerPoint,
                          attribute(extent, "cy").value_or(QString()).toDouble() / emuPerPoint);
        const pugi::xml_node properties = child(frame, "docPr");
        QString alt = attribute(properties, "descr").value_or(QString());
        if (alt.trimmed().isEmpty())
            alt = attribute(properties, "title").value_or(QString());
        const pugi::xml_node blip =
            frame
                .select_node(".//*[local-name()='pic']/*[local-name()='blipFill']/"
                             "*[local-name()='blip']")
                .node();
        if (blip) {
            picture(Xml::prefixedAttribute(blip, "r", "embed").value_or(QString()), size, alt,
                    format);
            return;
        }
        for (const pugi::xpath_node& box : frame.select_nodes(".//*[local-name()='txbxContent']"))
            m_boxes.append(box.node());
    }

    // Pictures and text boxes of VML, which older documents and OLE
    // objects (their preview picture) use.
    void vml(const pugi::xml_node& node, const QTextCharFormat& format)
    {
        for (pugi::xml_node shape : node.children()) {
            if (shape.type() != pugi::node_element)
                continue;
            const QString style = attribute(shape, "style").value_or(QString());
            const QSizeF size(vmlLength(style, QStringLiteral("width")).value_or(0),
                              vmlLength(style, QStringLiteral("height")).value_or(0));
            if (const pugi::xml_node image = child(shape, "imagedata")) {
                QString alt = attribute(shape, "alt").value_or(QString());
                if (alt.trimmed().isEmpty())
                    alt = Xml::prefixedAttribute(image, "o", "title").value_or(QString());
                picture(Xml::prefixedAttribute(image, "r", "id").value_or(QString()), size, alt,
                        format);
            }
            for (const pugi::xpath_node& box :
                 shape.select_nodes(".//*[local-name()='txbxContent']"))
                m_boxes.append(box.node());
        }
    }

    void picture(const QString& id, QSizeF size, const QString& alt, const QTextCharFormat& format)
    {
        const auto bytes = m_archive.part(m_media.value(id));
        const auto image = bytes ? m_pictures.add(*bytes,
                                                  size.width() > 0 && size.height() > 0
                                                      ? std::optional<QSizeF>(size)
                                                      : std::nullopt,
                                                  alt)
                                 : std::nullopt;
        if (image)
            m_builder.picture(*image, format);
        else
            m_builder.text(alt.simplified(), format);
    }

    void lineOrPageBreak(const QString& type, const QTextCharFormat& format)
    {
        if (type == QLatin1String("page"))
            m_builder.pageBreak();
        else
            m_builder.lineBreak(format);
    }

    void symbol(const pugi::xml_node& node, const QTextCharFormat& format)
    {
        bool ok = false;
        uint code = attribute(node, "char").value_or(QString()).toUInt(&ok, 16);
        if (!ok)
            return;
        // Symbol fonts map their glyphs to the private area at F000.
        if (code >= 0xf000 && code <= 0xf0ff)
            code -= 0xf000;
        if (code >= 0x20 && QChar::isPrint(char32_t(code)))
            m_builder.text(QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1), format);
    }

    enum class FieldState { none, instruction, result };

    void field(const QString& type)
    {
        if (type == QLatin1String("begin")) {
            m_fields.append({m_href, m_fieldState});
            m_fieldState = FieldState::instruction;
            m_instruction.clear();
        } else if (type == QLatin1String("separate")) {
            m_fieldState = FieldState::result;
            if (const auto link = hyperlinkIn(m_instruction))
                m_href = *link;
        } else if (type == QLatin1String("end") && !m_fields.isEmpty()) {
            const auto [href, state] = m_fields.takeLast();
            m_href = href;
            m_fieldState = state;
        }
    }

    void noteReference(const pugi::xml_node& node, const QHash<QString, pugi::xml_node>& notes,
                       QTextCharFormat format)
    {
        const QString id = attribute(node, "id").value_or(QString());
        const auto found = notes.constFind(id);
        if (found == notes.constEnd())
            return;
        // A note referenced again keeps its number and is written once: a
        // large note referenced thousands of times would multiply the text.
        qsizetype number = m_notesTaken.indexOf(*found) + 1;
        if (number == 0) {
            if (m_notesTaken.size() >= 10000)
                return;
            m_notesTaken.append(*found);
            number = m_notesTaken.size();
        }
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        format.setAnchor(false);
        m_builder.text(QString::number(number), format);
    }

    // Notes follow the text, each with its number.
    void writeNotes()
    {
        for (qsizetype i = 0; i < m_notesTaken.size(); ++i) {
            m_noteMarker = QString::number(i + 1) + QLatin1Char(' ');
            blocks(m_notesTaken.at(i), 1);
        }
    }

    // Cells hold blocks, which may hold tables again: the depth counts both.
    void table(const pugi::xml_node& node, int depth)
    {
        QList<pugi::xml_node> rows;
        for (pugi::xml_node row : node.children()) {
            if (is(row, "sdt"))
                row = child(child(row, "sdtContent"), "tr");
            if (is(row, "tr"))
                rows.append(row);
        }
        if (m_builder.tableDepth() >= TextBuilder::maximumTableDepth) {
            for (const pugi::xml_node& row : rows)
                for (pugi::xml_node cell : row.children())
                    if (is(cell, "tc"))
                        blocks(cell, depth + 1);
            return;
        }
        const pugi::xml_node properties = child(node, "tblPr");
        TableStyle style =
            resolved(attribute(child(properties, "tblStyle"), "val").value_or(m_defaultTableStyle))
                .table;
        style.overlay(tableStyle(properties));
        TextBuilder::TableLook look;
        for (pugi::xml_node column : child(node, "tblGrid").children())
            if (is(column, "gridCol"))
                look.columns.append(
                    QTextLength(QTextLength::FixedLength,
                                std::clamp(attribute(column, "w").value_or(QString()).toDouble() /
                                               twipsPerPoint,
                                           0.0, 2000.0)));
        look.width = tableWidth(child(properties, "tblW"));
        look.padding = style.margins.value_or(QMarginsF(5.4, 0, 5.4, 0));
        const QString align = attribute(child(properties, "jc"), "val").value_or(QString());
        if (align == QLatin1String("center"))
            look.alignment = Qt::AlignHCenter;
        else if (align == QLatin1String("right") || align == QLatin1String("end"))
            look.alignment = Qt::AlignRight;
        const int gridColumns = std::max(int(look.columns.size()), 1);

        m_builder.beginTable(look);
        for (qsizetype r = 0; r < rows.size(); ++r) {
            const pugi::xml_node row = rows.at(r);
            m_builder.beginRow(toggle(child(row, "trPr"), "tblHeader").value_or(false));
            int column = 0;
            for (pugi::xml_node cell : row.children()) {
                if (is(cell, "sdt"))
                    cell = child(child(cell, "sdtContent"), "tc");
                if (!is(cell, "tc"))
                    continue;
                const pugi::xml_node cellProperties = child(cell, "tcPr");
                const int span = std::clamp(attribute(child(cellProperties, "gridSpan"), "val")
                                                .value_or(QStringLiteral("1"))
                                                .toInt(),
                                            1, 64);
                const pugi::xml_node merge = child(cellProperties, "vMerge");
                const bool continues =
                    merge && attribute(merge, "val").value_or(QStringLiteral("continue")) ==
                                 QLatin1String("continue");
                const bool first = r == 0;
                const bool last = r == rows.size() - 1;
                const bool leftmost = column == 0;
                const bool rightmost = column + span >= gridColumns;
                m_builder.beginCell(
                    column, span, continues,
                    cellLook(style, cellProperties, first, last, leftmost, rightmost));
                if (!continues)
                    blocks(cell, depth + 1);
                column += span;
            }
        }
        m_builder.endTable();
    }

    static QTextLength tableWidth(const pugi::xml_node& node)
    {
        const QString type = attribute(node, "type").value_or(QStringLiteral("dxa"));
        QString value = attribute(node, "w").value_or(QString());
        if (type == QLatin1String("pct")) {
            // Fiftieths of a percent, or a percentage written out.
            const bool written = value.endsWith(u'%');
            const double number = (written ? value.chopped(1) : value).toDouble();
            const double percent = written ? number : number / 50;
            if (percent > 0)
                return QTextLength(QTextLength::PercentageLength, std::min(percent, 100.0));
        } else if (type == QLatin1String("dxa")) {
            const double points = value.toDouble() / twipsPerPoint;
            if (points > 0)
                return QTextLength(QTextLength::FixedLength, std::min(points, 2000.0));
        }
        return QTextLength(QTextLength::VariableLength, 0);
    }

    // A cell's borders: its own, else the table's outer ones at the edge of
    // the table and its inner ones elsewhere.
    static TextBuilder::CellLook cellLook(const TableStyle& table, const pugi::xml_node& properties,
                                          bool first, bool last, bool leftmost, bool rightmost)
    {
        TextBuilder::CellLook look;
        const pugi::xml_node own = child(properties, "tcBorders");
        const auto side = [&](std::initializer_list<const char*> names, Edge outer, Edge inner,
                              bool atEdge) {
            for (const char* name : names)
                if (const auto found = border(child(own, name)))
                    return *found;
            return table.edges[atEdge ? outer : inner].value_or(TextBuilder::Border());
        };
        using DocumentModel::Side;
        look.borders[Side::top] = side({"top"}, edgeTop, edgeInsideH, first);
        look.borders[Side::bottom] = side({"bottom"}, edgeBottom, edgeInsideH, last);
        look.borders[Side::left] = side({"left", "start"}, edgeLeft, edgeInsideV, leftmost);
        look.borders[Side::right] = side({"right", "end"}, edgeRight, edgeInsideV, rightmost);
        look.background = shading(child(properties, "shd"));
        if (!look.background)
            look.background = table.shading;
        return look;
    }

    QString m_path;
    TextBuilder m_builder;
    Pictures::Store m_pictures;
    ZipArchive m_archive;
    QHash<QString, QString> m_media; // relationship → part
    QString m_defaultTableStyle;
    QList<pugi::xml_node> m_boxes; // text boxes of the paragraph being read
    int m_boxDepth = 0;
    Style m_defaults;
    QString m_defaultParagraphStyle;
    QHash<QString, Style> m_styles;
    QHash<QString, QHash<int, QTextListFormat::Style>> m_numbering; // numId → level → style
    QHash<QString, QString> m_links;
    std::list<pugi::xml_document> m_noteParts;
    QHash<QString, pugi::xml_node> m_footnotes;
    QHash<QString, pugi::xml_node> m_endnotes;
    QList<pugi::xml_node> m_notesTaken;
    RunStyle m_paragraphRun;
    QString m_noteMarker; // goes before the next paragraph's text
    QString m_href;
    FieldState m_fieldState = FieldState::none;
    QString m_instruction;
    QList<std::pair<QString, FieldState>> m_fields;
};

} // namespace

void read(const QString& path, QTextDocument& document)
{
    Reader(path, document).read();
}

} // namespace DocxReader
