#include "base/Errors.h"
#include "converters/pdf/PageHelper.h"
#include "converters/pdf/PdfConverter.h"
#include "core/NameReservations.h"
#include "core/Settings.h"
#include "core/Shell.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

using TestSupport::runFlingdial;
using TestSupport::ScopedEnv;

namespace {

QString run(const QString& program, const QStringList& arguments)
{
    return Shell::run(QStandardPaths::findExecutable(program), arguments);
}

// qpdf's copy of a hand-written file, with the cross-reference table it lacks.
QString repairedCopy(const QString& raw, const QString& clean)
{
    QProcess qpdf;
    qpdf.setStandardOutputFile(QProcess::nullDevice());
    qpdf.setStandardErrorFile(QProcess::nullDevice());
    qpdf.start(QStandardPaths::findExecutable(u"qpdf"_s), {raw, clean});
    qpdf.waitForFinished();
    QFile::remove(raw);
    return clean;
}

int pageCount(const QString& pdf)
{
    return run(u"qpdf"_s, {u"--show-npages"_s, pdf}).trimmed().toInt();
}

QList<int> rotations(const QString& pdf)
{
    const QString info = run(u"pdfinfo"_s, {u"-f"_s, u"1"_s, u"-l"_s, u"100"_s, pdf});
    QList<int> list;
    QRegularExpressionMatchIterator it =
        QRegularExpression(u"Page +\\d+ rot: +(\\d+)"_s).globalMatch(info);
    while (it.hasNext())
        list.append(it.next().captured(1).toInt());
    return list;
}

// A PDF written by hand (qpdf repairs its cross-reference table): pages
// with their own and inherited rotations, one text field, and the word of
// each page.
QByteArray handMadePdf(const QStringList& words, bool form, const QList<int>& rotate = {})
{
    QByteArray kids;
    QByteArray objects;
    int next = 4;
    QByteArray fields;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const int page = next++;
        const int content = next++;
        const QByteArray stream = "BT /F1 24 Tf 72 700 Td (" + words.at(i).toLatin1() + ") Tj ET";
        QByteArray annots;
        if (form && i == 0) {
            const int field = next++;
            objects += QByteArray::number(field) +
                       " 0 obj << /Type /Annot /Subtype /Widget /FT /Tx /T (name) /V (Ann) /Rect "
                       "[72 600 300 630] /P " +
                       QByteArray::number(page) + " 0 R >> endobj\n";
            annots = " /Annots [" + QByteArray::number(field) + " 0 R]";
            fields = QByteArray::number(field) + " 0 R";
        }
        const QByteArray rotation = i < rotate.size() && rotate.at(i) != -1000
                                        ? " /Rotate " + QByteArray::number(rotate.at(i))
                                        : "";
        objects += QByteArray::number(page) +
                   " 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792]" + rotation +
                   annots + " /Contents " + QByteArray::number(content) +
                   " 0 R /Resources << /Font << /F1 3 0 R >> >> >> endobj\n";
        objects += QByteArray::number(content) + " 0 obj << /Length " +
                   QByteArray::number(stream.size()) + " >> stream\n" + stream +
                   "\nendstream endobj\n";
        kids += QByteArray::number(page) + " 0 R ";
    }
    QByteArray catalog = "1 0 obj << /Type /Catalog /Pages 2 0 R";
    if (form)
        catalog += " /AcroForm << /Fields [" + fields + "] >>";
    catalog += " >> endobj\n";
    return "%PDF-1.4\n" + catalog + "2 0 obj << /Type /Pages /Rotate 90 /Kids [" + kids +
           "] /Count " + QByteArray::number(words.size()) +
           " >> endobj\n3 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> endobj\n" +
           objects + "trailer << /Root 1 0 R >>\n%%EOF\n";
}

// A two-page PDF whose page tree has a node between the root and the
// pages: `root`, `middle`, `first` and `second` are the entries each
// dictionary adds (a rotation, boxes); the font lives on the root. Object
// 9 is the number 270, for rotations given by reference.
QByteArray treePdf(const QByteArray& root, const QByteArray& middle, const QByteArray& first,
                   const QByteArray& second)
{
    QByteArray body = "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
                      "2 0 obj << /Type /Pages /Kids [3 0 R] /Count 2 /Resources << /Font << "
                      "/F1 8 0 R >> >> " +
                      root +
                      " >> endobj\n"
                      "3 0 obj << /Type /Pages /Parent 2 0 R /Kids [4 0 R 5 0 R] /Count 2 " +
                      middle + " >> endobj\n";
    const QByteArray pages[] = {first, second};
    for (int i = 0; i < 2; ++i) {
        const QByteArray stream =
            "BT /F1 24 Tf 72 300 Td (page" + QByteArray::number(i + 1) + ") Tj ET";
        body += QByteArray::number(4 + i) + " 0 obj << /Type /Page /Parent 3 0 R /Contents " +
                QByteArray::number(6 + i) + " 0 R " + pages[i] + " >> endobj\n" +
                QByteArray::number(6 + i) + " 0 obj << /Length " +
                QByteArray::number(stream.size()) + " >> stream\n" + stream +
                "\nendstream endobj\n";
    }
    return body + "8 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> endobj\n"
                  "9 0 obj 270 endobj\ntrailer << /Root 1 0 R >>\n%%EOF\n";
}

// Each page as poppler sees it: "rotation media-box crop-box text".
QStringList pagesSeen(const QString& pdf)
{
    const QString info = run(u"pdfinfo"_s, {u"-box"_s, u"-f"_s, u"1"_s, u"-l"_s, u"100"_s, pdf});
    QStringList seen;
    for (int page = 1; info.contains(u"Page %1 rot:"_s.arg(page, 4)); ++page) {
        const auto field = [&](const QString& name) {
            const QRegularExpression line(u"Page +%1 %2: +([^\n]*)"_s.arg(page).arg(name));
            return line.match(info).captured(1).simplified();
        };
        const QString text = run(u"pdftotext"_s, {u"-f"_s, QString::number(page), u"-l"_s,
                                                  QString::number(page), pdf, u"-"_s});
        seen.append(u"%1 [%2] [%3] %4"_s.arg(field(u"rot"_s), field(u"MediaBox"_s),
                                             field(u"CropBox"_s), text.simplified()));
    }
    return seen;
}

bool isDirectionMark(QChar c)
{
    const char16_t u = c.unicode();
    return u == 0x200e || u == 0x200f || (u >= 0x202a && u <= 0x202e) ||
           (u >= 0x2066 && u <= 0x2069);
}

// The words of a text, without the direction marks around runs of the
// other direction and Markdown's escapes; Arabic letters in their
// standalone forms (Qt's PDF writer names them by their shaped forms).
QStringList wordsOf(QString text)
{
    text = text.normalized(QString::NormalizationForm_KC);
    text.removeIf(isDirectionMark);
    text.remove(u'\\');
    static const QRegularExpression space(u"\\s+"_s);
    return text.split(space, Qt::SkipEmptyParts);
}

// How many of `expected` appear in `got` in the same order.
qsizetype keptInOrder(const QStringList& expected, const QStringList& got)
{
    QList<qsizetype> row(got.size() + 1, 0);
    for (const QString& word : expected) {
        qsizetype diagonal = 0;
        for (qsizetype j = 1; j <= got.size(); ++j) {
            const qsizetype above = row[j];
            row[j] = word == got.at(j - 1) ? diagonal + 1 : std::max(row[j], row[j - 1]);
            diagonal = above;
        }
    }
    return row.last();
}

// Paragraphs of right-to-left text with a number and a word of Latin
// letters inside, as LibreOffice's flat document format.
QByteArray flatDocument(const QStringList& paragraphs, const QByteArray& language)
{
    QByteArray body;
    for (const QString& paragraph : paragraphs)
        body +=
            "<text:p text:style-name=\"P1\">" + paragraph.toHtmlEscaped().toUtf8() + "</text:p>\n";
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
<office:automatic-styles><style:style style:name="P1" style:family="paragraph">
<style:paragraph-properties style:writing-mode="rl-tb"/>
<style:text-properties style:language-complex=")" +
           language + R"("/></style:style></office:automatic-styles>
<office:body><office:text>
)" + body + "</office:text></office:body></office:document>\n";
}

const QStringList hebrew = {
    u"שלום עולם, זהו מסמך בדיקה בעברית עם כמה מילים נוספות."_s,
    u"הטקסט נכתב מימין לשמאל ויש בו גם מספרים כמו 2024 ו-15."_s,
    u"בפסקה השלישית יש מילה באנגלית Flingdial באמצע המשפט."_s,
    u"ספרים רבים נקראים בשקט בספרייה הגדולה של העיר."_s,
};
const QStringList arabic = {
    u"مرحبا بالعالم، هذا مستند اختبار باللغة العربية مع بعض الكلمات الإضافية."_s,
    u"يكتب النص من اليمين إلى اليسار وفيه أرقام مثل 2024 و 15."_s,
    u"في الفقرة الثالثة كلمة إنجليزية Flingdial في وسط الجملة."_s,
    u"تقرأ كتب كثيرة بهدوء في مكتبة المدينة الكبيرة."_s,
};

// A JPEG of a noisy picture: progressive or not, grey or colour, and turned
// by its EXIF orientation (6: a quarter clockwise) when `orientation` isn't 1.
QByteArray jpeg(int width, int height, bool progressive, bool grey, int orientation = 1)
{
    QImage picture(width, height, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y,
                             grey ? (x * 7 + y * 3) % 256 : qRgb(x % 256, (x ^ y) % 256, y % 256));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setProgressiveScanWrite(progressive);
    writer.write(picture);
    QByteArray bytes = buffer.data();
    if (orientation != 1) {
        // APP1 "Exif": a big-endian TIFF header and one entry, Orientation.
        const char exif[] = {'\xff', '\xe1', 0, 34, 'E', 'x', 'i', 'f', 0, 0,
                             'M',    'M',    0, 42, 0,   0,   0,   8,   0, 1,
                             1,      18,     0, 3,  0,   0,   0,   1,   0, char(orientation),
                             0,      0,      0, 0,  0,   0};
        bytes.insert(2, QByteArray(exif, sizeof exif));
    }
    return bytes;
}
} // namespace

class TestPdfConverter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void pageRanges_data();
    void pageRanges();
    void mergeKeepsOrderAndForms();
    void splitNamesEveryPage();
    void rotationAddsAQuarter();
    void inheritedAttributesSurvive_data();
    void inheritedAttributesSurvive();
    void extractAndRemove();
    void pageImages();
    void textSurvives_data();
    void textSurvives();
    void rightToLeftText_data();
    void rightToLeftText();
    void damagedPageCount();
    void jpegGoesInAsItIs_data();
    void jpegGoesInAsItIs();
    void lockedAndBrokenFilesFail_data();
    void lockedAndBrokenFilesFail();
    void compress_data();
    void compress();
    void longDocumentsSplit();
    void hangingPagesAreStopped();

private:
    QString pdf(const QString& name, const QStringList& words, bool form = false,
                const QList<int>& rotate = {});

    QString rightToLeftPdf(const QString& language, const QString& writer);

    QTemporaryDir m_config;
    QTemporaryDir m_made; // PDFs made once for several tests
    std::unique_ptr<ScopedEnv> m_configHome;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<NameReservations::Scope> m_names;
};

void TestPdfConverter::initTestCase()
{
    if (QStandardPaths::findExecutable(u"qpdf"_s).isEmpty())
        QSKIP("qpdf (the command) is not installed");
    m_configHome = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    Settings::shared().registerDefaults();
}

void TestPdfConverter::init()
{
    m_names.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    m_names = std::make_unique<NameReservations::Scope>();
}

QString TestPdfConverter::pdf(const QString& name, const QStringList& words, bool form,
                              const QList<int>& rotate)
{
    const QString raw =
        TestSupport::writeFile(m_dir->filePath(u"raw-"_s + name), handMadePdf(words, form, rotate));
    return repairedCopy(raw, m_dir->filePath(name));
}

void TestPdfConverter::pageRanges_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("pages");
    QTest::newRow("list and range") << u"1-3, 5"_s << 10 << u"0,1,2,4"_s;
    QTest::newRow("en dash with spaces") << u"2 – 4"_s << 10 << u"1,2,3"_s;
    QTest::newRow("open end") << u"3-"_s << 10 << u"2"_s;
    QTest::newRow("past the end") << u"9-12"_s << 3 << u""_s;
    QTest::newRow("huge range on a short file") << u"1-2000000000"_s << 3 << u"0,1,2"_s;
    QTest::newRow("repeats and order") << u"3,1,,1, 2 ,"_s << 5 << u"0,1,2"_s;
    QTest::newRow("plus sign") << u"+2"_s << 5 << u"1"_s;
    QTest::newRow("backwards") << u"5-3"_s << 10 << u"“5-3” isn’t a valid page range."_s;
    QTest::newRow("zero") << u"0"_s << 10 << u"“0” isn’t a valid page range."_s;
    QTest::newRow("three parts") << u"1-2-3"_s << 10 << u"“1-2-3” isn’t a valid page range."_s;
    QTest::newRow("letter") << u" a "_s << 10 << u"“a” isn’t a valid page range."_s;
    QTest::newRow("spaces only") << u"2, \t "_s << 10 << u"“” isn’t a valid page range."_s;
    QTest::newRow("25 digits") << u"1234567890123456789012345"_s << 10
                               << u"“1234567890123456789012345” isn’t a valid page range."_s;
}

void TestPdfConverter::pageRanges()
{
    QFETCH(QString, text);
    QFETCH(int, count);
    QFETCH(QString, pages);
    QString got;
    try {
        QStringList list;
        for (int page : PdfConverter::pages(text, count))
            list.append(QString::number(page));
        got = list.join(u',');
    } catch (const Fail& failure) {
        got = failure.message();
    }
    QCOMPARE(got, pages);
}

void TestPdfConverter::mergeKeepsOrderAndForms()
{
    const QString first = pdf(u"first.pdf"_s, {u"One"_s, u"Two"_s}, true);
    const QString second = pdf(u"second.pdf"_s, {u"Three"_s});
    const QString third = pdf(u"third.pdf"_s, {u"Four"_s, u"Five"_s});
    const QString merged = PdfConverter::tools().at(1).perform({first, second, third}).first();
    QCOMPARE(QFileInfo(merged).fileName(), u"first merged.pdf"_s);
    QCOMPARE(pageCount(merged), 5);
    QCOMPARE(run(u"pdftotext"_s, {merged, u"-"_s}).simplified(), u"One Two Three Four Five"_s);
    QVERIFY(
        run(u"qpdf"_s, {u"--json"_s, u"--json-key=acroform"_s, merged}).contains(u"\"name\""_s));
    QCOMPARE(TestSupport::failureOf([&] { PdfConverter::tools().at(1).perform({first}); }),
             u"Drag two or more PDFs to merge them."_s);
}

void TestPdfConverter::splitNamesEveryPage()
{
    const QString source = pdf(u"deck.pdf"_s, {u"A"_s, u"B"_s, u"C"_s}, true);
    const QString folder = PdfConverter::tools().at(2).perform({source}).first();
    QCOMPARE(QFileInfo(folder).fileName(), u"deck split"_s);
    QCOMPARE(QDir(folder).entryList(QDir::Files),
             QStringList({u"deck 001.pdf"_s, u"deck 002.pdf"_s, u"deck 003.pdf"_s}));
    QCOMPARE(run(u"pdftotext"_s, {folder + u"/deck 002.pdf"_s, u"-"_s}).trimmed(), u"B"_s);
}

void TestPdfConverter::rotationAddsAQuarter()
{
    // Own 0, inherited 90, -90 and 450.
    const QString source =
        pdf(u"turn.pdf"_s, {u"a"_s, u"b"_s, u"c"_s, u"d"_s}, false, {0, -1000, -90, 450});
    QCOMPARE(rotations(source), QList<int>({0, 90, 270, 90}));
    const QString rotated = PdfConverter::tools().at(3).perform({source}).first();
    QCOMPARE(QFileInfo(rotated).fileName(), u"turn rotated.pdf"_s);
    QCOMPARE(rotations(rotated), QList<int>({90, 180, 0, 180}));
}

void TestPdfConverter::inheritedAttributesSurvive_data()
{
    QTest::addColumn<QByteArray>("root");
    QTest::addColumn<QByteArray>("middle");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QList<int>>("rotations");
    const QByteArray boxes = "/MediaBox [0 0 300 400] /CropBox [10 10 290 390]";
    QTest::newRow("own 90") << boxes << QByteArray() << QByteArray("/Rotate 90")
                            << QList<int>{90, 0};
    QTest::newRow("root 180") << "/Rotate 180 " + boxes << QByteArray() << QByteArray()
                              << QList<int>{180, 180};
    QTest::newRow("middle 270") << QByteArray() << "/Rotate 270 " + boxes << QByteArray()
                                << QList<int>{270, 270};
    QTest::newRow("own over inherited") << QByteArray("/Rotate 90") << "/Rotate 180 " + boxes
                                        << QByteArray("/Rotate 0") << QList<int>{0, 180};
    QTest::newRow("root -90") << "/Rotate -90 " + boxes << QByteArray() << QByteArray()
                              << QList<int>{270, 270};
    QTest::newRow("middle 450") << boxes << QByteArray("/Rotate 450") << QByteArray()
                                << QList<int>{90, 90};
    QTest::newRow("45 draws upright")
        << boxes << QByteArray("/Rotate 180") << QByteArray("/Rotate 45") << QList<int>{0, 180};
    QTest::newRow("real 90.0") << boxes << QByteArray("/Rotate 90.0") << QByteArray()
                               << QList<int>{90, 90};
    QTest::newRow("by reference") << "/Rotate 9 0 R " + boxes << QByteArray() << QByteArray()
                                  << QList<int>{270, 270};
}

void TestPdfConverter::inheritedAttributesSurvive()
{
    QFETCH(QByteArray, root);
    QFETCH(QByteArray, middle);
    QFETCH(QByteArray, first);
    QFETCH(QList<int>, rotations);
    const QString raw = TestSupport::writeFile(m_dir->filePath(u"raw.pdf"_s),
                                               treePdf(root, middle, first, QByteArray()));
    const QString source = repairedCopy(raw, m_dir->filePath(u"tree.pdf"_s));
    // Every page as it should look, whatever the tool did to the tree.
    QStringList pages;
    for (int i = 0; i < 2; ++i)
        pages.append(u"%1 [0.00 0.00 300.00 400.00] [10.00 10.00 290.00 390.00] page%2"_s
                         .arg(rotations.at(i))
                         .arg(i + 1));
    const QString folder = PdfConverter::tools().at(2).perform({source}).first();
    QCOMPARE(pagesSeen(folder + u"/tree 001.pdf"_s) + pagesSeen(folder + u"/tree 002.pdf"_s),
             pages);
    const QString merged = PdfConverter::tools().at(1).perform({source, source}).first();
    QCOMPARE(pagesSeen(merged), pages + pages);
    QCOMPARE(pagesSeen(PdfConverter::keepPages(source, u"2"_s, true)), pages.mid(1));
    QCOMPARE(pagesSeen(PdfConverter::keepPages(source, u"2"_s, false)), pages.mid(0, 1));
    QStringList turned;
    for (int i = 0; i < 2; ++i)
        turned.append(QString(pages.at(i))
                          .replace(0, pages.at(i).indexOf(u' '),
                                   QString::number((rotations.at(i) + 90) % 360)));
    QCOMPARE(pagesSeen(PdfConverter::tools().at(3).perform({source}).first()), turned);
}

void TestPdfConverter::extractAndRemove()
{
    const QString source = pdf(u"report.pdf"_s, {u"p1"_s, u"p2"_s, u"p3"_s, u"p4"_s, u"p5"_s});
    const QString kept = PdfConverter::keepPages(source, u"1-3, 5"_s, true);
    QCOMPARE(QFileInfo(kept).fileName(), u"report extracted.pdf"_s);
    QCOMPARE(run(u"pdftotext"_s, {kept, u"-"_s}).simplified(), u"p1 p2 p3 p5"_s);
    const QString edited = PdfConverter::keepPages(source, u"2"_s, false);
    QCOMPARE(QFileInfo(edited).fileName(), u"report edited.pdf"_s);
    QCOMPARE(run(u"pdftotext"_s, {edited, u"-"_s}).simplified(), u"p1 p3 p4 p5"_s);
    for (const auto& [spec, keep] : {std::pair{u"9-12"_s, true}, std::pair{u"1-5"_s, false}})
        QCOMPARE(TestSupport::failureOf([&] { PdfConverter::keepPages(source, spec, keep); }),
                 u"No pages would be left."_s);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 3);
}

void TestPdfConverter::pageImages()
{
    const QString five =
        pdf(u"five.pdf"_s, {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s}, false, {0, 0, -1000});
    const QString folder = PdfConverter::convert(five, u"png"_s).first();
    QCOMPARE(QFileInfo(folder).fileName(), u"five pages"_s);
    QCOMPARE(QDir(folder).entryList(QDir::Files),
             QStringList({u"five 001.png"_s, u"five 002.png"_s, u"five 003.png"_s,
                          u"five 004.png"_s, u"five 005.png"_s}));
    // A US Letter page at 2 pixels per point; the third one lies on its side.
    QCOMPARE(QImage(folder + u"/five 001.png"_s).size(), QSize(1224, 1584));
    QCOMPARE(QImage(folder + u"/five 003.png"_s).size(), QSize(1584, 1224));

    const QString one = pdf(u"one.pdf"_s, {u"single"_s}, false, {0});
    const QStringList image = PdfConverter::convert(one, u"jpg"_s);
    QCOMPARE(QFileInfo(image.first()).fileName(), u"one.jpg"_s);
    QCOMPARE(QImage(image.first()).size(), QSize(1224, 1584));
}

void TestPdfConverter::textSurvives_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("TXT") << u"txt"_s;
    QTest::newRow("DOCX") << u"docx"_s;
    QTest::newRow("MD") << u"md"_s;
}

void TestPdfConverter::textSurvives()
{
    QFETCH(QString, target);
    // Through the program, which loads the document engine.
    const QString source = pdf(u"paper.pdf"_s, {u"Introduction"_s, u"Conclusion"_s});
    const auto environment = TestSupport::isolatedEnvironment(m_config.path());
    const auto made = runFlingdial({u"--run"_s, u"convert"_s, target, source}, environment);
    QCOMPARE(made.status, 0);
    QString text = QString::fromUtf8(TestSupport::readFile(made.out.trimmed()));
    if (target == u"docx") {
        const auto back =
            runFlingdial({u"--run"_s, u"convert"_s, u"txt"_s, made.out.trimmed()}, environment);
        text = QString::fromUtf8(TestSupport::readFile(back.out.trimmed()));
    }
    QVERIFY2(text.contains(u"Introduction"_s) && text.contains(u"Conclusion"_s), qPrintable(text));
    if (target == u"md")
        QVERIFY2(text.startsWith(u"Introduction"_s) || text.startsWith(u"# Introduction"_s),
                 qPrintable(text));
}

QString TestPdfConverter::rightToLeftPdf(const QString& language, const QString& writer)
{
    const QString pdf = m_made.filePath(language + u"-"_s + writer + u".pdf"_s);
    if (QFileInfo::exists(pdf))
        return pdf;
    const QStringList& paragraphs = language == u"he" ? hebrew : arabic;
    const QString stem = m_made.filePath(language + u"-"_s + writer);
    if (writer == u"libreoffice") {
        const QString soffice = QStandardPaths::findExecutable(u"soffice"_s);
        if (soffice.isEmpty())
            return {};
        const QString flat = TestSupport::writeFile(stem + u".fodt"_s,
                                                    flatDocument(paragraphs, language.toLatin1()));
        Shell::run(soffice, {u"-env:UserInstallation=file://"_s + m_config.filePath(u"lo"_s),
                             u"--headless"_s, u"--convert-to"_s, u"pdf"_s, u"--outdir"_s,
                             m_made.path(), flat});
    } else {
        // The program's own writer sets text in CID fonts (Identity-H with
        // a ToUnicode map).
        const QString text =
            TestSupport::writeFile(stem + u".txt"_s, paragraphs.join(u'\n').toUtf8());
        const auto made = runFlingdial({u"--run"_s, u"convert"_s, u"pdf"_s, text},
                                       TestSupport::isolatedEnvironment(m_config.path()));
        if (made.status != 0)
            qWarning("%s", qPrintable(made.err));
    }
    return pdf;
}

void TestPdfConverter::rightToLeftText_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QString>("target");
    for (const QString& language : {u"he"_s, u"ar"_s})
        for (const QString& writer : {u"libreoffice"_s, u"identity-h"_s})
            for (const QString& target : {u"txt"_s, u"docx"_s, u"md"_s})
                QTest::addRow("%s, %s, %s", qPrintable(language), qPrintable(writer),
                              qPrintable(target))
                    << language << writer << target;
}

void TestPdfConverter::rightToLeftText()
{
    QFETCH(QString, language);
    QFETCH(QString, writer);
    QFETCH(QString, target);
    const QString pdf = rightToLeftPdf(language, writer);
    if (pdf.isEmpty())
        QSKIP("LibreOffice (soffice) is not installed");
    QVERIFY2(QFileInfo::exists(pdf), qPrintable(pdf));
    if (writer == u"identity-h")
        QVERIFY(run(u"pdffonts"_s, {pdf}).contains(u"Identity-H"_s));
    const QStringList expected = wordsOf(run(u"pdftotext"_s, {pdf, u"-"_s}));
    // pdftotext reads the words in logical order: the first word comes first.
    QCOMPARE(expected.value(0), wordsOf((language == u"he" ? hebrew : arabic).first()).first());

    QFile::copy(pdf, m_dir->filePath(u"text.pdf"_s));
    const auto environment = TestSupport::isolatedEnvironment(m_config.path());
    auto made = runFlingdial({u"--run"_s, u"convert"_s, target, m_dir->filePath(u"text.pdf"_s)},
                             environment);
    QCOMPARE(made.status, 0);
    if (target == u"docx")
        made = runFlingdial({u"--run"_s, u"convert"_s, u"txt"_s, made.out.trimmed()}, environment);
    const QStringList got = wordsOf(QString::fromUtf8(TestSupport::readFile(made.out.trimmed())));
    const qsizetype kept = keptInOrder(expected, got);
    QVERIFY2(kept * 100 >= expected.size() * 95,
             qPrintable(u"%1 of %2 words in order:\n%3\n%4"_s.arg(kept)
                            .arg(expected.size())
                            .arg(expected.join(u' '), got.join(u' '))));
}

void TestPdfConverter::damagedPageCount()
{
    // The root of the page tree says -2147483648 pages; poppler believes it.
    QByteArray raw = handMadePdf({u"Hello"_s}, false);
    raw.replace("/Count 1", "/Count -2147483648");
    const QString source = TestSupport::writeFile(m_dir->filePath(u"count.pdf"_s), raw);
    const QString image = PdfConverter::convert(source, u"png"_s).first();
    QCOMPARE(QFileInfo(image).fileName(), u"count.png"_s);
    QVERIFY(!QImage(image).isNull());
    const QString text = PdfConverter::convert(source, u"txt"_s).first();
    QCOMPARE(QString::fromUtf8(TestSupport::readFile(text)).trimmed(), u"Hello"_s);
    // What the tools write has the right count.
    QCOMPARE(pageCount(PdfConverter::tools().at(3).perform({source}).first()), 1);
    QVERIFY(run(u"pdfinfo"_s, {m_dir->filePath(u"count rotated.pdf"_s)})
                .contains(QRegularExpression(u"Pages: +1\\n"_s)));
    // No pages at all: nothing to draw or read, and nothing poppler is asked.
    QByteArray none = handMadePdf({u"Hello"_s}, false);
    none.replace("/Kids [4 0 R ]", "/Kids []").replace("/Count 1", "/Count 0");
    const QString empty = TestSupport::writeFile(m_dir->filePath(u"none.pdf"_s), none);
    QCOMPARE(TestSupport::namesIn(PdfConverter::convert(empty, u"png"_s).first()), QStringList());
    QCOMPARE(TestSupport::readFile(PdfConverter::convert(empty, u"txt"_s).first()), QByteArray());
    // Where poppler can't count the pages, one sentence says so.
    const QString out = m_dir->filePath(u"out.txt"_s);
    PageHelper helper(PdfPagesProtocol::Mode::text, {source, out}, u"count.pdf"_s);
    QCOMPARE(TestSupport::failureOf([&] { helper.finish(); }),
             u"count.pdf is damaged: its page count can’t be read."_s);
    QVERIFY(!QFileInfo::exists(out));
}

void TestPdfConverter::jpegGoesInAsItIs_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("orientation");
    QTest::newRow("Merge into PDF") << u"merge into pdf"_s << 1;
    QTest::newRow("image to PDF") << u"pdf"_s << 1;
    QTest::newRow("Merge into PDF, turned by EXIF") << u"merge into pdf"_s << 6;
    QTest::newRow("image to PDF, turned by EXIF") << u"pdf"_s << 6;
}

void TestPdfConverter::jpegGoesInAsItIs()
{
    QFETCH(QString, label);
    QFETCH(int, orientation);
    if (QStandardPaths::findExecutable(u"pdfimages"_s).isEmpty())
        QSKIP("pdfimages (poppler-utils) is not installed");
    const QList<QByteArray> pictures = {jpeg(300, 200, false, false, orientation),
                                        jpeg(240, 160, true, false), jpeg(200, 100, false, true)};
    QStringList files;
    for (qsizetype i = 0; i < pictures.size(); ++i)
        files.append(
            TestSupport::writeFile(m_dir->filePath(u"photo%1.jpg"_s.arg(i)), pictures.at(i)));
    const bool merging = label.startsWith(u"merge"_s);
    const auto made =
        runFlingdial(QStringList{u"--run"_s, merging ? u"tools"_s : u"convert"_s, label} +
                         (merging ? files : files.mid(0, 1)),
                     TestSupport::isolatedEnvironment(m_config.path()));
    QCOMPARE(made.status, 0);
    const QString pdf = made.out.trimmed();
    run(u"pdfimages"_s, {u"-all"_s, pdf, m_dir->filePath(u"image"_s)});
    for (qsizetype i = 0; i < (merging ? pictures.size() : 1); ++i) {
        const QByteArray inside =
            TestSupport::readFile(m_dir->filePath(u"image-%1.jpg"_s.arg(i, 3, 10, QChar(u'0'))));
        // A picture drawn turned is turned upright first.
        QCOMPARE(inside == pictures.at(i), i > 0 || orientation == 1);
    }
    const QRegularExpression size(u"Page size: +(\\d+) x (\\d+) pts"_s);
    const auto match = size.match(run(u"pdfinfo"_s, {pdf}));
    QCOMPARE(match.captured(1) + u'x' + match.captured(2),
             orientation == 1 ? u"300x200"_s : u"200x300"_s);
}

void TestPdfConverter::lockedAndBrokenFilesFail_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("user password") << u"locked"_s;
    QTest::newRow("not a PDF") << u"broken"_s;
}

void TestPdfConverter::lockedAndBrokenFilesFail()
{
    QFETCH(QString, kind);
    QString source;
    QString message;
    if (kind == u"locked") {
        const QString plain = pdf(u"plain.pdf"_s, {u"secret"_s});
        source = m_dir->filePath(u"locked.pdf"_s);
        QProcess::execute(
            QStandardPaths::findExecutable(u"qpdf"_s),
            {u"--encrypt"_s, u"user"_s, u"owner"_s, u"256"_s, u"--"_s, plain, source});
        QFile::remove(plain);
        message = u"locked.pdf is password protected."_s;
    } else {
        source = TestSupport::writeFile(m_dir->filePath(u"broken.pdf"_s), QByteArray(4000, 'z'));
        message = u"Can’t open broken.pdf."_s;
    }
    const QStringList before =
        QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const Operation& tool : PdfConverter::tools()) {
        if (tool.title.endsWith(u'…'))
            continue;
        QCOMPARE(TestSupport::failureOf([&] { tool.perform({source, source}); }), message);
    }
    for (const QString& target : {u"png"_s, u"txt"_s})
        QCOMPARE(TestSupport::failureOf([&] { PdfConverter::convert(source, target); }), message);
    QCOMPARE(TestSupport::failureOf([&] { PdfConverter::keepPages(source, u"1"_s, true); }),
             message);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             before);
}

void TestPdfConverter::compress_data()
{
    QTest::addColumn<bool>("ghostscript");
    QTest::addColumn<QString>("name");
    QTest::newRow("Ghostscript, odd name") << true << u"50%d off.pdf"_s;
    QTest::newRow("Ghostscript, percent") << true << u"100% sure.pdf"_s;
    QTest::newRow("built-in engine") << false << u"-photos.pdf"_s;
}

void TestPdfConverter::compress()
{
    QFETCH(bool, ghostscript);
    QFETCH(QString, name);
    if (ghostscript && QStandardPaths::findExecutable(u"gs"_s).isEmpty())
        QSKIP("Ghostscript (gs) is not installed");
    // A photo-heavy PDF: noisy pictures, one per page, made by the program.
    QStringList pictures;
    for (int i = 0; i < 3; ++i) {
        QImage picture(1600, 1200, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(
                    x, y, qRgb((x * 7 + y) % 256, (y * 3 + i * 40) % 256, ((x ^ y) * 13) % 256));
        const QString path = m_dir->filePath(u"photo%1.png"_s.arg(i));
        picture.save(path);
        pictures.append(path);
    }
    auto environment = TestSupport::isolatedEnvironment(m_config.path());
    const auto merged = runFlingdial(
        QStringList{u"--run"_s, u"tools"_s, u"merge into pdf"_s} + pictures, environment);
    QCOMPARE(merged.status, 0);
    const QString source = m_dir->filePath(name);
    QFile::rename(merged.out.trimmed(), source);
    if (!ghostscript)
        environment.insert(u"FLINGDIAL_TOOL_DIRS"_s, m_dir->filePath(u"none"_s));
    const auto result = runFlingdial({u"--run"_s, u"tools"_s, u"compress"_s, source}, environment);
    QCOMPARE(result.status, 0);
    const QString made = result.out.trimmed();
    QVERIFY2(QFileInfo::exists(made), qPrintable(result.out + result.err));
    QCOMPARE(QFileInfo(made).fileName(),
             QFileInfo(source).completeBaseName() + u" compressed.pdf"_s);
    QVERIFY2(QFileInfo(made).size() < QFileInfo(source).size() * 8 / 10,
             qPrintable(u"%1 → %2"_s.arg(QFileInfo(source).size()).arg(QFileInfo(made).size())));
    QCOMPARE(pageCount(made), 3);

    // Text alone can't get smaller: nothing is written.
    const QString text = pdf(u"words.pdf"_s, {u"Only"_s, u"words"_s}, true);
    const auto again = runFlingdial({u"--run"_s, u"tools"_s, u"compress"_s, text}, environment);
    if (again.status == 0) {
        QVERIFY(QFileInfo(again.out.trimmed()).size() < QFileInfo(text).size());
        QVERIFY(run(u"qpdf"_s, {u"--json"_s, u"--json-key=acroform"_s, again.out.trimmed()})
                    .contains(u"\"name\""_s));
        QCOMPARE(run(u"pdftotext"_s, {again.out.trimmed(), u"-"_s}).simplified(), u"Only words"_s);
    } else {
        QVERIFY2(again.err.contains(u"words.pdf is already as small as it gets."_s),
                 qPrintable(again.err));
    }
}

void TestPdfConverter::longDocumentsSplit()
{
    QStringList words;
    for (int i = 0; i < 2000; ++i)
        words.append(u"w%1"_s.arg(i));
    const QString source = pdf(u"long.pdf"_s, words);
    const QString folder = PdfConverter::tools().at(2).perform({source}).first();
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 2000);
    QVERIFY(QFileInfo::exists(folder + u"/long 2000.pdf"_s));
}

void TestPdfConverter::hangingPagesAreStopped()
{
    // A stand-in for a renderer that never finishes a page.
    const QTemporaryDir modules;
    TestSupport::writeExecutable(modules.filePath(u"flingdial-pdf-pages"_s),
                                 "echo page 1\nexec sleep 60\n");
    const ScopedEnv helper("FLINGDIAL_MODULES_DIR", modules.path().toLocal8Bit());
    const ScopedEnv limit("FLINGDIAL_PDF_PAGE_TIMEOUT", "1");
    const QString source = pdf(u"slow.pdf"_s, {u"a"_s, u"b"_s});
    QCOMPARE(TestSupport::failureOf([&] { PdfConverter::convert(source, u"png"_s); }),
             u"A page of slow.pdf takes too long to draw."_s);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"slow.pdf"_s});
}

QTEST_GUILESS_MAIN(TestPdfConverter)
#include "tst_PdfConverter.moc"
