#include "cli/CommandLine.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

// Environment variables that choose the language, and their values.
using Locale = QList<QPair<QString, QString>>;

// The program in the user's language: a copy of the built program beside a
// translations folder that holds a small German translation made here, found
// the way the program finds its own.
class TestTranslations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void helpFollowsTheLocale_data();
    void helpFollowsTheLocale();
    void labelsInEitherLanguage_data();
    void labelsInEitherLanguage();
    void failuresAreTranslated();

private:
    TestSupport::Result run(const QStringList& arguments, const Locale& locale,
                            const QByteArray& input = {}) const;

    QTemporaryDir m_dir;
    QString m_program;
    QString m_work;
};

namespace {

const QString germanUsage = u"Aufruf:\n  flingdial --run MODUS TITEL DATEI…\n"_s;

struct Message
{
    const char* context;
    QString source;
    QString translation;
    const char* comment = nullptr;
};

QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

// A .ts file of `messages`, all finished.
QByteArray translationSource(const QList<Message>& messages)
{
    QString ts = u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE TS>\n"
                 "<TS version=\"2.1\" language=\"de_DE\">\n"_s;
    for (const Message& message : messages) {
        ts += u"<context><name>%1</name><message><source>%2</source>"_s.arg(
            QString::fromLatin1(message.context), escaped(message.source));
        if (message.comment)
            ts += u"<comment>%1</comment>"_s.arg(QString::fromUtf8(message.comment));
        ts += u"<translation>%1</translation></message></context>\n"_s.arg(
            escaped(message.translation));
    }
    return (ts + u"</TS>\n"_s).toUtf8();
}

} // namespace

void TestTranslations::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // This process installs no translator: usage() is the English text.
    const QByteArray ts = translationSource({
        {"CommandLine", CommandLine::usage(), germanUsage},
        {"CommandLine", u"No “%1” slice. Available: %2"_s, u"Kein Segment „%1“. Verfügbar: %2"_s},
        {"ArchiveConverter", u"Compress to ZIP"_s, u"Als ZIP komprimieren"_s},
        {"SubtitleConverter", u"Shift Timing…"_s, u"Zeitversatz…"_s},
        {"SubtitleConverter", u"synced"_s, u"verschoben"_s,
         "added to the name of shifted subtitles"},
        {"FileOps", u"%1 doesn’t exist."_s, u"%1 gibt es nicht."_s},
    });
    const QString source = TestSupport::writeFile(m_dir.filePath(u"flingdial_de.ts"_s), ts);
    const QString bin = m_dir.filePath(u"bin"_s);
    QVERIFY(QDir().mkpath(bin + u"/translations"_s));
    QProcess lrelease;
    lrelease.start(QStringLiteral(FLINGDIAL_LRELEASE),
                   {u"-silent"_s, source, u"-qm"_s, bin + u"/translations/flingdial_de.qm"_s});
    QVERIFY(lrelease.waitForFinished(60000));
    QCOMPARE(lrelease.exitCode(), 0);
    // The program looks for translations beside itself, as it really is:
    // a symbolic link would lead it back to the build tree.
    m_program = bin + u"/flingdial"_s;
    QVERIFY(QFile::copy(QStringLiteral(FLINGDIAL_BINARY), m_program));
    m_work = m_dir.filePath(u"work"_s);
    TestSupport::writeFile(m_work + u"/talk.srt"_s, "1\n00:00:01,000 --> 00:00:02,000\nHallo\n");
}

TestSupport::Result TestTranslations::run(const QStringList& arguments, const Locale& locale,
                                          const QByteArray& input) const
{
    QProcessEnvironment environment = TestSupport::isolatedEnvironment(m_dir.filePath(u"config"_s));
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        environment.remove(QString::fromLatin1(name));
    for (const auto& [name, value] : locale)
        environment.insert(name, value);
    // The copy finds the program's plugins and helpers in the build tree.
    environment.insert(u"FLINGDIAL_MODULES_DIR"_s,
                       QFileInfo(QStringLiteral(FLINGDIAL_BINARY)).absolutePath());
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_work);
    process.start(m_program, arguments);
    process.write(input);
    process.closeWriteChannel();
    TestSupport::Result result;
    if (!process.waitForFinished(120000))
        return result;
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

void TestTranslations::helpFollowsTheLocale_data()
{
    QTest::addColumn<Locale>("locale");
    QTest::addColumn<bool>("german");
    QTest::newRow("German") << Locale{{u"LANG"_s, u"de_DE.UTF-8"_s}} << true;
    QTest::newRow("German, messages only")
        << Locale{{u"LANG"_s, u"C.UTF-8"_s}, {u"LC_MESSAGES"_s, u"de_DE.UTF-8"_s}} << true;
    QTest::newRow("no language") << Locale{{u"LANG"_s, u"C.UTF-8"_s}} << false;
    QTest::newRow("LC_ALL wins") << Locale{{u"LANG"_s, u"de_DE.UTF-8"_s},
                                           {u"LC_ALL"_s, u"C.UTF-8"_s}}
                                 << false;
}

void TestTranslations::helpFollowsTheLocale()
{
    QFETCH(Locale, locale);
    QFETCH(bool, german);
    const TestSupport::Result result = run({u"--help"_s}, locale);
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, german ? germanUsage : CommandLine::usage());
}

void TestTranslations::labelsInEitherLanguage_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("made");
    QTest::newRow("English title") << u"Compress to ZIP"_s << QByteArray() << u"talk.srt.zip"_s;
    QTest::newRow("German title") << u"als zip komprimieren"_s << QByteArray() << u"talk.srt.zip"_s;
    QTest::newRow("English, loosely")
        << u"shift timing"_s << QByteArray("1\n") << u"talk verschoben.srt"_s;
    QTest::newRow("German, loosely")
        << u"ZEITVERSATZ"_s << QByteArray("1\n") << u"talk verschoben.srt"_s;
}

void TestTranslations::labelsInEitherLanguage()
{
    QFETCH(QString, label);
    QFETCH(QByteArray, input);
    QFETCH(QString, made);
    const QString result = m_work + QLatin1Char('/') + made;
    QFile::remove(result);
    const TestSupport::Result ran =
        run({u"--run"_s, u"tools"_s, label, u"talk.srt"_s}, {{u"LANG"_s, u"de_DE.UTF-8"_s}}, input);
    QVERIFY2(ran.status == 0, qPrintable(ran.err));
    QCOMPARE(ran.out, result + QLatin1Char('\n'));
    QVERIFY(QFileInfo(result).isFile());
    QVERIFY(QFile::remove(result));
}

void TestTranslations::failuresAreTranslated()
{
    const Locale german = {{u"LANG"_s, u"de_DE.UTF-8"_s}};
    const TestSupport::Result none =
        run({u"--run"_s, u"tools"_s, u"nichts"_s, u"talk.srt"_s}, german);
    QCOMPARE(none.status, 2);
    QCOMPARE(none.out, u"Kein Segment „nichts“. Verfügbar: Zeitversatz…, Als ZIP komprimieren\n"_s);
    const TestSupport::Result missing =
        run({u"--run"_s, u"tools"_s, u"compress to zip"_s, u"gone.srt"_s}, german);
    QCOMPARE(missing.status, 1);
    QVERIFY2(missing.err.endsWith(u"error: gone.srt gibt es nicht.\n"_s), qPrintable(missing.err));
}

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_Translations.moc"
