#include "converters/spreadsheet/Csv.h"
#include "converters/spreadsheet/SpreadsheetConverter.h"
#include "converters/spreadsheet/Xlsx.h"
#include "core/NameReservations.h"
#include "core/Settings.h"
#include "core/Shell.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

using TestSupport::ScopedEnv;

namespace {

QString shown(const Csv::Table& table)
{
    QStringList rows;
    for (const QStringList& row : table)
        rows.append(u"["_s + row.join(u'|') + u"]"_s);
    return rows.join(QString());
}

// What openpyxl reads from a workbook: per cell "A1=value:type", bold marked with *.
const char* const openpyxlDump = R"PY(
import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
sheet = book.worksheets[0]
print(sheet.title)
for row in sheet.iter_rows():
    for c in row:
        if c.value is not None:
            print("%s=%s:%s%s" % (c.coordinate, c.value, type(c.value).__name__, "*" if c.font.b else ""))
)PY";

} // namespace

class TestSpreadsheetConverter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void parse_data();
    void parse();
    void parsesTheSameInAnyPieces();
    void serialize_data();
    void serialize();
    void detectSeparator_data();
    void detectSeparator();
    void trimmed();
    void columnsAndSheetNames();
    void workbooksOpenInOpenpyxl();
    void tooLargeTablesFailAndLeaveNothing_data();
    void tooLargeTablesFailAndLeaveNothing();
    void hostileTextGivesAResult_data();
    void hostileTextGivesAResult();
    void throughLibreOffice_data();
    void throughLibreOffice();
    void pdfShowsEveryCellWhole_data();
    void pdfShowsEveryCellWhole();
    void withoutLibreOfficeOdsCarriesTheReason();

private:
    QString file(const QString& name, const QByteArray& content);

    TestSupport::PrivateSettings m_settings;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<NameReservations::Scope> m_names;
};

void TestSpreadsheetConverter::init()
{
    m_names.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    m_names = std::make_unique<NameReservations::Scope>();
}

QString TestSpreadsheetConverter::file(const QString& name, const QByteArray& content)
{
    return TestSupport::writeFile(m_dir->filePath(name), content);
}

void TestSpreadsheetConverter::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("table");
    QTest::newRow("quotes and doubled quotes")
        << u"a,\"b,c\",\"say \"\"hi\"\"\"\n"_s << u","_s << u"[a|b,c|say \"hi\"]"_s;
    QTest::newRow("quoted field over lines") << u"\"one\ntwo\",x"_s << u","_s << u"[one\ntwo|x]"_s;
    QTest::newRow("stray quote stays") << u"ab\"c,d"_s << u","_s << u"[ab\"c|d]"_s;
    QTest::newRow("three kinds of line break") << u"a\rb\r\nc\nd"_s << u","_s << u"[a][b][c][d]"_s;
    QTest::newRow("empty line in the middle") << u"a\n\nb\n"_s << u","_s << u"[a][][b]"_s;
    QTest::newRow("semicolons read with the comma")
        << u"a;b;c\n1;2;3\n"_s << u","_s << u"[a;b;c][1;2;3]"_s;
    QTest::newRow("tabs") << u"a\tb,c\n"_s << u"\t"_s << u"[a|b,c]"_s;
    QTest::newRow("empty text") << QString() << u","_s << QString();
    QTest::newRow("unterminated quote") << u"a,\"b\nc"_s << u","_s << u"[a|b\nc]"_s;
}

void TestSpreadsheetConverter::parse()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QFETCH(QString, table);
    QCOMPARE(shown(Csv::parse(text, separator.at(0))), table);
}

void TestSpreadsheetConverter::parsesTheSameInAnyPieces()
{
    const QString text = u"h1,\"q\"\"x\"\r\n\"multi\r\nline\",y\r\n\r\nlast,\"\"\"\""_s;
    for (qsizetype size = 1; size <= 5; ++size) {
        Csv::Table rows;
        Csv::Parser parser(
            u',', [&](const QStringList& row) { rows.append(row); }, u"t.csv"_s, 100, 100);
        for (qsizetype at = 0; at < text.size(); at += size)
            parser.feed(QStringView(text).mid(at, size));
        parser.finish();
        QCOMPARE(shown(rows), shown(Csv::parse(text, u',')));
    }
}

void TestSpreadsheetConverter::serialize_data()
{
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<QString>("csv");
    QTest::addColumn<QString>("tsv");
    QTest::newRow("plain") << QStringList{u"a"_s, u"b"_s} << u"a,b\n"_s << u"a\tb\n"_s;
    QTest::newRow("comma, quote, line break")
        << QStringList{u"x,y"_s, u"say \"hi\""_s, u"1\n2"_s}
        << u"\"x,y\",\"say \"\"hi\"\"\",\"1\n2\"\n"_s << u"x,y\tsay \"hi\"\t1 2\n"_s;
    QTest::newRow("tab and CRLF in TSV")
        << QStringList{u"a\tb"_s, u"c\r\nd"_s} << u"a\tb,\"c\r\nd\"\n"_s << u"a b\tc d\n"_s;
    QTest::newRow("lone carriage return")
        << QStringList{u"up\rdown"_s, u"z"_s} << u"\"up\rdown\",z\n"_s << u"up down\tz\n"_s;
}

void TestSpreadsheetConverter::serialize()
{
    QFETCH(QStringList, row);
    QFETCH(QString, csv);
    QFETCH(QString, tsv);
    QCOMPARE(Csv::serialize({row}, u','), csv);
    QCOMPARE(Csv::serialize({row}, u'\t'), tsv);
    // What is written reads back as the same row.
    QCOMPARE(shown(Csv::parse(csv, u',')), shown({row}));
    QCOMPARE(Csv::parse(tsv, u'\t').size(), 1);
}

void TestSpreadsheetConverter::detectSeparator_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("separator");
    QTest::newRow("semicolons") << u"a;b;c\n1,2"_s << u";"_s;
    QTest::newRow("tabs") << u"a\tb\tc,d"_s << u"\t"_s;
    QTest::newRow("comma wins a tie") << u"a,b;c\n"_s << u","_s;
    QTest::newRow("quoted separators don't count") << u"\"a;b;c\",d\n"_s << u","_s;
    QTest::newRow("none at all") << u"single\n"_s << u","_s;
}

void TestSpreadsheetConverter::detectSeparator()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QCOMPARE(Csv::detectSeparator(text), separator.at(0));
}

void TestSpreadsheetConverter::trimmed()
{
    const Csv::Table table = {
        {u"a"_s, u""_s, u""_s}, {u"b"_s, u"c"_s, u""_s, u""_s}, {u""_s}, {u""_s, u""_s}};
    QCOMPARE(shown(Csv::trimmed(table)), u"[a|][b|c]"_s);
    QVERIFY(Csv::trimmed({{u""_s}, {}}).isEmpty());
}

void TestSpreadsheetConverter::columnsAndSheetNames()
{
    QCOMPARE(Xlsx::column(0), u"A"_s);
    QCOMPARE(Xlsx::column(25), u"Z"_s);
    QCOMPARE(Xlsx::column(26), u"AA"_s);
    QCOMPARE(Xlsx::column(701), u"ZZ"_s);
    QCOMPARE(Xlsx::column(702), u"AAA"_s);
    QCOMPARE(Xlsx::sheetName(u"[]:*?/\\"_s), u"Sheet1"_s);
    QCOMPARE(Xlsx::sheetName(QString(40, u'x')), QString(31, u'x'));
    // An emoji across the 31st place is left out whole, never cut in half.
    const QString emoji = QString(30, u'x') + u"😀tail"_s;
    QCOMPARE(Xlsx::sheetName(emoji), QString(30, u'x'));
    QCOMPARE(Xlsx::escape(u"a\rb\nc<&>\"\u0001"_s), QByteArray("ab\nc&lt;&amp;&gt;&quot;"));
    // Columns fit their longest line, wide characters taking two places, up to a page.
    QCOMPARE(Xlsx::columnWidth(u"ab\nabcd"_s), Xlsx::columnWidth(u"日本"_s));
    QVERIFY(Xlsx::columnWidth(u"abcd"_s) > Xlsx::columnWidth(u"abc"_s));
    QCOMPARE(Xlsx::columnWidth(QString(500, u'x')), Xlsx::maximumColumnWidth);
    // Rows grow with wrapped lines, up to the tallest row LibreOffice lays out.
    const double line = Xlsx::rowHeight({u"a"_s}, {10});
    QCOMPARE(Xlsx::rowHeight({u"a\nb"_s, u"c"_s}, {10, 10}), 2 * line);
    QVERIFY(Xlsx::rowHeight({QString(100, u'x')}, {10}) > 10 * line);
    QCOMPARE(Xlsx::rowHeight({QString(32767, u'x')}, {10}), Xlsx::maximumRowHeight);
}

void TestSpreadsheetConverter::workbooksOpenInOpenpyxl()
{
    if (QProcess::execute(u"/usr/bin/python3"_s, {u"-c"_s, u"import openpyxl"_s}) != 0)
        QSKIP("python3-openpyxl is not installed");
    const QString csv = file(u"Sales [2026]: final?.csv"_s, "\xEF\xBB\xBFid,42,amount\r\n"
                                                            "1,42,-3.5\n"
                                                            "0,007,1e5\n"
                                                            "+5,1.,.5\n"
                                                            "1234567890123456,=SUM(A1:A2),@cmd\n"
                                                            "\"line\nbreak\",\"cr\rgone\",x\n"
                                                            ",,,,,,,,,,,,,,,,,,,,,,,,,,deep\n");
    const QString xlsx = SpreadsheetConverter::convert(csv, u"xlsx"_s);
    const QString dump =
        Shell::run(u"/usr/bin/python3"_s, {u"-c"_s, QString::fromUtf8(openpyxlDump), xlsx});
    QCOMPARE(dump.split(u'\n', Qt::SkipEmptyParts), QStringList({u"Sales 2026 final"_s,
                                                                 u"A1=id:str*"_s,
                                                                 u"B1=42:str*"_s,
                                                                 u"C1=amount:str*"_s,
                                                                 u"A2=1:int"_s,
                                                                 u"B2=42:int"_s,
                                                                 u"C2=-3.5:float"_s,
                                                                 u"A3=0:int"_s,
                                                                 u"B3=007:str"_s,
                                                                 u"C3=1e5:str"_s,
                                                                 u"A4=+5:str"_s,
                                                                 u"B4=1.:str"_s,
                                                                 u"C4=.5:str"_s,
                                                                 u"A5=1234567890123456:str"_s,
                                                                 u"B5==SUM(A1:A2):str"_s,
                                                                 u"C5=@cmd:str"_s,
                                                                 u"A6=line"_s,
                                                                 u"break:str"_s,
                                                                 u"B6=crgone:str"_s,
                                                                 u"C6=x:str"_s,
                                                                 u"AA7=deep:str"_s}));
}

void TestSpreadsheetConverter::tooLargeTablesFailAndLeaveNothing_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QString>("failure");
    QTest::newRow("16,385 columns")
        << u"xlsx"_s << 1 << 16385 << u"big.csv has a row of more than 16384 columns."_s;
    QTest::newRow("1,048,577 rows")
        << u"xlsx"_s << 1048577 << 1
        << u"big.csv has more rows than a spreadsheet can hold (1048576)."_s;
}

void TestSpreadsheetConverter::tooLargeTablesFailAndLeaveNothing()
{
    QFETCH(QString, target);
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(QString, failure);
    const QByteArray line = QByteArray(columns - 1, ',') + "1\n";
    QByteArray content;
    content.reserve(line.size() * rows);
    for (int i = 0; i < rows; ++i)
        content += line;
    const QString csv = file(u"big.csv"_s, content);
    QCOMPARE(TestSupport::failureOf([&] { SpreadsheetConverter::convert(csv, target); }), failure);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"big.csv"_s});
}

void TestSpreadsheetConverter::hostileTextGivesAResult_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("failure");
    QTest::newRow("unterminated quote, 40 MB")
        << u"quote.csv"_s << u"tsv"_s << u"quote.csv has a cell longer than 16777216 characters."_s;
    QTest::newRow("NUL bytes to TSV") << u"nul.csv"_s << u"tsv"_s << QString();
    QTest::newRow("NUL bytes to XLSX")
        << u"nul.csv"_s << u"xlsx"_s << u"nul.csv has a cell longer than 32767 characters."_s;
    QTest::newRow("a million columns to TSV") << u"wide.csv"_s << u"tsv"_s << QString();
    QTest::newRow("a million columns to XLSX")
        << u"wide.csv"_s << u"xlsx"_s << u"wide.csv has a row of more than 16384 columns."_s;
}

void TestSpreadsheetConverter::hostileTextGivesAResult()
{
    QFETCH(QString, name);
    QFETCH(QString, target);
    QFETCH(QString, failure);
    QByteArray content;
    if (name == u"quote.csv")
        content = "a,\"" + QByteArray(40 * 1024 * 1024, 'x');
    else if (name == u"nul.csv")
        content = QByteArray(100000, '\0');
    else
        content = QByteArray(1000000, ',') + "end\n";
    const QString csv = file(name, content);
    if (failure.isEmpty()) {
        const QString result = SpreadsheetConverter::convert(csv, target);
        QVERIFY(QFileInfo(result).size() > 0);
    } else {
        QCOMPARE(TestSupport::failureOf([&] { SpreadsheetConverter::convert(csv, target); }),
                 failure);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
    }
}

void TestSpreadsheetConverter::throughLibreOffice_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::newRow("XLSX to CSV") << u"xlsx"_s << u"csv"_s;
    QTest::newRow("XLSX to TSV") << u"xlsx"_s << u"tsv"_s;
    QTest::newRow("XLSX to ODS") << u"xlsx"_s << u"ods"_s;
    QTest::newRow("XLSX to PDF") << u"xlsx"_s << u"pdf"_s;
    QTest::newRow("ODS to XLSX") << u"ods"_s << u"xlsx"_s;
    QTest::newRow("TSV to ODS") << u"tsv"_s << u"ods"_s;
}

void TestSpreadsheetConverter::throughLibreOffice()
{
    if (QStandardPaths::findExecutable(u"soffice"_s).isEmpty())
        QSKIP("LibreOffice (soffice) is not installed");
    QFETCH(QString, source);
    QFETCH(QString, target);
    const QString tsv = file(u"table.tsv"_s, "name\tcode\tcity\nAnn\t007\tKöln\nBo\t42\t日本\n");
    QString input = tsv;
    if (source != u"tsv") {
        input = SpreadsheetConverter::convert(tsv, u"xlsx"_s);
        if (source == u"ods")
            input = SpreadsheetConverter::convert(input, u"ods"_s);
    }
    const QString result = SpreadsheetConverter::convert(input, target);
    QCOMPARE(QFileInfo(result).suffix(), target);
    if (target == u"pdf") {
        const QString text = Shell::run(u"/usr/bin/pdftotext"_s, {result, u"-"_s});
        QVERIFY2(text.contains(u"Köln"_s) && text.contains(u"007"_s), qPrintable(text));
        return;
    }
    // Everything read back as CSV, through LibreOffice where it must.
    const QString csv = target == u"csv" || target == u"tsv"
                            ? result
                            : SpreadsheetConverter::convert(result, u"csv"_s);
    const QString text = QString::fromUtf8(TestSupport::readFile(csv));
    const QString separator = target == u"tsv" ? u"\t"_s : u","_s;
    QCOMPARE(text, u"name,code,city\nAnn,007,Köln\nBo,42,日本\n"_s.replace(u","_s, separator));
}

void TestSpreadsheetConverter::pdfShowsEveryCellWhole_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<int>("columns");
    // Body cells take these in turn, with their row and column put in for %1 and %2.
    QTest::newRow("30 columns of long cells")
        << u"wide.csv"_s
        << QStringList{u"Banana, ripe"_s, u"Row %1 column %2 holds a rather long description"_s,
                       u"123456789012345"_s}
        << 30;
    QTest::newRow("cells longer than a page wrap")
        << u"long.csv"_s
        << QStringList{u"Banana, ripe"_s,
                       u"Row %1 column %2: "_s + QStringList(80, u"several words"_s).join(u' '),
                       u"two\nlines %1 %2"_s}
        << 4;
    QTest::newRow("a cell longer than a page goes on below")
        << u"page.csv"_s
        << QStringList{u"Row %1 column %2: "_s + QStringList(1500, u"many words"_s).join(u' '),
                       u"Banana, ripe"_s}
        << 2;
    QTest::newRow("wide characters")
        << u"wide.tsv"_s
        << QStringList{u"行 %1 列 %2 日本語のとても長い説明です"_s, u"Köln %1 %2 Straße"_s} << 12;
}

void TestSpreadsheetConverter::pdfShowsEveryCellWhole()
{
    if (QStandardPaths::findExecutable(u"soffice"_s).isEmpty())
        QSKIP("LibreOffice (soffice) is not installed");
    if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QFETCH(QString, name);
    QFETCH(QStringList, cells);
    QFETCH(int, columns);
    const QChar separator = name.endsWith(u".tsv"_s) ? u'\t' : u',';
    Csv::Table table;
    for (int r = 0; r < 4; ++r) {
        QStringList row;
        for (int c = 0; c < columns; ++c)
            row.append(r == 0 ? u"Heading of column %1"_s.arg(c + 1)
                              : QString(cells.at((r + c) % cells.size()))
                                    .replace(u"%1"_s, QString::number(r))
                                    .replace(u"%2"_s, QString::number(c + 1)));
        table.append(row);
    }
    const QString pdf = SpreadsheetConverter::convert(
        file(name, Csv::serialize(table, separator).toUtf8()), u"pdf"_s);
    // Wrapped cells run over lines: the text is compared without white space.
    const auto packed = [](QString text) { return text.remove(QRegularExpression(u"\\s"_s)); };
    const QString text = packed(Shell::run(u"/usr/bin/pdftotext"_s, {pdf, u"-"_s}));
    for (const QStringList& row : table)
        for (const QString& cell : row)
            QVERIFY2(text.contains(packed(cell)), qPrintable(u"Not whole in the PDF: "_s + cell));
}

void TestSpreadsheetConverter::withoutLibreOfficeOdsCarriesTheReason()
{
    const ScopedEnv noTools("FLINGDIAL_TOOL_DIRS", m_dir->filePath(u"none"_s).toLocal8Bit());
    QCOMPARE(
        SpreadsheetConverter::unavailableReason(u"csv"_s, u"ods"_s).value_or(Component()).text(),
        u"ODS files need LibreOffice:  sudo apt install libreoffice"_s);
    QCOMPARE(
        SpreadsheetConverter::unavailableReason(u"xlsx"_s, u"pdf"_s).value_or(Component()).text(),
        u"This needs LibreOffice.\nInstall it with:  sudo apt install libreoffice"_s);
    QVERIFY(!SpreadsheetConverter::unavailableReason(u"csv"_s, u"xlsx"_s));
}

QTEST_GUILESS_MAIN(TestSpreadsheetConverter)
#include "tst_SpreadsheetConverter.moc"
