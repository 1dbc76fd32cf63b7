#pragma once

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>

// Comma- and tab-separated text: reading (a field at a time, so a file of
// any size is read in pieces), writing, separator detection and trimming.
namespace Csv {

using Table = QList<QStringList>;

// Reads text that arrives in pieces and hands over each row once it is
// complete. A line break is a line feed, a carriage return, or the two
// together; double quotes enclose fields that hold separators, quotes
// (doubled) and line breaks.
class Parser
{
public:
    using Row = std::function<void(const QStringList& row)>;

    // Fields longer than `fieldLimit` characters, or rows of more than
    // `columnLimit` fields, make feed() throw Fail naming `file`.
    Parser(QChar separator, Row row, const QString& file, qsizetype fieldLimit,
           qsizetype columnLimit);

    void feed(QStringView text);
    // Ends the text: a last row without a line break is handed over.
    void finish();

private:
    void endField();
    void endRow();

    QChar m_separator;
    Row m_row;
    QString m_file;
    qsizetype m_fieldLimit;
    qsizetype m_columnLimit;
    QString m_field;
    QStringList m_current;
    bool m_inQuotes = false;
    bool m_quotePending = false; // a quote inside quotes, waiting for the next character
    bool m_afterReturn = false;  // a carriage return ended the last row
};

// The whole table of a text.
Table parse(const QString& text, QChar separator);

// The text of a table: fields joined with the separator, rows with line
// feeds, a final line feed. With the comma, fields holding a comma, quote
// or line break are quoted; with the tab, tabs and line breaks become spaces.
QString serialize(const Table& table, QChar separator);
QString serializeRow(const QStringList& row, QChar separator);

// The separator of the first line: comma, semicolon or tab, the comma
// winning ties and when none occurs.
QChar detectSeparator(const QString& text);

// Without trailing empty rows, every row cut or padded to the width of the
// last non-empty field.
Table trimmed(const Table& table);

} // namespace Csv
