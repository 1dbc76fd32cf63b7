#include "engines/documents/RtfReader.h"

#include "base/Errors.h"
#include "base/FileOps.h"
#include "base/Translate.h"
#include "engines/documents/DocumentModel.h"
#include "engines/documents/Pictures.h"
#include "engines/documents/RichDocument.h"
#include "engines/documents/TextBuilder.h"

#include <QColor>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextDocument>

namespace RtfReader {

FLINGDIAL_TR_CONTEXT(RtfReader)

namespace {

enum class Destination {
    text,
    skip,
    fontTable,
    colorTable,
    styleSheet,
    listTable,
    listOverrideTable,
    fieldInstruction,
    footnote,
    levelText,
    picture,
    shape,        // a drawing object: only its picture is read
    propertyName, // of a shape or picture
    propertyValue,
    bookmark,
};

struct Marks
{
    int font = -1;
    int halfPoints = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int color = 0;
    int position = 0;
};

struct ParagraphMarks
{
    Qt::Alignment alignment = Qt::AlignLeft;
    int left = 0, right = 0, firstLine = 0, before = 0, after = 0; // twips
    int outlineLevel = -1;
    int list = 0;
    int level = 0;
    bool inTable = false;
    bool pageBreakBefore = false;
};

struct Group
{
    Destination destination = Destination::text;
    Marks marks;
    ParagraphMarks paragraph;
    int skipAfterUnicode = 1;
    QString href;
    QString fieldHref; // the field's link, for its result
    bool ignorable = false;
};

struct Font
{
    QString name;
    int codePage = 0;
};

int codePageOfCharset(int charset)
{
    static const QHash<int, int> pages = {
        {128, 932},  {129, 949},  {134, 936},  {136, 950},  {161, 1253}, {162, 1254}, {163, 1258},
        {177, 1255}, {178, 1256}, {186, 1257}, {204, 1251}, {222, 874},  {238, 1250}};
    return pages.value(charset, 0);
}

QTextListFormat::Style listStyle(int levelFormat, int level)
{
    switch (levelFormat) {
    case 0:
        return QTextListFormat::ListDecimal;
    case 1:
        return QTextListFormat::ListUpperRoman;
    case 2:
        return QTextListFormat::ListLowerRoman;
    case 3:
        return QTextListFormat::ListUpperAlpha;
    case 4:
        return QTextListFormat::ListLowerAlpha;
    case 255: // no number: outline numbering of headings
        return QTextListFormat::ListStyleUndefined;
    default:
        return DocumentModel::bulletForLevel(level);
    }
}

class Parser
{
public:
    Parser(const QByteArray& rtf, const QString& name, QTextDocument& document)
        : m_rtf(rtf), m_name(name), m_builder(document), m_pictures(document)
    {}

    void parse()
    {
        if (!m_rtf.startsWith("{\\rtf"))
            throw Fail(
                QCoreApplication::translate("RtfReader", "%1 isn’t an RTF document.").arg(m_name));
        m_groups.append(Group());
        const qsizetype size = m_rtf.size();
        while (m_at < size) {
            const char c = m_rtf.at(m_at++);
            if (c == '{') {
                flushBytes();
                if (m_groups.size() >= maximumDepth)
                    throw Fail(
                        QCoreApplication::translate("RtfReader", "%1 nests too deeply to be read.")
                            .arg(m_name));
                Group inner = m_groups.last();
                inner.ignorable = false;
                m_groups.append(inner);
            } else if (c == '}') {
                flushBytes();
                // A stray closing brace would take the base group, whose
                // formatting the rest of the text still needs.
                if (m_groups.size() > 1)
                    endGroup();
            } else if (c == '\\') {
                control();
            } else if (c != '\r' && c != '\n') {
                byte(c);
            }
        }
        flushBytes();
        endParagraph(false);
        endTable();
        writeNotes();
    }

private:
    Group& group() { return m_groups.last(); }

    [[noreturn]] void damaged() const
    {
        throw Fail(QCoreApplication::translate("RtfReader", "%1 is damaged and can’t be read.")
                       .arg(m_name));
    }

    void control()
    {
        if (m_at >= m_rtf.size())
            return;
        const char first = m_rtf.at(m_at);
        if (!std::isalpha(static_cast<unsigned char>(first))) {
            ++m_at;
            symbol(first);
            return;
        }
        const qsizetype start = m_at;
        while (m_at < m_rtf.size() && std::isalpha(static_cast<unsigned char>(m_rtf.at(m_at))) &&
               m_at - start < 32)
            ++m_at;
        const QByteArray word = m_rtf.mid(start, m_at - start);
        bool hasNumber = false;
        qint64 number = 0;
        bool negative = false;
        if (m_at < m_rtf.size() && m_rtf.at(m_at) == '-') {
            negative = true;
            ++m_at;
        }
        int digits = 0;
        while (m_at < m_rtf.size() && std::isdigit(static_cast<unsigned char>(m_rtf.at(m_at)))) {
            if (digits++ < 10)
                number = number * 10 + (m_rtf.at(m_at) - '0');
            hasNumber = true;
            ++m_at;
        }
        if (negative)
            number = -number;
        if (m_at < m_rtf.size() && m_rtf.at(m_at) == ' ')
            ++m_at;
        const int value = int(std::clamp<qint64>(number, INT_MIN, INT_MAX));
        if (word == "bin") {
            // Binary data, nothing we show: skipped, after checking its length.
            if (number < 0 || number > m_rtf.size() - m_at)
                damaged();
            if (group().destination == Destination::picture)
                m_picture.bytes.append(m_rtf.mid(m_at, number));
            m_at += number;
            return;
        }
        if (word != "u")
            flushBytes();
        keyword(word, hasNumber ? value : 1, hasNumber);
    }

    void symbol(char c)
    {
        switch (c) {
        case '\'': {
            if (m_at + 2 > m_rtf.size())
                return;
            bool ok = false;
            const int value = m_rtf.mid(m_at, 2).toInt(&ok, 16);
            m_at += 2;
            if (ok)
                byte(char(value));
            return;
        }
        case '\\':
        case '{':
        case '}':
            byte(c);
            return;
        case '~':
            flushBytes();
            text(QString(QChar::Nbsp));
            return;
        case '_':
            flushBytes();
            text(QString(QChar(0x2011)));
            return;
        case '*':
            group().ignorable = true;
            return;
        case '\r':
        case '\n':
            flushBytes();
            keyword("par", 1, false);
            return;
        case '\t':
            flushBytes();
            text(QStringLiteral("\t"));
            return;
        default:
            return; // \- (optional hyphen), \| and \: show nothing
        }
    }

    void byte(char c)
    {
        if (m_skip > 0) {
            --m_skip;
            return;
        }
        m_bytes.append(c);
    }

    void flushBytes()
    {
        m_skip = 0;
        if (m_bytes.isEmpty())
            return;
        text(decode(m_bytes));
        m_bytes.clear();
    }

    QString decode(const QByteArray& bytes)
    {
        int page = m_codePage;
        const int font = group().marks.font;
        if (font >= 0 && m_fonts.value(font).codePage)
            page = m_fonts.value(font).codePage;
        if (page == 0 || page == 1252)
            page = 1252;
        auto& decoder = m_decoders[page];
        if (!decoder) {
            const QByteArray name =
                page == 65001 ? QByteArray("UTF-8") : "windows-" + QByteArray::number(page);
            decoder = std::make_shared<QStringDecoder>(name.constData());
            if (!decoder->isValid())
                decoder = std::make_shared<QStringDecoder>(QStringDecoder::Latin1);
        }
        return decoder->decode(bytes);
    }

    void keyword(const QByteArray& word, int value, bool hasNumber)
    {
        Group& g = group();
        if (g.destination == Destination::skip)
            return;
        const bool ignorable = std::exchange(g.ignorable, false);
        if (destinationKeyword(word, value))
            return;
        // An unknown destination marked ignorable is skipped whole.
        if (ignorable) {
            g.destination = Destination::skip;
            return;
        }
        switch (g.destination) {
        case Destination::fontTable:
            fontTableKeyword(word, value);
            return;
        case Destination::colorTable:
            colorKeyword(word, value);
            return;
        case Destination::styleSheet:
            if (word == "s")
                m_currentStyle = value;
            else if (word == "outlinelevel")
                m_styleOutline.insert(m_currentStyle, value);
            return;
        case Destination::listTable:
            listKeyword(word, value);
            return;
        case Destination::listOverrideTable:
            if (word == "listid")
                m_overrideList = value;
            else if (word == "ls")
                m_overrides.insert(value, m_overrideList);
            return;
        case Destination::picture:
            pictureKeyword(word, value);
            return;
        case Destination::skip:
        case Destination::shape:
        case Destination::propertyName:
        case Destination::propertyValue:
        case Destination::bookmark:
            return;
        default:
            break;
        }
        if (characterKeyword(word, value, hasNumber) || paragraphKeyword(word, value))
            return;
        textKeyword(word, value);
    }

    bool destinationKeyword(const QByteArray& word, int value)
    {
        Group& g = group();
        static const QSet<QByteArray> skipped = {
            "info",         "shprslt",      "object",
            "header",       "headerl",      "headerr",
            "headerf",      "footer",       "footerl",
            "footerr",      "footerf",      "listtext",
            "pntext",       "pntxta",       "pntxtb",
            "nonshppict",   "themedata",    "colorschememapping",
            "latentstyles", "datastore",    "xmlnstbl",
            "rsidtbl",      "generator",    "mmathPr",
            "bkmkend",      "annotation",   "atnid",
            "atnauthor",    "atrfstart",    "atrfend",
            "pgdsctbl",     "revtbl",       "userprops",
            "docvar",       "template",     "fldtype",
            "comment",      "title",        "subject",
            "author",       "operator",     "keywords",
            "doccomm",      "company",      "falt",
            "panose",       "fontemb",      "fontfile",
            "leveltext",    "levelnumbers", "listname",
            "blipuid",      "objdata",      "objclass",
            "result"};
        if (skipped.contains(word)) {
            g.destination = Destination::skip;
            return true;
        }
        if (word == "pict") {
            // Pictures in a text, a picture group or a shape's picture property.
            const bool wanted = g.destination == Destination::text ||
                                g.destination == Destination::footnote ||
                                (g.destination == Destination::propertyValue &&
                                 m_propertyName == QLatin1String("pib"));
            g.destination = wanted && g.destination != Destination::footnote ? Destination::picture
                                                                             : Destination::skip;
            m_picture = PictureData();
            m_picture.alt = m_shapeAlt;
        } else if (word == "shppict") {
            // A group around a picture for readers that know it; the
            // picture for the others follows in \nonshppict.
        } else if (word == "shp") {
            g.destination =
                g.destination == Destination::text ? Destination::shape : Destination::skip;
            m_shapeAlt.clear();
        } else if (word == "shpinst" || word == "picprop") {
            if (g.destination != Destination::shape && g.destination != Destination::picture)
                g.destination = Destination::skip;
        } else if (word == "sp") {
            if (g.destination != Destination::shape && g.destination != Destination::picture)
                g.destination = Destination::skip;
            else
                m_propertyOwner = g.destination;
        } else if (word == "sn") {
            g.destination =
                g.destination == Destination::shape || g.destination == Destination::picture
                    ? Destination::propertyName
                    : Destination::skip;
            m_propertyName.clear();
        } else if (word == "sv") {
            g.destination =
                g.destination == Destination::shape || g.destination == Destination::picture
                    ? Destination::propertyValue
                    : Destination::skip;
            m_propertyValue.clear();
        } else if (word == "bkmkstart") {
            g.destination =
                g.destination == Destination::text ? Destination::bookmark : Destination::skip;
            m_bookmark.clear();
        } else if (word == "fonttbl") {
            g.destination = Destination::fontTable;
        } else if (word == "colortbl") {
            g.destination = Destination::colorTable;
            m_colors.clear();
            m_pendingColor = QColor();
        } else if (word == "stylesheet") {
            g.destination = Destination::styleSheet;
        } else if (word == "listtable") {
            g.destination = Destination::listTable;
        } else if (word == "listoverridetable") {
            g.destination = Destination::listOverrideTable;
        } else if (word == "leveltext") {
            g.destination = g.destination == Destination::listTable ? Destination::levelText
                                                                    : Destination::skip;
            m_levelText.clear();
        } else if (word == "fldinst") {
            g.destination = Destination::fieldInstruction;
            m_instruction.clear();
        } else if (word == "fldrslt") {
            g.destination =
                g.destination == Destination::footnote ? Destination::footnote : Destination::text;
            g.href = g.fieldHref;
        } else if (word == "footnote") {
            if (g.destination == Destination::footnote || m_notes.size() >= 10000) {
                g.destination = Destination::skip;
            } else {
                g.destination = Destination::footnote;
                m_notes.append(QString());
            }
        } else {
            Q_UNUSED(value);
            return false;
        }
        return true;
    }

    void pictureKeyword(const QByteArray& word, int value)
    {
        if (word == "pngblip")
            m_picture.known = true;
        else if (word == "jpegblip")
            m_picture.known = true;
        else if (word == "emfblip" || word == "wmetafile" || word == "macpict" ||
                 word == "pmmetafile" || word == "dibitmap" || word == "wbitmap")
            m_picture.known = false; // no reader for these here
        else if (word == "picwgoal")
            m_picture.goal.setWidth(std::clamp(value, 0, 200000) / 20.0);
        else if (word == "pichgoal")
            m_picture.goal.setHeight(std::clamp(value, 0, 200000) / 20.0);
        else if (word == "picscalex")
            m_picture.scale.setWidth(std::clamp(value, 1, 10000) / 100.0);
        else if (word == "picscaley")
            m_picture.scale.setHeight(std::clamp(value, 1, 10000) / 100.0);
    }

    // The picture just read, as a run of the paragraph; pictures of
    // formats no reader here knows keep their description.
    void finishPicture()
    {
        PictureData picture = std::exchange(m_picture, PictureData());
        const QSizeF size(picture.goal.width() * picture.scale.width(),
                          picture.goal.height() * picture.scale.height());
        const auto image = picture.known ? m_pictures.add(picture.bytes,
                                                          size.width() > 0 && size.height() > 0
                                                              ? std::optional<QSizeF>(size)
                                                              : std::nullopt,
                                                          picture.alt)
                                         : std::nullopt;
        if (image) {
            QTextImageFormat format = *image;
            const QTextCharFormat around = charFormat(group());
            if (around.isAnchor()) {
                format.setAnchor(true);
                format.setAnchorHref(around.anchorHref());
            }
            m_runs.append({QString(QChar::ObjectReplacementCharacter), format});
        } else if (!picture.alt.trimmed().isEmpty()) {
            m_runs.append({picture.alt.simplified(), charFormat(group())});
        }
    }

    void fontTableKeyword(const QByteArray& word, int value)
    {
        if (word == "f") {
            m_currentFont = value;
            m_fonts[value] = Font();
        } else if (word == "fcharset") {
            m_fonts[m_currentFont].codePage = codePageOfCharset(value);
        } else if (word == "cpg") {
            m_fonts[m_currentFont].codePage = value;
        }
    }

    void colorKeyword(const QByteArray& word, int value)
    {
        const int channel = std::clamp(value, 0, 255);
        if (!m_pendingColor.isValid() && (word == "red" || word == "green" || word == "blue"))
            m_pendingColor = QColor(0, 0, 0);
        if (word == "red")
            m_pendingColor.setRed(channel);
        else if (word == "green")
            m_pendingColor.setGreen(channel);
        else if (word == "blue")
            m_pendingColor.setBlue(channel);
    }

    void listKeyword(const QByteArray& word, int value)
    {
        if (word == "list") {
            m_listLevels.clear();
            m_bullets.clear();
        } else if (word == "listlevel") {
            m_listLevels.append(23);
        } else if (word == "levelnfc" || word == "levelnfcn") {
            if (!m_listLevels.isEmpty())
                m_listLevels.last() = value;
        } else if (word == "listid") {
            QList<QTextListFormat::Style> styles;
            for (qsizetype level = 0; level < m_listLevels.size(); ++level)
                styles.append(m_listLevels.at(level) == 23
                                  ? m_bullets.value(int(level), QTextListFormat::ListDisc)
                                  : listStyle(m_listLevels.at(level), int(level)));
            m_listFormats.insert(value, styles);
        }
    }

    bool characterKeyword(const QByteArray& word, int value, bool hasNumber)
    {
        Marks& m = group().marks;
        const bool on = !hasNumber || value != 0;
        if (word == "plain")
            m = Marks{m_defaultFont};
        else if (word == "b")
            m.bold = on;
        else if (word == "i")
            m.italic = on;
        else if (word == "ul" || word == "uld" || word == "uldb" || word == "uldash" ||
                 word == "ulw" || word == "ulwave" || word == "ulth")
            m.underline = on;
        else if (word == "ulnone")
            m.underline = false;
        else if (word == "strike" || word == "striked")
            m.strike = on;
        else if (word == "fs")
            m.halfPoints = std::clamp(value, 2, 3276);
        else if (word == "f")
            m.font = value;
        else if (word == "cf")
            m.color = value;
        else if (word == "super")
            m.position = 1;
        else if (word == "sub")
            m.position = -1;
        else if (word == "nosupersub")
            m.position = 0;
        else if (word == "uc")
            group().skipAfterUnicode = std::clamp(value, 0, 10);
        else
            return false;
        return true;
    }

    bool paragraphKeyword(const QByteArray& word, int value)
    {
        ParagraphMarks& p = group().paragraph;
        if (word == "pard") {
            p = ParagraphMarks();
        } else if (word == "ql") {
            p.alignment = Qt::AlignLeft;
        } else if (word == "qc") {
            p.alignment = Qt::AlignHCenter;
        } else if (word == "qr") {
            p.alignment = Qt::AlignRight;
        } else if (word == "qj" || word == "qd") {
            p.alignment = Qt::AlignJustify;
        } else if (word == "li") {
            p.left = std::clamp(value, -40000, 40000);
        } else if (word == "ri") {
            p.right = std::clamp(value, -40000, 40000);
        } else if (word == "fi") {
            p.firstLine = std::clamp(value, -40000, 40000);
        } else if (word == "sb") {
            p.before = std::clamp(value, 0, 40000);
        } else if (word == "sa") {
            p.after = std::clamp(value, 0, 40000);
        } else if (word == "outlinelevel") {
            p.outlineLevel = value;
        } else if (word == "s") {
            p.outlineLevel = m_styleOutline.value(value, -1);
        } else if (word == "ls") {
            p.list = value;
        } else if (word == "ilvl") {
            p.level = std::clamp(value, 0, 8);
        } else if (word == "intbl") {
            p.inTable = true;
        } else if (word == "pagebb") {
            p.pageBreakBefore = true;
        } else {
            return false;
        }
        return true;
    }

    // What a row definition says about its cells' frames and the row.
    bool rowKeyword(const QByteArray& word, int value)
    {
        using DocumentModel::Side;
        static const QHash<QByteArray, Side> cellSides = {{"clbrdrt", Side::top},
                                                          {"clbrdrr", Side::right},
                                                          {"clbrdrb", Side::bottom},
                                                          {"clbrdrl", Side::left}};
        static const QHash<QByteArray, Side> rowSides = {{"trbrdrt", Side::top},
                                                         {"trbrdrr", Side::right},
                                                         {"trbrdrb", Side::bottom},
                                                         {"trbrdrl", Side::left}};
        if (const auto side = cellSides.constFind(word); side != cellSides.constEnd()) {
            m_borderTarget = &m_pendingCell.look.borders[*side];
            *m_borderTarget = TextBuilder::Border{0.5};
            m_pendingCell.ownBorders[*side] = true;
        } else if (const auto side = rowSides.constFind(word); side != rowSides.constEnd()) {
            m_borderTarget = &m_rowDefinition.borders[*side];
            *m_borderTarget = TextBuilder::Border{0.5};
        } else if (word == "trbrdrh" || word == "trbrdrv") {
            m_borderTarget =
                &(word == "trbrdrh" ? m_rowDefinition.insideH : m_rowDefinition.insideV);
            *m_borderTarget = TextBuilder::Border{0.5};
        } else if (word == "brdrt" || word == "brdrb" || word == "brdrl" || word == "brdrr" ||
                   word == "box" || word == "brdrbar") {
            m_borderTarget = nullptr; // a paragraph's border
        } else if (word == "brdrnone" || word == "brdrnil" || word == "brdrtbl") {
            if (m_borderTarget)
                m_borderTarget->width = 0;
        } else if (word.startsWith("brdr") && word != "brdrw" && word != "brdrcf" &&
                   word != "brdrart") {
            if (m_borderTarget) {
                m_borderTarget->style = word == "brdrdb"    ? QTextFrameFormat::BorderStyle_Double
                                        : word == "brdrdot" ? QTextFrameFormat::BorderStyle_Dotted
                                        : word.startsWith("brdrdash")
                                            ? QTextFrameFormat::BorderStyle_Dashed
                                            : QTextFrameFormat::BorderStyle_Solid;
                if (word == "brdrth" && m_borderTarget->width < 1)
                    m_borderTarget->width = 1;
            }
        } else if (word == "brdrw") {
            if (m_borderTarget && m_borderTarget->width > 0)
                m_borderTarget->width = std::clamp(value / 20.0, 0.25, 12.0);
        } else if (word == "brdrcf") {
            if (m_borderTarget && value > 0 && value < m_colors.size() &&
                m_colors.at(value).isValid())
                m_borderTarget->color = m_colors.at(value);
        } else if (word == "clcbpat") {
            if (value > 0 && value < m_colors.size() && m_colors.at(value).isValid())
                m_pendingCell.look.background = m_colors.at(value);
        } else if (word == "trhdr") {
            m_rowDefinition.header = true;
        } else if (word == "trgaph") {
            m_rowDefinition.padding = std::clamp(value / 20.0, 0.0, 72.0);
        } else if (word == "trleft") {
            m_rowDefinition.left = std::clamp(value, -40000, 40000);
        } else {
            return false;
        }
        return true;
    }

    void textKeyword(const QByteArray& word, int value)
    {
        static const QHash<QByteArray, char16_t> characters = {
            {"emdash", 0x2014},  {"endash", 0x2013},    {"bullet", 0x2022},    {"lquote", 0x2018},
            {"rquote", 0x2019},  {"ldblquote", 0x201c}, {"rdblquote", 0x201d}, {"emspace", 0x2003},
            {"enspace", 0x2002}, {"qmspace", 0x2005}};
        if (const auto found = characters.constFind(word); found != characters.constEnd()) {
            text(QString(QChar(*found)));
        } else if (word == "u") {
            flushBytes();
            text(QString(QChar(char16_t(value < 0 ? value + 65536 : value))));
            m_skip = group().skipAfterUnicode;
        } else if (word == "tab") {
            text(QStringLiteral("\t"));
        } else if (word == "line") {
            text(QString(QChar::LineSeparator));
        } else if (word == "par" || word == "sect" || word == "nestcell" || word == "nestrow") {
            if (group().destination == Destination::footnote)
                m_notes.last() += QLatin1Char('\n');
            else
                endParagraph(true);
        } else if (word == "page") {
            endParagraph(false);
            m_pageBreak = true;
        } else if (word == "cell") {
            cell();
        } else if (word == "row") {
            row();
        } else if (word == "trowd") {
            m_cells.clear();
            m_pendingCell = CellDefinition();
            m_rowDefinition = RowDefinition();
            m_borderTarget = nullptr;
        } else if (rowKeyword(word, value)) {
        } else if (word == "clmgf") {
            m_pendingCell.mergeFirst = true;
        } else if (word == "clmrg") {
            m_pendingCell.merged = true;
        } else if (word == "clvmrg") {
            m_pendingCell.continuesAbove = true;
        } else if (word == "cellx") {
            m_pendingCell.right = std::clamp(value, -40000, 40000);
            if (m_cells.size() < 64)
                m_cells.append(m_pendingCell);
            m_pendingCell = CellDefinition();
            m_borderTarget = nullptr;
        } else if (word == "chftn") {
            if (group().destination != Destination::footnote)
                text(QString::number(m_notes.size() + 1));
        } else if (word == "field") {
            group().fieldHref.clear();
        } else if (word == "ansicpg") {
            m_codePage = value;
        } else if (word == "deff") {
            m_defaultFont = value;
            group().marks.font = value;
        }
    }

    void text(const QString& value)
    {
        if (value.isEmpty())
            return;
        Group& g = group();
        switch (g.destination) {
        case Destination::text:
            m_runs.append({value, charFormat(g)});
            break;
        case Destination::fieldInstruction:
            if (m_instruction.size() < 4096)
                m_instruction += value;
            break;
        case Destination::footnote:
            if (m_notes.last().size() < 1000000)
                m_notes.last() += value;
            break;
        case Destination::fontTable:
            m_fonts[m_currentFont].name += value;
            break;
        case Destination::levelText:
            if (m_levelText.size() < 64)
                m_levelText += value;
            break;
        case Destination::picture:
            hex(value);
            break;
        case Destination::propertyName:
            if (m_propertyName.size() < 64)
                m_propertyName += value;
            break;
        case Destination::propertyValue:
            if (m_propertyValue.size() < 4096)
                m_propertyValue += value;
            break;
        case Destination::bookmark:
            if (m_bookmark.size() < 256)
                m_bookmark += value;
            break;
        case Destination::colorTable:
            for (const QChar c : value) {
                // An entry without channels is the automatic colour.
                if (c == QLatin1Char(';') && m_colors.size() < 10000) {
                    m_colors.append(m_pendingColor);
                    m_pendingColor = QColor();
                }
            }
            break;
        default:
            break;
        }
    }

    // A picture's data written as hexadecimal digits.
    void hex(const QString& digits)
    {
        for (const QChar c : digits) {
            const int nibble = c >= u'0' && c <= u'9'   ? c.unicode() - '0'
                               : c >= u'a' && c <= u'f' ? c.unicode() - 'a' + 10
                               : c >= u'A' && c <= u'F' ? c.unicode() - 'A' + 10
                                                        : -1;
            if (nibble < 0)
                continue;
            if (m_picture.nibble < 0) {
                m_picture.nibble = nibble;
            } else {
                m_picture.bytes.append(char(m_picture.nibble << 4 | nibble));
                m_picture.nibble = -1;
            }
        }
    }

    QTextCharFormat charFormat(const Group& g) const
    {
        const Marks& m = g.marks;
        QTextCharFormat format;
        const int font = m.font >= 0 ? m.font : m_defaultFont;
        if (const auto found = m_fonts.constFind(font); found != m_fonts.constEnd()) {
            QString name = found->name;
            name = name.section(QLatin1Char(';'), 0, 0).trimmed();
            if (!name.isEmpty())
                format.setFontFamilies(QStringList{name});
        }
        if (m.halfPoints > 0)
            format.setFontPointSize(m.halfPoints / 2.0);
        if (m.bold)
            format.setFontWeight(QFont::Bold);
        if (m.italic)
            format.setFontItalic(true);
        if (m.underline)
            format.setFontUnderline(true);
        if (m.strike)
            format.setFontStrikeOut(true);
        if (m.color >= 0 && m.color < m_colors.size() && m_colors.at(m.color).isValid())
            format.setForeground(m_colors.at(m.color));
        if (m.position > 0)
            format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        else if (m.position < 0)
            format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
        if (!g.href.isEmpty()) {
            format.setAnchor(true);
            format.setAnchorHref(g.href);
        }
        return format;
    }

    void endGroup()
    {
        const Group ending = m_groups.takeLast();
        const Destination outer = group().destination;
        if (ending.destination == Destination::picture && outer != Destination::picture) {
            // A shape's picture waits for the shape's description.
            if (outer == Destination::propertyValue)
                m_shapePicture = m_picture;
            else
                finishPicture();
        }
        if (ending.destination == Destination::propertyValue &&
            outer != Destination::propertyValue &&
            (m_propertyName == QLatin1String("wzDescription") ||
             (m_propertyName == QLatin1String("wzName") &&
              m_propertyOwner == Destination::picture && m_picture.alt.isEmpty()))) {
            if (m_propertyOwner == Destination::picture)
                m_picture.alt = m_propertyValue.trimmed();
            else if (!m_propertyValue.trimmed().isEmpty())
                m_shapeAlt = m_propertyValue.trimmed();
        }
        if (ending.destination == Destination::shape && outer != Destination::shape &&
            m_shapePicture) {
            m_picture = *std::exchange(m_shapePicture, std::nullopt);
            if (m_picture.alt.isEmpty())
                m_picture.alt = m_shapeAlt;
            finishPicture();
        }
        if (ending.destination == Destination::bookmark && outer != Destination::bookmark &&
            !m_bookmark.trimmed().isEmpty()) {
            QTextCharFormat anchor;
            anchor.setAnchorNames({m_bookmark.trimmed()});
            m_runs.append({QString(), anchor});
        }
        if (ending.destination == Destination::levelText && !m_listLevels.isEmpty() &&
            m_listLevels.last() == 23) {
            // The level text starts with its length; the bullet follows.
            m_bullets[m_listLevels.size() - 1] = TextBuilder::bulletStyle(m_levelText.mid(1, 1));
        }
        if (ending.destination == Destination::fieldInstruction &&
            group().destination != Destination::fieldInstruction) {
            // HYPERLINK "address", or HYPERLINK \l "bookmark" for a place in the text.
            static const QRegularExpression link(
                QStringLiteral("HYPERLINK\\s+(\\\\l\\s+)?\"([^\"]*)\""));
            const auto match = link.match(m_instruction);
            group().fieldHref = !match.hasMatch()      ? QString()
                                : match.hasCaptured(1) ? u'#' + match.captured(2)
                                                       : match.captured(2);
        }
    }

    // The paragraph that the text so far belongs to, placed in the body or
    // in the current table cell. Empty paragraphs count only where asked.
    void endParagraph(bool keepEmpty)
    {
        const ParagraphMarks& p = group().paragraph;
        if (m_runs.isEmpty() && !keepEmpty)
            return;
        if (p.inTable) {
            enterCell();
        } else {
            endTable();
        }
        QTextBlockFormat format;
        format.setAlignment(p.alignment);
        if (!p.list) {
            format.setLeftMargin(std::max(0, p.left) / 20.0);
            format.setTextIndent(p.firstLine / 20.0);
        }
        format.setRightMargin(std::max(0, p.right) / 20.0);
        format.setTopMargin(p.before / 20.0);
        format.setBottomMargin(p.after / 20.0);
        if (p.outlineLevel >= 0 && p.outlineLevel < 6)
            format.setHeadingLevel(p.outlineLevel + 1);
        if (p.pageBreakBefore || std::exchange(m_pageBreak, false))
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        m_builder.paragraph(format);
        if (p.list > 0) {
            const QList<QTextListFormat::Style> levels =
                m_listFormats.value(m_overrides.value(p.list, p.list));
            const QTextListFormat::Style style = levels.value(p.level, QTextListFormat::ListDisc);
            if (style != QTextListFormat::ListStyleUndefined)
                m_builder.listItem(QStringLiteral("rtf%1").arg(p.list), p.level, style);
        }
        for (const auto& [text, format] : std::as_const(m_runs)) {
            if (format.isImageFormat())
                m_builder.picture(format.toImageFormat());
            else if (text.isEmpty())
                m_builder.anchor(format.anchorNames().value(0));
            else
                m_builder.text(text, format);
        }
        m_runs.clear();
    }

    struct CellDefinition
    {
        bool mergeFirst = false;
        bool merged = false;
        bool continuesAbove = false;
        int right = 0; // twips from the left margin
        TextBuilder::CellLook look;
        std::array<bool, 4> ownBorders{};
    };
    struct RowDefinition
    {
        std::array<TextBuilder::Border, 4> borders;
        TextBuilder::Border insideH;
        TextBuilder::Border insideV;
        bool header = false;
        std::optional<double> padding;
        int left = 0;
    };

    // The table's columns and padding, from the row that starts it.
    TextBuilder::TableLook tableLook() const
    {
        TextBuilder::TableLook look;
        int left = m_rowDefinition.left;
        for (const CellDefinition& cell : m_cells) {
            look.columns.append(
                QTextLength(QTextLength::FixedLength, std::max(cell.right - left, 0) / 20.0));
            left = cell.right;
        }
        const double gap = m_rowDefinition.padding.value_or(5.4);
        look.padding = QMarginsF(gap, 1, gap, 1);
        return look;
    }

    // A cell's frame: its own borders, else the row's.
    TextBuilder::CellLook cellLook(int index) const
    {
        const CellDefinition definition = m_cells.value(index);
        TextBuilder::CellLook look = definition.look;
        using DocumentModel::Side;
        const bool last = index >= m_cells.size() - 1;
        const std::pair<Side, TextBuilder::Border> fallbacks[] = {
            {Side::top, m_rowDefinition.borders[Side::top]},
            {Side::bottom, m_rowDefinition.borders[Side::bottom]},
            {Side::left,
             index == 0 ? m_rowDefinition.borders[Side::left] : m_rowDefinition.insideV},
            {Side::right, last ? m_rowDefinition.borders[Side::right] : m_rowDefinition.insideV}};
        for (const auto& [side, border] : fallbacks)
            if (!definition.ownBorders[side])
                look.borders[side] = border;
        return look;
    }

    void enterCell()
    {
        if (!m_inTable) {
            m_builder.beginTable(tableLook());
            m_inTable = true;
            m_rowOpen = false;
        }
        if (!m_rowOpen) {
            m_builder.beginRow(m_rowDefinition.header);
            m_rowOpen = true;
            m_cellIndex = 0;
            m_cellOpen = false;
        }
        if (m_cellOpen)
            return;
        const CellDefinition definition = m_cells.value(m_cellIndex);
        m_cellOpen = true;
        // A cell merged into the one before it adds its text there.
        if (definition.merged && m_cellIndex > 0)
            return;
        int span = 1;
        if (definition.mergeFirst)
            while (m_cellIndex + span < m_cells.size() && m_cells.at(m_cellIndex + span).merged)
                ++span;
        m_builder.beginCell(m_cellIndex, span, definition.continuesAbove, cellLook(m_cellIndex));
    }

    void cell()
    {
        group().paragraph.inTable = true;
        const bool empty = !m_cellOpen && m_runs.isEmpty();
        if (empty)
            enterCell();
        endParagraph(false);
        enterCell();
        m_cellOpen = false;
        ++m_cellIndex;
    }

    void row()
    {
        endParagraph(false);
        m_rowOpen = false;
        m_cellOpen = false;
        m_cellIndex = 0;
    }

    void endTable()
    {
        if (!m_inTable)
            return;
        m_builder.endTable();
        m_inTable = false;
        m_rowOpen = false;
        m_cellOpen = false;
    }

    void writeNotes()
    {
        for (qsizetype i = 0; i < m_notes.size(); ++i) {
            QTextCharFormat marker;
            marker.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
            m_builder.paragraph(QTextBlockFormat());
            m_builder.text(QString::number(i + 1) + QLatin1Char(' '), marker);
            QString note = m_notes.at(i).trimmed();
            note.replace(QLatin1Char('\n'), QChar::LineSeparator);
            m_builder.text(note, QTextCharFormat());
        }
    }

    const QByteArray& m_rtf;
    QString m_name;
    TextBuilder m_builder;
    qsizetype m_at = 0;
    QList<Group> m_groups;
    QByteArray m_bytes;
    int m_skip = 0;
    int m_codePage = 1252;
    QHash<int, std::shared_ptr<QStringDecoder>> m_decoders;
    QHash<int, Font> m_fonts;
    int m_currentFont = 0;
    int m_defaultFont = 0;
    QList<QColor> m_colors;
    QColor m_pendingColor;
    QHash<int, int> m_styleOutline;
    int m_currentStyle = 0;
    QList<int> m_listLevels;
    QHash<int, QTextListFormat::Style> m_bullets; // level → bullet of the list being read
    QString m_levelText;
    QHash<int, QList<QTextListFormat::Style>> m_listFormats; // list id → style per level
    QHash<int, int> m_overrides;                             // \ls → list id
    int m_overrideList = 0;
    QString m_instruction;
    QList<std::pair<QString, QTextCharFormat>> m_runs;
    QStringList m_notes;
    bool m_pageBreak = false;
    QList<CellDefinition> m_cells;
    CellDefinition m_pendingCell;
    RowDefinition m_rowDefinition;
    TextBuilder::Border* m_borderTarget = nullptr;
    struct PictureData
    {
        QByteArray bytes;
        int nibble = -1;
        bool known = false;
        QSizeF goal;
        QSizeF scale = QSizeF(1, 1);
        QString alt;
    };
    Pictures::Store m_pictures;
    PictureData m_picture;
    std::optional<PictureData> m_shapePicture;
    QString m_shapeAlt;
    QString m_propertyName;
    QString m_propertyValue;
    Destination m_propertyOwner = Destination::shape;
    QString m_bookmark;
    bool m_inTable = false;
    bool m_rowOpen = false;
    bool m_cellOpen = false;
    int m_cellIndex = 0;
};

} // namespace

void parse(const QByteArray& rtf, const QString& name, QTextDocument& document)
{
    Parser(rtf, name, document).parse();
}

void read(const QString& path, QTextDocument& document)
{
    parse(FileOps::readInput(path, RichDocument::inputLimit), QFileInfo(path).fileName(), document);
}

} // namespace RtfReader
