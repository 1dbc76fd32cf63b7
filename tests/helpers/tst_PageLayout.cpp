#include "helpers/pdfpages/PageLayout.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using PageLayout::Word;

namespace {

// Words set on a page: each line a y and its words at their x, 6 points
// a letter, a space after each word but the last of a line.
class Page
{
public:
    Page& line(double y, const QList<std::pair<double, QString>>& words)
    {
        for (qsizetype i = 0; i < words.size(); ++i) {
            const auto& [x, text] = words.at(i);
            m_words.append(Word{text, QRectF(x, y, 6.0 * text.size(), 12), i + 1 < words.size()});
        }
        return *this;
    }
    // A line of running text from x, words one space apart.
    Page& prose(double y, double x, const QString& text)
    {
        QList<std::pair<double, QString>> words;
        for (const QString& word : text.split(u' ')) {
            words.append({x, word});
            x += 6.0 * word.size() + 3.5;
        }
        return line(y, words);
    }
    const QList<Word>& words() const { return m_words; }

private:
    QList<Word> m_words;
};

QString text(const QList<Word>& words, const QList<int>& indexes)
{
    QStringList out;
    for (const int index : indexes)
        out.append(words.at(index).text);
    return out.join(u' ');
}

// The blocks as lines of text: "P text", "* text" for list items, "+ text"
// for their continuations, "T a | b" for each table row.
QStringList shape(const QList<Word>& words)
{
    QStringList out;
    for (const PageLayout::Block& block : PageLayout::blocks(words)) {
        if (block.line) {
            const QString prefix = block.line->continuation       ? u"+ "_s
                                   : block.line->bullet.isEmpty() ? u"P "_s
                                                                  : u"* "_s;
            QString line = text(words, block.line->words);
            if (block.line->bulletGlued)
                line = line.mid(1);
            out.append(prefix + line);
        } else {
            for (const auto& row : block.table->rows) {
                QStringList cells;
                for (const auto& cell : row)
                    cells.append(text(words, cell));
                out.append(u"T "_s + cells.join(u" | "_s));
            }
        }
    }
    return out;
}

} // namespace

Q_DECLARE_METATYPE(QList<Word>)

class TestPageLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tablesAndTextApart_data();
    void tablesAndTextApart();
    void bulletsAreItems();
};

void TestPageLayout::tablesAndTextApart_data()
{
    QTest::addColumn<QList<Word>>("words");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("numbers right-aligned under a header")
        << Page()
               .prose(40, 56, u"Sales by region"_s)
               .line(60, {{56, u"Region"_s}, {200, u"Sales"_s}, {300, u"Share"_s}})
               .line(76, {{56, u"North"_s}, {212, u"42"_s}, {306, u"12%"_s}})
               .line(92, {{56, u"South"_s}, {206, u"107"_s}, {306, u"31%"_s}})
               .prose(130, 56, u"After the table comes running text again."_s)
               .words()
        << QStringList{u"P Sales by region"_s, u"T Region | Sales | Share"_s,
                       u"T North | 42 | 12%"_s, u"T South | 107 | 31%"_s,
                       u"P After the table comes running text again."_s};
    // Columns set tight, one space apart, still line up row after row.
    QTest::newRow("columns one space apart")
        << Page()
               .line(60, {{56, u"Name"_s}, {120, u"Count"_s}, {154, u"Price"_s}})
               .line(76, {{56, u"Beta"_s}, {120, u"7"_s}, {154, u"11.00"_s}})
               .line(92, {{56, u"Gamma"_s}, {89.5, u"ray"_s}, {120, u"120"_s}, {154, u"0.25"_s}})
               .words()
        << QStringList{u"T Name | Count | Price"_s, u"T Beta | 7 | 11.00"_s,
                       u"T Gamma ray | 120 | 0.25"_s};
    QTest::newRow("a cell left empty")
        << Page()
               .line(60, {{56, u"Item"_s}, {200, u"Note"_s}})
               .line(76, {{56, u"Pen"_s}})
               .line(92, {{56, u"Ink"_s}, {200, u"blue"_s}})
               .words()
        << QStringList{u"T Item | Note"_s, u"T Pen | "_s, u"T Ink | blue"_s};
    // Justified text opens wide gaps, which never line up from line to line.
    QTest::newRow("justified text")
        << Page()
               .line(60, {{56, u"The"_s}, {90, u"quick"_s}, {140, u"brown"_s}, {220, u"fox"_s}})
               .line(76, {{56, u"jumps"_s}, {130, u"over"_s}, {190, u"the"_s}, {240, u"dog"_s}})
               .words()
        << QStringList{u"P The quick brown fox"_s, u"P jumps over the dog"_s};
    // A page in two columns, read column after column: lines of many
    // words on either side.
    QTest::newRow("two columns of text")
        << Page()
               .prose(60, 56, u"one two three four five six"_s)
               .prose(76, 56, u"alpha beta gamma delta epsilon zeta"_s)
               .prose(60, 300, u"seven eight nine ten eleven twelve"_s)
               .prose(76, 300, u"eta theta iota kappa lambda mu"_s)
               .words()
        << QStringList{
               u"P one two three four five six"_s, u"P alpha beta gamma delta epsilon zeta"_s,
               u"P seven eight nine ten eleven twelve"_s, u"P eta theta iota kappa lambda mu"_s};
    QTest::newRow("justified text, three lines")
        << Page()
               .line(60, {{56, u"A"_s}, {75, u"wide"_s}, {110, u"line"_s}, {150, u"here"_s}})
               .line(76, {{56, u"and"_s}, {86, u"then"_s}, {130, u"some"_s}, {150 - 6, u"more"_s}})
               .line(92, {{56, u"text"_s}, {95, u"to"_s}, {120, u"end"_s}, {152, u"it"_s}})
               .words()
        << QStringList{u"P A wide line here"_s, u"P and then some more"_s, u"P text to end it"_s};
    QTest::newRow("a single row is no table")
        << Page().line(60, {{56, u"Total"_s}, {300, u"99"_s}}).words()
        << QStringList{u"P Total 99"_s};
}

void TestPageLayout::tablesAndTextApart()
{
    QFETCH(QList<Word>, words);
    QFETCH(QStringList, expected);
    QCOMPARE(shape(words), expected);
}

void TestPageLayout::bulletsAreItems()
{
    // Symbol's bullet (a private-use glyph), Unicode's, one glued to its
    // word, and the wrapped second line of an item.
    const Page page = Page()
                          .line(60, {{74, u"\uF0B7"_s}, {92, u"First"_s}, {128, u"item"_s}})
                          .line(76, {{74, u"•"_s}, {92, u"Second"_s}, {134, u"item"_s}})
                          .line(92, {{92, u"goes"_s}, {120, u"on"_s}})
                          .line(108, {{74, u"▪Third"_s}})
                          .prose(130, 56, u"Text after the list"_s);
    QCOMPARE(shape(page.words()),
             (QStringList{u"* First item"_s, u"* Second item"_s, u"+ goes on"_s, u"* Third"_s,
                          u"P Text after the list"_s}));
    QVERIFY(PageLayout::isBullet(u"\uF0A7"_s));
    QVERIFY(!PageLayout::isBullet(u"-"_s));
    QVERIFY(!PageLayout::isBullet(u"ab"_s));
}

QTEST_APPLESS_MAIN(TestPageLayout)
#include "tst_PageLayout.moc"
