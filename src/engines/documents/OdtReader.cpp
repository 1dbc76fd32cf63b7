#include "engines/documents/OdtReader.h"

#include "base/Errors.h"
#include "base/Translate.h"
#include "engines/documents/DocumentModel.h"
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

namespace OdtReader {

FLINGDIAL_TR_CONTEXT(OdtReader)

namespace {

using Xml::attribute;
using Xml::child;
using Xml::is;

struct Style
{
    QString parent;
    int outlineLevel = 0;
    // Paragraph properties.
    std::optional<Qt::Alignment> alignment;
    std::optional<double> left, right, indent, before, after;
    std::optional<bool> pageBreak;
    RunStyle run;
    // Tables, their columns and cells.
    std::array<std::optional<TextBuilder::Border>, 4> borders; // by DocumentModel::Side
    std::optional<QColor> background;
    std::optional<double> width;
    std::optional<double> relativeWidth; // of the table, in percent
    std::optional<Qt::Alignment> tableAlignment;
    std::optional<QMarginsF> padding;
};

// A length in points: "12pt", "0.5in", "1.27cm", "4mm", "10px".
std::optional<double> length(const std::optional<QString>& text)
{
    if (!text)
        return std::nullopt;
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(-?[0-9.]+)\\s*(pt|in|cm|mm|pc|px)?\\s*$"));
    const auto match = pattern.match(*text);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = match.captured(1).toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    const QString unit = match.captured(2);
    const double factor = unit == QLatin1String("in")   ? 72.0
                          : unit == QLatin1String("cm") ? 72.0 / 2.54
                          : unit == QLatin1String("mm") ? 72.0 / 25.4
                          : unit == QLatin1String("pc") ? 12.0
                          : unit == QLatin1String("px") ? 0.75
                                                        : 1.0;
    return std::clamp(value * factor, -2000.0, 2000.0);
}

// A border property ("0.5pt solid #000000", "none").
std::optional<TextBuilder::Border> border(const std::optional<QString>& text)
{
    if (!text)
        return std::nullopt;
    TextBuilder::Border border;
    const QStringList parts = text->simplified().split(u' ');
    if (parts.contains(QLatin1String("none")) || parts.contains(QLatin1String("hidden")))
        return border;
    for (const QString& part : parts) {
        if (const auto width = length(part))
            border.width = std::clamp(*width, 0.0, 12.0);
        else if (part == QLatin1String("double"))
            border.style = QTextFrameFormat::BorderStyle_Double;
        else if (part == QLatin1String("dotted"))
            border.style = QTextFrameFormat::BorderStyle_Dotted;
        else if (part == QLatin1String("dashed"))
            border.style = QTextFrameFormat::BorderStyle_Dashed;
        else if (QColor::isValidColorName(part))
            border.color = QColor(part);
    }
    return border;
}

QTextListFormat::Style numberStyle(const QString& format)
{
    if (format == QLatin1String("a"))
        return QTextListFormat::ListLowerAlpha;
    if (format == QLatin1String("A"))
        return QTextListFormat::ListUpperAlpha;
    if (format == QLatin1String("i"))
        return QTextListFormat::ListLowerRoman;
    if (format == QLatin1String("I"))
        return QTextListFormat::ListUpperRoman;
    return QTextListFormat::ListDecimal;
}

class Reader
{
public:
    Reader(const QString& path, QTextDocument& document)
        : m_path(path), m_builder(document), m_pictures(document),
          m_archive(ZipArchive::open(
              path,
              [](const QString& name) {
                  // Formulas are objects with a content of their own.
                  return name == QLatin1String("content.xml") ||
                         name == QLatin1String("styles.xml") ||
                         (name.endsWith(QLatin1String("/content.xml")) && name.count(u'/') == 1);
              },
              Pictures::hasPictureName))
    {}

    void read()
    {
        const auto content = m_archive.part(QStringLiteral("content.xml"));
        if (!content)
            throw Fail(QCoreApplication::translate("OdtReader", "%1 isn’t an OpenDocument text.")
                           .arg(fileName()));
        if (const auto styles = m_archive.part(QStringLiteral("styles.xml"))) {
            m_parts.push_back(Xml::parse(*styles, m_path, pugi::parse_ws_pcdata));
            const pugi::xml_node root = child(m_parts.back(), "document-styles");
            readStyles(child(root, "styles"));
            readStyles(child(root, "automatic-styles"));
            readFonts(child(root, "font-face-decls"));
        }
        m_parts.push_back(Xml::parse(*content, m_path, pugi::parse_ws_pcdata));
        const pugi::xml_node root = child(m_parts.back(), "document-content");
        readFonts(child(root, "font-face-decls"));
        readStyles(child(root, "automatic-styles"));
        blocks(Xml::path(root, {"body", "text"}), 0);
        writeNotes();
    }

private:
    QString fileName() const { return QFileInfo(m_path).fileName(); }

    void readFonts(const pugi::xml_node& declarations)
    {
        for (pugi::xml_node each : declarations.children()) {
            if (!is(each, "font-face"))
                continue;
            QString family = attribute(each, "font-family").value_or(QString());
            family.remove(QLatin1Char('\'')).remove(QLatin1Char('"'));
            m_fontFaces.insert(attribute(each, "name").value_or(QString()), family);
        }
    }

    void readStyles(const pugi::xml_node& container)
    {
        for (pugi::xml_node each : container.children()) {
            if (is(each, "style"))
                readStyle(each);
            else if (is(each, "list-style"))
                readListStyle(each);
        }
    }

    void readStyle(const pugi::xml_node& node)
    {
        Style style;
        style.parent = attribute(node, "parent-style-name").value_or(QString());
        style.outlineLevel = attribute(node, "default-outline-level").value_or(QString()).toInt();
        if (const pugi::xml_node p = child(node, "paragraph-properties")) {
            const QString align = attribute(p, "text-align").value_or(QString());
            if (align == QLatin1String("center"))
                style.alignment = Qt::AlignHCenter;
            else if (align == QLatin1String("end") || align == QLatin1String("right"))
                style.alignment = Qt::AlignRight;
            else if (align == QLatin1String("justify"))
                style.alignment = Qt::AlignJustify;
            else if (!align.isEmpty())
                style.alignment = Qt::AlignLeft;
            style.left = length(attribute(p, "margin-left"));
            style.right = length(attribute(p, "margin-right"));
            style.indent = length(attribute(p, "text-indent"));
            style.before = length(attribute(p, "margin-top"));
            style.after = length(attribute(p, "margin-bottom"));
            if (const auto breakBefore = attribute(p, "break-before"))
                style.pageBreak = *breakBefore == QLatin1String("page");
        }
        if (const pugi::xml_node t = child(node, "text-properties")) {
            if (const auto family = attribute(t, "font-family"))
                style.run.font = QString(*family).remove(QLatin1Char('\''));
            else if (const auto face = attribute(t, "font-name"))
                style.run.font = m_fontFaces.value(*face, *face);
            if (const auto size = attribute(t, "font-size")) {
                if (size->endsWith(QLatin1Char('%')))
                    style.run.percent = size->chopped(1).toDouble();
                else
                    style.run.points = length(size);
            }
            if (const auto weight = attribute(t, "font-weight"))
                style.run.bold = *weight == QLatin1String("bold") || weight->toInt() >= 600;
            if (const auto slant = attribute(t, "font-style"))
                style.run.italic =
                    *slant == QLatin1String("italic") || *slant == QLatin1String("oblique");
            if (const auto underline = attribute(t, "text-underline-style"))
                style.run.underline = *underline != QLatin1String("none");
            if (const auto strike = attribute(t, "text-line-through-style"))
                style.run.strike = *strike != QLatin1String("none");
            if (const auto color = attribute(t, "color"); color && QColor::isValidColorName(*color))
                style.run.color = QColor(*color);
            if (const auto position = attribute(t, "text-position")) {
                if (position->startsWith(QLatin1String("super")))
                    style.run.position = 1;
                else if (position->startsWith(QLatin1String("sub")))
                    style.run.position = -1;
                else
                    style.run.position = 0;
            }
        }
        if (const pugi::xml_node cell = child(node, "table-cell-properties")) {
            const auto all = border(attribute(cell, "border"));
            using DocumentModel::Side;
            const std::pair<Side, const char*> sides[] = {{Side::top, "border-top"},
                                                          {Side::right, "border-right"},
                                                          {Side::bottom, "border-bottom"},
                                                          {Side::left, "border-left"}};
            for (const auto& [side, name] : sides) {
                const auto own = border(attribute(cell, name));
                style.borders[side] = own ? own : all;
            }
            const QString background = attribute(cell, "background-color").value_or(QString());
            if (background != QLatin1String("transparent") && QColor::isValidColorName(background))
                style.background = QColor(background);
            if (const auto all = length(attribute(cell, "padding")))
                style.padding = QMarginsF(*all, *all, *all, *all);
            const auto side = [&](const char* name) {
                return length(attribute(cell, name))
                    .value_or(style.padding ? style.padding->left() : 0);
            };
            if (attribute(cell, "padding-left") || attribute(cell, "padding-top"))
                style.padding = QMarginsF(side("padding-left"), side("padding-top"),
                                          side("padding-right"), side("padding-bottom"));
        }
        if (const pugi::xml_node column = child(node, "table-column-properties"))
            style.width = length(attribute(column, "column-width"));
        if (const pugi::xml_node table = child(node, "table-properties")) {
            style.width = length(attribute(table, "width"));
            const QString relative = attribute(table, "rel-width").value_or(QString());
            if (relative.endsWith(u'%'))
                style.relativeWidth = relative.chopped(1).toDouble();
            const QString align = attribute(table, "align").value_or(QString());
            if (align == QLatin1String("center"))
                style.tableAlignment = Qt::AlignHCenter;
            else if (align == QLatin1String("right"))
                style.tableAlignment = Qt::AlignRight;
        }
        m_styles.insert(attribute(node, "name").value_or(QString()), style);
    }

    void readListStyle(const pugi::xml_node& node)
    {
        QHash<int, QTextListFormat::Style>& levels =
            m_listStyles[attribute(node, "name").value_or(QString())];
        for (pugi::xml_node each : node.children()) {
            const int level = attribute(each, "level").value_or(QStringLiteral("1")).toInt() - 1;
            if (is(each, "list-level-style-number"))
                levels.insert(level,
                              numberStyle(attribute(each, "num-format").value_or(QString())));
            else if (is(each, "list-level-style-bullet"))
                levels.insert(level, TextBuilder::bulletStyle(
                                         attribute(each, "bullet-char").value_or(QString())));
        }
    }

    // A style with everything it inherits, nearest last.
    Style resolved(const QString& name) const
    {
        QList<const Style*> chain;
        QString next = name;
        while (!next.isEmpty() && chain.size() < 32) {
            const auto found = m_styles.constFind(next);
            if (found == m_styles.constEnd())
                break;
            chain.prepend(&*found);
            next = found->parent;
        }
        Style style;
        for (const Style* each : chain) {
            const auto take = [](auto& mine, const auto& theirs) {
                if (theirs)
                    mine = theirs;
            };
            if (each->outlineLevel)
                style.outlineLevel = each->outlineLevel;
            take(style.alignment, each->alignment);
            take(style.left, each->left);
            take(style.right, each->right);
            take(style.indent, each->indent);
            take(style.before, each->before);
            take(style.after, each->after);
            take(style.pageBreak, each->pageBreak);
            style.run.overlay(each->run);
            for (int side = 0; side < 4; ++side)
                take(style.borders[side], each->borders[side]);
            take(style.background, each->background);
            take(style.width, each->width);
            take(style.relativeWidth, each->relativeWidth);
            take(style.tableAlignment, each->tableAlignment);
            take(style.padding, each->padding);
        }
        return style;
    }

    void blocks(const pugi::xml_node& parent, int depth)
    {
        if (depth > 64)
            return;
        for (pugi::xml_node each : parent.children()) {
            if (is(each, "p") || is(each, "h"))
                paragraph(each);
            else if (is(each, "list"))
                list(each, depth);
            else if (is(each, "table"))
                table(each, depth);
            else if (is(each, "section") || is(each, "index-body"))
                blocks(each, depth + 1);
            else if (is(each, "table-of-content") || is(each, "alphabetical-index") ||
                     is(each, "illustration-index") || is(each, "bibliography"))
                blocks(child(each, "index-body"), depth + 1);
        }
    }

    struct ListContext
    {
        QString key;
        QString style;
        int level = 0;
    };

    void list(const pugi::xml_node& node, int depth)
    {
        ListContext context;
        const bool nested = !m_listStack.isEmpty();
        context.style =
            attribute(node, "style-name").value_or(nested ? m_listStack.last().style : QString());
        context.level = nested ? m_listStack.last().level + 1 : 0;
        // A list continues the numbering of an earlier one it names.
        if (const auto continues = attribute(node, "continue-list"); continues && !nested)
            context.key = m_listKeys.value(*continues, QStringLiteral("odt%1").arg(++m_lists));
        else if (nested)
            context.key = m_listStack.last().key;
        else
            context.key = QStringLiteral("odt%1").arg(++m_lists);
        if (const auto id = attribute(node, "id"))
            m_listKeys.insert(*id, context.key);
        m_listStack.append(context);
        for (pugi::xml_node item : node.children()) {
            if (!is(item, "list-item") && !is(item, "list-header"))
                continue;
            m_pendingItem = is(item, "list-item");
            blocks(item, depth + 1);
            m_pendingItem = false;
        }
        m_listStack.removeLast();
    }

    void paragraph(const pugi::xml_node& node)
    {
        const Style style = resolved(attribute(node, "style-name").value_or(QString()));
        QTextBlockFormat format;
        format.setAlignment(style.alignment.value_or(Qt::AlignLeft));
        if (m_listStack.isEmpty()) {
            format.setLeftMargin(std::max(0.0, style.left.value_or(0)));
            format.setTextIndent(style.indent.value_or(0));
        }
        format.setRightMargin(std::max(0.0, style.right.value_or(0)));
        format.setTopMargin(std::max(0.0, style.before.value_or(0)));
        format.setBottomMargin(std::max(0.0, style.after.value_or(0)));
        int heading = 0;
        if (is(node, "h"))
            heading = attribute(node, "outline-level").value_or(QString()).toInt();
        if (heading <= 0 && is(node, "h"))
            heading = style.outlineLevel > 0 ? style.outlineLevel : 1;
        if (heading > 0)
            format.setHeadingLevel(std::min(heading, 6));
        if (style.pageBreak.value_or(false))
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        const QTextCharFormat base = style.run.format();
        m_builder.paragraph(format, base);
        if (!m_listStack.isEmpty() && m_pendingItem) {
            const ListContext& list = m_listStack.last();
            const int level = std::min(list.level, 8);
            const auto levels = m_listStyles.value(list.style);
            m_builder.listItem(list.key, level,
                               levels.value(level, DocumentModel::bulletForLevel(level)));
            m_pendingItem = false; // further paragraphs of the item are not items
        }
        if (!m_noteMarker.isEmpty()) {
            QTextCharFormat marker = base;
            marker.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
            m_builder.text(std::exchange(m_noteMarker, QString()), marker);
        }
        m_afterSpace = true;
        const QList<pugi::xml_node> outerBoxes = std::exchange(m_boxes, {});
        inlines(node, style.run, 0);
        // Text boxes anchored in the paragraph follow it.
        const QList<pugi::xml_node> boxes = std::exchange(m_boxes, outerBoxes);
        for (const pugi::xml_node& box : boxes)
            blocks(box, 8);
    }

    void inlines(const pugi::xml_node& parent, const RunStyle& style, int depth)
    {
        if (depth > 64)
            return;
        const QTextCharFormat format = style.format();
        for (pugi::xml_node each : parent.children()) {
            if (each.type() == pugi::node_pcdata || each.type() == pugi::node_cdata) {
                m_builder.text(collapsed(QString::fromUtf8(each.value())), linked(format));
            } else if (is(each, "span")) {
                RunStyle inner = style;
                inner.overlay(resolved(attribute(each, "style-name").value_or(QString())).run);
                inlines(each, inner, depth + 1);
            } else if (is(each, "a")) {
                const QString previous = m_href;
                m_href = attribute(each, "href").value_or(QString());
                inlines(each, style, depth + 1);
                m_href = previous;
            } else if (is(each, "s")) {
                const int count =
                    std::clamp(attribute(each, "c").value_or(QStringLiteral("1")).toInt(), 1, 1000);
                m_builder.text(QString(count, QLatin1Char(' ')), linked(format));
                m_afterSpace = true;
            } else if (is(each, "tab")) {
                m_builder.text(QStringLiteral("\t"), linked(format));
                m_afterSpace = false;
            } else if (is(each, "line-break")) {
                m_builder.lineBreak(linked(format));
                m_afterSpace = true;
            } else if (is(each, "note")) {
                note(each, format);
            } else if (is(each, "frame")) {
                frame(each, format, depth);
            } else if (is(each, "bookmark") || is(each, "bookmark-start") ||
                       is(each, "reference-mark") || is(each, "reference-mark-start")) {
                m_builder.anchor(attribute(each, "name").value_or(QString()));
            } else if (is(each, "annotation") || is(each, "bookmark-end") ||
                       is(each, "soft-page-break") || is(each, "tracked-changes") ||
                       is(each, "change-start") || is(each, "change-end") ||
                       is(each, "reference-mark-end")) {
                // Comments and marks carry no text of the document.
            } else if (each.type() == pugi::node_element) {
                // Fields (page numbers, dates, references…) keep the text they show.
                inlines(each, style, depth + 1);
            }
        }
    }

    // A frame in the text: a picture, a formula, or a text box whose
    // paragraphs follow the paragraph it is in.
    void frame(const pugi::xml_node& node, const QTextCharFormat& format, int depth)
    {
        const QSizeF size(length(attribute(node, "width")).value_or(0),
                          length(attribute(node, "height")).value_or(0));
        QString alt = Xml::text(child(node, "desc")).trimmed();
        if (alt.isEmpty())
            alt = Xml::text(child(node, "title")).trimmed();
        // A formula is its text; the picture beside it is only its likeness.
        if (const pugi::xml_node object = child(node, "object")) {
            if (const auto text = formula(object)) {
                m_builder.text(*text, linked(format));
                m_afterSpace = false;
                return;
            }
        }
        if (const pugi::xml_node image = child(node, "image")) {
            picture(image, size, alt, format);
            return;
        }
        if (const pugi::xml_node box = child(node, "text-box")) {
            if (depth < 16)
                m_boxes.append(box);
            return;
        }
        if (!alt.isEmpty())
            m_builder.text(alt, linked(format));
    }

    std::optional<QString> formula(const pugi::xml_node& object)
    {
        QString href = attribute(object, "href").value_or(QString());
        while (href.startsWith(QLatin1String("./")))
            href.remove(0, 2);
        const auto content = href.isEmpty() || href.contains(u':')
                                 ? std::nullopt
                                 : m_archive.part(href + QStringLiteral("/content.xml"));
        if (!content)
            return std::nullopt;
        pugi::xml_document document;
        if (!document.load_buffer(content->constData(), size_t(content->size())))
            return std::nullopt;
        const pugi::xml_node math = document.document_element();
        if (!is(math, "math"))
            return std::nullopt;
        const QString text = MathText::fromMathMl(math);
        return text.isEmpty() ? std::nullopt : std::optional<QString>(text);
    }

    void picture(const pugi::xml_node& image, QSizeF size, const QString& alt,
                 const QTextCharFormat& format)
    {
        std::optional<QByteArray> bytes;
        if (const pugi::xml_node data = child(image, "binary-data")) {
            bytes = QByteArray::fromBase64(Xml::text(data).toLatin1());
        } else {
            const QString href = attribute(image, "href").value_or(QString());
            // Pictures linked from outside the package are never fetched.
            if (!href.isEmpty() && !href.contains(u':') && !href.startsWith(u'/'))
                bytes = m_archive.part(QDir::cleanPath(href));
        }
        const auto picture = bytes ? m_pictures.add(*bytes,
                                                    size.width() > 0 && size.height() > 0
                                                        ? std::optional<QSizeF>(size)
                                                        : std::nullopt,
                                                    alt)
                                   : std::nullopt;
        if (picture) {
            m_builder.picture(*picture, linked(format));
            m_afterSpace = false;
        } else if (!alt.isEmpty()) {
            m_builder.text(alt, linked(format));
            m_afterSpace = false;
        }
    }

    QTextCharFormat linked(QTextCharFormat format) const
    {
        if (!m_href.isEmpty()) {
            format.setAnchor(true);
            format.setAnchorHref(m_href);
        }
        return format;
    }

    // White space in ODF text collapses to one space.
    QString collapsed(const QString& text)
    {
        QString out;
        out.reserve(text.size());
        for (const QChar c : text) {
            const bool space = c == QLatin1Char(' ') || c == QLatin1Char('\n') ||
                               c == QLatin1Char('\r') || c == QLatin1Char('\t');
            if (space) {
                if (!m_afterSpace)
                    out += QLatin1Char(' ');
                m_afterSpace = true;
            } else {
                out += c;
                m_afterSpace = false;
            }
        }
        return out;
    }

    void note(const pugi::xml_node& node, QTextCharFormat format)
    {
        if (m_notes.size() >= 10000)
            return;
        m_notes.append(child(node, "note-body"));
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        m_builder.text(QString::number(m_notes.size()), format);
        m_afterSpace = false;
    }

    void writeNotes()
    {
        for (qsizetype i = 0; i < m_notes.size(); ++i) {
            m_noteMarker = QString::number(i + 1) + QLatin1Char(' ');
            blocks(m_notes.at(i), 1);
        }
    }

    void table(const pugi::xml_node& node, int depth)
    {
        QList<pugi::xml_node> rows;
        collectRows(node, rows, 0);
        if (m_builder.tableDepth() >= TextBuilder::maximumTableDepth) {
            for (const pugi::xml_node& row : rows)
                for (pugi::xml_node cell : row.children())
                    blocks(cell, depth + 1);
            return;
        }
        const QList<ListContext> outerLists = std::exchange(m_listStack, {});
        m_builder.beginTable(tableLook(node));
        QHash<int, std::pair<int, int>> spanning; // column → rows still covered, columns wide
        for (const pugi::xml_node& row : rows) {
            const int repeat = std::clamp(
                attribute(row, "number-rows-repeated").value_or(QStringLiteral("1")).toInt(), 1,
                100);
            for (int r = 0; r < repeat; ++r) {
                m_builder.beginRow(is(row.parent(), "table-header-rows"));
                int column = 0;
                for (pugi::xml_node cell : row.children()) {
                    const bool covered = is(cell, "covered-table-cell");
                    if (!covered && !is(cell, "table-cell"))
                        continue;
                    const int repeatColumns = std::clamp(attribute(cell, "number-columns-repeated")
                                                             .value_or(QStringLiteral("1"))
                                                             .toInt(),
                                                         1, 64);
                    for (int c = 0; c < repeatColumns; ++c, ++column) {
                        if (auto found = spanning.find(column); found != spanning.end()) {
                            m_builder.beginCell(column, found->second, true);
                            if (--found->first == 0)
                                spanning.erase(found);
                            continue;
                        }
                        if (covered)
                            continue;
                        const int columns = std::clamp(attribute(cell, "number-columns-spanned")
                                                           .value_or(QStringLiteral("1"))
                                                           .toInt(),
                                                       1, 64);
                        const int rowSpan = std::clamp(attribute(cell, "number-rows-spanned")
                                                           .value_or(QStringLiteral("1"))
                                                           .toInt(),
                                                       1, 10000);
                        if (rowSpan > 1)
                            spanning.insert(column, {rowSpan - 1, columns});
                        const Style cellStyle =
                            resolved(attribute(cell, "style-name").value_or(QString()));
                        TextBuilder::CellLook look;
                        for (int side = 0; side < 4; ++side)
                            look.borders[side] =
                                cellStyle.borders[side].value_or(TextBuilder::Border());
                        look.background = cellStyle.background;
                        m_builder.beginCell(column, columns, false, look);
                        blocks(cell, depth + 1);
                    }
                }
            }
        }
        m_builder.endTable();
        m_listStack = outerLists;
    }

    // The table's width and its columns', from their styles.
    TextBuilder::TableLook tableLook(const pugi::xml_node& node) const
    {
        TextBuilder::TableLook look;
        const Style table = resolved(attribute(node, "style-name").value_or(QString()));
        if (table.relativeWidth && *table.relativeWidth > 0)
            look.width =
                QTextLength(QTextLength::PercentageLength, std::min(*table.relativeWidth, 100.0));
        else if (table.width && *table.width > 0)
            look.width = QTextLength(QTextLength::FixedLength, *table.width);
        look.alignment = table.tableAlignment.value_or(Qt::AlignLeft);
        QList<pugi::xml_node> columns;
        collectColumns(node, columns, 0);
        for (const pugi::xml_node& column : columns) {
            const int repeat = std::clamp(
                attribute(column, "number-columns-repeated").value_or(QStringLiteral("1")).toInt(),
                1, 64);
            const auto width = resolved(attribute(column, "style-name").value_or(QString())).width;
            for (int i = 0; i < repeat && look.columns.size() < 64; ++i)
                look.columns.append(width && *width > 0
                                        ? QTextLength(QTextLength::FixedLength, *width)
                                        : QTextLength(QTextLength::VariableLength, 0));
        }
        // The padding of the first cell stands for all.
        const pugi::xml_node firstCell = node.select_node(".//*[local-name()='table-cell']").node();
        look.padding = resolved(attribute(firstCell, "style-name").value_or(QString()))
                           .padding.value_or(QMarginsF(2, 2, 2, 2));
        return look;
    }

    void collectColumns(const pugi::xml_node& parent, QList<pugi::xml_node>& columns,
                        int depth) const
    {
        if (depth > 8)
            return;
        for (pugi::xml_node each : parent.children()) {
            if (is(each, "table-column"))
                columns.append(each);
            else if (is(each, "table-columns") || is(each, "table-header-columns") ||
                     is(each, "table-column-group"))
                collectColumns(each, columns, depth + 1);
        }
    }

    void collectRows(const pugi::xml_node& parent, QList<pugi::xml_node>& rows, int depth) const
    {
        if (depth > 8)
            return;
        for (pugi::xml_node each : parent.children()) {
            if (is(each, "table-row"))
                rows.append(each);
            else if (is(each, "table-header-rows") || is(each, "table-rows") ||
                     is(each, "table-row-group"))
                collectRows(each, rows, depth + 1);
        }
    }

    QString m_path;
    TextBuilder m_builder;
    Pictures::Store m_pictures;
    ZipArchive m_archive;
    QList<pugi::xml_node> m_boxes; // text boxes of the paragraph being read
    std::list<pugi::xml_document> m_parts;
    QHash<QString, QString> m_fontFaces;
    QHash<QString, Style> m_styles;
    QHash<QString, QHash<int, QTextListFormat::Style>> m_listStyles;
    QList<ListContext> m_listStack;
    QHash<QString, QString> m_listKeys; // xml:id → list key
    int m_lists = 0;
    bool m_pendingItem = false;
    bool m_afterSpace = true;
    QString m_href;
    QList<pugi::xml_node> m_notes;
    QString m_noteMarker;
};

} // namespace

void read(const QString& path, QTextDocument& document)
{
    Reader(path, document).read();
}

} // namespace OdtReader
