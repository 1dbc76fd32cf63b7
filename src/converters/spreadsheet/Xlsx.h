#pragma once

#include "base/ZipWriter.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Excel workbooks with one sheet, written row by row straight into the
// worksheet's deflate stream, so that memory stays the same however long
// the table is. The first row is the bold header; in the other rows values
// written like plain decimal numbers become numbers, everything else (and
// anything that looks like a formula) stays text.
class Xlsx
{
public:
    // The largest sheet spreadsheet programs open.
    static constexpr qsizetype maximumRows = 1048576;
    static constexpr qsizetype maximumColumns = 16384;
    static constexpr qsizetype maximumCellLength = 32767;

    // The widest column a page holds, in the sheet's character widths.
    static constexpr double maximumColumnWidth = 70;
    // The tallest row LibreOffice lays out, in points (a little more than
    // a page holds): Excel stops at 409, but these workbooks are for
    // LibreOffice to print, and a lower limit would cut long cells.
    static constexpr double maximumRowHeight = 800;

    // Starts the workbook at `path` (a new file); `source` names the file in
    // failures. With `columnWidths` (from columnWidth()), the columns get
    // those widths and text wraps inside its cell, so that a printout shows
    // every cell whole.
    Xlsx(const QString& path, const QString& sheetName, const QString& source,
         const QList<double>& columnWidths = {});

    void addRow(const QStringList& row);
    // Writes what is left and closes the file. Throws SystemError.
    void finish();

    // A sheet name Excel accepts: without []:*?/\, at most 31 characters
    // (never half a character), "Sheet1" when nothing is left.
    static QString sheetName(const QString& name);
    // The width a column needs for a value: its longest line, East Asian
    // wide characters counted twice, at most maximumColumnWidth.
    static double columnWidth(QStringView value);
    // The height in points of a row whose cells wrap in columns of `widths`.
    static double rowHeight(const QStringList& row, const QList<double>& widths);
    // "A" for 0, "Z" for 25, "AA" for 26, "AAA" for 702.
    static QString column(qsizetype index);
    // Whether a value is written as a number: -?(0|[1-9][0-9]{0,14})(\.[0-9]+)?
    static bool isNumber(const QString& value);
    // Text for the sheet: control characters but tab and line feed dropped,
    // & < > " escaped.
    static QByteArray escape(const QString& text);

private:
    void flush();
    static void appendEscaped(QByteArray& out, const QString& text);

    ZipWriter m_zip;
    QString m_source;
    QByteArray m_buffer;
    qsizetype m_rows = 0;
    QList<QByteArray> m_columns; // letters of the columns used so far
    QList<double> m_widths;      // column widths, when text wraps
    QByteArray m_bodyStyle;      // attributes of body and header cells
    QByteArray m_headerStyle;
};
