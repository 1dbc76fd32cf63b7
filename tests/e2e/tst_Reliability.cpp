#include "core/Deps.h"
#include "core/Shell.h"
#include "support/Media.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <zlib.h>

using namespace Qt::StringLiterals;

using TestSupport::runFlingdial;

namespace {

// A PNG whose header declares far more pixels than its few bytes hold.
QByteArray pixelBomb()
{
    const auto chunk = [](const QByteArray& type, const QByteArray& data) {
        QByteArray out;
        const quint32 length = quint32(data.size());
        out.append(char(length >> 24))
            .append(char(length >> 16))
            .append(char(length >> 8))
            .append(char(length));
        out += type + data;
        const quint32 crc = quint32(crc32(crc32(0, nullptr, 0),
                                          reinterpret_cast<const Bytef*>((type + data).constData()),
                                          uInt(type.size() + data.size())));
        out.append(char(crc >> 24))
            .append(char(crc >> 16))
            .append(char(crc >> 8))
            .append(char(crc));
        return out;
    };
    QByteArray header;
    for (const quint32 side : {50000u, 50000u})
        header.append(char(side >> 24))
            .append(char(side >> 16))
            .append(char(side >> 8))
            .append(char(side));
    header.append("\x08\x02\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) +
           chunk("IDAT", QByteArray(64, '\0')) + chunk("IEND", {});
}

} // namespace

// Hostile and unlucky cases through the program as users run it.
class TestReliability : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void parallelRunsNeverShareAName();
    void oneClearLine_data();
    void oneClearLine();
    void namesAreNeverPatterns();
    void namesThatArentUtf8();
    void readOnlyDisksSaySoBeforeAnyWork_data();
    void readOnlyDisksSaySoBeforeAnyWork();

private:
    QStringList everything() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QProcessEnvironment m_environment;
};

void TestReliability::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_environment = TestSupport::isolatedEnvironment(m_dir->filePath(u".config"_s));
    // Nothing here draws: the runs need no display.
    m_environment.remove(u"DISPLAY"_s);
    m_environment.remove(u"WAYLAND_DISPLAY"_s);
}

QStringList TestReliability::everything() const
{
    return QDir(m_dir->path())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

void TestReliability::parallelRunsNeverShareAName()
{
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    const QString source = m_dir->filePath(u"a.png"_s);
    picture.save(source);
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < 12; ++i) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(m_environment);
        process->start(QStringLiteral(FLINGDIAL_BINARY),
                       {u"--run"_s, u"convert"_s, u"jpg"_s, source});
        runs.push_back(std::move(process));
    }
    QSet<QString> results;
    for (const auto& process : runs) {
        QVERIFY(process->waitForFinished(60000));
        QCOMPARE(process->exitCode(), 0);
        results.insert(QString::fromUtf8(process->readAllStandardOutput()).trimmed());
    }
    QCOMPARE(results.size(), 12);
    for (const QString& result : std::as_const(results))
        QVERIFY2(!QImage(result).isNull(), qPrintable(result));
    QCOMPARE(QDir(m_dir->path()).entryList({u"*.jpg"_s}).size(), 12);
}

void TestReliability::oneClearLine_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    QTest::newRow("a FIFO") << u"fifo"_s << QStringList{u"convert"_s, u"vtt"_s, u"a.srt"_s}
                            << u"a.srt isn’t a regular file."_s;
    QTest::newRow("a link to /dev/zero")
        << u"zero"_s << QStringList{u"convert"_s, u"vtt"_s, u"z.srt"_s}
        << u"z.srt isn’t a regular file."_s;
    QTest::newRow("a folder named like a picture")
        << u"folder"_s << QStringList{u"convert"_s, u"jpg"_s, u"dir.png"_s}
        << u"dir.png is a folder, not a file."_s;
    QTest::newRow("a folder named like an archive")
        << u"folder"_s << QStringList{u"tools"_s, u"extract"_s, u"dir.zip"_s}
        << u"dir.zip is a folder, not a file."_s;
    QTest::newRow("a missing file")
        << u"missing"_s << QStringList{u"convert"_s, u"jpg"_s, u"gone.png"_s}
        << u"gone.png doesn’t exist."_s;
    QTest::newRow("a truncated PNG")
        << u"truncated"_s << QStringList{u"convert"_s, u"jpg"_s, u"cut.png"_s}
        << u"cut.png is damaged or incomplete."_s;
    QTest::newRow("a pixel bomb")
        << u"bomb"_s << QStringList{u"convert"_s, u"heic"_s, u"bomb.png"_s}
        << u"bomb.png has more pixels than can be opened (50000 × 50000)."_s;
    QTest::newRow("a pixel bomb through ImageMagick")
        << u"bomb"_s << QStringList{u"convert"_s, u"tiff"_s, u"bomb.png"_s}
        << u"bomb.png has more pixels than can be opened (50000 × 50000)."_s;
    QTest::newRow("an animation bomb through ImageMagick")
        << u"animation"_s << QStringList{u"convert"_s, u"webp"_s, u"bomb.gif"_s}
        << u"bomb.gif has more pixels than can be opened (100 frames of 2000 × 2000)."_s;
    QTest::newRow("garbage through ImageMagick")
        << u"garbage"_s << QStringList{u"convert"_s, u"png"_s, u"g.jpg"_s}
        << u"ImageMagick couldn’t convert g.jpg."_s;
    QTest::newRow("resize beyond the pixel limit")
        << u"resize"_s << QStringList{u"tools"_s, u"resize…"_s, u"p.png"_s}
        << u"At 100000 pixels, p.png would have more pixels than can be saved (100000 × 66667)."_s;
    QTest::newRow("garbage through ffmpeg")
        << u"garbage video"_s << QStringList{u"convert"_s, u"mov"_s, u"g.mp4"_s}
        << u"ffmpeg couldn’t convert g.mp4."_s;
    QTest::newRow("an encrypted ZIP")
        << u"encrypted"_s << QStringList{u"tools"_s, u"extract"_s, u"enc.zip"_s}
        << u"enc.zip is password protected."_s;
    QTest::newRow("trim past the end")
        << u"trim"_s << QStringList{u"tools"_s, u"trim…"_s, u"clip.mp4"_s}
        << u"clip.mp4 is only 2.0 seconds long."_s;
}

void TestReliability::oneClearLine()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    const QString folder = m_dir->path();
    QByteArray input;
    auto environment = m_environment;
    if (kind == u"fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(folder + u"/a.srt"_s).constData(), 0600), 0);
    } else if (kind == u"zero") {
        QVERIFY(QFile::link(u"/dev/zero"_s, folder + u"/z.srt"_s));
    } else if (kind == u"folder") {
        QVERIFY(QDir(folder).mkpath(arguments.last()));
    } else if (kind == u"animation") {
        // A few kilobytes that ImageMagick once decoded into 14 GB.
        if (!Deps::imageMagick())
            QSKIP("ImageMagick isn't installed");
        Shell::run(u"/usr/bin/ffmpeg"_s, {u"-v"_s, u"error"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                                          u"color=c=red:s=2000x2000:r=10"_s, u"-frames:v"_s,
                                          u"100"_s, folder + u"/bomb.gif"_s});
    } else if (kind == u"garbage video") {
        TestSupport::writeFile(folder + u"/g.mp4"_s, QByteArray(4096, 'x'));
    } else if (kind == u"garbage") {
        if (!Deps::imageMagick())
            QSKIP("ImageMagick isn't installed");
        TestSupport::writeFile(folder + u"/g.jpg"_s, "not a picture at all");
    } else if (kind == u"truncated" || kind == u"bomb") {
        // The built-in engine, with ImageMagick out of sight, unless the
        // row is about ImageMagick.
        if (!arguments.contains(u"tiff"_s))
            environment.insert(u"FLINGDIAL_TOOL_DIRS"_s, folder + u"/none"_s);
        else if (!Deps::imageMagick())
            QSKIP("ImageMagick isn't installed");
        QImage picture(400, 300, QImage::Format_RGB32);
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x)
                picture.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
        TestSupport::writeFile(folder + (kind == u"bomb" ? u"/bomb.png"_s : u"/cut.png"_s),
                               kind == u"bomb" ? pixelBomb() : png.left(png.size() * 3 / 10));
    } else if (kind == u"resize") {
        QImage picture(300, 200, QImage::Format_RGB32);
        picture.fill(Qt::darkBlue);
        picture.save(folder + u"/p.png"_s);
        input = "100000\n";
    } else if (kind == u"encrypted") {
        TestSupport::writeFile(folder + u"/s.txt"_s, "secret");
        Shell::run(u"/usr/bin/zip"_s, {u"-q"_s, u"-P"_s, u"pw"_s, u"enc.zip"_s, u"s.txt"_s},
                   folder);
        QFile::remove(folder + u"/s.txt"_s);
    } else if (kind == u"trim") {
        Media::makeVideo(folder + u"/clip.mp4"_s, 64, 48, 2);
        input = "0:05 - 0:09\n";
    }
    const QStringList before = everything();
    // Half a gigabyte is plenty for the program, and far from enough to
    // decode a pixel bomb.
    const auto result =
        runFlingdial(QStringList{u"--run"_s} + arguments, environment, folder, input, 512LL << 20);
    QCOMPARE(result.status, 1);
    const QStringList errors = result.err.split(u'\n').filter(QRegularExpression(u"^error: "_s));
    QCOMPARE(errors, QStringList{u"error: "_s + error});
    QCOMPARE(everything(), before);
}

void TestReliability::namesAreNeverPatterns()
{
    const QString folder = m_dir->path();
    QImage picture(32, 32, QImage::Format_RGB32);
    picture.fill(Qt::red);
    picture.save(folder + u"/shot%d.png"_s);
    picture.fill(Qt::blue);
    picture.save(folder + u"/shot0.png"_s);
    Media::makeVideo(folder + u"/take%d.mp4"_s, 64, 48, 1);
    TestSupport::writeFile(folder + u"/take1 frame.jpg"_s, "already here");

    const auto image =
        runFlingdial({u"--run"_s, u"convert"_s, u"jpg"_s, u"shot%d.png"_s}, m_environment, folder);
    QCOMPARE(image.out.trimmed(), folder + u"/shot%d.jpg"_s);
    // The red picture, not shot0's blue one.
    QVERIFY(qRed(QImage(image.out.trimmed()).pixel(16, 16)) > 200);

    const auto frame =
        runFlingdial({u"--run"_s, u"tools"_s, u"frame"_s, u"take%d.mp4"_s}, m_environment, folder);
    QCOMPARE(frame.out.trimmed(), folder + u"/take%d frame.jpg"_s);
    QVERIFY(!QImage(frame.out.trimmed()).isNull());
    QCOMPARE(TestSupport::readFile(folder + u"/take1 frame.jpg"_s), QByteArray("already here"));
}

void TestReliability::namesThatArentUtf8()
{
    // "café.srt" in Latin-1: a legal name that Unicode strings can't carry.
    const QByteArray folder = QFile::encodeName(m_dir->path());
    const QByteArray latin1 = folder + "/inside/caf\xe9.srt";
    QVERIFY(QDir().mkpath(m_dir->filePath(u"inside"_s)));
    // Qt can't name it either, so the temporary folder couldn't remove it.
    const auto removeIt = qScopeGuard([&] { ::unlink(latin1.constData()); });
    QFile file;
    const int fd = ::open(latin1.constData(), O_CREAT | O_WRONLY, 0644);
    QVERIFY(fd >= 0);
    QVERIFY(file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
    file.write("1\n00:00:01,000 --> 00:00:02,000\nHello\n");
    file.close();

    // Handed over by name, it fails with a sentence instead of "doesn't exist".
    QProcess shell;
    shell.setProcessEnvironment(m_environment);
    shell.setWorkingDirectory(m_dir->filePath(u"inside"_s));
    shell.start(u"/bin/sh"_s,
                {u"-c"_s, u"exec \"$0\" --run convert vtt \"$(printf 'caf\\351.srt')\""_s,
                 u"" FLINGDIAL_BINARY ""_s});
    QVERIFY(shell.waitForFinished(60000));
    QCOMPARE(shell.exitCode(), 1);
    QVERIFY2(shell.readAllStandardError().contains(
                 u"error: The name of “caf\uFFFD.srt” isn’t valid UTF-8, which Flingdial can’t "
                 "handle. Rename the file and try again."_s.toUtf8()),
             "no clear sentence");

    // Inside a folder it is packed under its own bytes.
    const auto packed = TestSupport::runFlingdial({u"--run"_s, u"convert"_s, u"tar"_s, u"inside"_s},
                                                  m_environment, m_dir->path());
    QCOMPARE(packed.status, 0);
    QVERIFY(TestSupport::readFile(packed.out.trimmed()).contains("inside/caf\xe9.srt"));
}

void TestReliability::readOnlyDisksSaySoBeforeAnyWork_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("result");
    QTest::newRow("ImageMagick") << u"a.png"_s << QStringList{u"convert"_s, u"jpg"_s} << u"a.jpg"_s;
    QTest::newRow("ffmpeg") << u"a.wav"_s << QStringList{u"convert"_s, u"mp3"_s} << u"a.mp3"_s;
    QTest::newRow("subtitles") << u"a.srt"_s << QStringList{u"convert"_s, u"vtt"_s} << u"a.vtt"_s;
    QTest::newRow("packing") << u"a.srt"_s << QStringList{u"tools"_s, u"compress to zip"_s}
                             << u"a.srt.zip"_s;
}

// Child programs used to complain about hidden names the user never chose
// ("unable to open image …/a.jpg: No such file or directory").
void TestReliability::readOnlyDisksSaySoBeforeAnyWork()
{
    QFETCH(QString, input);
    QFETCH(QStringList, arguments);
    QFETCH(QString, result);
    const TestSupport::SmallDisk disk(m_dir->filePath(u"disk"_s), 4 << 20);
    if (!disk.isMounted())
        QSKIP("can't mount a small tmpfs here (that needs root): no read-only disk test");
    const QString file = disk.path() + u'/' + input;
    if (input == u"a.png") {
        QImage picture(32, 32, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(file));
    } else if (input == u"a.wav") {
        Media::makeAudio(file, 0.5);
    } else {
        TestSupport::writeFile(file, "1\n00:00:01,000 --> 00:00:02,000\nHello\n");
    }
    QVERIFY(disk.makeReadOnly());

    const auto run =
        runFlingdial(QStringList{u"--run"_s} + arguments + QStringList{file}, m_environment);
    QCOMPARE(run.status, 1);
    QCOMPARE(run.err.trimmed(),
             u"error: “%1” couldn’t be saved: Read-only file system."_s.arg(result));
}

QTEST_GUILESS_MAIN(TestReliability)
#include "tst_Reliability.moc"
