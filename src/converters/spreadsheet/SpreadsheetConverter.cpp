#include "converters/spreadsheet/SpreadsheetConverter.h"

#include "base/Errors.h"
#include "base/FileKind.h"
#include "base/FileOps.h"
#include "base/TextFile.h"
#include "base/Translate.h"
#include "converters/office/LibreOffice.h"
#include "converters/spreadsheet/Csv.h"
#include "converters/spreadsheet/Xlsx.h"
#include "core/Deps.h"
#include "core/Output.h"
#include "core/ResultGuard.h"
#include "core/ScratchDirectory.h"

#include <QFile>
#include <QFileInfo>

namespace SpreadsheetConverter {

FLINGDIAL_TR_CONTEXT(SpreadsheetConverter)

namespace {

bool isDelimitedText(const QString& key)
{
    return key == QLatin1String("csv") || key == QLatin1String("tsv");
}

QChar separatorOf(const QString& key)
{
    return key == QLatin1String("tsv") ? QLatin1Char('\t') : QLatin1Char(',');
}

// Cells of separated text are kept to this size, so that a stray quote
// can't gather a whole large file into memory.
constexpr qsizetype textCellLimit = 16 * 1024 * 1024;

// Reads a CSV or TSV file in pieces and hands over each row.
void eachRow(const QString& file, qsizetype cellLimit, qsizetype columnLimit,
             const Csv::Parser::Row& row)
{
    FileOps::requireRegularFile(file);
    Csv::Parser parser(separatorOf(FileKind::ext(file)), row, file, cellLimit, columnLimit);
    TextFile::readInPieces(file, [&](QStringView text) { parser.feed(text); });
    parser.finish();
}

void writeDelimited(const QString& file, const QString& target, const QString& out)
{
    QFile output(out);
    const auto failure = [&] {
        return SystemError(tr("“%1” couldn’t be written: %2.")
                               .arg(QFileInfo(out).fileName(), output.errorString()));
    };
    if (!output.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw failure();
    const QChar separator = separatorOf(target);
    eachRow(file, textCellLimit, std::numeric_limits<qsizetype>::max(),
            [&](const QStringList& row) {
                const QByteArray line =
                    (Csv::serializeRow(row, separator) + QLatin1Char('\n')).toUtf8();
                if (output.write(line) != line.size())
                    throw failure();
            });
    if (!output.flush())
        throw failure();
    output.close();
    if (output.error() != QFileDevice::NoError)
        throw failure();
}

// The width each column needs for its widest cell.
QList<double> columnWidths(const QString& file)
{
    QList<double> widths;
    eachRow(file, Xlsx::maximumCellLength, Xlsx::maximumColumns, [&](const QStringList& row) {
        if (widths.size() < row.size())
            widths.resize(row.size(), 0);
        for (qsizetype j = 0; j < row.size(); ++j)
            widths[j] = std::max(widths.at(j), Xlsx::columnWidth(row.at(j)));
    });
    return widths;
}

// How much of a cell's text the tallest row holds: all of it, or as much
// as fits, ended after a space or line break when one is in its second half.
qsizetype fittingLength(const QString& text, double width)
{
    const auto fits = [&](qsizetype length) {
        return Xlsx::rowHeight({text.left(length)}, {width}) < Xlsx::maximumRowHeight;
    };
    if (fits(text.size()))
        return text.size();
    qsizetype low = 1;            // fits
    qsizetype high = text.size(); // doesn't
    while (high - low > 1) {
        const qsizetype middle = (low + high) / 2;
        if (fits(middle))
            low = middle;
        else
            high = middle;
    }
    for (qsizetype at = low; at > low / 2; --at)
        if (text.at(at - 1).isSpace())
            return at;
    return text.at(low - 1).isHighSurrogate() && low > 1 ? low - 1 : low;
}

// LibreOffice never splits a row over pages and leaves out what a page can't
// hold: for printing, a cell taller than the tallest row goes on in rows
// added below it, in the same column.
QList<QStringList> printedRows(QStringList row, const QList<double>& widths)
{
    QList<QStringList> rows;
    bool more = true;
    while (more) {
        more = false;
        QStringList part;
        for (qsizetype j = 0; j < row.size(); ++j) {
            const qsizetype length =
                j < widths.size() ? fittingLength(row.at(j), widths.at(j)) : row.at(j).size();
            part.append(row.at(j).left(length));
            row[j].remove(0, length);
            more = more || !row.at(j).isEmpty();
        }
        rows.append(part);
    }
    return rows;
}

// With `widths`, the columns get them and text wraps; `forPrinting` adds
// rows for cells too tall for a page.
void writeWorkbook(const QString& file, const QString& out, const QList<double>& widths = {},
                   bool forPrinting = false)
{
    Xlsx workbook(out, Output::baseName(file), file, widths);
    eachRow(file, Xlsx::maximumCellLength, Xlsx::maximumColumns, [&](const QStringList& row) {
        if (!forPrinting) {
            workbook.addRow(row);
            return;
        }
        for (const QStringList& part : printedRows(row, widths))
            workbook.addRow(part);
    });
    workbook.finish();
}

// Everything else goes through LibreOffice. Separated text is handed over
// as our own workbook, in which 007 and long numbers stay text, with its
// columns as wide as their cells (up to a page) and wrapping text, so that
// pages show every cell whole; the CSV it writes is read back, trimmed and
// written with the target's separator.
void throughLibreOffice(const QString& file, const QString& target, const QString& out)
{
    const ScratchDirectory scratch;
    QString input = file;
    if (isDelimitedText(FileKind::ext(file))) {
        input = scratch.filePath(Output::baseName(file) + QStringLiteral(".xlsx"));
        writeWorkbook(file, input, columnWidths(file), target == QLatin1String("pdf"));
    }
    if (!isDelimitedText(target)) {
        FileOps::move(LibreOffice::convert(input, target, scratch.path()), out);
        return;
    }
    const QString csv = LibreOffice::convert(
        input, QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1"), scratch.path());
    const QString text = TextFile::readText(csv);
    const Csv::Table table = Csv::trimmed(Csv::parse(text, Csv::detectSeparator(text)));
    TextFile::write(out, Csv::serialize(table, separatorOf(target)));
}

} // namespace

QStringList targets(const QString& from)
{
    QStringList list = {QStringLiteral("xlsx"), QStringLiteral("csv"), QStringLiteral("tsv"),
                        QStringLiteral("ods"), QStringLiteral("pdf")};
    list.removeAll(from);
    return list;
}

std::optional<Component> unavailableReason(const QString& from, const QString& to)
{
    if (isDelimitedText(from) && (isDelimitedText(to) || to == QLatin1String("xlsx")))
        return std::nullopt;
    if (Deps::libreOffice())
        return std::nullopt;
    if (to == QLatin1String("ods") || from == QLatin1String("ods"))
        return Deps::odsNeedsLibreOffice();
    return Deps::libreOfficeNeeded();
}

QString convert(const QString& file, const QString& target)
{
    const QString key = FileKind::ext(file);
    return ResultGuard::make(Output::candidate(file, QString(), target), [&](const QString& out) {
        if (isDelimitedText(key) && isDelimitedText(target))
            writeDelimited(file, target, out);
        else if (isDelimitedText(key) && target == QLatin1String("xlsx"))
            writeWorkbook(file, out);
        else
            throughLibreOffice(file, target, out);
    });
}

ConverterFamily family()
{
    ConverterFamily family;
    family.kind = FileKind::spreadsheet;
    family.targets = targets;
    family.missing = unavailableReason;
    family.convert = [](const QString& file, const QString& target) {
        return QStringList{convert(file, target)};
    };
    return family;
}

} // namespace SpreadsheetConverter
