#include "base/Errors.h"
#include "base/TextFile.h"
#include "converters/subtitle/SubtitleConverter.h"
#include "core/NameReservations.h"
#include "core/Settings.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestSubtitleConverter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void conversions_data();
    void conversions();
    void shifts_data();
    void shifts();
    void hugeShiftIsRefused();
    void shiftAnswers_data();
    void shiftAnswers();
    void readsLegacyEncodings_data();
    void readsLegacyEncodings();
    void shiftedFilesAreNamedSynced();
    void writesNeverReplaceAFile();
    void longFilesAreStreamedWithTheSameResult();

private:
    TestSupport::PrivateSettings m_settings;
};

void TestSubtitleConverter::conversions_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");

    QTest::newRow("srt to vtt") << u"vtt"_s << u"1\n00:00:01,500 --> 00:00:03,000\nHello\n"_s
                                << u"WEBVTT\n\n1\n00:00:01.500 --> 00:00:03.000\nHello\n"_s;
    QTest::newRow("windows lines and bom to vtt")
        << u"vtt"_s << u"\uFEFF1\r\n00:00:01,500 --> 00:00:03,000\r\nHello\r\n"_s
        << u"WEBVTT\n\n1\n00:00:01.500 --> 00:00:03.000\nHello\n"_s;
    QTest::newRow("vtt to srt") << u"srt"_s
                                << u"WEBVTT\n\n00:01.000 --> 00:02.500 align:start\nHi\n"_s
                                << u"1\n00:00:01,000 --> 00:00:02,500\nHi\n"_s;
    QTest::newRow("identifiers dropped, numbering without gaps")
        << u"srt"_s
        << "WEBVTT\n\nNOTE a note\n\nintro\n00:00:01.000 --> 00:00:02.000\nHi\nthere\n\n"
           "7\n00:00:03.000 --> 00:00:04.000\nBye\n"
        << u"1\n00:00:01,000 --> 00:00:02,000\nHi\nthere\n\n2\n00:00:03,000 --> 00:00:04,000\nBye\n"_s;
    QTest::newRow("windows lines and bom to srt")
        << u"srt"_s << u"\uFEFFWEBVTT\r\n\r\n00:01.000 --> 00:02.500\r\nHi\r\n"_s
        << u"1\n00:00:01,000 --> 00:00:02,500\nHi\n"_s;
    QTest::newRow("no cues to srt") << u"srt"_s << u"just text\n"_s << u"\n"_s;
    QTest::newRow("no cues to vtt") << u"vtt"_s << u"\n\n"_s << u"WEBVTT\n\n\n"_s;
    QTest::newRow("two arrows skipped")
        << u"srt"_s << u"00:01.000 --> 00:02.000 --> 00:03.000\nX\n"_s << u"\n"_s;
}

void TestSubtitleConverter::conversions()
{
    QFETCH(QString, format);
    QFETCH(QString, input);
    QFETCH(QString, output);
    QCOMPARE(format == QLatin1String("vtt") ? SubtitleConverter::toVTT(input)
                                            : SubtitleConverter::toSRT(input),
             output);
}

void TestSubtitleConverter::shifts_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("output");
    QTest::newRow("below zero") << u"00:00:00,200 --> 00:00:01,000"_s << -1.5
                                << u"00:00:00,000 --> 00:00:00,000"_s;
    QTest::newRow("into the next hour, full stop kept")
        << u"00:59:59.900"_s << 0.2 << u"01:00:00.100"_s;
    QTest::newRow("half a millisecond rounds up")
        << u"00:00:00,000"_s << 0.0625 << u"00:00:00,063"_s;
    QTest::newRow("and up again going earlier")
        << u"00:00:01,000"_s << -0.0625 << u"00:00:00,938"_s;
    QTest::newRow("hours past two digits") << u"99:59:59,999"_s << 0.001 << u"100:00:00,000"_s;
    QTest::newRow("dialogue that looks like a time")
        << u"at 00:00:05,000 sharp"_s << 1.0 << u"at 00:00:06,000 sharp"_s;
    QTest::newRow("other text untouched")
        << u"1\n00:00:01,000 --> x\n"_s << 2.0 << u"1\n00:00:03,000 --> x\n"_s;
    QTest::newRow("non-ASCII digits left as they are")
        << u"٠٠:٠٠:٠١,٥٠٠ and 00:00:01,500"_s << 1.0 << u"٠٠:٠٠:٠١,٥٠٠ and 00:00:02,500"_s;
}

void TestSubtitleConverter::shifts()
{
    QFETCH(QString, input);
    QFETCH(double, seconds);
    QFETCH(QString, output);
    QCOMPARE(SubtitleConverter::shiftText(input, seconds), output);
}

void TestSubtitleConverter::hugeShiftIsRefused()
{
    QVERIFY_THROWS_EXCEPTION(Fail, SubtitleConverter::shiftText(u"00:00:01,000"_s, 1e300));
    QVERIFY_THROWS_EXCEPTION(Fail, SubtitleConverter::shiftText(u"00:00:01,000"_s, 9.3e15));
    // Far below zero is simply zero.
    QCOMPARE(SubtitleConverter::shiftText(u"00:00:01,000"_s, -1e300), u"00:00:00,000"_s);
}

void TestSubtitleConverter::shiftAnswers_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QVariant>("seconds"); // invalid: not a number
    QTest::newRow("comma") << u"0,5"_s << QVariant(0.5);
    QTest::newRow("negative") << u"-1.5"_s << QVariant(-1.5);
    QTest::newRow("exponent") << u"2e1"_s << QVariant(20.0);
    QTest::newRow("leading point") << u"+.25"_s << QVariant(0.25);
    QTest::newRow("letters") << u"abc"_s << QVariant();
    QTest::newRow("nan") << u"nan"_s << QVariant();
    QTest::newRow("inf") << u"inf"_s << QVariant();
    QTest::newRow("overflows to infinity") << u"1e400"_s << QVariant();
    QTest::newRow("two commas") << u"1,2,3"_s << QVariant();
    QTest::newRow("unit") << u"5s"_s << QVariant();
}

void TestSubtitleConverter::shiftAnswers()
{
    QFETCH(QString, answer);
    QFETCH(QVariant, seconds);
    const auto parsed = SubtitleConverter::parseSeconds(answer);
    QCOMPARE(parsed.has_value(), seconds.isValid());
    if (parsed)
        QCOMPARE(*parsed, seconds.toDouble());
}

void TestSubtitleConverter::readsLegacyEncodings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("utf-8") << QByteArray("caf\xc3\xa9") << u"café"_s;
    QTest::newRow("windows-1252") << QByteArray("caf\xe9 \x93quoted\x94 \x80")
                                  << u"café “quoted” €"_s;
    QTest::newRow("latin-1") << QByteArray("na\xefve gar\xe7on") << u"naïve garçon"_s;
    QTest::newRow("utf-16 with bom") << QByteArray("\xff\xfe"
                                                   "c\0a\0f\0\xe9\0",
                                                   10)
                                     << u"café"_s;
}

void TestSubtitleConverter::readsLegacyEncodings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QTemporaryDir dir;
    QCOMPARE(TextFile::readText(TestSupport::writeFile(dir.filePath(u"t.srt"_s), bytes)), text);
}

void TestSubtitleConverter::shiftedFilesAreNamedSynced()
{
    QTemporaryDir dir;
    const QString subs = TestSupport::writeFile(
        dir.filePath(u"subs.srt"_s), "1\r\n00:00:01,000 --> 00:00:02,000\r\nD\xe9j\xe0 vu\r\n");
    const NameReservations::Scope names;
    const QString first = SubtitleConverter::shift(subs, 0.5);
    QCOMPARE(first, dir.filePath(u"subs synced.srt"_s));
    QCOMPARE(SubtitleConverter::shift(subs, 0.5), dir.filePath(u"subs synced 2.srt"_s));
    QFile file(first);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(),
             QByteArray("1\r\n00:00:01,500 --> 00:00:02,500\r\nD\xc3\xa9j\xc3\xa0 vu\r\n"));
    const QString vtt = SubtitleConverter::convert(subs, u"vtt"_s);
    QCOMPARE(vtt, dir.filePath(u"subs.vtt"_s));
    QCOMPARE(TextFile::readText(vtt), u"WEBVTT\n\n1\n00:00:01.000 --> 00:00:02.000\nDéjà vu\n"_s);
}

void TestSubtitleConverter::writesNeverReplaceAFile()
{
    QTemporaryDir dir;
    const QString existing = TestSupport::writeFile(dir.filePath(u"subs.vtt"_s), "keep me");
    QVERIFY_THROWS_EXCEPTION(SystemError, TextFile::writeAtomically(existing, u"new"_s));
    QFile file(existing);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep me"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"subs.vtt"_s});
    const QString fresh = dir.filePath(u"new.srt"_s);
    TextFile::writeAtomically(fresh, u"é\n"_s);
    QCOMPARE(QFileInfo(fresh).permissions() & QFileDevice::ReadOther, QFileDevice::ReadOther);
    QCOMPARE(TextFile::readText(fresh), u"é\n"_s);
}

void TestSubtitleConverter::longFilesAreStreamedWithTheSameResult()
{
    // Files are read in pieces of 1 MiB: this one spans two, with the CR of
    // a CR LF as the first piece's last byte, and ends in empty lines.
    QByteArray cues = "\xEF\xBB\xBF";
    for (int i = 1; cues.size() < 1200000; ++i)
        cues += QByteArray::number(i) + "\r\n00:00:" + QByteArray::number(10 + i % 50) +
                ",250 --> 00:00:" + QByteArray::number(11 + i % 50) + ",500\r\nLine " +
                QByteArray::number(i) + "\r\n\r\n" + (i % 1000 ? "" : "\r\n\r\n");
    const qsizetype pieceSize = 1 << 20;
    const qsizetype lastCr = cues.lastIndexOf("\r\n", pieceSize - 1);
    const qsizetype firstText = cues.indexOf("Line");
    cues.insert(firstText, QByteArray(pieceSize - 1 - lastCr, 'x'));
    QCOMPARE(cues.mid(pieceSize - 1, 2), QByteArray("\r\n"));
    cues += "  \r\n\r\n\n";

    QTemporaryDir dir;
    const QString file = TestSupport::writeFile(dir.filePath(u"long.srt"_s), cues);
    const QString text = TextFile::decode(cues);
    QCOMPARE(TestSupport::readFile(SubtitleConverter::convert(file, u"vtt"_s)),
             SubtitleConverter::toVTT(text).toUtf8());
    QCOMPARE(TestSupport::readFile(SubtitleConverter::convert(file, u"srt"_s)),
             SubtitleConverter::toSRT(text).toUtf8());
    QCOMPARE(TestSupport::readFile(SubtitleConverter::shift(file, 1.5)),
             SubtitleConverter::shiftText(text, 1.5).toUtf8());
}

QTEST_GUILESS_MAIN(TestSubtitleConverter)
#include "tst_SubtitleConverter.moc"
