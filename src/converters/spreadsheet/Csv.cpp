#include "converters/spreadsheet/Csv.h"

#include "base/Errors.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace Csv {

namespace {

constexpr char16_t quote = u'"';

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

} // namespace

Parser::Parser(QChar separator, Row row, const QString& file, qsizetype fieldLimit,
               qsizetype columnLimit)
    : m_separator(separator), m_row(std::move(row)), m_file(file), m_fieldLimit(fieldLimit),
      m_columnLimit(columnLimit)
{}

void Parser::feed(QStringView text)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (std::exchange(m_afterReturn, false) && c == QLatin1Char('\n'))
            continue; // the line feed of a carriage return + line feed pair
        if (m_quotePending) {
            m_quotePending = false;
            if (c == quote) {
                m_field += c;
                continue;
            }
            m_inQuotes = false; // a lone quote ended the quoted part
        }
        if (m_inQuotes) {
            if (c == quote) {
                m_quotePending = true;
                continue;
            }
            // Everything up to the next quote belongs to the field.
            qsizetype end = i + 1;
            while (end < size && text[end] != quote)
                ++end;
            m_field += text.mid(i, end - i);
            i = end - 1;
        } else if (c == quote && m_field.isEmpty()) {
            m_inQuotes = true;
        } else if (c == m_separator) {
            endField();
        } else if (isLineBreak(c)) {
            endField();
            endRow();
            m_afterReturn = c == QLatin1Char('\r');
        } else {
            // Ordinary characters up to the next separator, quote or line break.
            qsizetype end = i + 1;
            while (end < size) {
                const QChar next = text[end];
                if (next == m_separator || next == quote || isLineBreak(next))
                    break;
                ++end;
            }
            m_field += text.mid(i, end - i);
            i = end - 1;
        }
        if (m_field.size() > m_fieldLimit)
            throw Fail(
                QCoreApplication::translate("Csv", "%1 has a cell longer than %2 characters.")
                    .arg(QFileInfo(m_file).fileName())
                    .arg(m_fieldLimit));
    }
}

void Parser::finish()
{
    m_quotePending = false;
    m_inQuotes = false;
    if (!m_field.isEmpty() || !m_current.isEmpty()) {
        endField();
        endRow();
    }
}

void Parser::endField()
{
    if (m_current.size() >= m_columnLimit)
        throw Fail(QCoreApplication::translate("Csv", "%1 has a row of more than %2 columns.")
                       .arg(QFileInfo(m_file).fileName())
                       .arg(m_columnLimit));
    m_current.append(m_field);
    m_field.clear();
}

void Parser::endRow()
{
    m_row(m_current);
    m_current.clear();
}

Table parse(const QString& text, QChar separator)
{
    Table table;
    Parser parser(
        separator, [&](const QStringList& row) { table.append(row); }, QString(),
        std::numeric_limits<qsizetype>::max(), std::numeric_limits<qsizetype>::max());
    parser.feed(text);
    parser.finish();
    return table;
}

QString serializeRow(const QStringList& row, QChar separator)
{
    QString line;
    for (qsizetype i = 0; i < row.size(); ++i) {
        if (i > 0)
            line += separator;
        QString field = row.at(i);
        if (separator == QLatin1Char('\t')) {
            // No quoting in TSV: what would break the row becomes a space.
            field.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
            for (QChar& c : field)
                if (c == QLatin1Char('\t') || isLineBreak(c))
                    c = QLatin1Char(' ');
            line += field;
        } else if (field.contains(separator) || field.contains(quote) ||
                   field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r'))) {
            // A lone carriage return is a line break to the reader too.
            field.replace(QString(quote), QStringLiteral("\"\""));
            line += quote + field + quote;
        } else {
            line += field;
        }
    }
    return line;
}

QString serialize(const Table& table, QChar separator)
{
    QString text;
    for (const QStringList& row : table)
        text += serializeRow(row, separator) + QLatin1Char('\n');
    return text;
}

QChar detectSeparator(const QString& text)
{
    int commas = 0, semicolons = 0, tabs = 0;
    bool inQuotes = false;
    for (const QChar c : text) {
        if (c == quote)
            inQuotes = !inQuotes;
        else if (!inQuotes && isLineBreak(c))
            break;
        else if (!inQuotes && c == QLatin1Char(','))
            ++commas;
        else if (!inQuotes && c == QLatin1Char(';'))
            ++semicolons;
        else if (!inQuotes && c == QLatin1Char('\t'))
            ++tabs;
    }
    if (commas >= semicolons && commas >= tabs)
        return QLatin1Char(',');
    return semicolons >= tabs ? QLatin1Char(';') : QLatin1Char('\t');
}

Table trimmed(const Table& table)
{
    const auto isEmptyRow = [](const QStringList& row) {
        return std::all_of(row.cbegin(), row.cend(), [](const QString& f) { return f.isEmpty(); });
    };
    Table rows = table;
    while (!rows.isEmpty() && isEmptyRow(rows.last()))
        rows.removeLast();
    qsizetype width = 0;
    for (const QStringList& row : std::as_const(rows))
        for (qsizetype i = row.size(); i > 0; --i)
            if (!row.at(i - 1).isEmpty()) {
                width = std::max(width, i);
                break;
            }
    for (QStringList& row : rows) {
        if (row.size() > width)
            row.resize(width);
        while (row.size() < width)
            row.append(QString());
    }
    return rows;
}

} // namespace Csv
