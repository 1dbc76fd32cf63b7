#include "base/Errors.h"
#include "base/ZipWriter.h"
#include "core/Shell.h"
#include "engines/documents/Epub.h"
#include "engines/documents/Markdown.h"
#include "engines/documents/RichDocument.h"
#include "support/TestSupport.h"

#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QString bodyOf(const QString& html)
{
    const qsizetype start = html.indexOf(u"<body>\n"_s) + 7;
    return html.mid(start, html.lastIndexOf(u"\n</body>"_s) - start);
}

// The text of the document's paragraphs, spaces and tabs taken as one
// space, empty paragraphs left out.
QStringList paragraphs(const QTextDocument& document)
{
    QStringList list;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QString text = block.text();
        text.replace(QChar::LineSeparator, u'\n');
        for (const QString& line : text.split(u'\n')) {
            const QString simple = line.simplified();
            if (!simple.isEmpty())
                list.append(simple);
        }
    }
    return list;
}

std::unique_ptr<QTextDocument> documentOf(const QList<std::pair<QString, double>>& lines)
{
    auto document = RichDocument::create();
    QTextCursor cursor(document.get());
    bool first = true;
    for (const auto& [text, size] : lines) {
        if (!first)
            cursor.insertBlock();
        first = false;
        QTextCharFormat format;
        if (size > 0)
            format.setFontPointSize(size);
        cursor.insertText(text, format);
    }
    return document;
}

} // namespace

class TestMarkdown : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toHtml_data();
    void toHtml();
    void headingsBySize_data();
    void headingsBySize();
    void runsListsAndEscapes();
    void ordinaryTextReadsBackAsItself();
    void writtenBooksAreValid();
    void booksAreReadOnlyFromInside();
    void brokenBooksFail_data();
    void brokenBooksFail();
    void booksFromLibreOffice();

private:
    QString book(const QString& name, const QList<std::pair<QString, QByteArray>>& entries);

    QTemporaryDir m_dir;
};

void TestMarkdown::toHtml_data()
{
    QTest::addColumn<QString>("markdown");
    QTest::addColumn<QString>("body");
    QTest::newRow("h1") << u"# Title"_s << u"<h1 id=\"title\">Title</h1>"_s;
    QTest::newRow("h6") << u"###### Six"_s << u"<h6 id=\"six\">Six</h6>"_s;
    QTest::newRow("headings named as GitHub does")
        << u"## A *bold* Plan, 2!\n## A bold plan 2"_s
        << u"<h2 id=\"a-bold-plan-2\">A <em>bold</em> Plan, 2!</h2>\n"
           "<h2 id=\"a-bold-plan-2-1\">A bold plan 2</h2>"_s;
    QTest::newRow("seven # stay text") << u"####### Seven"_s << u"<p>####### Seven</p>"_s;
    QTest::newRow("lists")
        << u"- a\n* b\n1. c\n2) d"_s
        << u"<ul>\n<li>a</li>\n<li>b</li>\n</ul>\n<ol>\n<li>c</li>\n<li>d</li>\n</ol>"_s;
    QTest::newRow("lines of a paragraph")
        << u"one\ntwo\n\nthree"_s << u"<p>one<br/>two</p>\n<p>three</p>"_s;
    QTest::newRow("unclosed fence")
        << u"```c\n  x < \"y\"\n"_s << u"<pre><code>\n  x &lt; &quot;y&quot;\n\n</code></pre>"_s;
    QTest::newRow("rules") << u"***\n___\n---"_s << u"<hr/>\n<hr/>\n<hr/>"_s;
    QTest::newRow("star space star is an item")
        << u"* * *"_s << u"<ul>\n<li><em> </em></li>\n</ul>"_s;
    QTest::newRow("emphasis")
        << u"**b** *i* __u__ _e_ a_b_c ~~s~~ `c`"_s
        << u"<p><strong>b</strong> <em>i</em> <strong>u</strong> <em>e</em> a_b_c <del>s</del> <code>c</code></p>"_s;
    QTest::newRow("images and links")
        << u"![alt](x.png) [l](a b) [ok](http://x?a=1&b=2) ![a *b*](<my pic.png> \"T\")"_s
        << u"<p><img src=\"x.png\" alt=\"alt\"/> [l](a b) <a href=\"http://x?a=1&amp;b=2\">ok</a> "
           "<img src=\"my pic.png\" alt=\"a *b*\"/></p>"_s;
    QTest::newRow("pipe table")
        << u"| Name | Count |\n|:-----|------:|\n| a \\| b | **2** |\n\nafter"_s
        << u"<table style=\"border-collapse:collapse\"><thead><tr><th style=\"border:0.5pt solid "
           "#000000;padding:2pt 4pt;text-align:left\">Name</th><th style=\"border:0.5pt solid "
           "#000000;padding:2pt 4pt;text-align:right\">Count</th></tr></thead><tbody>\n<tr><td "
           "style=\"border:0.5pt solid #000000;padding:2pt 4pt;text-align:left\">a | b</td><td "
           "style=\"border:0.5pt solid #000000;padding:2pt "
           "4pt;text-align:right\"><strong>2</strong>"
           "</td></tr>\n</tbody></table>\n<p>after</p>"_s;
    QTest::newRow("pipes without a row of dashes stay text")
        << u"a | b\nc | d"_s << u"<p>a | b<br/>c | d</p>"_s;
    QTest::newRow("quote") << u">  quoted"_s << u"<blockquote><p>quoted</p></blockquote>"_s;
    QTest::newRow("escapes are text")
        << u"2 \\* 3 \\* 4 \\# \\[a\\](b) \\\\"_s << u"<p>2 * 3 * 4 # [a](b) \\</p>"_s;
    QTest::newRow("escaped line starts")
        << u"\\# no\n\\- no\n1\\. no\n\\```"_s << u"<p># no<br/>- no<br/>1. no<br/>```</p>"_s;
    QTest::newRow("byte-order mark") << u"\uFEFF# Title"_s << u"<h1 id=\"title\">Title</h1>"_s;
    QTest::newRow("Unicode words block emphasis") << u"é_x_é *ж*"_s << u"<p>é_x_é <em>ж</em></p>"_s;
}

void TestMarkdown::toHtml()
{
    QFETCH(QString, markdown);
    QFETCH(QString, body);
    QCOMPARE(bodyOf(Markdown::html(markdown)), body);
}

void TestMarkdown::headingsBySize_data()
{
    QTest::addColumn<double>("size");
    QTest::addColumn<QString>("line");
    QTest::newRow("24 pt") << 24.0 << u"# Big"_s;
    QTest::newRow("17 pt") << 17.0 << u"## Big"_s;
    QTest::newRow("16 pt") << 16.0 << u"### Big"_s;
    QTest::newRow("14 pt") << 14.0 << u"### Big"_s;
    QTest::newRow("13 pt") << 13.0 << u"Big"_s;
}

void TestMarkdown::headingsBySize()
{
    QFETCH(double, size);
    QFETCH(QString, line);
    const auto document =
        documentOf({{u"Big"_s, size}, {u"Body text that is longer than the title"_s, 12}});
    QCOMPARE(Markdown::markdown(*document),
             line + u"\n\nBody text that is longer than the title\n"_s);
}

void TestMarkdown::runsListsAndEscapes()
{
    const auto document = RichDocument::fromHTML(
        u"<p>a<b> word </b>b <i>it</i> <a href='http://x.org/a b(c)'>link</a></p>"
        "<ul><li>one<ul><li>two</li></ul></li></ul><ol><li>An apple</li></ol>"
        "<p>2 * 3 * 4 and [a](b)</p><p>```</p><p>---</p><p># not a heading</p><p>3. not a list</p>"_s);
    QCOMPARE(
        Markdown::markdown(*document),
        u"a **word** b *it* [link](http://x.org/a%20b%28c%29)\n\n- one\n\n  - two\n\n1. An "
        u"apple\n\n"
        "2 \\* 3 \\* 4 and \\[a\\](b)\n\n\\`\\`\\`\n\n\\---\n\n\\# not a heading\n\n3\\. not a list\n"_s);
}

void TestMarkdown::ordinaryTextReadsBackAsItself()
{
    const QStringList pieces = {u"*"_s,  u"**"_s,  u"_"_s,    u"__"_s,    u"`"_s,  u"```"_s,
                                u"["_s,  u"]"_s,   u"("_s,    u")"_s,     u"!"_s,  u"#"_s,
                                u"-"_s,  u"---"_s, u"+"_s,    u">"_s,     u"~~"_s, u"\\"_s,
                                u"1."_s, u"2)"_s,  u"<b>"_s,  u"&amp;"_s, u"\""_s, u"word"_s,
                                u"é"_s,  u"Жук"_s, u"中文"_s, u"عربي"_s,  u"\t"_s, u" "_s};
    QRandomGenerator random(20261207);
    for (int round = 0; round < 300; ++round) {
        QStringList lines;
        const int count = random.bounded(1, 6);
        for (int l = 0; l < count; ++l) {
            QString line;
            const int tokens = random.bounded(0, 8);
            for (int t = 0; t < tokens; ++t)
                line += pieces.at(random.bounded(int(pieces.size()))) +
                        (random.bounded(2) ? u" "_s : QString());
            lines.append(line);
        }
        auto document = RichDocument::create();
        QTextCursor(document.get()).insertText(lines.join(u'\n'));
        const auto back = RichDocument::fromHTML(Markdown::html(Markdown::markdown(*document)));
        QCOMPARE(paragraphs(*back), paragraphs(*document));
    }
}

QString TestMarkdown::book(const QString& name,
                           const QList<std::pair<QString, QByteArray>>& entries)
{
    const QString path = m_dir.filePath(name);
    QFile::remove(path);
    ZipWriter zip(path);
    zip.add(u"mimetype"_s, "application/epub+zip", ZipWriter::Method::stored);
    for (const auto& [entry, data] : entries)
        zip.add(entry, data);
    zip.finish();
    return path;
}

void TestMarkdown::writtenBooksAreValid()
{
    const auto document = RichDocument::fromHTML(
        u"<h1>Chapter</h1><p>Text with a line\u2028break, <b>bold</b> and \u000b a vertical tab.</p>"_s);
    const QString path = m_dir.filePath(u"written.epub"_s);
    QFile::remove(path);
    Epub::write(*document, u"A & B <C> \"D\""_s, path);

    const QByteArray bytes = TestSupport::readFile(path);
    // The first entry: "mimetype", stored (method 0), no extra field.
    QCOMPARE(bytes.mid(30, 8), QByteArray("mimetype"));
    QCOMPARE(bytes.at(8), char(0));
    QCOMPARE(bytes.at(28), char(0));
    QCOMPARE(bytes.mid(38, 20), QByteArray("application/epub+zip"));
    const QString text = RichDocument::plainText(*Epub::read(path));
    QVERIFY2(text.contains(u"Chapter"_s) && text.contains(u"bold"_s), qPrintable(text));

    const QString listing = Shell::run(u"/usr/bin/unzip"_s, {u"-p"_s, path, u"OEBPS/*"_s});
    QCOMPARE(listing.count(u"A &amp; B &lt;C&gt; &quot;D&quot;"_s), 4);
    // Two books never share an identifier.
    const QString second = m_dir.filePath(u"second.epub"_s);
    QFile::remove(second);
    Epub::write(*document, u"T"_s, second);
    const auto identifier = [](const QString& file) {
        return Shell::run(u"/usr/bin/unzip"_s, {u"-p"_s, file, u"OEBPS/content.opf"_s})
            .section(u"urn:uuid:"_s, 1)
            .left(36);
    };
    QVERIFY(identifier(path) != identifier(second));

    const QString java = QStandardPaths::findExecutable(u"java"_s);
    const QString epubcheck = u"/usr/share/java/epubcheck.jar"_s;
    if (java.isEmpty() || !QFileInfo::exists(epubcheck))
        QSKIP("epubcheck (and Java) is not installed");
    const QString report =
        Shell::run(java, {u"-jar"_s, epubcheck, path}, std::nullopt, std::nullopt, true);
    QVERIFY2(!report.contains(u"ERROR"_s), qPrintable(report));
}

void TestMarkdown::booksAreReadOnlyFromInside()
{
    const QString secret = TestSupport::writeFile(m_dir.filePath(u"secret.xhtml"_s),
                                                  "<html><body>TOPSECRETVALUE</body></html>");
    const QByteArray opf =
        "<package><manifest>"
        "<item id='a' href='../../../etc/passwd'/>"
        "<item id='b' href='" +
        secret.toUtf8() +
        "'/>"
        "<item id='c' href='../secret.xhtml'/>"
        "<item id='d' href='Chapter%20One.xhtml'/>"
        "<item id='e' href='utf16.xhtml'/>"
        "<item id='f' href='Chapter One.xhtml'/>"
        "</manifest><spine><itemref idref='a'/><itemref idref='b'/><itemref idref='c'/>"
        "<itemref idref='d'/><itemref idref='x'/><itemref idref='e'/>"
        // Chapters listed again are read once (a spine of 20,000 took 21 GB).
        "<itemref idref='d'/><itemref idref='f'/><itemref idref='d'/></spine></package>";
    QByteArray utf16 = "\xFF\xFE";
    const QString chapter2 =
        u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><html><body><p>Вторая глава</p></body></html>"_s;
    utf16.append(reinterpret_cast<const char*>(chapter2.utf16()), chapter2.size() * 2);
    const QString path =
        book(u"hostile.epub"_s,
             {{u"META-INF/container.xml"_s,
               "<container><rootfiles><rootfile full-path='content.opf'/></rootfiles></container>"},
              {u"content.opf"_s, opf},
              {u"Chapter One.xhtml"_s,
               "<html><body><p>First <img src='x.png' alt='picture'/>chapter</p></body></html>"},
              {u"utf16.xhtml"_s, utf16}});
    // A picture the book doesn't hold keeps its alt text.
    const QString text = RichDocument::plainText(*Epub::read(path));
    QCOMPARE(text.simplified(), u"First picturechapter Вторая глава"_s);
}

void TestMarkdown::brokenBooksFail_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("failure");
    QTest::newRow("no container")
        << u"nocontainer.epub"_s
        << u"nocontainer.epub isn’t a valid EPUB: it has no META-INF/container.xml."_s;
    QTest::newRow("no rootfile") << u"norootfile.epub"_s
                                 << u"norootfile.epub isn’t a valid EPUB."_s;
    QTest::newRow("nothing readable")
        << u"empty.epub"_s << u"empty.epub has no text that can be read."_s;
    QTest::newRow("ZIP bomb") << u"bomb.epub"_s << u"bomb.epub holds more than can be opened."_s;
}

void TestMarkdown::brokenBooksFail()
{
    QFETCH(QString, name);
    QFETCH(QString, failure);
    QString path;
    if (name == u"nocontainer.epub") {
        path = book(name, {{u"OEBPS/text.xhtml"_s, "<html/>"}});
    } else if (name == u"norootfile.epub") {
        path = book(name, {{u"META-INF/container.xml"_s, "<container><rootfiles/></container>"}});
    } else if (name == u"empty.epub") {
        path = book(
            name, {{u"META-INF/container.xml"_s,
                    "<container><rootfiles><rootfile full-path='p.opf'/></rootfiles></container>"},
                   {u"p.opf"_s, "<package><manifest/><spine/></package>"}});
    } else {
        path = m_dir.filePath(name);
        ZipWriter zip(path);
        zip.add(u"META-INF/container.xml"_s, "<container/>");
        zip.begin(u"OEBPS/text.xhtml"_s);
        const QByteArray spaces(1 << 20, ' ');
        for (int i = 0; i < 100; ++i)
            zip.write(spaces);
        zip.end();
        zip.finish();
    }
    QCOMPARE(TestSupport::failureOf([&] { Epub::read(path); }), failure);
}

void TestMarkdown::booksFromLibreOffice()
{
    const QString soffice = QStandardPaths::findExecutable(u"soffice"_s);
    if (soffice.isEmpty())
        QSKIP("LibreOffice (soffice) is not installed");
    // LibreOffice exports books from text documents, not from web pages.
    const auto document = RichDocument::fromHTML(
        u"<h1>Opening</h1><p>Written by LibreOffice.</p><h1>Closing</h1><p>The end.</p>"_s);
    QDir().mkpath(m_dir.filePath(u"lo"_s));
    const QString source = m_dir.filePath(u"lo/book.odt"_s);
    RichDocument::write(*document, u"Book"_s, u"odt"_s, source);
    Shell::run(soffice,
               {u"-env:UserInstallation=file://"_s + m_dir.filePath(u"profile"_s), u"--headless"_s,
                u"--convert-to"_s, u"epub"_s, u"--outdir"_s, m_dir.filePath(u"lo"_s), source});
    const QString text = RichDocument::plainText(*Epub::read(m_dir.filePath(u"lo/book.epub"_s)));
    QCOMPARE(text.simplified(), u"Opening Written by LibreOffice. Closing The end."_s);
}

QTEST_MAIN(TestMarkdown)
#include "tst_Markdown.moc"
