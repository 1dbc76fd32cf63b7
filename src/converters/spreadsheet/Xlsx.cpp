#include "converters/spreadsheet/Xlsx.h"

#include "base/Errors.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cmath>

namespace {

constexpr qsizetype bufferSize = 256 * 1024;

const char contentTypes[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Types "
    "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default "
    "Extension=\"rels\" "
    "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/><Default "
    "Extension=\"xml\" ContentType=\"application/xml\"/><Override PartName=\"/xl/workbook.xml\" "
    "ContentType=\"application/"
    "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/><Override "
    "PartName=\"/xl/worksheets/sheet1.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/"
    "><Override PartName=\"/xl/styles.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/></"
    "Types>";

const char packageRelationships[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Relationships "
    "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
    "Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"xl/workbook.xml\"/></Relationships>";

const char workbookRelationships[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Relationships "
    "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
    "Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
    "Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
    "Target=\"styles.xml\"/></Relationships>";

const char styles[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<styleSheet "
    "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><fonts "
    "count=\"2\"><font><sz val=\"12\"/><name val=\"Calibri\"/></font><font><b/><sz "
    "val=\"12\"/><name val=\"Calibri\"/></font></fonts><fills count=\"2\"><fill><patternFill "
    "patternType=\"none\"/></fill><fill><patternFill patternType=\"gray125\"/></fill></"
    "fills><borders "
    "count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></"
    "borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
    "borderId=\"0\"/></cellStyleXfs><cellXfs count=\"4\"><xf numFmtId=\"0\" fontId=\"0\" "
    "fillId=\"0\" borderId=\"0\" xfId=\"0\"/><xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" "
    "borderId=\"0\" xfId=\"0\" applyFont=\"1\"/><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
    "borderId=\"0\" xfId=\"0\" applyAlignment=\"1\"><alignment vertical=\"top\" "
    "wrapText=\"1\"/></xf><xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" "
    "xfId=\"0\" applyFont=\"1\" applyAlignment=\"1\"><alignment vertical=\"top\" "
    "wrapText=\"1\"/></xf></cellXfs></styleSheet>";

QByteArray workbook(const QString& sheet)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<workbook "
           "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
           "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
           "relationships\"><sheets><sheet name=\"" +
           Xlsx::escape(sheet) + "\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
}

// The column widths of a worksheet, in the order it lists its columns.
QByteArray columns(const QList<double>& widths)
{
    QByteArray out = "<cols>";
    for (qsizetype j = 0; j < widths.size(); ++j) {
        const QByteArray index = QByteArray::number(j + 1);
        out += "<col min=\"" + index + "\" max=\"" + index + "\" width=\"" +
               QByteArray::number(widths.at(j), 'f', 2) + "\" customWidth=\"1\"/>";
    }
    return out + "</cols>";
}

// Characters that take two places in a line: Hangul, CJK and full-width forms.
bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

// The places each line of a value takes.
QList<qsizetype> linePlaces(QStringView value)
{
    QList<qsizetype> lines;
    for (const QStringView line : value.tokenize(u'\n')) {
        qsizetype places = 0;
        for (const char32_t c : line.toUcs4())
            places += isWide(c) ? 2 : 1;
        lines.append(places);
    }
    return lines;
}

// A little over a digit's width per character leaves room for capitals
// and bold headers.
constexpr double characterWidth = 1.15;
// Two more for the cell's margins.
constexpr double cellMargin = 2;
// The height of a line of 12-point text, with room to spare.
constexpr double lineHeight = 15;

} // namespace

Xlsx::Xlsx(const QString& path, const QString& sheet, const QString& source,
           const QList<double>& columnWidths)
    : m_zip(path), m_source(source)
{
    // The entries in the order zip -r gives them: the content types first,
    // each folder before what it holds, the worksheet (streamed) last.
    m_zip.add(QStringLiteral("[Content_Types].xml"), contentTypes);
    m_zip.addFolder(QStringLiteral("_rels/"));
    m_zip.add(QStringLiteral("_rels/.rels"), packageRelationships);
    m_zip.addFolder(QStringLiteral("xl/"));
    m_zip.addFolder(QStringLiteral("xl/_rels/"));
    m_zip.add(QStringLiteral("xl/_rels/workbook.xml.rels"), workbookRelationships);
    m_zip.add(QStringLiteral("xl/styles.xml"), styles);
    m_zip.add(QStringLiteral("xl/workbook.xml"), workbook(sheetName(sheet)));
    m_zip.addFolder(QStringLiteral("xl/worksheets/"));
    m_zip.begin(QStringLiteral("xl/worksheets/sheet1.xml"), ZipWriter::Method::deflatedFast);
    m_buffer = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet "
               "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    if (!columnWidths.isEmpty()) {
        m_widths = columnWidths;
        m_buffer += columns(columnWidths);
        m_bodyStyle = " s=\"2\"";
        m_headerStyle = " s=\"3\"";
    } else {
        m_headerStyle = " s=\"1\"";
    }
    m_buffer += "<sheetData>";
    m_buffer.reserve(bufferSize + 64 * 1024);
}

void Xlsx::addRow(const QStringList& row)
{
    const QString name = QFileInfo(m_source).fileName();
    if (++m_rows > maximumRows)
        throw Fail(QCoreApplication::translate("Xlsx",
                                               "%1 has more rows than a spreadsheet can hold (%2).")
                       .arg(name)
                       .arg(maximumRows));
    if (row.size() > maximumColumns)
        throw Fail(QCoreApplication::translate(
                       "Xlsx", "%1 has more columns than a spreadsheet can hold (%2).")
                       .arg(name)
                       .arg(maximumColumns));
    while (m_columns.size() < row.size())
        m_columns.append(column(m_columns.size()).toLatin1());
    const QByteArray number = QByteArray::number(m_rows);
    m_buffer.append("<row r=\"").append(number).append('"');
    if (!m_widths.isEmpty()) {
        const double height = rowHeight(row, m_widths);
        if (height > lineHeight)
            m_buffer.append(" ht=\"" + QByteArray::number(height) + "\" customHeight=\"1\"");
    }
    m_buffer.append('>');
    for (qsizetype j = 0; j < row.size(); ++j) {
        const QString& value = row.at(j);
        if (value.isEmpty())
            continue;
        if (value.size() > maximumCellLength)
            throw Fail(QCoreApplication::translate(
                           "Xlsx", "Cell %1%2 of %3 is longer than a spreadsheet cell can hold.")
                           .arg(QString::fromLatin1(m_columns.at(j)))
                           .arg(m_rows)
                           .arg(name));
        m_buffer.append("<c r=\"").append(m_columns.at(j)).append(number).append('"');
        m_buffer.append(m_rows == 1 ? m_headerStyle : m_bodyStyle);
        if (m_rows > 1 && isNumber(value)) {
            m_buffer.append("><v>");
            for (const QChar c : value)
                m_buffer.append(char(c.unicode()));
            m_buffer.append("</v></c>");
        } else {
            m_buffer.append(" t=\"inlineStr\"><is><t xml:space=\"preserve\">");
            appendEscaped(m_buffer, value);
            m_buffer.append("</t></is></c>");
        }
    }
    m_buffer += "</row>";
    if (m_buffer.size() >= bufferSize)
        flush();
}

void Xlsx::flush()
{
    m_zip.write(m_buffer);
    m_buffer.clear();
}

void Xlsx::finish()
{
    m_buffer += "</sheetData></worksheet>";
    flush();
    m_zip.end();
    m_zip.finish();
}

QString Xlsx::sheetName(const QString& name)
{
    QString kept;
    for (const QChar c : name)
        if (!QStringLiteral("[]:*?/\\").contains(c))
            kept += c;
    if (kept.size() > 31)
        kept.truncate(kept.at(30).isHighSurrogate() ? 30 : 31);
    return kept.isEmpty() ? QStringLiteral("Sheet1") : kept;
}

double Xlsx::columnWidth(QStringView value)
{
    qsizetype widest = 0;
    for (const qsizetype places : linePlaces(value))
        widest = std::max(widest, places);
    return std::min(widest * characterWidth + cellMargin, maximumColumnWidth);
}

double Xlsx::rowHeight(const QStringList& row, const QList<double>& widths)
{
    qsizetype tallest = 1;
    for (qsizetype j = 0; j < std::min(row.size(), widths.size()); ++j) {
        // Words wrap whole, so a wrapped line holds less than the width:
        // a quarter more is allowed for what they leave at line ends.
        const double perLine = std::max(widths.at(j) - cellMargin, 1.0) / (characterWidth * 1.25);
        qsizetype lines = 0;
        for (const qsizetype places : linePlaces(row.at(j)))
            lines += std::max<qsizetype>(1, qsizetype(std::ceil(places / perLine)));
        tallest = std::max(tallest, lines);
    }
    return std::min(tallest * lineHeight, maximumRowHeight);
}

QString Xlsx::column(qsizetype index)
{
    QString letters;
    for (qsizetype n = index + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + char16_t((n - 1) % 26)));
    return letters;
}

bool Xlsx::isNumber(const QString& value)
{
    qsizetype i = 0;
    const qsizetype size = value.size();
    if (i < size && value.at(i) == QLatin1Char('-'))
        ++i;
    const auto isDigit = [&](qsizetype at) {
        return at < size && value.at(at) >= QLatin1Char('0') && value.at(at) <= QLatin1Char('9');
    };
    if (!isDigit(i))
        return false;
    if (value.at(i) == QLatin1Char('0')) {
        ++i;
    } else {
        const qsizetype start = i;
        while (isDigit(i))
            ++i;
        if (i - start > 15)
            return false;
    }
    if (i == size)
        return true;
    if (value.at(i) != QLatin1Char('.') || !isDigit(i + 1))
        return false;
    ++i;
    while (isDigit(i))
        ++i;
    return i == size;
}

void Xlsx::appendEscaped(QByteArray& out, const QString& text)
{
    // Most cells are plain ASCII: written as they are, byte by byte.
    const bool ascii = std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        const char16_t u = c.unicode();
        return u >= 0x20 && u < 0x80 && u != u'&' && u != u'<' && u != u'>' && u != u'"';
    });
    if (!ascii) {
        out.append(escape(text));
        return;
    }
    for (const QChar c : text)
        out.append(char(c.unicode()));
}

QByteArray Xlsx::escape(const QString& text)
{
    const bool plain = std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        const char16_t u = c.unicode();
        return u >= 0x20 && u != u'&' && u != u'<' && u != u'>' && u != u'"' && u < 0xfffe;
    });
    if (plain)
        return text.toUtf8();
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n') || u == 0xfffe || u == 0xffff)
            continue;
        kept += c;
    }
    QByteArray out = kept.toUtf8();
    if (!out.contains('&') && !out.contains('<') && !out.contains('>') && !out.contains('"'))
        return out;
    out.replace("&", "&amp;");
    out.replace("<", "&lt;");
    out.replace(">", "&gt;");
    out.replace("\"", "&quot;");
    return out;
}
