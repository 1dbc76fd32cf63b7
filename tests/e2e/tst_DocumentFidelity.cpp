#include "base/ZipWriter.h"
#include "core/Shell.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

bool has(const QString& program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 85);
    return bytes;
}

// A gradient (PNG) and a busy picture (JPEG), as a report has them.
QByteArray gradientPng()
{
    QImage image(320, 160, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(255 - y, x * 255 / 320, y));
    return encoded(image, "png");
}

QByteArray photoJpeg(int width = 400, int height = 300, int seed = 1)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           qRgb((x * seed + y * 7) % 256, (x * x + y * seed) % 256, (x ^ y) % 256));
    return encoded(image, "jpeg");
}

const char* const fodtHeader =
    R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" xmlns:xlink="http://www.w3.org/1999/xlink" xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
)";

// A report with two pictures, a bordered table with a shaded header and a
// link to a bookmark on the second page, as flat OpenDocument for
// LibreOffice to turn into the formats under test.
QByteArray reportFodt()
{
    return fodtHeader + QByteArray(R"(<office:automatic-styles>
<style:style style:name="Head" style:family="table-cell"><style:table-cell-properties fo:background-color="#ffcc00" fo:border="0.5pt solid #000000" fo:padding="2pt"/></style:style>
<style:style style:name="Cell" style:family="table-cell"><style:table-cell-properties fo:border="0.5pt solid #000000" fo:padding="2pt"/></style:style>
<style:style style:name="T" style:family="table"><style:table-properties style:width="12cm" table:align="left"/></style:style>
<style:style style:name="C1" style:family="table-column"><style:table-column-properties style:column-width="4cm"/></style:style>
<style:style style:name="C2" style:family="table-column"><style:table-column-properties style:column-width="8cm"/></style:style>
<style:style style:name="Break" style:family="paragraph" style:parent-style-name="Heading_20_1"><style:paragraph-properties fo:break-before="page"/></style:style>
</office:automatic-styles><office:body><office:text>
<text:h text:outline-level="1">Report</text:h>
<text:p>See <text:a xlink:type="simple" xlink:href="#target">the target section</text:a> for details.</text:p>
<text:p>PNG: <draw:frame draw:name="pic1" text:anchor-type="as-char" svg:width="4cm" svg:height="2cm"><draw:image><office:binary-data>)") +
           gradientPng().toBase64() +
           R"(</office:binary-data></draw:image><svg:title>Gradient</svg:title><svg:desc>Gradient picture</svg:desc></draw:frame> after.</text:p>
<text:p>JPEG: <draw:frame draw:name="pic2" text:anchor-type="as-char" svg:width="6cm" svg:height="4.5cm"><draw:image><office:binary-data>)" +
           photoJpeg().toBase64() +
           R"(</office:binary-data></draw:image><svg:title>Photo</svg:title><svg:desc>Plasma photo</svg:desc></draw:frame></text:p>
<table:table table:name="Sales" table:style-name="T"><table:table-column table:style-name="C1"/><table:table-column table:style-name="C2"/>
<table:table-row><table:table-cell table:style-name="Head"><text:p>Region</text:p></table:table-cell><table:table-cell table:style-name="Head"><text:p>Sales</text:p></table:table-cell></table:table-row>
<table:table-row><table:table-cell table:style-name="Cell"><text:p>North</text:p></table:table-cell><table:table-cell table:style-name="Cell"><text:p>42</text:p></table:table-cell></table:table-row>
</table:table>
<text:h text:style-name="Break" text:outline-level="1"><text:bookmark text:name="target"/>Target section</text:h>
<text:p>The end.</text:p>
</office:text></office:body></office:document>)";
}

// A table of twelve columns, 30 cm wide, of long words, with cells merged
// across and tables and lists in cells: what a wide report table holds.
QByteArray wideTableFodt(QStringList& words)
{
    static const QStringList stems = {u"Consolidated"_s,         u"Infrastructure"_s,
                                      u"Reimbursement"_s,        u"Telecommunications"_s,
                                      u"Internationalization"_s, u"Responsibilities"_s};
    int next = 0;
    const auto word = [&] {
        const QString w = stems.at(next % stems.size()) + QString::number(next);
        ++next;
        words.append(w);
        return w.toUtf8();
    };
    QByteArray rows;
    for (int r = 0; r < 24; ++r) {
        rows += "<table:table-row>";
        for (int c = 0; c < 12; ++c) {
            if (r % 7 == 3 && c == 2) {
                rows += "<table:table-cell table:number-columns-spanned=\"3\" "
                        "office:value-type=\"string\"><text:p>" +
                        word() + " " + word() +
                        "</text:p></table:table-cell><table:covered-table-cell/>"
                        "<table:covered-table-cell/>";
                c += 2;
            } else if (r % 5 == 1 && c == 5) {
                rows += "<table:table-cell office:value-type=\"string\"><table:table "
                        "table:name=\"N" +
                        QByteArray::number(r) +
                        "\"><table:table-column table:number-columns-repeated=\"2\"/>";
                for (int n = 0; n < 2; ++n)
                    rows += "<table:table-row><table:table-cell><text:p>" + word() +
                            "</text:p></table:table-cell><table:table-cell><text:p>" + word() +
                            "</text:p></table:table-cell></table:table-row>";
                rows += "</table:table><text:p>" + word() + "</text:p></table:table-cell>";
            } else if (r % 4 == 2 && c == 8) {
                rows += "<table:table-cell office:value-type=\"string\"><text:list><text:list-item>"
                        "<text:p>" +
                        word() + "</text:p></text:list-item><text:list-item><text:p>" + word() +
                        "</text:p></text:list-item></text:list></table:table-cell>";
            } else {
                rows += "<table:table-cell office:value-type=\"string\"><text:p>" + word() +
                        "</text:p><text:p>" + word() + "</text:p></table:table-cell>";
            }
        }
        rows += "</table:table-row>\n";
    }
    return fodtHeader + QByteArray(R"(<office:automatic-styles>
<style:style style:name="Wide" style:family="table"><style:table-properties style:width="30cm"/></style:style>
<style:style style:name="Col" style:family="table-column"><style:table-column-properties style:column-width="2.5cm"/></style:style>
</office:automatic-styles><office:body><office:text><text:p>Before the table.</text:p>
<table:table table:name="Wide" table:style-name="Wide"><table:table-column table:style-name="Col" table:number-columns-repeated="12"/>
)") + rows +
           "</table:table><text:p>After the "
           "table.</text:p></office:text></office:body></office:document>";
}

// An OpenDocument text with a formula object, stored as LibreOffice stores them.
void writeFormulaOdt(const QString& path)
{
    ZipWriter zip(path);
    zip.add(u"mimetype"_s, "application/vnd.oasis.opendocument.text", ZipWriter::Method::stored);
    zip.add(u"content.xml"_s, R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" xmlns:xlink="http://www.w3.org/1999/xlink" office:version="1.3"><office:body><office:text><text:p>Formula: <draw:frame draw:name="Object1" text:anchor-type="as-char" svg:width="2cm" svg:height="0.6cm"><draw:object xlink:href="./Object 1" xlink:type="simple" xlink:show="embed" xlink:actuate="onLoad"/></draw:frame> end.</text:p></office:text></office:body></office:document-content>)");
    zip.add(u"Object 1/content.xml"_s, R"(<?xml version="1.0" encoding="UTF-8"?>
<math xmlns="http://www.w3.org/1998/Math/MathML" display="block"><semantics><mrow><mfrac><mi>a</mi><mi>b</mi></mfrac><mo>+</mo><msup><mi>x</mi><mn>2</mn></msup></mrow><annotation encoding="StarMath 5.0">{a} over {b} + x^2</annotation></semantics></math>)");
    zip.add(u"META-INF/manifest.xml"_s, R"(<?xml version="1.0" encoding="UTF-8"?>
<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.3"><manifest:file-entry manifest:full-path="/" manifest:version="1.3" manifest:media-type="application/vnd.oasis.opendocument.text"/><manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/><manifest:file-entry manifest:full-path="Object 1/" manifest:version="1.3" manifest:media-type="application/vnd.oasis.opendocument.formula"/><manifest:file-entry manifest:full-path="Object 1/content.xml" manifest:media-type="text/xml"/></manifest:manifest>)");
    zip.finish();
}

// pdfimages -list: one line per picture, "width height encoding".
QStringList picturesIn(const QString& pdf)
{
    QStringList found;
    const QStringList lines = Shell::run(u"/usr/bin/pdfimages"_s, {u"-list"_s, pdf}).split(u'\n');
    for (const QString& line : lines.mid(2)) {
        const QStringList fields = line.simplified().split(u' ');
        if (fields.size() > 8 && fields.at(2) == u"image")
            found.append(fields.at(3) + u' ' + fields.at(4) + u' ' + fields.at(8));
    }
    return found;
}

struct Word
{
    QString text;
    QRectF box;
    int page = 0;
};

QList<Word> wordsIn(const QString& pdf)
{
    QList<Word> words;
    const QString xml = Shell::run(u"/usr/bin/pdftotext"_s, {u"-bbox"_s, pdf, u"-"_s});
    static const QRegularExpression element(
        u"<page [^>]*>|<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"_s);
    int page = 0;
    QRegularExpressionMatchIterator matches = element.globalMatch(xml);
    while (matches.hasNext()) {
        const auto match = matches.next();
        if (match.captured(0).startsWith(u"<page")) {
            ++page;
            continue;
        }
        words.append(
            Word{match.captured(5),
                 QRectF(QPointF(match.captured(1).toDouble(), match.captured(2).toDouble()),
                        QPointF(match.captured(3).toDouble(), match.captured(4).toDouble())),
                 page});
    }
    return words;
}

// The page (from 1) each internal link of the PDF goes to.
QList<int> linkTargets(const QString& pdf)
{
    const QJsonObject json =
        QJsonDocument::fromJson(
            Shell::run(u"/usr/bin/qpdf"_s,
                       {u"--json=2"_s, u"--json-key=pages"_s, u"--json-key=qpdf"_s, pdf})
                .toUtf8())
            .object();
    QHash<QString, int> pages;
    const QJsonArray list = json.value(u"pages"_s).toArray();
    for (qsizetype i = 0; i < list.size(); ++i)
        pages.insert(list.at(i).toObject().value(u"object"_s).toString(), int(i) + 1);
    QList<int> targets;
    const QJsonObject objects = json.value(u"qpdf"_s).toArray().at(1).toObject();
    for (auto it = objects.begin(); it != objects.end(); ++it) {
        const QJsonObject value = it.value().toObject().value(u"value"_s).toObject();
        if (value.value(u"/Subtype"_s).toString() == u"/Link" && value.contains(u"/Dest"_s))
            targets.append(pages.value(value.value(u"/Dest"_s).toArray().at(0).toString()));
    }
    return targets;
}

} // namespace

// Documents as a user writes them, with pictures, bordered tables, links
// to bookmarks, wide tables and equations, made by LibreOffice and
// converted to every target, checked with real readers.
class TestDocumentFidelity : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void picturesTablesAndLinksReachEveryTarget_data();
    void picturesTablesAndLinksReachEveryTarget();
    void libreOfficeReadsThePicturesBack();
    void pdfDrawsTheTableAndLandsTheLink();
    void everyBookPassesEpubcheck_data();
    void everyBookPassesEpubcheck();
    void wideTablesStayInsideTheMargins();
    void rtfKeepsEveryCellOfLargeAndNestedTables();
    void markdownTablesAndPicturesReachDocxAndPdf();
    void equationsKeepTheirText();
    void pdfTablesAndBulletsBecomeStructure();
    void picturesNeverComeFromOutsideTheFolder();
    void picturesThatCantBeShownKeepTheirAltText();

private:
    QString run(const QString& target, const QString& file);
    QStringList soffice(const QStringList& files, const QString& format, const QString& folder);
    QString made(const QString& name);

    QTemporaryDir m_dir;
    QProcessEnvironment m_environment;
    QStringList m_officeResults;
};

QString TestDocumentFidelity::run(const QString& target, const QString& file)
{
    const auto result =
        TestSupport::runFlingdial({u"--run"_s, u"convert"_s, target, file}, m_environment);
    if (result.status != 0)
        qWarning("%s", qPrintable(result.err));
    return result.status == 0 ? result.out.trimmed() : QString();
}

QStringList TestDocumentFidelity::soffice(const QStringList& files, const QString& format,
                                          const QString& folder)
{
    Shell::run(QStandardPaths::findExecutable(u"soffice"_s),
               QStringList{u"-env:UserInstallation=file://"_s + m_dir.filePath(u"profile"_s),
                           u"--headless"_s, u"--convert-to"_s, format, u"--outdir"_s, folder} +
                   files);
    QStringList made;
    for (const QString& file : files)
        made.append(folder + u'/' + QFileInfo(file).completeBaseName() + u'.' +
                    format.section(u':', 0, 0));
    return made;
}

QString TestDocumentFidelity::made(const QString& name)
{
    return m_dir.filePath(u"made/"_s + name);
}

void TestDocumentFidelity::initTestCase()
{
    if (!has(u"soffice"_s))
        QSKIP("LibreOffice (soffice) is not installed: it makes the documents under test");
    m_environment = TestSupport::isolatedEnvironment(m_dir.filePath(u"config"_s));
    const QString fodt =
        TestSupport::writeFile(m_dir.filePath(u"fodt/report.fodt"_s), reportFodt());
    QStringList words;
    TestSupport::writeFile(m_dir.filePath(u"fodt/wide.fodt"_s), wideTableFodt(words));
    QDir().mkpath(m_dir.filePath(u"made"_s));
    for (const QString& format : {u"docx"_s, u"odt"_s, u"rtf"_s, u"doc:MS Word 97"_s})
        soffice({fodt}, format, m_dir.filePath(u"made"_s));
    soffice({m_dir.filePath(u"fodt/wide.fodt"_s)}, u"docx"_s, m_dir.filePath(u"made"_s));
    TestSupport::writeFile(m_dir.filePath(u"made/words.txt"_s), words.join(u'\n').toUtf8());
}

void TestDocumentFidelity::picturesTablesAndLinksReachEveryTarget_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    for (const QString& source : {u"docx"_s, u"odt"_s, u"rtf"_s, u"doc"_s})
        for (const QString& target :
             {u"pdf"_s, u"docx"_s, u"odt"_s, u"rtf"_s, u"html"_s, u"epub"_s, u"md"_s})
            if (source != target)
                QTest::newRow(qPrintable(source + u" to "_s + target)) << source << target;
}

void TestDocumentFidelity::picturesTablesAndLinksReachEveryTarget()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    const QString folder = m_dir.filePath(u"out-"_s + source);
    QDir().mkpath(folder);
    const QString input = folder + u"/report."_s + source;
    if (!QFileInfo::exists(input))
        QVERIFY(QFile::copy(made(u"report."_s + source), input));
    const QString result = run(target, input);
    QVERIFY2(QFileInfo(result).isFile(), qPrintable(result));

    if (target == u"pdf") {
        const QStringList pictures = picturesIn(result);
        QCOMPARE(pictures.size(), 2);
        // The JPEG keeps its own bytes; the PNG keeps its pixels.
        QVERIFY2(pictures.contains(u"400 300 jpeg"_s), qPrintable(pictures.join(u", ")));
        QVERIFY2(pictures.contains(u"320 160 image"_s), qPrintable(pictures.join(u", ")));
    } else if (target == u"html" || target == u"md") {
        // Pictures are files in a folder beside the result, which names them.
        const QString page = QString::fromUtf8(TestSupport::readFile(result));
        const QString pictures = QFileInfo(result).path() + u'/' +
                                 QFileInfo(result).completeBaseName() +
                                 (target == u"md" ? u"_pictures"_s : u"_files"_s);
        QCOMPARE(QDir(pictures).entryList(QDir::Files).size(), 2);
        for (const QString& name : QDir(pictures).entryList(QDir::Files)) {
            const QString reference = QFileInfo(pictures).fileName() + u'/' + name;
            QVERIFY2(page.contains(QString(reference).replace(u' ', u"%20"_s)),
                     qPrintable(reference));
            QVERIFY(!QImage(pictures + u'/' + name).isNull());
        }
        // Word 97 files as LibreOffice writes them have no alt text.
        if (source != u"doc")
            QVERIFY(page.contains(u"Plasma photo"_s));
    } else if (target == u"epub") {
        const QString listing = Shell::run(u"/usr/bin/unzip"_s, {u"-l"_s, result});
        QCOMPARE(listing.count(u"OEBPS/pictures/"_s), 2);
    } else {
        m_officeResults.append(result);
    }
    if (target != u"pdf" && target != u"md") {
        // The table, its shading and the link come back when read again.
        const QString html = target == u"html" ? result : run(u"html"_s, result);
        const QString page = QString::fromUtf8(TestSupport::readFile(html));
        QVERIFY2(page.contains(u"background-color:#ffcc00"_s), qPrintable(html));
        QVERIFY(page.contains(u"border-top:0.5pt solid #000000"_s) ||
                page.contains(u"border-top:1pt solid #000000"_s));
        QVERIFY(page.contains(u"href=\"#target\""_s));
        QVERIFY(page.contains(u"id=\"target\""_s));
    }
}

void TestDocumentFidelity::libreOfficeReadsThePicturesBack()
{
    QVERIFY(m_officeResults.size() >= 9);
    const QString folder = m_dir.filePath(u"libreoffice"_s);
    QStringList copies;
    for (const QString& result : std::as_const(m_officeResults)) {
        const QString copy = m_dir.filePath(u"office/%1-%2"_s)
                                 .arg(copies.size())
                                 .arg(QFileInfo(result).fileName().replace(u' ', u'-'));
        QDir().mkpath(QFileInfo(copy).path());
        QVERIFY(QFile::copy(result, copy));
        copies.append(copy);
    }
    for (const QString& pdf : soffice(copies, u"pdf"_s, folder)) {
        const QStringList pictures = picturesIn(pdf);
        QVERIFY2(pictures.size() == 2, qPrintable(pdf + u": "_s + pictures.join(u", ")));
        const QString text = Shell::run(u"/usr/bin/pdftotext"_s, {pdf, u"-"_s});
        QVERIFY2(text.contains(u"Region"_s) && text.contains(u"42"_s), qPrintable(pdf));
    }
}

void TestDocumentFidelity::pdfDrawsTheTableAndLandsTheLink()
{
    if (!has(u"pdftoppm"_s) || !has(u"qpdf"_s))
        QSKIP("pdftoppm (poppler-utils) and qpdf are needed");
    const QString folder = m_dir.filePath(u"pdf"_s);
    QDir().mkpath(folder);
    QVERIFY(QFile::copy(made(u"report.docx"_s), folder + u"/report.docx"_s));
    const QString pdf = run(u"pdf"_s, folder + u"/report.docx"_s);
    QCOMPARE(linkTargets(pdf), QList<int>{2});

    // The header cell is shaded and framed: a dark line above and below
    // the word, yellow around it.
    Word region;
    for (const Word& word : wordsIn(pdf))
        if (word.text == u"Region")
            region = word;
    QVERIFY(region.page == 1);
    Shell::run(u"/usr/bin/pdftoppm"_s, {u"-png"_s, u"-r"_s, u"72"_s, u"-f"_s, u"1"_s, u"-l"_s,
                                        u"1"_s, u"-singlefile"_s, pdf, folder + u"/page"_s});
    const QImage page(folder + u"/page.png"_s);
    const int x = int(region.box.right()) + 4;
    QCOMPARE(QColor(page.pixel(x, int(region.box.center().y()))).name(), u"#ffcc00"_s);
    const auto darkAt = [&](int from, int to) {
        for (int y = from; y <= to; ++y)
            if (qGray(page.pixel(x, y)) < 100)
                return true;
        return false;
    };
    QVERIFY(darkAt(int(region.box.top()) - 6, int(region.box.top())));
    QVERIFY(darkAt(int(region.box.bottom()), int(region.box.bottom()) + 6));
}

void TestDocumentFidelity::everyBookPassesEpubcheck_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    const QByteArray picture = gradientPng().toBase64();
    QTest::newRow("LibreOffice report") << u"report.docx"_s << QByteArray();
    QTest::newRow("wide table") << u"wide.docx"_s << QByteArray();
    QTest::newRow("links of every kind")
        << u"links.html"_s
        << QByteArray("<html><body><h1 id='top'>Top</h1><p><a href='#_A_section_for'>dangling</a> "
                      "<a href='url'>relative</a> <a href='hi(there'>odd</a> <a "
                      "href='mailto:a@example.org'>mail</a> <a href='https://example.org/a "
                      "b'>web</a> <a href='#top'>up</a> <a href='javascript:alert(1)'>script</a> "
                      "<a name='1st place'>first</a> <a href='#1st place'>to first</a></p>"
                      "<ul><li>one<ul><li>two</li></ul></li><li>three</li></ul><ol "
                      "type='a'><li>x</li></ol>"
                      "<table border='1'><tr><td colspan='2'>wide</td></tr><tr><td "
                      "rowspan='2'>tall</td><td>b</td></tr><tr><td>c</td></tr></table>"
                      "<p><img src='data:image/png;base64,") +
               picture +
               "' alt='inline'/> x<sup>2</sup> <span style='color:#c00'>red</span>\x0b"
               "</p><h2>Second</h2><h2>Second</h2></body></html>";
    QTest::newRow("Markdown with a table")
        << u"table.md"_s
        << QByteArray(
               "# Title\n\n| a | b |\n|---|:-:|\n| 1 | **2** |\n\n![pic](data:image/png;base64,") +
               picture + ")\n\n[anchor link](#title) and [nowhere](#nowhere)\n";
    QTest::newRow("equations")
        << u"math.html"_s
        << QByteArray("<p>Energy <math xmlns='http://www.w3.org/1998/Math/MathML'><semantics><mrow>"
                      "<mi>E</mi><mo>=</mo><mi>m</mi><msup><mi>c</mi><mn>2</mn></msup></mrow>"
                      "<annotation encoding='application/x-tex'>E = mc^2</annotation>"
                      "</semantics></math> holds.</p>");
    QTest::newRow("plain text") << u"plain.txt"_s << QByteArray("one\ntwo <&> three\n");
}

void TestDocumentFidelity::everyBookPassesEpubcheck()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    const QString java = QStandardPaths::findExecutable(u"java"_s);
    const QString epubcheck = u"/usr/share/java/epubcheck.jar"_s;
    if (java.isEmpty() || !QFileInfo::exists(epubcheck))
        QSKIP("epubcheck (and Java) is not installed");
    const QString folder = m_dir.filePath(u"books/"_s + QFileInfo(name).completeBaseName());
    QDir().mkpath(folder);
    const QString input = folder + u'/' + name;
    if (content.isEmpty())
        QVERIFY(QFile::copy(made(name), input));
    else
        TestSupport::writeFile(input, content);
    const QString book = run(u"epub"_s, input);
    QVERIFY(!book.isEmpty());
    QString report;
    try {
        report = Shell::run(java, {u"-jar"_s, epubcheck, book}, std::nullopt, std::nullopt, true) +
                 Shell::run(java, {u"-jar"_s, epubcheck, book});
    } catch (const Fail& failure) {
        QFAIL(qPrintable(failure.message()));
    }
    QVERIFY2(report.contains(u"No errors or warnings detected"_s), qPrintable(report));
    // The text of links that lead nowhere stays, as text.
    const QString text = QString::fromUtf8(TestSupport::readFile(run(u"txt"_s, book)));
    if (name == u"links.html") {
        for (const QString& word : {u"dangling"_s, u"relative"_s, u"odd"_s, u"script"_s,
                                    u"to first"_s, u"three"_s, u"tall"_s, u"inline"_s})
            QVERIFY2(text.contains(word), qPrintable(word));
    }
    if (name == u"math.html")
        QVERIFY2(text.contains(u"E = mc^2"_s), qPrintable(text));
}

void TestDocumentFidelity::wideTablesStayInsideTheMargins()
{
    const QString folder = m_dir.filePath(u"wide"_s);
    QDir().mkpath(folder);
    QVERIFY(QFile::copy(made(u"wide.docx"_s), folder + u"/wide.docx"_s));
    const QString pdf = run(u"pdf"_s, folder + u"/wide.docx"_s);
    QStringList outside;
    QHash<QChar, int> shown;
    for (const Word& word : wordsIn(pdf)) {
        for (const QChar c : word.text)
            ++shown[c];
        if (word.box.left() < 55.5 || word.box.right() > 539.5)
            outside.append(word.text);
    }
    QVERIFY2(outside.isEmpty(), qPrintable(outside.join(u' ')));
    // Long words break where they must, and every letter of them is there.
    QHash<QChar, int> written;
    for (const QString& word :
         QString::fromUtf8(TestSupport::readFile(made(u"words.txt"_s))).split(u'\n'))
        for (const QChar c : word)
            ++written[c];
    for (auto it = written.cbegin(); it != written.cend(); ++it)
        QVERIFY2(shown.value(it.key()) >= it.value(), qPrintable(QString(it.key())));
}

void TestDocumentFidelity::rtfKeepsEveryCellOfLargeAndNestedTables()
{
    const QString folder = m_dir.filePath(u"rtf"_s);
    QDir().mkpath(folder);
    QVERIFY(QFile::copy(made(u"wide.docx"_s), folder + u"/wide.docx"_s));
    const QString rtf = run(u"rtf"_s, folder + u"/wide.docx"_s);
    const QStringList words =
        QString::fromUtf8(TestSupport::readFile(made(u"words.txt"_s))).split(u'\n');
    // Read back by LibreOffice and by ourselves.
    const QString theirs = QString::fromUtf8(TestSupport::readFile(
        soffice({rtf}, u"txt:Text (encoded):UTF8"_s, folder + u"/libreoffice"_s).first()));
    const QString ours = QString::fromUtf8(TestSupport::readFile(run(u"txt"_s, rtf)));
    for (const QString& word : words) {
        QVERIFY2(theirs.contains(word), qPrintable(u"LibreOffice lost "_s + word));
        QVERIFY2(ours.contains(word), qPrintable(u"lost "_s + word));
    }
}

void TestDocumentFidelity::markdownTablesAndPicturesReachDocxAndPdf()
{
    const QString folder = m_dir.filePath(u"markdown"_s);
    TestSupport::writeFile(folder + u"/pics/chart one.png"_s, gradientPng());
    const QString source = TestSupport::writeFile(
        folder + u"/notes.md"_s,
        "# Notes\n\n| Fruit | Count |\n| :--- | ---: |\n| Apples | 12 |\n| Pears | 7 |\n\n"
        "![The chart](pics/chart%20one.png)\n");
    const QString docx = run(u"docx"_s, source);
    const QString xml = Shell::run(u"/usr/bin/unzip"_s, {u"-p"_s, docx, u"word/document.xml"_s});
    QCOMPARE(xml.count(u"<w:tr>"_s), 3);
    QCOMPARE(xml.count(u"<w:drawing>"_s), 1);
    QVERIFY(xml.contains(u"descr=\"The chart\""_s));

    const QString pdf = run(u"pdf"_s, source);
    QCOMPARE(picturesIn(pdf), QStringList{u"320 160 image"_s});
    // Cells side by side: a row's words on one line, in their columns.
    QHash<QString, QRectF> boxes;
    for (const Word& word : wordsIn(pdf))
        boxes.insert(word.text, word.box);
    QVERIFY(qAbs(boxes[u"Apples"_s].center().y() - boxes[u"12"_s].center().y()) < 2);
    QVERIFY(boxes[u"12"_s].left() > boxes[u"Apples"_s].right() + 50);
    QVERIFY(qAbs(boxes[u"Pears"_s].left() - boxes[u"Apples"_s].left()) < 2);
    // LibreOffice finds the table and the picture in the DOCX.
    const QString back =
        soffice({docx}, u"html:XHTML Writer File:UTF8"_s, folder + u"/libreoffice"_s).first();
    const QString page = QString::fromUtf8(TestSupport::readFile(back));
    QCOMPARE(page.count(u"<tr"_s), 3);
    QCOMPARE(page.count(u"<img"_s), 1);
}

void TestDocumentFidelity::equationsKeepTheirText()
{
    const QString folder = m_dir.filePath(u"math"_s);
    QDir().mkpath(folder);
    writeFormulaOdt(folder + u"/formula.odt"_s);
    // LibreOffice writes the formula as an Office Math equation in Word's format.
    const QString docx =
        soffice({folder + u"/formula.odt"_s}, u"docx"_s, folder + u"/word"_s).first();
    QVERIFY(Shell::run(u"/usr/bin/unzip"_s, {u"-p"_s, docx, u"word/document.xml"_s})
                .contains(u"<m:oMath"_s));
    const QString fromOdt =
        QString::fromUtf8(TestSupport::readFile(run(u"txt"_s, folder + u"/formula.odt"_s)));
    QCOMPARE(fromOdt.simplified(), u"Formula: {a} over {b} + x^2 end."_s);
    const QString fromDocx = QString::fromUtf8(TestSupport::readFile(run(u"txt"_s, docx)));
    QCOMPARE(fromDocx.simplified(), u"Formula: a/b + x^2 end."_s);

    const QString page = TestSupport::writeFile(
        folder + u"/page.html"_s,
        "<p>Root <math><msqrt><mfrac><mn>1</mn><mrow><mi>n</mi><mo>+</mo><mn>1</mn></mrow>"
        "</mfrac></msqrt></math> and <math><mi>x</mi><mo>&lt;</mo><mi>y</mi></math>.</p>");
    const QString fromHtml = QString::fromUtf8(TestSupport::readFile(run(u"txt"_s, page)));
    QCOMPARE(fromHtml.simplified(), u"Root √(1/(n + 1)) and x < y ."_s);
}

void TestDocumentFidelity::pdfTablesAndBulletsBecomeStructure()
{
    const QString folder = m_dir.filePath(u"frompdf"_s);
    const QString page = TestSupport::writeFile(
        folder + u"/list.html"_s,
        "<html><body><h1>Stock</h1><ul><li>First point</li><li>Second point, long enough to "
        "wrap onto a second line of the page when LibreOffice lays it out in its default "
        "font</li><li>Third</li></ul><table border='1'><tr><td>Name</td><td>Count</td></tr>"
        "<tr><td>Alpha</td><td>12</td></tr><tr><td>Beta</td><td>7</td></tr><tr><td>Gamma "
        "ray</td><td>120</td></tr></table><p>After the table.</p></body></html>");
    const QString odt = soffice({page}, u"odt"_s, folder).first();
    const QString pdf = soffice({odt}, u"pdf"_s, folder + u"/pdf"_s).first();
    const QString docx = run(u"docx"_s, pdf);
    const QString xml = Shell::run(u"/usr/bin/unzip"_s, {u"-p"_s, docx, u"word/document.xml"_s});
    // Each cell its own: never "Beta7".
    static const QRegularExpression cell(u"<w:tc>.*?</w:tc>"_s);
    QStringList cells;
    QRegularExpressionMatchIterator matches = cell.globalMatch(xml);
    while (matches.hasNext())
        cells.append(QString(matches.next().captured(0)).remove(QRegularExpression(u"<[^>]*>"_s)));
    QCOMPARE(cells, (QStringList{u"Name"_s, u"Count"_s, u"Alpha"_s, u"12"_s, u"Beta"_s, u"7"_s,
                                 u"Gamma ray"_s, u"120"_s}));
    // The bullets are list items, the wrapped line part of its item.
    QCOMPARE(xml.count(u"<w:numPr>"_s), 3);
    QVERIFY(!xml.contains(u"•"_s));
    QVERIFY(xml.contains(u"Second point, long enough to wrap onto a second line"_s));
}

void TestDocumentFidelity::picturesNeverComeFromOutsideTheFolder()
{
    const QString folder = m_dir.filePath(u"hostile/page"_s);
    TestSupport::writeFile(folder + u"/inside/ok.png"_s, gradientPng());
    const QString outside =
        TestSupport::writeFile(m_dir.filePath(u"hostile/secret.png"_s), gradientPng());
    QFile::link(outside, folder + u"/link.png"_s);
    const QString page = TestSupport::writeFile(
        folder + u"/page.html"_s,
        "<p><img src='inside/ok.png' alt='kept'/><img src='../secret.png' alt='up'/>"
        "<img src='" +
            outside.toUtf8() + "' alt='absolute'/><img src='file://" + outside.toUtf8() +
            "' alt='url'/><img src='link.png' alt='linked'/><img src='/dev/zero' alt='device'/>"
            "<img src='http://127.0.0.1:9/x.png' alt='network'/>"
            "<link rel='stylesheet' href='/dev/zero'/></p>");
    const QString docx = run(u"docx"_s, page);
    const QString listing = Shell::run(u"/usr/bin/unzip"_s, {u"-l"_s, docx});
    QCOMPARE(listing.count(u"word/media/picture"_s), 1);
    const QString text = QString::fromUtf8(TestSupport::readFile(run(u"txt"_s, docx)));
    QCOMPARE(text.simplified(), u"keptupabsoluteurllinkeddevicenetwork"_s);
}

void TestDocumentFidelity::picturesThatCantBeShownKeepTheirAltText()
{
    // A damaged PNG, and one that declares 60,000 × 60,000 pixels.
    QByteArray huge = gradientPng();
    huge.replace(16, 8, QByteArray::fromHex("0000ea600000ea60"));
    const QByteArray broken = gradientPng().left(60);
    const QString path = m_dir.filePath(u"undrawable/pictures.docx"_s);
    QDir().mkpath(QFileInfo(path).path());
    const auto drawing = [](const char* id, const char* alt) {
        return QByteArray(
                   R"(<w:r><w:drawing><wp:inline><wp:extent cx="1270000" cy="635000"/><wp:docPr id="1" name="p" descr=")") +
               alt + R"("/><a:graphic><a:graphicData><pic:pic><pic:blipFill><a:blip r:embed=")" +
               id +
               R"("/></pic:blipFill></pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r>)";
    };
    ZipWriter zip(path);
    zip.add(
        u"word/document.xml"_s,
        R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing" xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" xmlns:pic="http://schemas.openxmlformats.org/drawingml/2006/picture"><w:body><w:p><w:r><w:t xml:space="preserve">Start </w:t></w:r>)" +
            drawing("rHuge", "Too large") + drawing("rBroken", "Damaged") +
            drawing("rMissing", "Missing") + drawing("rGood", "Good") +
            "</w:p></w:body></w:document>");
    zip.add(
        u"word/_rels/document.xml.rels"_s,
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rHuge" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/image" Target="media/huge.png"/><Relationship Id="rBroken" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/image" Target="media/broken.png"/><Relationship Id="rGood" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/image" Target="media/good.jpg"/></Relationships>)");
    zip.add(u"word/media/huge.png"_s, huge);
    zip.add(u"word/media/broken.png"_s, broken);
    zip.add(u"word/media/good.jpg"_s, photoJpeg(64, 48));
    zip.finish();
    for (const QString& target : {u"pdf"_s, u"odt"_s, u"md"_s}) {
        const QString result = run(target, path);
        QVERIFY2(!result.isEmpty(), qPrintable(target));
        const QString text = target == u"pdf"
                                 ? Shell::run(u"/usr/bin/pdftotext"_s, {result, u"-"_s})
                                 : QString::fromUtf8(TestSupport::readFile(
                                       target == u"md" ? result : run(u"txt"_s, result)));
        QVERIFY2(text.contains(u"Too large"_s) && text.contains(u"Damaged"_s) &&
                     text.contains(u"Missing"_s),
                 qPrintable(target + u": "_s + text));
    }
    QCOMPARE(picturesIn(run(u"pdf"_s, path)), QStringList{u"64 48 jpeg"_s});
}

QTEST_GUILESS_MAIN(TestDocumentFidelity)
#include "tst_DocumentFidelity.moc"
