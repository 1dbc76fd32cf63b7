#include "engines/documents/RtfWriter.h"

#include "engines/documents/DocumentModel.h"
#include "engines/documents/Pictures.h"

#include <QMap>
#include <QTextDocument>
#include <cmath>

namespace RtfWriter {

namespace {

using namespace DocumentModel;

QByteArray twips(double points)
{
    return QByteArray::number(qlonglong(std::lround(points * 20)));
}

// Text as RTF: the three special characters escaped, tabs and line breaks
// as control words, everything beyond ASCII as \uN with a "?" for readers
// that don't know it.
QByteArray text(const QString& value)
{
    QByteArray out;
    out.reserve(value.size());
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += char(u);
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u == '\n') {
            out += "\\line ";
        } else if (u >= 0x20 && u < 0x80) {
            out += char(u);
        } else if (u >= 0x80) {
            out += "\\u" + QByteArray::number(qint16(u)) + '?';
        }
    }
    return out;
}

QByteArray levelFormat(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListDecimal:
        return "0";
    case QTextListFormat::ListUpperRoman:
        return "1";
    case QTextListFormat::ListLowerRoman:
        return "2";
    case QTextListFormat::ListUpperAlpha:
        return "3";
    case QTextListFormat::ListLowerAlpha:
        return "4";
    default:
        return "23"; // bullet
    }
}

char16_t bulletChar(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListCircle:
        return 0x25e6;
    case QTextListFormat::ListSquare:
        return 0x25aa;
    default:
        return 0x2022;
    }
}

// A field's link: a bookmark by its name after \\l, else an address
// within quotes, which it can't hold itself.
QByteArray linkTarget(const QString& href)
{
    if (href.startsWith(u'#'))
        return "\\\\l \"" + text(href.mid(1)) + '"';
    QString quoted = href;
    quoted.replace(u'"', QStringLiteral("%22"));
    return '"' + text(quoted) + '"';
}

class Writer
{
public:
    explicit Writer(const QTextDocument& document) : m_document(document)
    {
        m_defaultFont = font(document.defaultFont().family());
    }

    QByteArray rtf()
    {
        QByteArray body;
        blocks(DocumentModel::blocks(m_document), body, false);

        QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
        for (auto it = m_fonts.constBegin(); it != m_fonts.constEnd(); ++it)
            out += "{\\f" + QByteArray::number(it.value()) + "\\fnil " + text(it.key()) + ";}";
        out += "}\n{\\colortbl;";
        for (const QColor& color : std::as_const(m_colors))
            out += "\\red" + QByteArray::number(color.red()) + "\\green" +
                   QByteArray::number(color.green()) + "\\blue" + QByteArray::number(color.blue()) +
                   ';';
        out += "}\n{\\stylesheet{\\s0 Normal;}";
        static const int headingHalfPoints[] = {48, 36, 29, 24, 20, 18};
        for (int level = 1; level <= 6; ++level)
            out += "{\\s" + QByteArray::number(level) + "\\outlinelevel" +
                   QByteArray::number(level - 1) + "\\b\\fs" +
                   QByteArray::number(headingHalfPoints[level - 1]) + " heading " +
                   QByteArray::number(level) + ";}";
        out += "}\n";
        out += listTables();
        out += "\\paperw11906\\paperh16838\\margl1120\\margr1120\\margt1120\\margb1120\n";
        out += "\\fs" +
               QByteArray::number(qlonglong(std::lround((m_document.defaultFont().pointSizeF() > 0
                                                             ? m_document.defaultFont().pointSizeF()
                                                             : 12) *
                                                        2))) +
               '\n';
        out += body;
        out += "}\n";
        return out;
    }

private:
    int font(const QString& family)
    {
        const auto found = m_fonts.constFind(family);
        if (found != m_fonts.constEnd())
            return *found;
        const int index = int(m_fonts.size());
        m_fonts.insert(family, index);
        return index;
    }

    int color(const QColor& value)
    {
        const qsizetype index = m_colors.indexOf(value);
        if (index >= 0)
            return int(index) + 1;
        m_colors.append(value);
        return int(m_colors.size());
    }

    QByteArray listTables() const
    {
        if (m_lists.isEmpty())
            return {};
        QByteArray lists = "{\\*\\listtable";
        QByteArray overrides = "{\\*\\listoverridetable";
        for (auto it = m_lists.constBegin(); it != m_lists.constEnd(); ++it) {
            const QByteArray id = QByteArray::number(it.key());
            lists += "{\\list\\listtemplateid" + id;
            for (int level = 0; level < 9; ++level) {
                const QTextListFormat::Style style = styleAtLevel(*it, level);
                const QByteArray indent = "\\fi-360\\li" + QByteArray::number(720 * (level + 1));
                if (isNumbered(style))
                    lists += "{\\listlevel\\levelnfc" + levelFormat(style) +
                             "\\leveljc0\\levelfollow0\\levelstartat1{\\leveltext\\'02\\'" +
                             QByteArray::number(level, 16).rightJustified(2, '0') +
                             ".;}{\\levelnumbers\\'01;}" + indent + "}";
                else
                    lists += "{\\listlevel\\levelnfc23\\leveljc0\\levelfollow0\\levelstartat1{"
                             "\\leveltext\\'01\\u" +
                             QByteArray::number(qint16(bulletChar(style))) +
                             "?;}{\\levelnumbers;}" + indent + "}";
            }
            lists += "\\listid" + id + "}";
            overrides += "{\\listoverride\\listid" + id + "\\listoverridecount0\\ls" + id + "}";
        }
        return lists + "}\n" + overrides + "}\n";
    }

    void blocks(const QList<Block>& list, QByteArray& out, bool inTable)
    {
        for (const Block& block : list) {
            if (block.paragraph)
                paragraph(*block.paragraph, out, inTable);
            else if (block.table && !inTable)
                table(*block.table, out);
            else if (block.table)
                flattened(*block.table, out);
        }
    }

    void paragraph(const Paragraph& p, QByteArray& out, bool inTable)
    {
        out += "\\pard\\plain";
        if (p.heading)
            out += "\\s" + QByteArray::number(p.heading) + "\\outlinelevel" +
                   QByteArray::number(p.heading - 1);
        if (inTable)
            out += "\\intbl";
        if (p.pageBreakBefore)
            out += "\\pagebb";
        if (p.alignment & Qt::AlignHCenter)
            out += "\\qc";
        else if (p.alignment & (Qt::AlignRight | Qt::AlignTrailing))
            out += "\\qr";
        else if (p.alignment & Qt::AlignJustify)
            out += "\\qj";
        if (p.list) {
            m_lists.insert(p.list->list, *p.list);
            out += "\\ls" + QByteArray::number(p.list->list) + "\\ilvl" +
                   QByteArray::number(p.list->level) + "\\fi-360\\li" +
                   QByteArray::number(720 * (p.list->level + 1));
        } else {
            if (p.left != 0)
                out += "\\li" + twips(p.left);
            if (p.firstLine != 0)
                out += "\\fi" + twips(p.firstLine);
        }
        if (p.right != 0)
            out += "\\ri" + twips(p.right);
        if (p.before != 0)
            out += "\\sb" + twips(p.before);
        if (p.after != 0)
            out += "\\sa" + twips(p.after);
        out += ' ';
        if (p.list)
            out += "{\\listtext\\tab}";
        bookmarks(p.anchors, out);
        for (const Run& run : p.runs) {
            bookmarks(run.anchors, out);
            this->run(run, out);
        }
        out += "\\par\n";
    }

    static void bookmarks(const QStringList& names, QByteArray& out)
    {
        for (const QString& name : names)
            out += "{\\*\\bkmkstart " + text(name) + "}{\\*\\bkmkend " + text(name) + '}';
    }

    // A picture as PNG or JPEG data, which is what readers take.
    static QByteArray picture(const DocumentModel::Picture& picture)
    {
        const auto portable = Pictures::converted(picture.picture, {"png", "jpeg"});
        if (!portable)
            return text(picture.alt);
        QByteArray out = "{\\*\\shppict{\\pict";
        if (!picture.alt.isEmpty())
            out += "{\\*\\picprop{\\sp{\\sn wzDescription}{\\sv " + text(picture.alt) + "}}}";
        out += "\\picw" + QByteArray::number(portable->pixels.width()) + "\\pich" +
               QByteArray::number(portable->pixels.height()) + "\\picwgoal" +
               twips(picture.size.width()) + "\\pichgoal" + twips(picture.size.height()) +
               (portable->format == "png" ? "\\pngblip\n" : "\\jpegblip\n");
        const QByteArray hex = portable->bytes.toHex();
        for (qsizetype at = 0; at < hex.size(); at += 128)
            out += hex.mid(at, 128) + '\n';
        return out + "}}";
    }

    void run(const Run& run, QByteArray& out)
    {
        const Marks& m = run.marks;
        QByteArray marks =
            "\\f" + QByteArray::number(m.font.isEmpty() ? m_defaultFont : font(m.font));
        if (m.points)
            marks += "\\fs" + QByteArray::number(qlonglong(std::lround(*m.points * 2)));
        if (m.bold)
            marks += "\\b";
        if (m.italic)
            marks += "\\i";
        if (m.underline)
            marks += "\\ul";
        if (m.strike)
            marks += "\\strike";
        if (m.color)
            marks += "\\cf" + QByteArray::number(color(*m.color));
        if (m.position)
            marks += m.position > 0 ? "\\super" : "\\sub";
        const QByteArray body =
            "{" + marks + ' ' + (run.picture ? picture(*run.picture) : text(run.text)) + '}';
        if (m.href.isEmpty())
            out += body;
        else
            out += "{\\field{\\*\\fldinst{HYPERLINK " + linkTarget(m.href) + "}}{\\fldrslt" + body +
                   "}}";
    }

    QByteArray border(const char* side, const Border& border)
    {
        if (!border.isVisible())
            return QByteArray("\\clbrdr") + side + "\\brdrnone";
        const char* style = border.style == QTextFrameFormat::BorderStyle_Double   ? "\\brdrdb"
                            : border.style == QTextFrameFormat::BorderStyle_Dotted ? "\\brdrdot"
                            : border.style == QTextFrameFormat::BorderStyle_Dashed ? "\\brdrdash"
                                                                                   : "\\brdrs";
        return QByteArray("\\clbrdr") + side + style + "\\brdrw" +
               QByteArray::number(
                   std::clamp(qlonglong(std::lround(border.width * 20)), 1LL, 240LL)) +
               "\\brdrcf" + QByteArray::number(color(border.color));
    }

    void table(const Table& t, QByteArray& out)
    {
        QList<int> rights;
        double position = 0;
        for (const double width : t.widths) {
            position += width;
            rights.append(int(std::lround(position * 20)));
        }
        const QByteArray padding = "\\trpaddl" + twips(t.padding.left()) + "\\trpaddfl3\\trpaddr" +
                                   twips(t.padding.right()) + "\\trpaddfr3\\trpaddt" +
                                   twips(t.padding.top()) + "\\trpaddft3\\trpaddb" +
                                   twips(t.padding.bottom()) + "\\trpaddfb3";
        for (int row = 0; row < t.rows; ++row) {
            QByteArray definition = "\\trowd\\trgaph" + twips(t.padding.left()) + padding;
            if (row < t.headerRows)
                definition += "\\trhdr";
            for (int column = 0; column < t.columns; ++column) {
                const Cell& cell = t.cells[row][column];
                const Cell& origin =
                    cell.covered ? t.cells[cell.originRow][cell.originColumn] : cell;
                const bool horizontallyCovered = cell.covered && cell.originColumn != column;
                const bool verticallyCovered = cell.covered && cell.originRow != row;
                if (horizontallyCovered)
                    definition += "\\clmrg";
                else if (origin.columnSpan > 1)
                    definition += "\\clmgf";
                if (verticallyCovered)
                    definition += "\\clvmrg";
                else if (origin.rowSpan > 1)
                    definition += "\\clvmgf";
                definition += border("t", origin.borders[Side::top]) +
                              border("l", origin.borders[Side::left]) +
                              border("b", origin.borders[Side::bottom]) +
                              border("r", origin.borders[Side::right]);
                if (origin.background)
                    definition += "\\clcbpat" + QByteArray::number(color(*origin.background));
                definition += "\\cellx" + QByteArray::number(rights.value(column));
            }
            out += definition + '\n';
            for (int column = 0; column < t.columns; ++column) {
                const Cell& cell = t.cells[row][column];
                if (!cell.covered)
                    blocks(cell.blocks, out, true);
                // The cell's last paragraph ends with the cell itself.
                if (out.endsWith("\\par\n"))
                    out.chop(5);
                else
                    out += "\\pard\\intbl ";
                out += "\\cell\n";
            }
            out += definition + "\\row\n";
        }
    }

    // A table inside a table cell: its cells as paragraphs of that cell.
    void flattened(const Table& t, QByteArray& out)
    {
        for (const QList<Cell>& row : t.cells)
            for (const Cell& cell : row)
                if (!cell.covered)
                    blocks(cell.blocks, out, true);
    }

    const QTextDocument& m_document;
    QMap<QString, int> m_fonts;
    QList<QColor> m_colors;
    QMap<int, ListItem> m_lists;
    int m_defaultFont = 0;
};

} // namespace

QByteArray rtf(const QTextDocument& document)
{
    return Writer(document).rtf();
}

} // namespace RtfWriter
