#include "base/ZipWriter.h"
#include "core/Shell.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

using TestSupport::runFlingdial;

namespace {

const QStringList words = {u"Quarterly"_s, u"Summary"_s, u"Alpha"_s,  u"bravo"_s,
                           u"charlie"_s,   u"Foxtrot"_s, u"Golf"_s,   u"Ελληνικά"_s,
                           u"مرحبا"_s,     u"中文"_s,    u"linked"_s, u"Hotel"_s};

const char* const sourceHtml = "<html><head><meta charset=\"utf-8\"><title>Q</title></head><body>"
                               "<h1>Quarterly Summary</h1><p>Alpha <b>bravo</b> <i>charlie</i> <a "
                               "href=\"https://example.org\">linked</a>.</p>"
                               "<ul><li>Hotel</li></ul>"
                               "<table border=\"1\"><tr><td>Foxtrot</td><td>Golf</td></tr></table>"
                               "<p>Ελληνικά مرحبا 中文</p></body></html>";

QString missingWords(const QString& text)
{
    QStringList missing;
    for (const QString& word : words)
        if (!text.contains(word))
            missing.append(word);
    return missing.join(u' ');
}

bool has(const QString& program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

} // namespace

// The document conversions as a user runs them: every source kind to every
// target, checked with real readers, and hostile files.
class TestDocuments : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everySourceToEveryTarget_data();
    void everySourceToEveryTarget();
    void libreOfficeOpensEveryResult();
    void hostileFilesFailWithOneLine_data();
    void hostileFilesFailWithOneLine();

private:
    QString run(const QStringList& arguments, int expectedStatus = 0);
    QString makeSource(const QString& kind);

    QTemporaryDir m_dir;
    QProcessEnvironment m_environment;
    QStringList m_officeResults;
};

void TestDocuments::initTestCase()
{
    m_environment = TestSupport::isolatedEnvironment(m_dir.filePath(u"config"_s));
    TestSupport::writeFile(m_dir.filePath(u"sources/page.html"_s), sourceHtml);
    QDir().mkpath(m_dir.filePath(u"results"_s));
}

QString TestDocuments::run(const QStringList& arguments, int expectedStatus)
{
    const auto result =
        runFlingdial(QStringList{u"--run"_s, u"convert"_s} + arguments, m_environment);
    if (result.status != expectedStatus)
        qWarning("%s", qPrintable(result.err));
    [&] { QCOMPARE(result.status, expectedStatus); }();
    return result.out.trimmed();
}

QString TestDocuments::makeSource(const QString& kind)
{
    const QString folder = m_dir.filePath(u"sources"_s);
    const QString html = folder + u"/page.html"_s;
    const QString path = folder + u"/source."_s + kind;
    if (QFileInfo::exists(path))
        return path;
    if (kind == u"html") {
        QFile::copy(html, path);
    } else if (kind == u"txt") {
        TestSupport::writeFile(path, QStringList(words).join(u' ').toUtf8());
    } else if (kind == u"rtfd") {
        QDir().mkpath(path);
        QFile::copy(makeSource(u"rtf"_s), path + u"/TXT.rtf"_s);
    } else if (kind == u"webarchive") {
        const QByteArray plist =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
            "<key>WebMainResource</key><dict><key>WebResourceData</key><data>" +
            QByteArray(sourceHtml).toBase64() +
            "</data><key>WebResourceTextEncodingName</key><string>UTF-8</string>"
            "<key>WebResourceMIMEType</key><string>text/html</string></dict></dict></plist>";
        TestSupport::writeFile(path, plist);
    } else if (kind == u"doc") {
        Shell::run(QStandardPaths::findExecutable(u"soffice"_s),
                   {u"-env:UserInstallation=file://"_s + m_dir.filePath(u"profile"_s),
                    u"--headless"_s, u"--convert-to"_s, u"doc:MS Word 97"_s, u"--outdir"_s, folder,
                    makeSource(u"docx"_s)});
    } else {
        // Our own writers make the office sources.
        const QString made = run({kind, html});
        QFile::rename(made, path);
    }
    return path;
}

void TestDocuments::everySourceToEveryTarget_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    const QStringList sources = {u"html"_s, u"txt"_s,        u"docx"_s, u"odt"_s,  u"rtf"_s,
                                 u"rtfd"_s, u"webarchive"_s, u"md"_s,   u"epub"_s, u"doc"_s};
    const QStringList targets = {u"docx"_s, u"pdf"_s,  u"txt"_s, u"md"_s,
                                 u"rtf"_s,  u"html"_s, u"odt"_s, u"epub"_s};
    for (const QString& source : sources)
        for (const QString& target : targets)
            if (source != target)
                QTest::newRow(qPrintable(source + u" to "_s + target)) << source << target;
}

void TestDocuments::everySourceToEveryTarget()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    if (source == u"doc" && !has(u"soffice"_s))
        QSKIP("LibreOffice (soffice) is not installed");
    const QString input = makeSource(source);
    const QString result = run({target, input});
    QVERIFY2(QFileInfo(result).isFile() && QFileInfo(result).size() > 0, qPrintable(result));
    QCOMPARE(QFileInfo(result).suffix(), target);

    // Read back: PDFs by poppler, the rest by our own readers as text.
    QString text;
    if (target == u"pdf") {
        const QString info = Shell::run(u"/usr/bin/pdfinfo"_s, {result});
        QVERIFY(info.contains(u"595 x 842 pts (A4)"_s));
        // Qt's PDF text layer names shaped Arabic and some CJK glyphs by
        // their compatibility forms; compatibility decomposition undoes that.
        text = Shell::run(u"/usr/bin/pdftotext"_s, {result, u"-"_s})
                   .normalized(QString::NormalizationForm_KC);
    } else if (target == u"txt" || target == u"html" || target == u"md") {
        text = QString::fromUtf8(TestSupport::readFile(result));
    } else {
        const QString back = run({u"txt"_s, result});
        text = QString::fromUtf8(TestSupport::readFile(back));
        QFile::remove(back);
        if (target != u"epub")
            m_officeResults.append(result);
    }
    // A plain text source has no table or list; the rest carry every word.
    QCOMPARE(missingWords(text), QString());
    QFile::rename(result, m_dir.filePath(u"results/"_s) + QFileInfo(result).fileName());
}

void TestDocuments::libreOfficeOpensEveryResult()
{
    if (!has(u"soffice"_s))
        QSKIP("LibreOffice (soffice) is not installed");
    const QString out = m_dir.filePath(u"libreoffice"_s);
    QStringList files;
    for (const QString& result : std::as_const(m_officeResults)) {
        const QString moved = m_dir.filePath(u"results/"_s) + QFileInfo(result).fileName();
        // Same names from different sources: give each its own.
        const QString unique =
            m_dir.filePath(u"office/%1-%2"_s).arg(files.size()).arg(QFileInfo(result).fileName());
        QDir().mkpath(QFileInfo(unique).path());
        QFile::copy(moved, unique);
        files.append(unique);
    }
    QVERIFY(files.size() >= 12);
    Shell::run(QStandardPaths::findExecutable(u"soffice"_s),
               QStringList{u"-env:UserInstallation=file://"_s + m_dir.filePath(u"profile"_s),
                           u"--headless"_s, u"--convert-to"_s, u"txt:Text (encoded):UTF8"_s,
                           u"--outdir"_s, out} +
                   files);
    for (const QString& file : std::as_const(files)) {
        const QString text = QString::fromUtf8(
            TestSupport::readFile(out + u'/' + QFileInfo(file).completeBaseName() + u".txt"_s));
        QVERIFY2(missingWords(text).isEmpty(),
                 qPrintable(QFileInfo(file).fileName() + u": "_s + missingWords(text)));
    }
}

void TestDocuments::hostileFilesFailWithOneLine_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");

    QTest::newRow("truncated DOCX") << u"cut.docx"_s << QByteArray() << u"cut.docx is damaged"_s;
    QTest::newRow("ZIP bomb DOCX")
        << u"bomb.docx"_s << QByteArray() << u"bomb.docx holds more than can be opened."_s;
    QTest::newRow("RTF nested 100,000 deep")
        << u"deep.rtf"_s
        << QByteArray("{\\rtf1 ") + QByteArray(100000, '{') + QByteArray(100000, '}')
        << u"deep.rtf nests too deeply to be read."_s;
    QTest::newRow("RTF with a huge \\bin")
        << u"bin.rtf"_s << QByteArray("{\\rtf1 {\\pict\\bin99999999999 x}}")
        << u"bin.rtf is damaged and can’t be read."_s;
    QTest::newRow("plain file named .odt") << u"fake.odt"_s << QByteArray("hello")
                                           << u"fake.odt is damaged or isn’t a ZIP container."_s;
}

void TestDocuments::hostileFilesFailWithOneLine()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    const QString folder = m_dir.filePath(u"hostile-"_s + QFileInfo(name).completeBaseName());
    QDir().mkpath(folder);
    const QString path = folder + u'/' + name;
    if (name == u"cut.docx") {
        const QByteArray whole = TestSupport::readFile(makeSource(u"docx"_s));
        TestSupport::writeFile(path, whole.left(whole.size() / 2));
    } else if (name == u"bomb.docx") {
        ZipWriter zip(path);
        zip.begin(u"word/document.xml"_s);
        const QByteArray spaces(1 << 20, ' ');
        for (int i = 0; i < 100; ++i)
            zip.write(spaces);
        zip.end();
        zip.finish();
        QVERIFY(QFileInfo(path).size() < 1024 * 1024);
    } else {
        TestSupport::writeFile(path, bytes);
    }
    const QStringList before =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    const auto result = runFlingdial({u"--run"_s, u"convert"_s, u"pdf"_s, path}, m_environment);
    QCOMPARE(result.status, 1);
    const QStringList errors = result.err.split(u'\n').filter(QRegularExpression(u"^error: "_s));
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().contains(error), qPrintable(errors.first()));
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             before);
}

QTEST_GUILESS_MAIN(TestDocuments)
#include "tst_Documents.moc"
