#include "catalog/Catalog.h"
#include "core/NameReservations.h"
#include "core/Settings.h"
#include "core/Shell.h"
#include "support/Media.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

using TestSupport::ScopedEnv;

// Every family's operations, made to fail by a corrupt input or by a
// destination that can't be written: nothing may be left behind, in the
// destination or the temporary folder, and the result's name is free again.
class TestFailingOperations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void leaveNothingBehind_data();
    void leaveNothingBehind();
    void fullDiskFailsAndLeavesNothing_data();
    void fullDiskFailsAndLeavesNothing();

private:
    QString makeInput(const QString& name, bool corrupt);
    static QStringList everything(const QString& folder);

    // Made before TMPDIR points elsewhere, so they don't land in m_temporary.
    TestSupport::PrivateSettings m_settings;
    QTemporaryDir m_runtime;
    QTemporaryDir m_temporary;
    QTemporaryDir m_workspace;
    std::unique_ptr<ScopedEnv> m_tmpdir;
    std::unique_ptr<QTemporaryDir> m_work;
};

void TestFailingOperations::initTestCase()
{
    m_tmpdir = std::make_unique<ScopedEnv>("TMPDIR", m_temporary.path().toLocal8Bit());
}

void TestFailingOperations::init()
{
    m_work = std::make_unique<QTemporaryDir>(m_workspace.filePath(u"work-XXXXXX"_s));
}

void TestFailingOperations::cleanup()
{
    Settings::shared().reset(SettingKeys::outputMode);
    Settings::shared().reset(SettingKeys::outputPath);
}

QStringList TestFailingOperations::everything(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QString TestFailingOperations::makeInput(const QString& name, bool corrupt)
{
    const QString path = m_work->filePath(name);
    if (corrupt)
        return TestSupport::writeFile(path, QByteArray(3000, '\x5a') + "not what it claims");
    const QString key = QFileInfo(name).suffix();
    if (key == u"png") {
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        picture.save(path);
    } else if (key == u"mp4") {
        Media::makeVideo(path, 64, 48, 0.5);
    } else if (key == u"wav") {
        Media::makeAudio(path, 0.5);
    } else if (key == u"srt") {
        TestSupport::writeFile(path, "1\n00:00:01,000 --> 00:00:02,000\nHello\n");
    } else if (key == u"zip") {
        TestSupport::writeFile(m_work->filePath(u"inside.txt"_s), "text");
        Shell::run(u"/usr/bin/zip"_s, {u"-q"_s, path, u"inside.txt"_s}, m_work->path());
        QFile::remove(m_work->filePath(u"inside.txt"_s));
    }
    return path;
}

void TestFailingOperations::leaveNothingBehind_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("corrupt");

    QTest::newRow("image, corrupt") << u"a.png"_s << u"convert"_s << u"JPG"_s << true;
    QTest::newRow("image, unwritable") << u"a.png"_s << u"convert"_s << u"WEBP"_s << false;
    QTest::newRow("image tool, corrupt") << u"a.png"_s << u"tools"_s << u"Rotate"_s << true;
    QTest::newRow("image to PDF, unwritable")
        << u"a.png"_s << u"tools"_s << u"Merge into PDF"_s << false;
    QTest::newRow("video, corrupt") << u"a.mp4"_s << u"convert"_s << u"MKV"_s << true;
    QTest::newRow("video, unwritable") << u"a.mp4"_s << u"convert"_s << u"MKV"_s << false;
    QTest::newRow("audio, corrupt") << u"a.wav"_s << u"convert"_s << u"FLAC"_s << true;
    QTest::newRow("audio, unwritable") << u"a.wav"_s << u"tools"_s << u"Reverse"_s << false;
    QTest::newRow("pdf, corrupt") << u"a.pdf"_s << u"convert"_s << u"TXT"_s << true;
    QTest::newRow("document, corrupt") << u"a.docx"_s << u"convert"_s << u"PDF"_s << true;
    QTest::newRow("slides, corrupt") << u"a.pptx"_s << u"convert"_s << u"PDF"_s << true;
    QTest::newRow("spreadsheet, corrupt") << u"a.xlsx"_s << u"convert"_s << u"CSV"_s << true;
    QTest::newRow("subtitle, unwritable") << u"a.srt"_s << u"convert"_s << u"VTT"_s << false;
    QTest::newRow("archive, corrupt") << u"a.zip"_s << u"convert"_s << u"TAR"_s << true;
    QTest::newRow("archive, unwritable") << u"a.zip"_s << u"convert"_s << u"GZIP"_s << false;
    QTest::newRow("extract, corrupt") << u"a.zip"_s << u"tools"_s << u"Extract"_s << true;
    QTest::newRow("compress, unwritable")
        << u"a.srt"_s << u"tools"_s << u"Compress to ZIP"_s << false;
}

void TestFailingOperations::leaveNothingBehind()
{
    QFETCH(QString, input);
    QFETCH(QString, mode);
    QFETCH(QString, title);
    QFETCH(bool, corrupt);

    const QString file = makeInput(input, corrupt);
    QString destination = m_work->path();
    if (!corrupt) {
        // A folder below a plain file can't be made, not even by root.
        const QString blocker = TestSupport::writeFile(m_work->filePath(u"blocker"_s));
        destination = blocker + u"/out"_s;
        Settings::shared().set(SettingKeys::outputMode, u"custom"_s);
        Settings::shared().set(SettingKeys::outputPath, destination);
    }
    const QStringList before = everything(m_work->path());

    const QList<Operation> operations =
        Catalog::slices(WheelMode::fromRawValue(mode).value(), {file});
    const auto chosen = std::find_if(operations.cbegin(), operations.cend(),
                                     [&](const Operation& op) { return op.title == title; });
    QVERIFY2(chosen != operations.cend(), qPrintable(title));
    {
        const NameReservations::Scope names;
        QVERIFY_THROWS_EXCEPTION(Error, chosen->perform({file}));
    }

    QCOMPARE(everything(m_work->path()), before);
    QCOMPARE(everything(m_temporary.path()), QStringList());
    const QString stem = QFileInfo(file).completeBaseName();
    for (const QString& extension : {u"jpg"_s, u"webp"_s, u"mkv"_s, u"flac"_s, u"vtt"_s, u"tar"_s,
                                     u"tar.gz"_s, u"zip"_s, u"pdf"_s})
        QVERIFY(
            !NameReservations::shared().isClaimed(destination + u'/' + stem + u'.' + extension));
}

void TestFailingOperations::fullDiskFailsAndLeavesNothing_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("title");
    QTest::newRow("image to PDF") << u"noise.png"_s << u"convert"_s << u"PDF"_s;
    QTest::newRow("merge into PDF") << u"noise.png"_s << u"tools"_s << u"Merge into PDF"_s;
    QTest::newRow("image to TIFF") << u"noise.png"_s << u"convert"_s << u"TIFF"_s;
    QTest::newRow("image to PNG") << u"noise.bmp"_s << u"convert"_s << u"PNG"_s;
    QTest::newRow("audio to FLAC") << u"noise.wav"_s << u"convert"_s << u"FLAC"_s;
    QTest::newRow("extract") << u"big.zip"_s << u"tools"_s << u"Extract"_s;
    QTest::newRow("compress") << u"big.zip"_s << u"tools"_s << u"Compress to ZIP"_s;
    QTest::newRow("subtitles") << u"many.srt"_s << u"convert"_s << u"VTT"_s;
    QTest::newRow("text to PDF") << u"long.txt"_s << u"convert"_s << u"PDF"_s;
    QTest::newRow("text to DOCX") << u"long.txt"_s << u"convert"_s << u"DOCX"_s;
}

void TestFailingOperations::fullDiskFailsAndLeavesNothing()
{
    QFETCH(QString, input);
    QFETCH(QString, mode);
    QFETCH(QString, title);
    // Results go to a disk with room for 128 KB; each of these is bigger.
    const TestSupport::SmallDisk disk(m_work->filePath(u"small"_s), 128 * 1024);
    if (!disk.isMounted())
        QSKIP("can't mount a small tmpfs here (that needs root): no full-disk test");
    Settings::shared().set(SettingKeys::outputMode, u"custom"_s);
    Settings::shared().set(SettingKeys::outputPath, disk.path());

    const QString file = m_work->filePath(input);
    auto* random = QRandomGenerator::global();
    if (input.startsWith(u"noise") && !input.endsWith(u".wav")) {
        QImage picture(700, 700, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, random->generate());
        QVERIFY(picture.save(file));
    } else if (input == u"noise.wav") {
        QVERIFY(Shell::run(u"/usr/bin/ffmpeg"_s, {u"-v"_s, u"error"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                                                  u"anoisesrc=d=3:c=white"_s, u"-y"_s, file})
                    .isEmpty());
    } else if (input == u"big.zip") {
        QByteArray noise(600 * 1024, Qt::Uninitialized);
        random->fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        TestSupport::writeFile(m_work->filePath(u"big/noise.bin"_s), noise);
        TestSupport::writeFile(m_work->filePath(u"big/other.bin"_s), "x");
        Shell::run(u"/usr/bin/zip"_s, {u"-q"_s, u"-r"_s, file, u"big"_s}, m_work->path());
    } else if (input == u"long.txt") {
        QByteArray text;
        for (int i = 0; text.size() < 400 * 1024; ++i)
            text += QByteArray::number(random->generate(), 36) + (i % 12 ? " " : "\n");
        TestSupport::writeFile(file, text);
    } else if (input == u"many.srt") {
        QByteArray cues;
        for (int i = 1; i <= 4000; ++i)
            cues += QByteArray::number(i) + "\n00:00:01,000 --> 00:00:02,000\nA line of text\n\n";
        TestSupport::writeFile(file, cues);
    }
    QStringList results;
    if (input.endsWith(u".txt")) {
        // Documents are laid out with Qt's GUI, which the program sets up.
        QProcessEnvironment environment = TestSupport::isolatedEnvironment(m_settings.configHome());
        environment.insert(u"TMPDIR"_s, m_temporary.path());
        environment.insert(u"XDG_RUNTIME_DIR"_s, m_runtime.path());
        const auto run = TestSupport::runFlingdial({u"--run"_s, mode, title, file}, environment);
        QCOMPARE(run.status, 1);
        results = run.out.split(u'\n', Qt::SkipEmptyParts);
    } else {
        const QList<Operation> operations =
            Catalog::slices(WheelMode::fromRawValue(mode).value(), {file});
        const auto chosen = std::find_if(operations.cbegin(), operations.cend(),
                                         [&](const Operation& op) { return op.title == title; });
        QVERIFY2(chosen != operations.cend(), qPrintable(title));
        try {
            const NameReservations::Scope names;
            results = chosen->perform({file});
        } catch (const Error&) {
        }
    }
    QVERIFY2(results.isEmpty(), qPrintable(u"reported as done: "_s + results.join(u", ")));
    QCOMPARE(everything(disk.path()), QStringList());
    QCOMPARE(everything(m_temporary.path()).join(u", "), QString());
}

QTEST_GUILESS_MAIN(TestFailingOperations)
#include "tst_FailingOperations.moc"
