#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

using namespace Qt::StringLiterals;

namespace {

// A PDF file made of numbered objects, with its cross-reference table.
QByteArray pdfFile(const QList<QByteArray>& objects)
{
    QByteArray file = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets.append(file.size());
        file += QByteArray::number(i + 1) + " 0 obj\n" + objects.at(i) + "\nendobj\n";
    }
    const qsizetype table = file.size();
    file += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        file += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    return file + "trailer << /Root 1 0 R /Size " + QByteArray::number(objects.size() + 1) +
           " >>\nstartxref\n" + QByteArray::number(table) + "\n%%EOF\n";
}

// A 2.5 KB page with one form field whose nameless parts each list the next
// part twice, twenty deep: poppler builds the field tree anew for every
// path through it, a million of them, and even pdfinfo runs for minutes.
QByteArray loopingPdf()
{
    constexpr int depth = 20;
    const QByteArray text = "BT /F1 24 Tf 72 700 Td (Hello) Tj ET";
    QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [6 0 R] >> >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Annots [" +
            QByteArray::number(6 + depth) +
            " 0 R] /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >> >>",
        "<< /Length " + QByteArray::number(text.size()) + " >>\nstream\n" + text + "\nendstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    };
    for (int level = 0; level < depth; ++level) {
        const int me = 6 + level;
        const QByteArray parent =
            level > 0 ? " /Parent " + QByteArray::number(me - 1) + " 0 R" : QByteArray();
        const QByteArray kid = QByteArray::number(me + 1) + " 0 R";
        objects.append("<< /FT /Tx" + parent + " /Kids [" + kid + " " + kid + "] >>");
    }
    objects.append("<< /Type /Annot /Subtype /Widget /Parent " + QByteArray::number(5 + depth) +
                   " 0 R /Rect [72 600 300 630] /P 3 0 R >>");
    return pdfFile(objects);
}

struct Ended
{
    int status = -1; // -1: still running at the deadline, then killed
    QStringList out;
    QStringList err;
    qint64 milliseconds = 0; // from the start, or from the signal when one was sent
};

// Runs a program, sends `signal` after `signalAfterMs` if asked to, and waits
// until `deadlineMs` after the start (or the signal).
Ended runUntil(const QString& program, const QStringList& arguments,
               const QProcessEnvironment& environment, qint64 deadlineMs, int signal = 0,
               int signalAfterMs = 0)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    process.waitForStarted();
    if (signal) {
        QThread::msleep(signalAfterMs);
        ::kill(pid_t(process.processId()), signal);
        clock.restart();
    }
    Ended ended;
    if (process.waitForFinished(int(deadlineMs)) && process.exitStatus() == QProcess::NormalExit)
        ended.status = process.exitCode();
    ended.milliseconds = clock.elapsed();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    }
    ended.out = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : QString::fromUtf8(process.readAllStandardError()).split(u'\n'))
        if (line.startsWith(u"error: "_s))
            ended.err.append(line);
    return ended;
}

} // namespace

// Work that never ends by itself ends all the same: a PDF that makes
// poppler loop, in-process work that never looks at its cancel flag. Each
// leaves nothing behind, no file and no process.
class TestStopping : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void loopingPdfEndsInTime_data();
    void loopingPdfEndsInTime();
    void stoppedWorkEndsAtOnce_data();
    void stoppedWorkEndsAtOnce();

private:
    void verifyNothingLeft(const QStringList& expectedNames);

    QTemporaryDir m_config;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_scratch;
    QProcessEnvironment m_environment;
};

void TestStopping::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    // Scratch folders go here, where a leftover shows.
    m_scratch = m_dir->filePath(u"scratch"_s);
    QDir().mkpath(m_scratch);
    m_environment = TestSupport::isolatedEnvironment(m_config.path());
    m_environment.insert(u"TMPDIR"_s, m_scratch);
    // Else Qt makes one in the temporary folder.
    m_environment.insert(u"XDG_RUNTIME_DIR"_s, m_config.path());
    m_environment.remove(u"FLINGDIAL_LOG"_s);
}

void TestStopping::verifyNothingLeft(const QStringList& expectedNames)
{
    QCOMPARE(TestSupport::namesIn(m_dir->filePath(u"files"_s)), expectedNames);
    QCOMPARE(TestSupport::namesIn(m_scratch), QStringList());
    QCOMPARE(TestSupport::processesNaming(m_dir->path()), QList<int>());
}

void TestStopping::loopingPdfEndsInTime_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("keepsForm");
    QTest::newRow("Compress") << u"tools"_s << u"compress"_s << false;
    // A Ghostscript that keeps the form: only the text tells its result apart.
    QTest::newRow("Compress, text checked") << u"tools"_s << u"compress"_s << true;
    for (const QString& target :
         {u"txt"_s, u"docx"_s, u"rtf"_s, u"html"_s, u"md"_s, u"epub"_s, u"png"_s, u"jpg"_s})
        QTest::addRow("to %s", qPrintable(target)) << u"convert"_s << target << false;
}

void TestStopping::loopingPdfEndsInTime()
{
    QFETCH(QString, mode);
    QFETCH(QString, label);
    QFETCH(bool, keepsForm);
    constexpr int limit = 2;
    const QString source =
        TestSupport::writeFile(m_dir->filePath(u"files/form.pdf"_s), loopingPdf());
    QVERIFY(QFileInfo(source).size() < 3000);
    QProcessEnvironment environment = m_environment;
    environment.insert(u"FLINGDIAL_PDF_PAGE_TIMEOUT"_s, QString::number(limit));
    if (keepsForm) {
        const QString qpdf = QStandardPaths::findExecutable(u"qpdf"_s);
        if (qpdf.isEmpty())
            QSKIP("qpdf (the command) is not installed");
        TestSupport::writeExecutable(
            m_dir->filePath(u"tools/gs"_s),
            "for a; do case $a in -sOutputFile=*) out=${a#-sOutputFile=};; esac; in=$a; done\n"
            "exec " +
                qpdf.toUtf8() + " --object-streams=generate \"$in\" \"$out\"\n");
        environment.insert(u"FLINGDIAL_TOOL_DIRS"_s, m_dir->filePath(u"tools"_s));
    }
    const Ended ended = runUntil(QStringLiteral(FLINGDIAL_BINARY),
                                 {u"--run"_s, mode, label, source}, environment, 60000);
    QVERIFY2(ended.milliseconds < (limit + 5) * 1000,
             qPrintable(u"%1 ms, status %2"_s.arg(ended.milliseconds).arg(ended.status)));
    // A result, or one sentence.
    QStringList names{u"form.pdf"_s};
    if (ended.status == 0) {
        QCOMPARE(ended.out.size(), 1);
        QVERIFY(ended.err.isEmpty());
        names.append(QFileInfo(ended.out.first()).fileName());
        names.sort();
    } else {
        QCOMPARE(ended.status, 1);
        QCOMPARE(ended.err.size(), 1);
        QVERIFY2(ended.err.first().contains(u"form.pdf"_s), qPrintable(ended.err.first()));
    }
    verifyNothingLeft(names);
}

void TestStopping::stoppedWorkEndsAtOnce_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("status");
    // timeout(1) sends SIGTERM after its time and answers 124.
    QTest::newRow("timeout") << 0 << 124;
    QTest::newRow("SIGTERM") << int(SIGTERM) << 143;
    QTest::newRow("Ctrl+C") << int(SIGINT) << 130;
}

void TestStopping::stoppedWorkEndsAtOnce()
{
    QFETCH(int, signal);
    QFETCH(int, status);
    // Laying out twenty megabytes of text as PDF pages takes a while, in
    // process, and never looks at the cancel flag.
    QByteArray text;
    for (int line = 0; text.size() < 20'000'000; ++line)
        text += "Line " + QByteArray::number(line) +
                " of a long text that takes its time to lay out as pages.\n";
    TestSupport::writeFile(m_dir->filePath(u"files/long.txt"_s), text);
    const QStringList run = {QStringLiteral(FLINGDIAL_BINARY), u"--run"_s, u"convert"_s, u"pdf"_s,
                             m_dir->filePath(u"files/long.txt"_s)};
    constexpr int stopAfter = 2;
    // Stopped runs end within two seconds.
    const Ended ended =
        signal ? runUntil(run.first(), run.mid(1), m_environment, 60000, signal, stopAfter * 1000)
               : runUntil(QStandardPaths::findExecutable(u"timeout"_s),
                          QStringList{QString::number(stopAfter)} + run, m_environment, 60000);
    QCOMPARE(ended.status, status);
    const qint64 allowed = (signal ? 0 : stopAfter * 1000) + 2000;
    QVERIFY2(ended.milliseconds <= allowed, qPrintable(u"%1 ms"_s.arg(ended.milliseconds)));
    QCOMPARE(ended.out, QStringList());
    QCOMPARE(ended.err, QStringList());
    verifyNothingLeft({u"long.txt"_s});
}

QTEST_GUILESS_MAIN(TestStopping)
#include "tst_Stopping.moc"
