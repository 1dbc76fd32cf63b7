#include "base/Errors.h"
#include "catalog/Catalog.h"
#include "converters/ocr/Hocr.h"
#include "converters/ocr/OcrConverter.h"
#include "core/Deps.h"
#include "core/Job.h"
#include "core/NameReservations.h"
#include "core/Settings.h"
#include "core/Shell.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <thread>
#include <zlib.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

using TestSupport::runFlingdial;
using TestSupport::ScopedEnv;

namespace {

const QStringList texts = {
    u"The quarterly report describes how the harbour authority handled shipping traffic during "
    "the winter months. Several vessels were delayed by storms, and the pilots recorded every "
    "change of schedule in the logbook. Customs officers inspected containers carrying "
    "machinery, textiles and fresh produce."_s,
    u"In February the northern quay was closed for repairs, so cargo moved through the "
    "southern terminal instead. The committee recommends new cranes, better lighting along the "
    "piers and a training programme for young workers. Budget figures follow in the appendix."_s,
    u"Local residents complained about noise at night, especially near the railway sidings. "
    "The council agreed to measure sound levels every month and to publish the results. A "
    "public meeting will take place in the library on the first Monday of April."_s,
};

QString run(const QString& program, const QStringList& arguments)
{
    return Shell::run(QStandardPaths::findExecutable(program), arguments);
}

// The words of a text, lower case, without the punctuation around them.
QStringList wordsOf(const QString& text)
{
    QStringList words;
    static const QRegularExpression edges(u"^[^\\w]+|[^\\w]+$"_s,
                                          QRegularExpression::UseUnicodePropertiesOption);
    for (QString word : text.split(QRegularExpression(u"\\s+"_s), Qt::SkipEmptyParts)) {
        word = word.toLower().remove(edges);
        if (!word.isEmpty())
            words.append(word);
    }
    return words;
}

// The share of `expected`'s words (counted with repeats) found in `text`.
double wordsFound(const QStringList& expected, const QString& text)
{
    QHash<QString, int> available;
    for (const QString& word : wordsOf(text))
        ++available[word];
    int found = 0;
    for (const QString& word : expected)
        if (available.value(word) > 0) {
            --available[word];
            ++found;
        }
    return double(found) / std::max<qsizetype>(expected.size(), 1);
}

// A page of `text` as a 200 dpi scan: drawn by ImageMagick, turned a
// little, with grain, in grey. `sideways` stores it turned a quarter
// anticlockwise, for a page that shows it turned back.
QString scan(const QString& magick, const QString& text, double angle, const QString& out,
             bool sideways = false)
{
    const QString draw = u"-density 200 -size 1400x -background white -fill black -font "
                         "DejaVu-Serif -pointsize 12 CAPTION -gravity northwest -extent "
                         "1654x2339-127-200 -background white -rotate ANGLE -gravity center "
                         "-extent 1654x2339 -attenuate 0.4 +noise Gaussian -colorspace Gray "
                         "-depth 8"_s;
    QStringList arguments = draw.split(u' ');
    arguments.replace(arguments.indexOf(u"CAPTION"_s), u"caption:"_s + text);
    arguments.replace(arguments.indexOf(u"ANGLE"_s), QString::number(angle));
    if (sideways)
        arguments << u"-rotate"_s << u"-90"_s;
    Shell::run(magick, arguments << out);
    return out;
}

struct ScannedPage
{
    QByteArray data; // JPEG bytes, or raw grey samples
    bool jpeg = true;
    int width = 0;
    int height = 0;
    bool sideways = false; // stored landscape, shown turned a quarter clockwise
};

// A PDF of scanned pages at 200 dpi, as a scanner's software writes it:
// one picture filling each page, JPEG or Flate.
QByteArray scannedPdf(const QList<ScannedPage>& pages)
{
    QList<QByteArray> objects = {"<< /Type /Catalog /Pages 2 0 R >>", ""};
    QByteArray kids;
    for (const ScannedPage& page : pages) {
        const int first = int(objects.size()) + 1;
        const double w = page.width * 72.0 / 200;
        const double h = page.height * 72.0 / 200;
        const QByteArray data = page.jpeg ? page.data : qCompress(page.data, 9).mid(4);
        objects.append("<< /Type /XObject /Subtype /Image /Width " +
                       QByteArray::number(page.width) + " /Height " +
                       QByteArray::number(page.height) +
                       " /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter " +
                       (page.jpeg ? "/DCTDecode" : "/FlateDecode") + " /Length " +
                       QByteArray::number(data.size()) + " >>\nstream\n" + data + "\nendstream");
        const QByteArray content = "q " + QByteArray::number(w, 'f', 2) + " 0 0 " +
                                   QByteArray::number(h, 'f', 2) + " 0 0 cm /Im0 Do Q";
        objects.append("<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" +
                       content + "\nendstream");
        objects.append("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " +
                       QByteArray::number(w, 'f', 2) + ' ' + QByteArray::number(h, 'f', 2) + "] " +
                       (page.sideways ? "/Rotate 90 " : "") + "/Resources << /XObject << /Im0 " +
                       QByteArray::number(first) + " 0 R >> >> /Contents " +
                       QByteArray::number(first + 1) + " 0 R >>");
        kids += QByteArray::number(first + 2) + " 0 R ";
    }
    objects[1] =
        "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages.size()) + " >>";
    QByteArray pdf = "%PDF-1.5\n%\xe2\xe3\xcf\xd3\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets.append(pdf.size());
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects.at(i) + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    return pdf + "trailer << /Size " + QByteArray::number(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
}

// The samples of a binary PGM file.
ScannedPage greyPage(const QString& pgm)
{
    const QByteArray file = TestSupport::readFile(pgm);
    const QList<QByteArray> header = file.left(40).simplified().split(' ');
    ScannedPage page;
    page.jpeg = false;
    page.width = header.value(1).toInt();
    page.height = header.value(2).toInt();
    page.data = file.right(qsizetype(page.width) * page.height);
    return page;
}

ScannedPage jpegPage(const QString& jpeg, int width, int height, bool sideways = false)
{
    return {TestSupport::readFile(jpeg), true, width, height, sideways};
}

// Every file a command writes into a fresh folder, by name.
QMap<QString, QByteArray> filesWritten(const QString& program, const QStringList& arguments,
                                       const QString& folder)
{
    QDir().mkpath(folder);
    Shell::run(QStandardPaths::findExecutable(program), arguments);
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        files.insert(name, TestSupport::readFile(QDir(folder).filePath(name)));
    return files;
}

// The text pdftotext finds in the top left corner of a page as it shows.
QString topLeftText(const QString& pdf, int page)
{
    const QString number = QString::number(page);
    return run(u"pdftotext"_s, {u"-f"_s, number, u"-l"_s, number, u"-x"_s, u"0"_s, u"-y"_s, u"0"_s,
                                u"-W"_s, u"150"_s, u"-H"_s, u"130"_s, pdf, u"-"_s});
}

} // namespace

class TestOcrConverter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void scannedPdfBecomesSearchable();
    void picturesBecomeOnePdfInOrder();
    void pictureTextKeepsParagraphs();
    void turnedScansAreRead_data();
    void turnedScansAreRead();
    void desktopLanguageIsReadToo();
    void withoutTesseractSlicesCarryTheReason();
    void languagePackages_data();
    void languagePackages();
    void untrustedScans();
    void slowPagesAreStopped();
    void cancelLeavesNothing();
    void hocrReading_data();
    void hocrReading();
    void hocrTurns_data();
    void hocrTurns();

private:
    QString tesseractOrSkip();

    TestSupport::PrivateSettings m_settings;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<NameReservations::Scope> m_names;
    std::optional<QString> m_magick;
    QProcessEnvironment m_environment;
};

void TestOcrConverter::initTestCase()
{
    m_magick = Deps::imageMagick();
    m_environment = TestSupport::isolatedEnvironment(m_settings.configHome());
    m_environment.insert(u"LC_ALL"_s, u"en_US.UTF-8"_s);
}

void TestOcrConverter::init()
{
    m_names.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    m_names = std::make_unique<NameReservations::Scope>();
}

QString TestOcrConverter::tesseractOrSkip()
{
    if (!Deps::tesseract() || !Deps::ocrLanguages().contains(u"eng"_s))
        QTest::qSkip("tesseract with English (tesseract-ocr-eng) is not installed", __FILE__,
                     __LINE__);
    else if (!m_magick)
        QTest::qSkip("ImageMagick is not installed: it draws the scans", __FILE__, __LINE__);
    else if (QStandardPaths::findExecutable(u"pdftoppm"_s).isEmpty())
        QTest::qSkip("poppler-utils is not installed", __FILE__, __LINE__);
    else
        return *Deps::tesseract();
    return {};
}

void TestOcrConverter::scannedPdfBecomesSearchable()
{
    if (tesseractOrSkip().isEmpty())
        return;
    const QString folder = m_dir->path();
    // JPEG, Flate, and a JPEG stored sideways on a page turned to show it upright.
    scan(*m_magick, texts[0], 1.2, folder + u"/1.jpg"_s);
    scan(*m_magick, texts[1], -0.8, folder + u"/2.pgm"_s);
    scan(*m_magick, texts[2], 0.6, folder + u"/3.jpg"_s, true);
    const QString source = TestSupport::writeFile(
        folder + u"/contract.pdf"_s,
        scannedPdf({jpegPage(folder + u"/1.jpg"_s, 1654, 2339), greyPage(folder + u"/2.pgm"_s),
                    jpegPage(folder + u"/3.jpg"_s, 2339, 1654, true)}));
    QCOMPARE(run(u"pdftotext"_s, {source, u"-"_s}).trimmed(), QString());

    const auto result =
        runFlingdial({u"--run"_s, u"tools"_s, u"make searchable"_s, source}, m_environment);
    QCOMPARE(result.status, 0);
    const QString made = folder + u"/contract searchable.pdf"_s;
    QCOMPARE(result.out.trimmed(), made);

    // Found: at least 95 % of the words, on their own pages, where they show.
    for (int page = 1; page <= 3; ++page) {
        const QString text = run(u"pdftotext"_s, {u"-f"_s, QString::number(page), u"-l"_s,
                                                  QString::number(page), made, u"-"_s});
        const double share = wordsFound(wordsOf(texts[page - 1]), text);
        QVERIFY2(
            share >= 0.95,
            qPrintable(u"page %1: %2 % of the words\n%3"_s.arg(page).arg(share * 100).arg(text)));
        // Its first words where the page shows them, top left.
        const QString first = texts[page - 1].section(u' ', 0, 1);
        QVERIFY2(topLeftText(made, page).contains(first), qPrintable(first));
    }
    // Unchanged to the eye, and the pictures inside are the same bytes.
    const auto drawn = [&](const QString& pdf, const QString& into) {
        return filesWritten(u"pdftoppm"_s, {u"-r"_s, u"50"_s, u"-gray"_s, pdf, into + u"/p"_s},
                            into);
    };
    const auto before = drawn(source, folder + u"/before"_s);
    QCOMPARE(before.size(), 3);
    QVERIFY(before == drawn(made, folder + u"/after"_s));
    const auto images = [&](const QString& pdf, const QString& into) {
        return filesWritten(u"pdfimages"_s, {u"-all"_s, pdf, into + u"/i"_s}, into);
    };
    const auto original = images(source, folder + u"/original"_s);
    QCOMPARE(original.keys(), QStringList({u"i-000.jpg"_s, u"i-001.png"_s, u"i-002.jpg"_s}));
    QVERIFY(original == images(made, folder + u"/kept"_s));

    // Every page has text now: refused, and nothing written.
    const QStringList names = TestSupport::namesIn(folder);
    const auto again =
        runFlingdial({u"--run"_s, u"tools"_s, u"make searchable"_s, made}, m_environment);
    QCOMPARE(again.status, 1);
    QVERIFY2(
        again.err.trimmed().endsWith(u"\nerror: contract searchable.pdf already has text."_s) ||
            again.err.trimmed() == u"error: contract searchable.pdf already has text."_s,
        qPrintable(again.err));
    QCOMPARE(TestSupport::namesIn(folder), names);

    // A page with text is left as it is, the scanned one beside it is read.
    const QString mixed = folder + u"/mixed.pdf"_s;
    run(u"qpdf"_s, {u"--empty"_s, u"--pages"_s, made, u"1"_s, source, u"2"_s, u"--"_s, mixed});
    const QString both = OcrConverter::searchable(mixed);
    const auto pageText = [&](const QString& pdf, int page) {
        const QString number = QString::number(page);
        return run(u"pdftotext"_s, {u"-f"_s, number, u"-l"_s, number, pdf, u"-"_s});
    };
    QCOMPARE(pageText(both, 1), pageText(made, 1));
    QVERIFY(wordsFound(wordsOf(texts[1]), pageText(both, 2)) >= 0.95);
}

void TestOcrConverter::picturesBecomeOnePdfInOrder()
{
    if (tesseractOrSkip().isEmpty())
        return;
    const QString second = scan(*m_magick, texts[1], 0.7, m_dir->filePath(u"b.png"_s));
    const QString first = scan(*m_magick, texts[0], -0.5, m_dir->filePath(u"a.png"_s));
    const auto result = runFlingdial(
        {u"--run"_s, u"tools"_s, u"make searchable pdf"_s, second, first}, m_environment);
    QCOMPARE(result.status, 0);
    const QString made = m_dir->filePath(u"b.pdf"_s);
    QCOMPARE(result.out.trimmed(), made);
    QCOMPARE(run(u"qpdf"_s, {u"--show-npages"_s, made}).trimmed(), u"2"_s);
    // In the order dropped: b first.
    for (int page = 1; page <= 2; ++page) {
        const QString text = run(u"pdftotext"_s, {u"-f"_s, QString::number(page), u"-l"_s,
                                                  QString::number(page), made, u"-"_s});
        QVERIFY2(wordsFound(wordsOf(texts[2 - page]), text) >= 0.95, qPrintable(text));
    }
}

void TestOcrConverter::pictureTextKeepsParagraphs()
{
    if (tesseractOrSkip().isEmpty())
        return;
    const QString picture =
        scan(*m_magick, texts[0] + u"\n\n"_s + texts[2], 0.9, m_dir->filePath(u"letter.jpg"_s));
    const auto result =
        runFlingdial({u"--run"_s, u"tools"_s, u"extract text"_s, picture}, m_environment);
    QCOMPARE(result.status, 0);
    const QString made = m_dir->filePath(u"letter.txt"_s);
    QCOMPARE(result.out.trimmed(), made);
    const QString text = QString::fromUtf8(TestSupport::readFile(made));
    QVERIFY2(wordsFound(wordsOf(texts[0] + u' ' + texts[2]), text) >= 0.95, qPrintable(text));
    // Two paragraphs, each on a line of its own.
    const QStringList paragraphs = text.trimmed().split(u"\n\n"_s);
    QCOMPARE(paragraphs.size(), 2);
    QVERIFY(!paragraphs.first().contains(u'\n'));
    QVERIFY(paragraphs.first().startsWith(u"The quarterly"_s));
    QVERIFY(paragraphs.last().startsWith(u"Local residents"_s));
}

void TestOcrConverter::turnedScansAreRead_data()
{
    QTest::addColumn<int>("turn"); // degrees clockwise
    // Where the second word shows on the page: on the right, at the bottom.
    QTest::addColumn<bool>("right");
    QTest::addColumn<bool>("bottom");
    QTest::newRow("upside down") << 180 << true << true;
    QTest::newRow("a quarter clockwise") << 90 << true << false;
    QTest::newRow("a quarter anticlockwise") << 270 << false << true;
}

void TestOcrConverter::turnedScansAreRead()
{
    QFETCH(int, turn);
    if (tesseractOrSkip().isEmpty())
        return;
    // A page fed into the scanner the wrong way round.
    const QString picture = scan(*m_magick, texts[1], 0.7, m_dir->filePath(u"turned.png"_s));
    Shell::run(*m_magick, {picture, u"-rotate"_s, QString::number(turn), picture});
    const auto result =
        runFlingdial({u"--run"_s, u"tools"_s, u"extract text"_s, picture}, m_environment);
    QCOMPARE(result.status, 0);
    const QString text = QString::fromUtf8(TestSupport::readFile(m_dir->filePath(u"turned.txt"_s)));
    QVERIFY2(wordsFound(wordsOf(texts[1]), text) >= 0.95, qPrintable(text));
    QVERIFY2(text.startsWith(u"In February"_s), qPrintable(text));

    // The PDF's text layer turned as the words show: read in order, and
    // found where they are.
    const QString pdf = OcrConverter::searchablePdf({picture});
    const QString layout =
        run(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s}).simplified().replace(u"- "_s, u"-"_s);
    const QString opening = texts[1].section(u' ', 0, 11);
    QVERIFY2(layout.contains(opening), qPrintable(layout));
    const QString boxes = run(u"pdftotext"_s, {u"-bbox"_s, pdf, u"-"_s});
    const QString info = run(u"pdfinfo"_s, {pdf});
    const QRegularExpressionMatch size =
        QRegularExpression(u"Page size: +([\\d.]+) x ([\\d.]+)"_s).match(info);
    const QRegularExpressionMatch word =
        QRegularExpression(u"xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                           "yMax=\"([\\d.]+)\">February<"_s)
            .match(boxes);
    QVERIFY(size.hasMatch() && word.hasMatch());
    const double x = (word.captured(1).toDouble() + word.captured(3).toDouble()) / 2;
    const double y = (word.captured(2).toDouble() + word.captured(4).toDouble()) / 2;
    QFETCH(bool, right);
    QFETCH(bool, bottom);
    QCOMPARE(x > size.captured(1).toDouble() / 2, right);
    QCOMPARE(y > size.captured(2).toDouble() / 2, bottom);
}

void TestOcrConverter::desktopLanguageIsReadToo()
{
    if (tesseractOrSkip().isEmpty())
        return;
    if (!Deps::ocrLanguages().contains(u"deu"_s))
        QSKIP("German for tesseract (tesseract-ocr-deu) is not installed");
    const QString german = u"Die Straßenbahn fährt über die Brücke. Größere Fahrzeuge müssen "
                           "außen warten, während Fußgänger die Übergänge benutzen."_s;
    const QString picture = scan(*m_magick, german, 0.4, m_dir->filePath(u"brief.png"_s));
    QProcessEnvironment environment = m_environment;
    environment.insert(u"LC_ALL"_s, u"de_DE.UTF-8"_s);
    const auto result =
        runFlingdial({u"--run"_s, u"tools"_s, u"extract text"_s, picture}, environment);
    QCOMPARE(result.status, 0);
    const QString text = QString::fromUtf8(TestSupport::readFile(m_dir->filePath(u"brief.txt"_s)));
    // Read with German, words with ß and umlauts come out whole.
    QVERIFY2(wordsFound(wordsOf(german), text) >= 0.95, qPrintable(text));
    QCOMPARE(Deps::defaultOcrLanguages(QLocale(u"de_DE"_s)), u"deu+eng"_s);
    QCOMPARE(Deps::defaultOcrLanguages(QLocale(u"en_GB"_s)), u"eng"_s);
}

void TestOcrConverter::withoutTesseractSlicesCarryTheReason()
{
    const QTemporaryDir tools;
    const ScopedEnv hidden("FLINGDIAL_TOOL_DIRS", tools.path().toLocal8Bit());
    const ScopedEnv noLanguages("TESSDATA_PREFIX", tools.path().toLocal8Bit());
    const QString pdf = TestSupport::writeFile(m_dir->filePath(u"a.pdf"_s), "%PDF-1.4\n");
    const QString png = TestSupport::writeFile(m_dir->filePath(u"a.png"_s));
    const QString reason = u"Text recognition needs Tesseract.\nInstall it with:  "
                           "sudo apt install tesseract-ocr"_s;
    QMap<QString, std::optional<QString>> found;
    for (const Operation& operation : Catalog::tools({pdf}) + Catalog::tools({png}))
        found.insert(operation.title,
                     operation.missing ? std::optional(operation.missing->text()) : std::nullopt);
    for (const QString& title :
         {u"Make Searchable"_s, u"Make Searchable PDF"_s, u"Extract Text"_s}) {
        QVERIFY2(found.contains(title), qPrintable(title));
        // Followed by the package of the desktop's language, if it has one.
        QVERIFY2(found.value(title).value_or(QString()).startsWith(reason), qPrintable(title));
    }
    // The other tools need nothing.
    QCOMPARE(found.value(u"Compress"_s), std::nullopt);
    // A German desktop is told its language's package too.
    QCOMPARE(Deps::ocrReason(QLocale(u"de_DE"_s)).value().text(), reason + u" tesseract-ocr-deu"_s);
    // English comes with tesseract.
    QCOMPARE(Deps::ocrInstallCommand(QLocale(u"en_US"_s)), u"sudo apt install tesseract-ocr"_s);
    // Run anyway (the command line does), it says the same.
    QCOMPARE(TestSupport::failureOf([&] { OcrConverter::text(png); }).section(u"  "_s, 0, 0),
             reason.section(u"  "_s, 0, 0));
}

void TestOcrConverter::languagePackages_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("installed");
    QTest::addColumn<QString>("languages");
    QTest::addColumn<QString>("missing");
    QTest::addColumn<QString>("command");
    const QString base = u"sudo apt install "_s;
    QTest::newRow("German, both") << u"de_DE"_s << u"deu eng osd"_s << u"deu+eng"_s << QString()
                                  << base + u"tesseract-ocr"_s;
    QTest::newRow("German missing") << u"de_AT"_s << u"eng osd"_s << u"eng"_s
                                    << u"tesseract-ocr-deu"_s << base + u"tesseract-ocr-deu"_s;
    QTest::newRow("English") << u"en_US"_s << u"eng"_s << u"eng"_s << QString()
                             << base + u"tesseract-ocr"_s;
    QTest::newRow("Taiwan") << u"zh_TW"_s << u"eng"_s << u"eng"_s << u"tesseract-ocr-chi-tra"_s
                            << base + u"tesseract-ocr-chi-tra"_s;
    QTest::newRow("Norway") << u"nb_NO"_s << u"eng"_s << u"eng"_s << u"tesseract-ocr-nor"_s
                            << base + u"tesseract-ocr-nor"_s;
    QTest::newRow("Serbian in Latin") << u"sr_Latn_RS"_s << u"srp_latn"_s << u"srp_latn"_s
                                      << QString() << base + u"tesseract-ocr"_s;
    QTest::newRow("no English") << u"fr_FR"_s << u"fra"_s << u"fra"_s << QString()
                                << base + u"tesseract-ocr"_s;
    QTest::newRow("nothing to read") << u"en_US"_s << u"osd"_s << QString()
                                     << u"tesseract-ocr-eng"_s << base + u"tesseract-ocr-eng"_s;
    // Zulu has no package: nothing is named that doesn't exist.
    QTest::newRow("Zulu") << u"zu_ZA"_s << u"eng"_s << u"eng"_s << QString()
                          << base + u"tesseract-ocr"_s;
}

void TestOcrConverter::languagePackages()
{
    QFETCH(QString, locale);
    QFETCH(QString, installed);
    QFETCH(QString, languages);
    QFETCH(QString, missing);
    QFETCH(QString, command);
    const QTemporaryDir tools;
    TestSupport::writeExecutable(tools.filePath(u"tesseract"_s));
    const ScopedEnv found("FLINGDIAL_TOOL_DIRS", tools.path().toLocal8Bit());
    const QTemporaryDir data;
    for (const QString& language : installed.split(u' '))
        TestSupport::writeFile(data.filePath(language + u".traineddata"_s), "x");
    const ScopedEnv prefix("TESSDATA_PREFIX", data.path().toLocal8Bit());
    const QLocale desktop(locale);
    QCOMPARE(Deps::defaultOcrLanguages(desktop), languages);
    QCOMPARE(Deps::missingOcrLanguage(desktop).value_or(QString()), missing);
    QCOMPARE(Deps::ocrInstallCommand(desktop), command);
    QCOMPARE(Deps::ocrWithDesktopLanguage(desktop).has_value(),
             missing.isEmpty() && !languages.isEmpty());
    QCOMPARE(Deps::ocrReason(desktop).has_value(), languages.isEmpty() && installed == u"osd"_s);
}

void TestOcrConverter::untrustedScans()
{
    if (tesseractOrSkip().isEmpty())
        return;
    // A picture declaring 60,000 × 60,000 pixels in a few bytes.
    const auto chunk = [](const QByteArray& typeAndData) {
        const quint32 crc = quint32(crc32(
            0, reinterpret_cast<const Bytef*>(typeAndData.constData()), uInt(typeAndData.size())));
        QByteArray out(4, '\0');
        qToBigEndian(quint32(typeAndData.size() - 4), out.data());
        out += typeAndData + QByteArray(4, '\0');
        qToBigEndian(crc, out.data() + out.size() - 4);
        return out;
    };
    const QByteArray bomb = QByteArray("\x89PNG\r\n\x1a\n", 8) +
                            chunk(QByteArray::fromHex("494844520000ea600000ea600802000000")) +
                            chunk("IDAT" + QByteArray(64, '\0')) + chunk("IEND");
    const QString huge = TestSupport::writeFile(m_dir->filePath(u"huge.png"_s), bomb);
    const QString fifo = m_dir->filePath(u"pipe.jpg"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // A text file named like a picture: tesseract would read it as a list
    // of pictures to open, so it must never reach it.
    const QString list = TestSupport::writeFile(
        m_dir->filePath(u"list.png"_s), QFile::encodeName(m_dir->filePath(u"secret.png"_s)));
    scan(*m_magick, texts[0], 0, m_dir->filePath(u"secret.png"_s));
    const QStringList before = TestSupport::namesIn(m_dir->path());
    QCOMPARE(TestSupport::failureOf([&] { OcrConverter::text(huge); }),
             u"huge.png has more pixels than can be opened (60000 × 60000)."_s);
    QVERIFY(TestSupport::failureOf([&] { OcrConverter::text(fifo); }).contains(u"pipe.jpg"_s));
    QCOMPARE(TestSupport::failureOf([&] { OcrConverter::searchablePdf({list}); }),
             u"Can’t read list.png."_s);
    const QString pdf = TestSupport::writeFile(m_dir->filePath(u"fake.pdf"_s), "not a pdf");
    QCOMPARE(TestSupport::failureOf([&] { OcrConverter::searchable(pdf); }),
             u"Can’t open fake.pdf."_s);
    const QString empty = TestSupport::writeFile(m_dir->filePath(u"empty.pdf"_s), scannedPdf({}));
    QCOMPARE(TestSupport::failureOf([&] { OcrConverter::searchable(empty); }),
             u"empty.pdf has no pages."_s);
    QStringList after = before;
    after << u"fake.pdf"_s << u"empty.pdf"_s;
    after.sort();
    QCOMPARE(TestSupport::namesIn(m_dir->path()), after);
}

void TestOcrConverter::slowPagesAreStopped()
{
    if (tesseractOrSkip().isEmpty())
        return;
    const QString picture = scan(*m_magick, texts[0], 0, m_dir->filePath(u"slow.png"_s));
    // A stand-in for a recogniser that never finishes.
    const QTemporaryDir tools;
    const QString pidFile = tools.filePath(u"pid"_s);
    TestSupport::writeExecutable(tools.filePath(u"tesseract"_s),
                                 "echo $$ > '" + QFile::encodeName(pidFile) + "'\nexec sleep 60\n");
    const ScopedEnv slow("FLINGDIAL_TOOL_DIRS", tools.path().toLocal8Bit());
    const ScopedEnv data("TESSDATA_PREFIX",
                         Deps::tessdataFolder().value_or(QString()).toLocal8Bit());
    const ScopedEnv limit("FLINGDIAL_OCR_PAGE_TIMEOUT", "1");
    QCOMPARE(TestSupport::failureOf([&] { OcrConverter::searchablePdf({picture}); }),
             u"slow.png takes too long to read."_s);
    QCOMPARE(TestSupport::namesIn(m_dir->path()), QStringList{u"slow.png"_s});
    const int pid = TestSupport::readFile(pidFile).trimmed().toInt();
    QVERIFY(pid > 0);
    QVERIFY(!QFileInfo::exists(u"/proc/%1/cmdline"_s.arg(pid)) ||
            TestSupport::readFile(u"/proc/%1/stat"_s.arg(pid)).contains(") Z "));
}

void TestOcrConverter::cancelLeavesNothing()
{
    if (tesseractOrSkip().isEmpty())
        return;
    QStringList pictures;
    for (int i = 0; i < 4; ++i)
        pictures << scan(*m_magick, texts[i % 3], 0.3, m_dir->filePath(u"%1.png"_s.arg(i)));
    const QStringList before = TestSupport::namesIn(m_dir->path());
    const QTemporaryDir scratch;
    const ScopedEnv tmp("TMPDIR", scratch.path().toLocal8Bit());
    Job job;
    std::exception_ptr failure;
    std::thread worker([&] {
        const Job::Scope watched(&job);
        try {
            OcrConverter::searchablePdf(pictures);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    // Cancelled while tesseract reads the first pages.
    QTRY_VERIFY_WITH_TIMEOUT(!TestSupport::runningChildrenOf(::getpid()).isEmpty(), 20000);
    job.cancel();
    worker.join();
    QVERIFY(isCancel(failure));
    QCOMPARE(TestSupport::runningChildrenOf(::getpid()), QList<int>());
    QCOMPARE(TestSupport::namesIn(m_dir->path()), before);
    QCOMPARE(TestSupport::namesIn(scratch.path()), QStringList());
}

void TestOcrConverter::hocrReading_data()
{
    QTest::addColumn<QByteArray>("hocr");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("lines");
    const QByteArray head = "<?xml version=\"1.0\"?><html><body>"
                            "<div class='ocr_page' title='image \"x\"; bbox 0 0 800 600'>";
    const QByteArray tail = "</div></body></html>";
    // A line of words at height y, running to `right`.
    const auto line = [](const QByteArray& words, int y, int right = 700, int left = 10) {
        QByteArray out = "<span class='ocr_line' title='bbox " + QByteArray::number(left) + ' ' +
                         QByteArray::number(y) + ' ' + QByteArray::number(right) + ' ' +
                         QByteArray::number(y + 30) + "; baseline 0.01 -5'>";
        int x = left;
        for (const QByteArray& word : words.split(' ')) {
            out += "<span class='ocrx_word' title='bbox " + QByteArray::number(x) + ' ' +
                   QByteArray::number(y) + ' ' + QByteArray::number(x + 50) + ' ' +
                   QByteArray::number(y + 30) + "; x_wconf 90'>" + word + "</span>";
            x += 60;
        }
        return out + "</span>";
    };
    const QByteArray par = "<p class='ocr_par'>";
    QTest::newRow("a blank line apart") << head + par + line("One two", 10) + line("three.", 45) +
                                               "</p>" + par + line("Four", 120) + "</p>" + tail
                                        << u"One two three.\n\nFour\n"_s << 3;
    QTest::newRow("after a short line")
        << head + par + line("One two", 10) + line("three.", 45, 300) + "</p>" + par +
               line("Four", 80) + "</p>" + tail
        << u"One two three.\n\nFour\n"_s << 3;
    QTest::newRow("split mid-paragraph")
        << head + par + line("One two", 10) + "</p>" + par + line("three.", 45) + "</p>" + tail
        << u"One two three.\n"_s << 2;
    QTest::newRow("a block below goes on")
        << head + par + line("One", 10) + "</p></div><div class='ocr_carea'>" + par +
               line("two", 45) + "</p>" + tail
        << u"One two\n"_s << 2;
    QTest::newRow("another column")
        << head + par + line("One", 10, 390) + line("two", 45, 390) + "</p>" + par +
               line("three", 10, 790, 410) + "</p>" + tail
        << u"One two\n\nthree\n"_s << 3;
    QTest::newRow("hyphen runs on")
        << head + par + line("well-", 10) + line("known &amp; <strong>bold</strong>", 45) + "</p>" +
               tail
        << u"well-known & bold\n"_s << 2;
    QTest::newRow("empty page") << head + tail << QString() << 0;
    QTest::newRow("words without a box") << head + par +
                                                "<span class='ocr_line' title='bbox 1 1 9 9'>"
                                                "<span class='ocrx_word'>lost</span></span></p>" +
                                                tail
                                         << QString() << 0;
}

void TestOcrConverter::hocrTurns_data()
{
    QTest::addColumn<QByteArray>("angle");
    QTest::addColumn<int>("turn");
    QTest::newRow("none") << QByteArray() << 0;
    QTest::newRow("upside down") << QByteArray("; textangle 180") << 180;
    QTest::newRow("a quarter") << QByteArray("; textangle 90") << 90;
    QTest::newRow("negative") << QByteArray("; textangle -90") << 270;
    QTest::newRow("nearly a quarter") << QByteArray("; textangle 268.5") << 270;
    QTest::newRow("a full turn and more") << QByteArray("; textangle 720") << 0;
    QTest::newRow("huge") << QByteArray("; textangle 1e308") << -1; // any quarter
    QTest::newRow("not a number") << QByteArray("; textangle nan") << 0;
}

void TestOcrConverter::hocrTurns()
{
    QFETCH(QByteArray, angle);
    const Hocr::Page page = Hocr::parse(
        "<html><body><div class='ocr_page' title='bbox 0 0 800 600'>"
        "<span class='ocr_line' title='bbox 10 10 700 40" +
        angle + "'><span class='ocrx_word' title='bbox 10 10 60 40'>Word</span></span></div>");
    QCOMPARE(page.lines().size(), 1);
    QFETCH(int, turn);
    const int read = page.lines().first().turn;
    QVERIFY2(read >= 0 && read < 360 && read % 90 == 0, qPrintable(QString::number(read)));
    if (turn >= 0)
        QCOMPARE(read, turn);
}

void TestOcrConverter::hocrReading()
{
    QFETCH(QByteArray, hocr);
    QFETCH(QString, text);
    QFETCH(int, lines);
    const Hocr::Page page = Hocr::parse(hocr);
    QCOMPARE(page.size, QSizeF(800, 600));
    QCOMPARE(page.text(), text);
    QCOMPARE(page.lines().size(), lines);
    if (lines > 0) {
        QCOMPARE(page.lines().first().slope, 0.01);
        QCOMPARE(page.lines().first().offset, -5.0);
    }
    QCOMPARE(TestSupport::failureOf([] { Hocr::parse("<html><body>no page"); }),
             u"The text recogniser’s answer can’t be read."_s);
}

QTEST_GUILESS_MAIN(TestOcrConverter)
#include "tst_OcrConverter.moc"
