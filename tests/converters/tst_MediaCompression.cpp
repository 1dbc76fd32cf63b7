#include "base/Errors.h"
#include "catalog/Catalog.h"
#include "converters/media/MediaCompression.h"
#include "converters/media/MediaConverter.h"
#include "converters/media/SizeLimit.h"
#include "core/Deps.h"
#include "core/Job.h"
#include "core/NameReservations.h"
#include "core/Settings.h"
#include "support/Media.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

using TestSupport::ScopedEnv;
using TestSupport::ScriptedAnswers;

namespace {

void ffmpeg(const QStringList& arguments)
{
    QProcess process;
    process.start(u"ffmpeg"_s, QStringList{u"-v"_s, u"error"_s, u"-y"_s} + arguments);
    QVERIFY(process.waitForFinished(120000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
}

QStringList lavfiClip(double seconds, const QString& size = u"640x360"_s)
{
    return {u"-f"_s,  u"lavfi"_s,
            u"-i"_s,  u"testsrc2=size=%1:rate=25:duration=%2"_s.arg(size).arg(seconds),
            u"-f"_s,  u"lavfi"_s,
            u"-i"_s,  u"sine=frequency=440:sample_rate=48000:duration=%1"_s.arg(seconds),
            u"-ac"_s, u"2"_s};
}

qint64 sizeOf(const QString& path)
{
    return QFileInfo(path).size();
}

const Operation& tool(const QList<Operation>& tools, const QString& title)
{
    static QList<Operation> kept;
    kept = tools;
    for (const Operation& each : kept) {
        if (each.title == title)
            return each;
    }
    qFatal("no tool %s", qPrintable(title));
}

} // namespace

// Compress and Compress to Size… for audio and video, and the tags that
// travel with conversions, on clips made with ffmpeg.
class TestMediaCompression : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void sizeAnswers_data();
    void sizeAnswers();
    void spokenSizes();
    void videoPlans();
    void compressKeepsTheFormat_data();
    void compressKeepsTheFormat();
    void compressNeverGrowsAFile();
    void compressSaysWhatItSaved();
    void videoToSize_data();
    void videoToSize();
    void videoThatCantFit();
    void audioToSize();
    void alreadySmallEnough();
    void toSizeReportsBothPasses();
    void toSizeCancelledLeavesNothing();
    void tagsTravelWithConversions_data();
    void tagsTravelWithConversions();
    void phoneLocationKeyIsCarried();
    void removeLocationFromVideo();
    void stripMetadataFromVideo();
    void conversionsRunSideBySideInOrder();
    void filesSideBySideShareTheCores();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    TestSupport::PrivateSettings m_settings;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<NameReservations::Scope> m_names;
};

void TestMediaCompression::initTestCase()
{
    if (!Deps::ffmpeg())
        QSKIP("ffmpeg is not installed");
    QLocale::setDefault(QLocale::c());
}

void TestMediaCompression::init()
{
    m_names.reset();
    m_names = std::make_unique<NameReservations::Scope>();
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestMediaCompression::sizeAnswers_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<qint64>("bytes"); // 0: refused
    QTest::newRow("megabytes") << u"10 MB"_s << qint64(10'000'000);
    QTest::newRow("no space, lower case") << u"25mb"_s << qint64(25'000'000);
    QTest::newRow("a bare number is megabytes") << u"8"_s << qint64(8'000'000);
    QTest::newRow("decimal point") << u"9.5 MB"_s << qint64(9'500'000);
    QTest::newRow("decimal comma") << u"9,5 MB"_s << qint64(9'500'000);
    QTest::newRow("kilobytes") << u"500 KB"_s << qint64(500'000);
    QTest::newRow("gigabytes") << u" 2 GB "_s << qint64(2'000'000'000);
    QTest::newRow("zero") << u"0 MB"_s << qint64(0);
    QTest::newRow("negative") << u"-5 MB"_s << qint64(0);
    QTest::newRow("words") << u"ten megabytes"_s << qint64(0);
    QTest::newRow("other unit") << u"10 MiB"_s << qint64(0);
}

void TestMediaCompression::sizeAnswers()
{
    QFETCH(QString, answer);
    QFETCH(qint64, bytes);
    QCOMPARE(SizeLimit::parse(answer).value_or(0), bytes);
    if (bytes == 0) {
        const ScriptedAnswers typed(answer.toUtf8() + '\n');
        QCOMPARE(TestSupport::failureOf([] { SizeLimit::ask(); }),
                 u"“%1” isn’t a size. Write it like this: 10 MB."_s.arg(answer.trimmed()));
    }
}

void TestMediaCompression::spokenSizes()
{
    QCOMPARE(SizeLimit::spoken(10'000'000), u"10 MB"_s);
    QCOMPARE(SizeLimit::spoken(1'500'000), u"1.5 MB"_s);
    QCOMPARE(SizeLimit::spoken(700'000), u"700 kB"_s);
    QCOMPARE(SizeLimit::spoken(25'000'000), u"25 MB"_s);
    // Rounded up where the size must be reached.
    QCOMPARE(SizeLimit::spokenAtLeast(82'475), u"83 kB"_s);
    QCOMPARE(SizeLimit::spokenAtLeast(1'420'001), u"1.5 MB"_s);
    QCOMPARE(SizeLimit::spokenAtLeast(14'000'000), u"14 MB"_s);
}

void TestMediaCompression::videoPlans()
{
    // A minute of 1080p30 into 10 MB: AAC at 128k, 720p for the rest.
    const auto tenMegabytes = SizeLimit::planVideo(60, QSize(1920, 1080), 30, true, 10'000'000);
    const auto& plan = std::get<SizeLimit::VideoPlan>(tenMegabytes);
    QCOMPARE(plan.audioKbps, 128);
    QCOMPARE(plan.height, 720);
    QCOMPARE(plan.fps, 0.0);
    QVERIFY2(plan.videoKbps > 1100 && plan.videoKbps + plan.audioKbps <= 10'000'000 * 8 / 60 / 1000,
             qPrintable(QString::number(plan.videoKbps)));
    // Plenty of room: the source's picture.
    QCOMPARE(std::get<SizeLimit::VideoPlan>(
                 SizeLimit::planVideo(60, QSize(1920, 1080), 30, true, 50'000'000))
                 .height,
             0);
    // Without audio, all of it goes to the picture.
    QCOMPARE(std::get<SizeLimit::VideoPlan>(
                 SizeLimit::planVideo(60, QSize(1280, 720), 30, false, 10'000'000))
                 .audioKbps,
             0);
    // A fast picture gives up frames before lines.
    const auto fast = std::get<SizeLimit::VideoPlan>(
        SizeLimit::planVideo(60, QSize(1920, 1080), 60, true, 20'000'000));
    QCOMPARE(fast.fps, 30.0);
    // Twelve minutes into 8 MB: not even 240p; what would fit is said.
    const auto tooSmall = SizeLimit::planVideo(720, QSize(1920, 1080), 30, true, 8'000'000);
    const qint64 smallest = std::get<qint64>(tooSmall);
    QVERIFY2(smallest > 8'000'000 && smallest < 20'000'000, qPrintable(QString::number(smallest)));
    QVERIFY(std::holds_alternative<SizeLimit::VideoPlan>(
        SizeLimit::planVideo(720, QSize(1920, 1080), 30, true, smallest)));

    QCOMPARE(std::get<int>(SizeLimit::planAudio(100, 1'000'000)), 77);
    QVERIFY(std::holds_alternative<qint64>(SizeLimit::planAudio(100, 300'000)));
}

void TestMediaCompression::compressKeepsTheFormat_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("making"); // the codec arguments of the source
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("codec");
    const auto rich = QStringList{u"-c:v"_s, u"libx264"_s, u"-crf"_s, u"8"_s,
                                  u"-c:a"_s, u"aac"_s,     u"-b:a"_s, u"256k"_s};
    QTest::newRow("mp4") << u"clip.mp4"_s << rich << u"clip compressed.mp4"_s << u"h264"_s;
    QTest::newRow("mov") << u"clip.mov"_s << rich << u"clip compressed.mov"_s << u"h264"_s;
    QTest::newRow("mkv") << u"clip.mkv"_s << rich << u"clip compressed.mkv"_s << u"h264"_s;
    QTest::newRow("webm stays webm")
        << u"clip.webm"_s
        << QStringList{u"-c:v"_s, u"libvpx-vp9"_s, u"-crf"_s,     u"4"_s,         u"-b:v"_s,
                       u"0"_s,    u"-deadline"_s,  u"realtime"_s, u"-cpu-used"_s, u"8"_s,
                       u"-c:a"_s, u"libopus"_s,    u"-b:a"_s,     u"256k"_s}
        << u"clip compressed.webm"_s << u"vp9"_s;
    QTest::newRow("avi becomes mp4")
        << u"clip.avi"_s << QStringList{u"-c:v"_s, u"mpeg4"_s, u"-q:v"_s, u"1"_s}
        << u"clip compressed.mp4"_s << u"h264"_s;
    QTest::newRow("mp3") << u"song.mp3"_s << QStringList{u"-vn"_s, u"-b:a"_s, u"320k"_s}
                         << u"song compressed.mp3"_s << u"mp3"_s;
    QTest::newRow("m4a") << u"song.m4a"_s << QStringList{u"-vn"_s, u"-b:a"_s, u"320k"_s}
                         << u"song compressed.m4a"_s << u"aac"_s;
    QTest::newRow("ogg") << u"song.ogg"_s << QStringList{u"-vn"_s, u"-q:a"_s, u"9"_s}
                         << u"song compressed.ogg"_s << u"vorbis"_s;
    QTest::newRow("opus") << u"song.opus"_s << QStringList{u"-vn"_s, u"-b:a"_s, u"256k"_s}
                          << u"song compressed.opus"_s << u"opus"_s;
    QTest::newRow("wav becomes mp3")
        << u"song.wav"_s << QStringList{u"-vn"_s} << u"song compressed.mp3"_s << u"mp3"_s;
    QTest::newRow("flac becomes mp3")
        << u"song.flac"_s << QStringList{u"-vn"_s} << u"song compressed.mp3"_s << u"mp3"_s;
}

void TestMediaCompression::compressKeepsTheFormat()
{
    QFETCH(QString, source);
    QFETCH(QStringList, making);
    QFETCH(QString, result);
    QFETCH(QString, codec);
    const QString file = path(source);
    ffmpeg(lavfiClip(3) + making + QStringList{file});
    const bool video = !making.contains(u"-vn"_s);
    const QString out =
        video ? MediaCompression::compressVideo(file) : MediaCompression::compressAudio(file);
    QCOMPARE(out, path(result));
    QVERIFY(sizeOf(out) < sizeOf(file));
    const Media::Probe probe = Media::probe(out);
    QCOMPARE(video ? probe.videoCodecs : probe.audioCodecs, QStringList{codec});
}

void TestMediaCompression::compressNeverGrowsAFile()
{
    // A clip already at a tiny bitrate: compressing it would make it larger.
    const QString clip = path(u"small.mp4"_s);
    ffmpeg(lavfiClip(2, u"160x120"_s) + QStringList{u"-c:v"_s, u"libx264"_s, u"-b:v"_s, u"20k"_s,
                                                    u"-c:a"_s, u"aac"_s, u"-b:a"_s, u"16k"_s,
                                                    clip});
    const QStringList before = TestSupport::namesIn(m_dir->path());
    const Operation& compress = tool(MediaConverter::videoTools(), u"Compress"_s);
    QCOMPARE(TestSupport::failureOf([&] { compress.perform({clip}); }),
             u"small.mp4 is already as small as it gets."_s);
    QCOMPARE(TestSupport::namesIn(m_dir->path()), before);

    const QString song = path(u"quiet.mp3"_s);
    ffmpeg(lavfiClip(2) + QStringList{u"-vn"_s, u"-b:a"_s, u"32k"_s, song});
    QCOMPARE(TestSupport::failureOf([&] { MediaCompression::compressAudio(song); }),
             u"quiet.mp3 is already as small as it gets."_s);
}

void TestMediaCompression::compressSaysWhatItSaved()
{
    const QString wav = Media::makeAudio(path(u"talk.wav"_s), 5);
    const TestSupport::Result run =
        TestSupport::runFlingdial({u"--run"_s, u"tools"_s, u"compress"_s, wav},
                                  TestSupport::isolatedEnvironment(m_settings.configHome()));
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, path(u"talk compressed.mp3"_s) + QLatin1Char('\n'));
    const QString saved =
        u"%1 → %2"_s.arg(QLocale::c().formattedDataSize(sizeOf(wav), 0, QLocale::DataSizeSIFormat),
                         QLocale::c().formattedDataSize(sizeOf(path(u"talk compressed.mp3"_s)), 0,
                                                        QLocale::DataSizeSIFormat));
    QVERIFY2(run.err.contains(saved), qPrintable(run.err + u" / "_s + saved));

    // The notification's line says the same.
    const Operation& compress = tool(MediaConverter::audioTools(), u"Compress"_s);
    QVERIFY(compress.summary);
    QCOMPARE(compress.summary({wav}, {path(u"talk compressed.mp3"_s)}), saved);
}

void TestMediaCompression::videoToSize_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("making");
    QTest::addColumn<QString>("codec");
    QTest::newRow("mov") << u"take.mov"_s
                         << QStringList{u"-c:v"_s, u"libx264"_s, u"-crf"_s, u"10"_s} << u"h264"_s;
    QTest::newRow("webm") << u"take.webm"_s
                          << QStringList{u"-c:v"_s,      u"libvpx-vp9"_s, u"-crf"_s,
                                         u"10"_s,        u"-b:v"_s,       u"0"_s,
                                         u"-deadline"_s, u"realtime"_s,   u"-cpu-used"_s,
                                         u"8"_s}
                          << u"vp9"_s;
}

void TestMediaCompression::videoToSize()
{
    QFETCH(QString, source);
    QFETCH(QStringList, making);
    QFETCH(QString, codec);
    const QString file = path(source);
    ffmpeg(lavfiClip(6) + making + QStringList{file});
    const qint64 limit = 400'000;
    QVERIFY(sizeOf(file) > 2 * limit);
    const QString out = MediaCompression::videoToSize(file, limit);
    QCOMPARE(out, path(QFileInfo(source).completeBaseName() + u" 400 kB."_s +
                       QFileInfo(source).suffix()));
    // At most the size, and close under it.
    QVERIFY2(sizeOf(out) <= limit && sizeOf(out) >= limit * 8 / 10,
             qPrintable(QString::number(sizeOf(out))));
    const Media::Probe probe = Media::probe(out);
    QCOMPARE(probe.videoCodecs, QStringList{codec});
    QCOMPARE(probe.audioCodecs.size(), 1);
    QVERIFY(qAbs(probe.duration - 6) < 0.2);
}

void TestMediaCompression::videoThatCantFit()
{
    const QString file = path(u"long.mp4"_s);
    ffmpeg(lavfiClip(20, u"1280x720"_s) +
           QStringList{u"-c:v"_s, u"libx264"_s, u"-preset"_s, u"ultrafast"_s, file});
    const QStringList before = TestSupport::namesIn(m_dir->path());
    const QString refusal =
        TestSupport::failureOf([&] { MediaCompression::videoToSize(file, 100'000); });
    const QRegularExpression sentence(
        u"^long\\.mp4 can’t be made smaller than about ([\\d.]+ [km]B) without falling below "
        "240p\\.$"_s);
    const auto match = sentence.match(refusal);
    QVERIFY2(match.hasMatch(), qPrintable(refusal));
    QCOMPARE(TestSupport::namesIn(m_dir->path()), before);
    // What it says would fit, fits.
    const qint64 smallest = *SizeLimit::parse(match.captured(1));
    const QString out = MediaCompression::videoToSize(file, smallest);
    QVERIFY(sizeOf(out) <= smallest);
    QCOMPARE(Media::probe(out).height, 240);
}

void TestMediaCompression::audioToSize()
{
    const QString wav = Media::makeAudio(path(u"voice.wav"_s), 20);
    const QString out = MediaCompression::audioToSize(wav, 200'000);
    QCOMPARE(out, path(u"voice 200 kB.mp3"_s));
    QVERIFY2(sizeOf(out) <= 200'000 && sizeOf(out) >= 160'000,
             qPrintable(QString::number(sizeOf(out))));
    const QString m4a = path(u"voice.m4a"_s);
    ffmpeg({u"-i"_s, wav, u"-b:a"_s, u"256k"_s, m4a});
    const QString fitted = MediaCompression::audioToSize(m4a, 300'000);
    QCOMPARE(Media::probe(fitted).audioCodecs, QStringList{u"aac"_s});
    QVERIFY(sizeOf(fitted) <= 300'000);
    QCOMPARE(
        TestSupport::failureOf([&] { MediaCompression::audioToSize(wav, 20'000); }),
        u"voice.wav can’t be made smaller than about 83 kB without falling below 32 kbit/s."_s);
}

void TestMediaCompression::alreadySmallEnough()
{
    const QString wav = Media::makeAudio(path(u"beep.wav"_s), 1);
    const ScriptedAnswers answer("10 MB\n");
    const Operation& toSize = tool(MediaConverter::audioTools(), u"Compress to Size…"_s);
    QCOMPARE(TestSupport::failureOf([&] { toSize.perform({wav}); }),
             u"beep.wav is already smaller than 10 MB."_s);
}

void TestMediaCompression::toSizeReportsBothPasses()
{
    const QString file = path(u"take.mp4"_s);
    ffmpeg(lavfiClip(4) + QStringList{u"-c:v"_s, u"libx264"_s, u"-crf"_s, u"12"_s, file});
    Job job;
    QList<double> fractions;
    job.setListener([&](const Job::State& state) {
        if (state.fraction)
            fractions.append(*state.fraction);
    });
    const Job::Scope watched(&job);
    MediaCompression::videoToSize(file, 200'000);
    QVERIFY(!fractions.isEmpty());
    QVERIFY(std::is_sorted(fractions.cbegin(), fractions.cend()));
    // The first pass ends a third of the way, the second at the end.
    QVERIFY(std::any_of(fractions.cbegin(), fractions.cend(),
                        [](double f) { return f > 0.3 && f < 0.4; }));
    QCOMPARE(fractions.constLast(), 1.0);
}

void TestMediaCompression::toSizeCancelledLeavesNothing()
{
    const QString file = path(u"take.mp4"_s);
    ffmpeg(lavfiClip(6) + QStringList{u"-c:v"_s, u"libx264"_s, u"-crf"_s, u"12"_s, file});
    const QTemporaryDir temporary;
    const ScopedEnv scratch("TMPDIR", temporary.path().toLocal8Bit());
    Job job;
    // The user cancels once the first pass is through.
    job.setListener([&](const Job::State& state) {
        if (state.fraction.value_or(0) > 0.3)
            job.cancel();
    });
    const Job::Scope watched(&job);
    bool cancelled = false;
    try {
        MediaCompression::videoToSize(file, 200'000);
    } catch (const Cancelled&) {
        cancelled = true;
    }
    QVERIFY(cancelled);
    QCOMPARE(TestSupport::namesIn(m_dir->path()), QStringList{u"take.mp4"_s});
    // The first pass's log goes with its scratch folder.
    QCOMPARE(TestSupport::namesIn(temporary.path()), QStringList());
}

void TestMediaCompression::tagsTravelWithConversions_data()
{
    QTest::addColumn<QString>("target");
    for (const char* target : {"mp4", "mov", "mkv", "webm"})
        QTest::newRow(target) << QString::fromLatin1(target);
}

void TestMediaCompression::tagsTravelWithConversions()
{
    QFETCH(QString, target);
    const QString file = path(u"holiday.mov"_s);
    ffmpeg(lavfiClip(1) + QStringList{u"-metadata"_s, u"title=Holiday"_s, u"-metadata"_s,
                                      u"creation_time=2024-05-01T10:00:00Z"_s, u"-metadata"_s,
                                      u"location=+48.8584+002.2945/"_s, file});
    const Media::Probe probe = Media::probe(MediaConverter::convert(file, target));
    QCOMPARE(probe.tags.value(u"title"_s), u"Holiday"_s);
    QVERIFY2(probe.tags.value(u"creation_time"_s).startsWith(u"2024-05-01T10:00:00"_s),
             qPrintable(probe.tags.value(u"creation_time"_s)));
    if (target != QLatin1String("webm")) // WebM keeps no place
        QCOMPARE(probe.tags.value(u"location"_s), u"+48.8584+002.2945/"_s);
}

void TestMediaCompression::phoneLocationKeyIsCarried()
{
    const QString file = path(u"phone.mov"_s);
    ffmpeg(lavfiClip(1) +
           QStringList{u"-metadata"_s,
                       u"com.apple.quicktime.location.ISO6709=+48.8584+002.2945+035.000/"_s,
                       u"-movflags"_s, u"use_metadata_tags"_s, file});
    const Media::Probe probe = Media::probe(MediaConverter::convert(file, u"mp4"_s));
    QVERIFY2(probe.tags.value(u"location"_s).startsWith(u"+48.8584+002.2945+"_s),
             qPrintable(probe.tags.value(u"location"_s)));
}

void TestMediaCompression::removeLocationFromVideo()
{
    const QString file = path(u"trip.mp4"_s);
    ffmpeg(lavfiClip(1) + QStringList{u"-c:v"_s, u"libx264"_s, u"-metadata"_s, u"title=Trip"_s,
                                      u"-metadata"_s, u"creation_time=2024-05-01T10:00:00Z"_s,
                                      u"-metadata"_s, u"location=+48.8584+002.2945/"_s, file});
    QVERIFY(Media::probe(file).tags.contains(u"location"_s));
    const Operation& removal = tool(MediaConverter::videoTools(), u"Remove Location"_s);
    const QStringList results = removal.perform({file});
    QCOMPARE(results, QStringList{path(u"trip no location.mp4"_s)});
    const Media::Probe probe = Media::probe(results.first());
    QCOMPARE(probe.tags.value(u"location"_s), QString());
    QCOMPARE(probe.tags.value(u"location-eng"_s), QString());
    QCOMPARE(probe.tags.value(u"title"_s), u"Trip"_s);
    QVERIFY(probe.tags.value(u"creation_time"_s).startsWith(u"2024-05-01"_s));
    QCOMPARE(probe.videoCodecs, QStringList{u"h264"_s});
    QCOMPARE(probe.audioCodecs.size(), 1);
}

void TestMediaCompression::stripMetadataFromVideo()
{
    const QString file = path(u"trip.mkv"_s);
    ffmpeg(lavfiClip(1) + QStringList{u"-metadata"_s, u"title=Trip"_s, u"-metadata"_s,
                                      u"location=+48.8584+002.2945/"_s, file});
    const Operation& strip = tool(MediaConverter::videoTools(), u"Strip Metadata"_s);
    const Media::Probe probe = Media::probe(strip.perform({file}).first());
    QCOMPARE(probe.tags.value(u"title"_s), QString());
    QCOMPARE(probe.tags.value(u"location"_s), QString());
    // Not even the muxer's version.
    QVERIFY(!probe.tags.value(u"encoder"_s).contains(QRegularExpression(u"\\d"_s)));
    QCOMPARE(probe.videoCodecs.size(), 1);
}

void TestMediaCompression::conversionsRunSideBySideInOrder()
{
    QStringList clips;
    for (const char* name : {"c.mov", "a.mov", "b.mov"})
        clips.append(Media::makeVideo(path(QString::fromLatin1(name)), 160, 120, 1));
    Job job;
    QList<Job::State> states;
    job.setListener([&](const Job::State& state) { states.append(state); });
    const Job::Scope watched(&job);
    const Operation& mp4 = tool(Catalog::conversions(clips), u"MP4"_s);
    QCOMPARE(mp4.perform(clips),
             QStringList({path(u"c.mp4"_s), path(u"a.mp4"_s), path(u"b.mp4"_s)}));
    QVERIFY(!states.isEmpty());
    QCOMPARE(states.constLast().fileCount, 3);
    QCOMPARE(states.constLast().fileIndex, 2);
}

void TestMediaCompression::filesSideBySideShareTheCores()
{
    // An ffmpeg that notes its arguments and makes the file it is asked for.
    const QString tools = path(u"tools"_s);
    const QString log = path(u"arguments.log"_s);
    TestSupport::writeExecutable(tools + u"/ffmpeg"_s,
                                 "echo \"$*\" >> '" + log.toUtf8() +
                                     "'\nfor last; do :; done\n: > \"$last\"\n");
    const ScopedEnv fake("FLINGDIAL_TOOL_DIRS", tools.toLocal8Bit());
    const QStringList files = {TestSupport::writeFile(path(u"a.wav"_s), "a"),
                               TestSupport::writeFile(path(u"b.wav"_s), "b")};
    const auto runs = [&] {
        QStringList lines;
        for (const QString& line : QString::fromUtf8(TestSupport::readFile(log)).split(u'\n'))
            if (line.contains(u"pcm_s16le"_s))
                lines.append(line);
        QFile::remove(log);
        return lines;
    };

    Operation::sideBySide(
        files, [](const QString& file) { return MediaConverter::convert(file, u"wav"_s); },
        [](const QString&) { return qint64(1); }, 2);
    const QString share = QString::number(std::max(1, QThread::idealThreadCount() / 2));
    const QStringList sideBySide = runs();
    QCOMPARE(sideBySide.size(), 2);
    for (const QString& line : sideBySide) {
        QVERIFY2(line.contains(u"-threads %1 -i "_s.arg(share)), qPrintable(line));
        QVERIFY2(line.contains(QRegularExpression(u"-threads %1 \\S+\\.wav$"_s.arg(share))),
                 qPrintable(line));
    }
    // One file alone keeps ffmpeg's own choice.
    MediaConverter::convert(files.first(), u"wav"_s);
    const QStringList alone = runs();
    QCOMPARE(alone.size(), 1);
    QVERIFY2(!alone.first().contains(u"-threads"_s), qPrintable(alone.first()));
}

QTEST_GUILESS_MAIN(TestMediaCompression)
#include "tst_MediaCompression.moc"
