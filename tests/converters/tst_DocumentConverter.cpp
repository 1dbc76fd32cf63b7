#include "base/Errors.h"
#include "base/ZipWriter.h"
#include "core/Shell.h"
#include "engines/documents/DocumentModel.h"
#include "engines/documents/HtmlText.h"
#include "engines/documents/RichDocument.h"
#include "engines/documents/RtfReader.h"
#include "support/TestSupport.h"

#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Everything the formats carry, block by block, as one line each:
// heading level, list style and depth, then runs of equal attributes.
QStringList signature(const QTextDocument& document)
{
    QStringList lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.text().trimmed().isEmpty())
            continue;
        QString line = u"h%1"_s.arg(block.blockFormat().headingLevel());
        if (QTextList* list = block.textList())
            line += u" list%1/%2"_s.arg(int(list->format().style())).arg(list->format().indent());
        QString last;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            const double size = DocumentModel::pointSize(f, 12).value_or(12);
            const QString marks =
                u"%1%2%3%4 %5 %6"_s.arg(f.fontWeight() >= QFont::DemiBold ? "b" : "")
                    .arg(f.fontItalic() ? "i" : "")
                    .arg(f.fontUnderline() ? "u" : "")
                    .arg(f.fontStrikeOut() ? "s" : "")
                    .arg(qRound(size * 2) * 5)
                    .arg(f.anchorHref());
            if (marks != last)
                line += u" ["_s + marks + u"]"_s;
            last = marks;
            line += it.fragment().text();
        }
        lines.append(line);
    }
    return lines;
}

QStringList tables(const QTextDocument& document)
{
    QStringList found;
    QList<QTextFrame*> frames = {document.rootFrame()};
    while (!frames.isEmpty()) {
        QTextFrame* frame = frames.takeFirst();
        frames += frame->childFrames();
        if (auto* table = qobject_cast<QTextTable*>(frame)) {
            QString cells = u"%1x%2"_s.arg(table->rows()).arg(table->columns());
            for (int r = 0; r < table->rows(); ++r)
                for (int c = 0; c < table->columns(); ++c) {
                    const QTextTableCell cell = table->cellAt(r, c);
                    if (cell.row() == r && cell.column() == c)
                        cells += u" %1,%2:%3x%4"_s.arg(r)
                                     .arg(c)
                                     .arg(cell.rowSpan())
                                     .arg(cell.columnSpan());
                }
            found.append(cells);
        }
    }
    return found;
}

const char* const richHtml =
    "<html><body>\n"
    "<h1>Annual report</h1><h2>First part</h2><h3>Details</h3>\n"
    "<p>Plain, <b>bold</b>, <i>italic</i>, <b><i>bold italic</i></b>, <u>underlined</u>,\n"
    "<del>struck</del> and <a href=\"https://example.org/report\">a link</a>.</p>\n"
    "<ul><li>Apples<ul><li>Green apples</li></ul></li><li>Pears</li></ul>\n"
    "<ol><li>First step</li><li>Second step</li></ol>\n"
    "<table><tr><td colspan=\"2\">Spanning "
    "both</td></tr><tr><td>Left</td><td>Right</td></tr></table>\n"
    "<p>Ελληνικά κείμενα, نص عربي, 日本語のテキスト</p>\n"
    "</body></html>\n";

} // namespace

class TestDocumentConverter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTripsKeepWhatTheFormatsCarry_data();
    void roundTripsKeepWhatTheFormatsCarry();
    void docxReaderFollowsStylesNumberingAndNotes();
    void textIsTwelvePointSystemFont();
    void htmlIsDecodedWithItsDeclaredCharset_data();
    void htmlIsDecodedWithItsDeclaredCharset();
    void hostileInputsFailCleanly_data();
    void hostileInputsFailCleanly();
    void externalEntitiesAreNeverRead();
    void rtfWithStrayClosingBracesKeepsItsText();
    void deeplyNestedTablesAreReadWithinBounds();
    void everyDayPagesAreShallow();
    void pdfPaginatesA4_data();
    void pdfPaginatesA4();
    void pdfTextIsBlackOnDarkDesktops();
    void pdfTableBordersLieBetweenTheCells();

private:
    QString write(QTextDocument& document, const QString& name);
    QString makeDocx(const QByteArray& body, const QByteArray& extraParts = {});

    QTemporaryDir m_dir;
};

QString TestDocumentConverter::write(QTextDocument& document, const QString& name)
{
    const QString path = m_dir.filePath(name);
    QFile::remove(path);
    RichDocument::write(document, u"Title"_s, QFileInfo(name).suffix(), path);
    return path;
}

void TestDocumentConverter::roundTripsKeepWhatTheFormatsCarry_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("DOCX") << u"docx"_s;
    QTest::newRow("RTF") << u"rtf"_s;
    QTest::newRow("ODT") << u"odt"_s;
}

void TestDocumentConverter::roundTripsKeepWhatTheFormatsCarry()
{
    QFETCH(QString, format);
    const auto original = RichDocument::fromHTML(QString::fromUtf8(richHtml));
    const QStringList expected = signature(*original);
    QCOMPARE(expected.first().left(2), u"h1"_s);

    const QString path = write(*original, u"round."_s + format);
    const auto read = RichDocument::load(path);
    QCOMPARE(RichDocument::plainText(*read).simplified(),
             RichDocument::plainText(*original).simplified());
    QCOMPARE(signature(*read), expected);
    QCOMPARE(tables(*read), tables(*original));
    // Written twice, the same document gives the same file.
    const QString again = write(*read, u"again."_s + format);
    QCOMPARE(signature(*RichDocument::load(again)), expected);
}

QString TestDocumentConverter::makeDocx(const QByteArray& body, const QByteArray& extraParts)
{
    const QString path = m_dir.filePath(u"odd%1.docx"_s.arg(QDateTime::currentMSecsSinceEpoch()));
    ZipWriter zip(path);
    const QByteArray w =
        R"(xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")";
    zip.add(u"[Content_Types].xml"_s, "<Types/>");
    zip.add(u"word/document.xml"_s,
            "<w:document " + w + "><w:body>" + body + "</w:body></w:document>");
    zip.add(u"word/styles.xml"_s, "<w:styles " + w + R"(>
      <w:docDefaults><w:rPrDefault><w:rPr><w:sz w:val="22"/></w:rPr></w:rPrDefault></w:docDefaults>
      <w:style w:type="paragraph" w:styleId="Chapter"><w:name w:val="Chapter"/><w:pPr><w:outlineLvl w:val="0"/></w:pPr><w:rPr><w:b/><w:sz w:val="48"/></w:rPr></w:style>
      <w:style w:type="paragraph" w:styleId="MyChapter"><w:name w:val="My chapter"/><w:basedOn w:val="Chapter"/><w:rPr><w:i/></w:rPr></w:style>
      <w:style w:type="paragraph" w:styleId="Kop2"><w:name w:val="heading 2"/><w:rPr><w:sz w:val="36"/></w:rPr></w:style>
      <w:style w:type="paragraph" w:styleId="Loop"><w:basedOn w:val="Loop"/></w:style>
    </w:styles>)");
    zip.add(u"word/numbering.xml"_s, "<w:numbering " + w + R"(>
      <w:abstractNum w:abstractNumId="7"><w:lvl w:ilvl="0"><w:numFmt w:val="lowerRoman"/></w:lvl><w:lvl w:ilvl="1"><w:numFmt w:val="bullet"/><w:lvlText w:val="o"/></w:lvl></w:abstractNum>
      <w:num w:numId="3"><w:abstractNumId w:val="7"/></w:num></w:numbering>)");
    zip.add(u"word/footnotes.xml"_s, "<w:footnotes " + w + R"(>
      <w:footnote w:type="separator" w:id="-1"><w:p><w:r><w:t>----</w:t></w:r></w:p></w:footnote>
      <w:footnote w:id="1"><w:p><w:r><w:t>The note text.</w:t></w:r></w:p></w:footnote></w:footnotes>)");
    zip.add(u"word/_rels/document.xml.rels"_s,
            R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
      <Relationship Id="rL" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/hyperlink" Target="https://example.org/rel" TargetMode="External"/></Relationships>)");
    if (!extraParts.isEmpty())
        zip.add(u"word/extra.xml"_s, extraParts);
    zip.finish();
    return path;
}

void TestDocumentConverter::docxReaderFollowsStylesNumberingAndNotes()
{
    const QString path = makeDocx(R"(
      <w:p><w:pPr><w:pStyle w:val="MyChapter"/></w:pPr><w:r><w:t>Inherited heading</w:t></w:r></w:p>
      <w:p><w:pPr><w:pStyle w:val="Kop2"/></w:pPr><w:r><w:t>Named heading</w:t></w:r></w:p>
      <w:p><w:pPr><w:pStyle w:val="Loop"/><w:jc w:val="center"/></w:pPr><w:r><w:t>Centred</w:t></w:r><w:r><w:br w:type="page"/><w:t>After the break</w:t></w:r></w:p>
      <w:p><w:pPr><w:numPr><w:ilvl w:val="0"/><w:numId w:val="3"/></w:numPr></w:pPr><w:r><w:t>Roman one</w:t></w:r></w:p>
      <w:p><w:pPr><w:numPr><w:ilvl w:val="1"/><w:numId w:val="3"/></w:numPr></w:pPr><w:r><w:t>Bullet below</w:t></w:r></w:p>
      <w:p><w:r><w:t xml:space="preserve">Field </w:t></w:r><w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText> HYPERLINK "https://example.org/field" </w:instrText></w:r><w:r><w:fldChar w:fldCharType="separate"/></w:r><w:r><w:t>shown</w:t></w:r><w:r><w:fldChar w:fldCharType="end"/></w:r>
        <w:hyperlink r:id="rL"><w:r><w:t>related</w:t></w:r></w:hyperlink><w:del><w:r><w:delText>gone</w:delText></w:r></w:del>
        <w:r><w:tab/><w:t>noted</w:t></w:r><w:r><w:footnoteReference w:id="1"/></w:r><w:r><w:footnoteReference w:id="1"/></w:r></w:p>
      <w:tbl><w:tblGrid><w:gridCol/><w:gridCol/></w:tblGrid>
        <w:tr><w:tc><w:tcPr><w:vMerge w:val="restart"/></w:tcPr><w:p><w:r><w:t>Tall</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>B1</w:t></w:r></w:p></w:tc></w:tr>
        <w:tr><w:tc><w:tcPr><w:vMerge/></w:tcPr><w:p/></w:tc><w:tc><w:p><w:r><w:t>B2</w:t></w:r></w:p></w:tc></w:tr>
        <w:tr><w:tc><w:tcPr><w:gridSpan w:val="2"/></w:tcPr><w:p><w:r><w:t>Wide</w:t></w:r></w:p></w:tc></w:tr>
      </w:tbl>)");
    const auto document = RichDocument::load(path);
    const QStringList lines = signature(*document);
    QCOMPARE(lines.at(0), u"h1 [bi 240 ]Inherited heading"_s);
    QCOMPARE(lines.at(1), u"h2 [ 180 ]Named heading"_s);
    QCOMPARE(lines.at(2), u"h0 [ 110 ]Centred"_s);
    QCOMPARE(lines.at(3), u"h0 [ 110 ]After the break"_s);
    QCOMPARE(lines.at(4),
             u"h0 list%1/1 [ 110 ]Roman one"_s.arg(int(QTextListFormat::ListLowerRoman)));
    QCOMPARE(lines.at(5),
             u"h0 list%1/2 [ 110 ]Bullet below"_s.arg(int(QTextListFormat::ListCircle)));
    QCOMPARE(lines.at(6), u"h0 [ 110 ]Field  [ 110 https://example.org/field]shown"
                          " [ 110 https://example.org/rel]related [ 110 ]\tnoted11"_s);
    // A note referenced twice keeps its number and is written once.
    QCOMPARE(lines.last(), u"h0 [ 110 ]1 The note text."_s);
    QCOMPARE(RichDocument::plainText(*document).count(u"The note text."_s), 1);
    QCOMPARE(tables(*document), QStringList{u"3x2 0,0:2x1 0,1:1x1 1,1:1x1 2,0:1x2"_s});

    const QTextBlock centred =
        document->findBlock(RichDocument::plainText(*document).indexOf(u"Centred"_s));
    QCOMPARE(centred.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QCOMPARE(centred.next().blockFormat().pageBreakPolicy(), QTextFormat::PageBreak_AlwaysBefore);
}

void TestDocumentConverter::textIsTwelvePointSystemFont()
{
    const QString path = TestSupport::writeFile(m_dir.filePath(u"latin1.txt"_s),
                                                "Caf\xe9 cr\xe8me\r\nsecond line\n");
    const auto document = RichDocument::load(path);
    QCOMPARE(RichDocument::plainText(*document), u"Café crème\nsecond line\n"_s);
    QCOMPARE(document->defaultFont().pointSizeF(), 12.0);
    // In the written files the desktop's font becomes Helvetica Neue.
    const QString rtf = write(*document, u"latin1.rtf"_s);
    QVERIFY(TestSupport::readFile(rtf).contains("Helvetica Neue"));
}

void TestDocumentConverter::htmlIsDecodedWithItsDeclaredCharset_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("Windows-1251 meta")
        << QByteArray("<meta charset=\"windows-1251\"><p>\xcf\xf0\xe8\xe2\xe5\xf2</p>")
        << u"Привет"_s;
    QTest::newRow("http-equiv Latin-1 read as 1252")
        << QByteArray("<meta http-equiv=\"Content-Type\" content=\"text/html; "
                      "charset=ISO-8859-1\"><p>\x93quoted\x94 caf\xe9</p>")
        << u"“quoted” café"_s;
    QTest::newRow("no declaration, UTF-8") << QByteArray("<p>\xc3\xa9t\xc3\xa9</p>") << u"été"_s;
    QTest::newRow("byte-order mark wins")
        << QByteArray("\xef\xbb\xbf<meta charset=\"windows-1252\"><p>\xc3\xa9</p>") << u"é"_s;
    QTest::newRow("del is strike-through") << QByteArray("<p><del>old</del></p>") << u"old"_s;
}

void TestDocumentConverter::htmlIsDecodedWithItsDeclaredCharset()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const QString path = TestSupport::writeFile(m_dir.filePath(u"page.html"_s), bytes);
    const auto document = RichDocument::load(path);
    QCOMPARE(RichDocument::plainText(*document).trimmed(), text);
    if (bytes.contains("<del>"))
        QVERIFY(document->begin().begin().fragment().charFormat().fontStrikeOut());
}

void TestDocumentConverter::hostileInputsFailCleanly_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("failure");

    QTest::newRow("RTF nested 100,000 deep")
        << u"deep.rtf"_s
        << QByteArray("{\\rtf1 ") + QByteArray(100000, '{') + "x" + QByteArray(100000, '}') + "}"
        << u"deep.rtf nests too deeply to be read."_s;
    QTest::newRow("RTF with a huge \\bin")
        << u"bin.rtf"_s << QByteArray("{\\rtf1 {\\pict\\bin2000000000 abc}}")
        << u"bin.rtf is damaged and can’t be read."_s;
    QTest::newRow("RTF with a negative \\bin") << u"neg.rtf"_s << QByteArray("{\\rtf1 \\bin-5 abc}")
                                               << u"neg.rtf is damaged and can’t be read."_s;
    QTest::newRow("HTML nested 200,000 deep")
        << u"deep.html"_s
        << QByteArray("<html><body>") + QByteArray("<div>").repeated(200000) + "x" +
               QByteArray("</div>").repeated(200000)
        << u"deep.html nests too deeply to be read."_s;
    QTest::newRow("HTML tables 16 deep") << u"tables.html"_s
                                         << QByteArray("<table><tr><td>").repeated(16) + "x" +
                                                QByteArray("</td></tr></table>").repeated(16)
                                         << u"tables.html nests too deeply to be read."_s;
    QTest::newRow("not RTF at all") << u"fake.rtf"_s << QByteArray("PK\x03\x04 nothing")
                                    << u"fake.rtf isn’t an RTF document."_s;
    QTest::newRow("DOCX that isn't a ZIP") << u"fake.docx"_s << QByteArray(5000, 'x')
                                           << u"fake.docx is damaged or isn’t a ZIP container."_s;
}

void TestDocumentConverter::hostileInputsFailCleanly()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, failure);
    const QString path = TestSupport::writeFile(m_dir.filePath(name), bytes);
    QCOMPARE(TestSupport::failureOf([&] { RichDocument::load(path); }), failure);
}

void TestDocumentConverter::externalEntitiesAreNeverRead()
{
    const QString secret =
        TestSupport::writeFile(m_dir.filePath(u"secret.txt"_s), "TOPSECRETVALUE");
    const QByteArray body = "<w:p><w:r><w:t>Before &xxe; after</w:t></w:r></w:p>";
    const QString path = m_dir.filePath(u"xxe.docx"_s);
    ZipWriter zip(path);
    zip.add(
        u"word/document.xml"_s,
        "<?xml version=\"1.0\"?><!DOCTYPE w:document [<!ENTITY xxe SYSTEM \"file://" +
            secret.toUtf8() +
            "\">]><w:document "
            "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>" +
            body + "</w:body></w:document>");
    zip.finish();
    QString text;
    try {
        text = RichDocument::plainText(*RichDocument::load(path));
    } catch (const Fail&) {
    }
    QVERIFY(!text.contains(u"TOPSECRET"_s));
}

// Found by fuzzing: more closing braces than opening ones took the base
// group, and the last paragraph read formatting from freed memory.
void TestDocumentConverter::rtfWithStrayClosingBracesKeepsItsText()
{
    const QString path = TestSupport::writeFile(m_dir.filePath(u"stray.rtf"_s),
                                                "{\\rtf1 {\\b first}}} second\\par}} third");
    const QString text = RichDocument::plainText(*RichDocument::load(path));
    QVERIFY2(text.contains(u"first"_s) && text.contains(u"second"_s) && text.contains(u"third"_s),
             qPrintable(text));
}

// 20,000 tables, each in the cell of the one before, overflowed the stack.
void TestDocumentConverter::deeplyNestedTablesAreReadWithinBounds()
{
    const QByteArray open = "<w:tbl><w:tr><w:tc>";
    const QByteArray close = "</w:tc></w:tr></w:tbl>";
    const QString path = m_dir.filePath(u"tables.docx"_s);
    ZipWriter zip(path);
    zip.add(u"word/document.xml"_s,
            "<?xml version=\"1.0\"?><w:document "
            "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>"
            "<w:p><w:r><w:t>top</w:t></w:r></w:p>" +
                open.repeated(20000) + "<w:p><w:r><w:t>deep</w:t></w:r></w:p>" +
                close.repeated(20000) + "</w:body></w:document>");
    zip.finish();
    QVERIFY(RichDocument::plainText(*RichDocument::load(path)).contains(u"top"_s));
}

void TestDocumentConverter::everyDayPagesAreShallow()
{
    // Paragraphs, list items and cells without end tags, void elements,
    // comments and scripts don't count.
    const QString page = u"<html><head><meta charset=utf-8><link rel=x><style>div>p{}</style>"
                         "<script>if (a<b) '<div><div>';</script></head><body>"_s +
                         u"<p>para<br><img src=a.png><!-- <div> -->"_s.repeated(3000) + u"<ul>"_s +
                         u"<li>item"_s.repeated(3000) + u"</ul><table>"_s +
                         u"<tr><td>cell<td>cell"_s.repeated(3000) + u"</table>"_s +
                         u"<div><span><b>x</b></span></div>"_s.repeated(100) + u"</body>"_s;
    const HtmlText::Nesting nesting = HtmlText::nesting(page);
    QCOMPARE(nesting.elements, 3);
    QCOMPARE(nesting.tables, 1);
}

void TestDocumentConverter::pdfPaginatesA4_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("lines");
    QString long300;
    for (int i = 0; i < 13000; ++i)
        long300 += u"Line %1 of the long text.\n"_s.arg(i);
    QTest::newRow("13,000 lines") << long300 << 13000;
    QTest::newRow("one 3,000-letter word") << QString(3000, u'w') << 1;
}

void TestDocumentConverter::pdfPaginatesA4()
{
    if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QFETCH(QString, text);
    QFETCH(int, lines);
    const QString source = TestSupport::writeFile(m_dir.filePath(u"long.txt"_s), text.toUtf8());
    const QString pdf = write(*RichDocument::load(source), u"long.pdf"_s);

    const QString info = Shell::run(u"/usr/bin/pdfinfo"_s, {pdf});
    const int pages = QRegularExpression(u"Pages:\\s+(\\d+)"_s).match(info).captured(1).toInt();
    QVERIFY(info.contains(u"595 x 842 pts (A4)"_s));
    // Every word inside the margins, none twice.
    const QString boxes = Shell::run(u"/usr/bin/pdftotext"_s, {u"-bbox"_s, pdf, u"-"_s});
    QRegularExpressionMatchIterator words =
        QRegularExpression(
            u"<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"_s)
            .globalMatch(boxes);
    int count = 0;
    qsizetype letters = 0;
    while (words.hasNext()) {
        const auto word = words.next();
        ++count;
        letters += word.captured(5).size();
        QVERIFY2(word.captured(1).toDouble() >= 55 && word.captured(3).toDouble() <= 540 &&
                     word.captured(2).toDouble() >= 50 && word.captured(4).toDouble() <= 792,
                 qPrintable(word.captured(0)));
    }
    QCOMPARE(count, lines == 1 ? count : lines * 6);
    if (lines == 1) {
        QCOMPARE(letters, 3000);
    } else {
        const double lineHeight = 730.0 * pages / lines;
        QVERIFY2(pages >= 290 && pages <= 340 && lineHeight > 14 && lineHeight < 19,
                 qPrintable(info));
    }
}

void TestDocumentConverter::pdfTextIsBlackOnDarkDesktops()
{
    if (QStandardPaths::findExecutable(u"pdftoppm"_s).isEmpty())
        QSKIP("pdftoppm (poppler-utils) is not installed");
    const QPalette previous = QGuiApplication::palette();
    QPalette dark;
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Base, Qt::black);
    QGuiApplication::setPalette(dark);
    const auto document = RichDocument::fromHTML(u"<p style='font-size:40pt'>DARK MODE TEXT</p>"_s);
    const QString pdf = write(*document, u"dark.pdf"_s);
    QGuiApplication::setPalette(previous);

    Shell::run(u"/usr/bin/pdftoppm"_s,
               {u"-png"_s, u"-r"_s, u"36"_s, u"-singlefile"_s, pdf, m_dir.filePath(u"dark"_s)});
    const QImage page(m_dir.filePath(u"dark.png"_s));
    int darkest = 255;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            darkest = std::min(darkest, qGray(page.pixel(x, y)));
    QVERIFY2(darkest < 40, qPrintable(QString::number(darkest)));
}

// The renderer draws table borders itself, along the cells Qt laid out:
// lines between the rows and columns, never through their text, and the
// header row's again at the top of each page the table goes on to.
void TestDocumentConverter::pdfTableBordersLieBetweenTheCells()
{
    if (QStandardPaths::findExecutable(u"pdftoppm"_s).isEmpty())
        QSKIP("pdftoppm (poppler-utils) is not installed");
    QString rows;
    for (int row = 1; row <= 80; ++row)
        rows += u"<tr><td style='border:1px solid #ff0000;padding:3px'><p>Left%1</p></td>"
                "<td style='border:1px solid #ff0000;padding:3px'>Right%1</td></tr>"_s.arg(row);
    const auto document = RichDocument::fromHTML(
        u"<table style='border-collapse:collapse' width='300'><thead><tr>"
        "<th style='border:1px solid #ff0000'>Head</th><th style='border:1px solid "
        "#ff0000'>Second</th></tr></thead><tbody>"_s +
        rows + u"</tbody></table>"_s);
    const QString pdf = write(*document, u"borders.pdf"_s);
    const QString boxes = Shell::run(u"/usr/bin/pdftotext"_s, {u"-bbox"_s, pdf, u"-"_s});
    QHash<QString, QRectF> words;
    QRegularExpressionMatchIterator found =
        QRegularExpression(
            u"<page|<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"_s)
            .globalMatch(boxes);
    int page = 0;
    while (found.hasNext()) {
        const auto match = found.next();
        if (match.captured(0) == u"<page") {
            ++page;
            continue;
        }
        words.insert(match.captured(5) + u'@' + QString::number(page),
                     QRectF(QPointF(match.captured(1).toDouble(), match.captured(2).toDouble()),
                            QPointF(match.captured(3).toDouble(), match.captured(4).toDouble())));
    }
    QVERIFY2(words.contains(u"Head@2"_s), "the header repeats on the second page");
    Shell::run(u"/usr/bin/pdftoppm"_s, {u"-png"_s, u"-r"_s, u"72"_s, u"-f"_s, u"2"_s, u"-l"_s,
                                        u"2"_s, u"-singlefile"_s, pdf, m_dir.filePath(u"two"_s)});
    const QImage image(m_dir.filePath(u"two.png"_s));
    const auto red = [&](int x, int y) {
        const QColor c = image.pixelColor(x, y);
        return c.red() > 180 && c.green() < 120 && c.blue() < 120;
    };
    const auto redRow = [&](int x, double from, double to) {
        for (int y = int(from); y <= int(std::ceil(to)); ++y)
            if (red(x, y))
                return true;
        return false;
    };
    // Between two rows of the second page, a line; across a row's text, none.
    QString upper;
    for (int row = 1; row < 80 && upper.isEmpty(); ++row)
        if (words.contains(u"Left%1@2"_s.arg(row)) && words.contains(u"Left%1@2"_s.arg(row + 1)))
            upper = QString::number(row);
    QVERIFY(!upper.isEmpty());
    const QRectF a = words.value(u"Left"_s + upper + u"@2"_s);
    const QRectF b = words.value(u"Left"_s + QString::number(upper.toInt() + 1) + u"@2"_s);
    const int x = int(a.center().x());
    QVERIFY(redRow(x, a.bottom(), b.top()));
    QVERIFY(!redRow(x, a.top() + 2, a.bottom() - 2));
    // Between the columns, a line; and over the repeated header, too.
    const QRectF right = words.value(u"Right"_s + upper + u"@2"_s);
    bool between = false;
    for (int px = int(a.right()); px < int(right.left()); ++px)
        between = between || red(px, int(a.center().y()));
    QVERIFY(between);
    const QRectF head = words.value(u"Head@2"_s);
    QVERIFY(redRow(int(head.center().x()), head.top() - 6, head.top()));
}

QTEST_MAIN(TestDocumentConverter)
#include "tst_DocumentConverter.moc"
