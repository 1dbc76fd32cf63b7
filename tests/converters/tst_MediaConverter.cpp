#include "base/Errors.h"
#include "catalog/Catalog.h"
#include "converters/media/FFmpeg.h"
#include "converters/media/MediaConverter.h"
#include "core/Deps.h"
#include "core/NameReservations.h"
#include "core/Settings.h"
#include "support/Media.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

using TestSupport::ScopedEnv;
using TestSupport::ScriptedAnswers;

namespace {

const Operation& tool(const QList<Operation>& tools, const QString& title)
{
    static QList<Operation> kept;
    kept = tools;
    const auto found = std::find_if(kept.cbegin(), kept.cend(),
                                    [&](const Operation& op) { return op.title == title; });
    if (found == kept.cend())
        qFatal("no tool %s", qPrintable(title));
    return *found;
}

QString only(const QStringList& results)
{
    if (results.size() != 1)
        qFatal("expected one result, got %lld", static_cast<long long>(results.size()));
    return results.first();
}

} // namespace

// Runs the real ffmpeg on small clips it makes, and reads results with ffprobe.
class TestMediaConverter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void videoTargets_data();
    void videoTargets();
    void audioTargets_data();
    void audioTargets();
    void sizesAreEvenAndCapped();
    void animatedGifsBecomeVideos();
    void trimRanges_data();
    void trimRanges();
    void trimming();
    void trimPromptSaysTheLength();
    void videoTools();
    void mergingAlikeClipsCopiesStreams();
    void mergingUnlikeClipsReEncodes();
    void mergingNeedsTwoFiles();
    void audioTools();
    void streamListing();
    void withoutFFmpeg();
    void failuresKeepEarlierResults();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    TestSupport::PrivateSettings m_settings;
    QTemporaryDir m_media;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<NameReservations::Scope> m_names;
    QString m_clip;  // 320×240, 2 s, with a tone
    QString m_sound; // 44.1 kHz stereo WAV, 2 s
};

void TestMediaConverter::initTestCase()
{
    if (!Deps::ffmpeg())
        QSKIP("ffmpeg is not installed");
    m_clip = Media::makeVideo(m_media.filePath(u"clip.mp4"_s), 320, 240, 2);
    m_sound = Media::makeAudio(m_media.filePath(u"sound.wav"_s), 2);
}

void TestMediaConverter::init()
{
    m_names.reset();
    m_names = std::make_unique<NameReservations::Scope>();
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestMediaConverter::videoTargets_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("video");
    QTest::addColumn<QString>("audio");
    QTest::newRow("mp4") << u"mp4"_s << u"h264"_s << u"aac"_s;
    QTest::newRow("mov") << u"mov"_s << u"h264"_s << u"aac"_s;
    QTest::newRow("mkv") << u"mkv"_s << u"h264"_s << u"aac"_s;
    QTest::newRow("webm") << u"webm"_s << u"vp9"_s << u"opus"_s;
    QTest::newRow("avi") << u"avi"_s << u"mpeg4"_s << u"mp3"_s;
    QTest::newRow("wmv") << u"wmv"_s << u"wmv2"_s << u"wmav2"_s;
    QTest::newRow("gif") << u"gif"_s << u"gif"_s << u""_s;
}

void TestMediaConverter::videoTargets()
{
    QFETCH(QString, target);
    QFETCH(QString, video);
    QFETCH(QString, audio);
    const QString source = path(u"clip.mts"_s);
    QVERIFY(QFile::copy(m_clip, source));
    const QString out = MediaConverter::convert(source, target);
    QCOMPARE(out, path(u"clip."_s + target));
    const Media::Probe probe = Media::probe(out);
    QCOMPARE(probe.videoCodecs, QStringList{video});
    QCOMPARE(probe.audioCodecs, audio.isEmpty() ? QStringList() : QStringList{audio});
}

void TestMediaConverter::audioTargets_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("codec");
    QTest::newRow("mp3") << u"mp3"_s << u"mp3"_s;
    QTest::newRow("m4a") << u"m4a"_s << u"aac"_s;
    QTest::newRow("wav") << u"wav"_s << u"pcm_s16le"_s;
    QTest::newRow("flac") << u"flac"_s << u"flac"_s;
    QTest::newRow("ogg") << u"ogg"_s << u"vorbis"_s;
    QTest::newRow("opus") << u"opus"_s << u"opus"_s;
    QTest::newRow("aiff") << u"aiff"_s << u"pcm_s16be"_s;
    QTest::newRow("wma") << u"wma"_s << u"wmav2"_s;
}

void TestMediaConverter::audioTargets()
{
    QFETCH(QString, target);
    QFETCH(QString, codec);
    // From a video, so that dropping the picture is part of the check.
    const QString out = MediaConverter::convert(m_clip, target);
    QVERIFY(out.endsWith(QLatin1Char('.') + target));
    const Media::Probe probe = Media::probe(out);
    QCOMPARE(probe.audioCodecs, QStringList{codec});
    QCOMPARE(probe.videoCodecs, QStringList());
    QFile::remove(out);
}

void TestMediaConverter::sizesAreEvenAndCapped()
{
    const QString odd = Media::makeVideo(path(u"odd.mov"_s), 1281, 721, 0.4);
    const Media::Probe converted = Media::probe(MediaConverter::convert(odd, u"mp4"_s));
    QCOMPARE(QSize(converted.width, converted.height), QSize(1280, 720));

    const QString wide = Media::makeVideo(path(u"wide.mp4"_s), 2560, 1440, 0.4);
    const QList<Operation> tools = MediaConverter::videoTools();
    const auto sizeAfter = [&](const QString& title, const QString& file) {
        const Media::Probe probe = Media::probe(only(tool(tools, title).perform({file})));
        return QSize(probe.width, probe.height);
    };
    QCOMPARE(sizeAfter(u"Compress"_s, wide), QSize(1920, 1080));
    QCOMPARE(sizeAfter(u"Compress"_s, m_clip), QSize(320, 240));
    QCOMPARE(sizeAfter(u"720p"_s, wide), QSize(1280, 720));
    QCOMPARE(sizeAfter(u"720p"_s, m_clip), QSize(320, 240));
    QVERIFY(QFileInfo::exists(path(u"wide compressed.mp4"_s)));
    QVERIFY(QFileInfo::exists(path(u"wide 720p.mp4"_s)));
}

void TestMediaConverter::animatedGifsBecomeVideos()
{
    const QString gif = MediaConverter::convert(m_clip, u"gif"_s);
    const QString moved = path(u"loop.gif"_s);
    QVERIFY(QFile::rename(gif, moved));
    const QList<Operation> conversions = Catalog::conversions({moved});
    QCOMPARE(conversions.constLast().title, u"WEBM"_s);
    const Media::Probe mp4 = Media::probe(only(tool(conversions, u"MP4"_s).perform({moved})));
    QCOMPARE(mp4.videoCodecs, QStringList{u"h264"_s});
    QCOMPARE(QSize(mp4.width, mp4.height), QSize(320, 240));
    const Media::Probe webm = Media::probe(only(tool(conversions, u"WEBM"_s).perform({moved})));
    QCOMPARE(webm.videoCodecs, QStringList{u"vp9"_s});
}

void TestMediaConverter::trimRanges_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("from"); // empty: rejected
    QTest::addColumn<QString>("to");
    QTest::newRow("minutes and seconds") << u"0:05 - 1:30"_s << u"0:05"_s << u"1:30"_s;
    QTest::newRow("en dash") << u"5 – 90"_s << u"5"_s << u"90"_s;
    QTest::newRow("em dash, no spaces") << u"1:00:00—1:00:30.5"_s << u"1:00:00"_s << u"1:00:30.5"_s;
    QTest::newRow("tabs") << u"\t1.5\t-\t2\t"_s << u"1.5"_s << u"2"_s;
    QTest::newRow("no order between the two") << u"9 - 3"_s << u"9"_s << u"3"_s;
    QTest::newRow("single time") << u"0:05"_s << u""_s << u""_s;
    QTest::newRow("three times") << u"1 - 2 - 3"_s << u""_s << u""_s;
    QTest::newRow("units") << u"1m - 2m"_s << u""_s << u""_s;
    QTest::newRow("three-digit seconds") << u"0:5:123 - 1"_s << u""_s << u""_s;
    QTest::newRow("too many fields") << u"1:2:3:4 - 5"_s << u""_s << u""_s;
}

void TestMediaConverter::trimRanges()
{
    QFETCH(QString, answer);
    QFETCH(QString, from);
    QFETCH(QString, to);
    const auto range = MediaConverter::parseRange(answer);
    QCOMPARE(range.has_value(), !from.isEmpty());
    if (range) {
        QCOMPARE(range->first, from);
        QCOMPARE(range->second, to);
    }
}

void TestMediaConverter::trimming()
{
    const QString flac = Media::makeAudio(path(u"song.flac"_s), 3);
    const QString mov = Media::makeVideo(path(u"take.mov"_s), 320, 240, 3);
    {
        const ScriptedAnswers answers("0:00.5 - 0:02\n");
        const QStringList results = MediaConverter::trim({mov, flac});
        QCOMPARE(results, QStringList({path(u"take trimmed.mov"_s), path(u"song trimmed.flac"_s)}));
        const Media::Probe video = Media::probe(results.at(0));
        QCOMPARE(video.videoCodecs, QStringList{u"h264"_s});
        QVERIFY2(qAbs(video.duration - 1.5) <= 0.04 + 0.03,
                 qPrintable(QString::number(video.duration)));
        const Media::Probe audio = Media::probe(results.at(1));
        QCOMPARE(audio.audioCodecs, QStringList{u"flac"_s});
        QVERIFY2(qAbs(audio.duration - 1.5) <= 0.04, qPrintable(QString::number(audio.duration)));
    }
    {
        const ScriptedAnswers answers("1m - 2m\n");
        QCOMPARE(TestSupport::failureOf([&] { MediaConverter::trim({mov}); }),
                 u"Write the range like this: 0:05 - 1:30."_s);
    }
    for (const char* backwards : {"0:02 - 0:01\n", "1.5 - 0:01.5\n"}) {
        const ScriptedAnswers answers(backwards);
        QCOMPARE(TestSupport::failureOf([&] { MediaConverter::trim({mov}); }),
                 u"The range “%1” ends before it starts."_s.arg(
                     QString::fromLatin1(backwards).trimmed()));
    }
    const ScriptedAnswers cancel("\n");
    QVERIFY_THROWS_EXCEPTION(Cancelled, MediaConverter::trim({mov}));
    QVERIFY(!QFileInfo::exists(path(u"take trimmed 2.mov"_s)));
}

// The question says how long the clip is (the shortest of several), through
// the program as a user runs it.
void TestMediaConverter::trimPromptSaysTheLength()
{
    const QString take = Media::makeVideo(path(u"take.mov"_s), 320, 240, 3);
    const QString talk = Media::makeAudio(path(u"talk.flac"_s), 75);
    // At a console: with a display the question would be a dialog.
    auto environment = TestSupport::isolatedEnvironment(m_settings.configHome());
    environment.remove(u"DISPLAY"_s);
    environment.remove(u"WAYLAND_DISPLAY"_s);
    const auto asked = TestSupport::runFlingdial({u"--run"_s, u"tools"_s, u"trim"_s, take},
                                                 environment, {}, "0:05 - 0:06\n");
    QCOMPARE(asked.status, 1);
    QVERIFY2(asked.err.contains(u"take.mov is 3.0 seconds long. Part to keep"_s),
             qPrintable(asked.err));
    QVERIFY2(asked.err.contains(u"take.mov is only 3.0 seconds long."_s), qPrintable(asked.err));

    const auto alone = TestSupport::runFlingdial({u"--run"_s, u"tools"_s, u"trim"_s, talk},
                                                 environment, {}, "1:00 - 1:05\n");
    QCOMPARE(alone.status, 0);
    QVERIFY2(alone.err.contains(u"talk.flac is 1:15 long."_s), qPrintable(alone.err));

    const QString song = Media::makeAudio(path(u"song.flac"_s), 2);
    const auto both = TestSupport::runFlingdial({u"--run"_s, u"tools"_s, u"trim"_s, talk, song},
                                                environment, {}, "0:01 - 0:02\n");
    QCOMPARE(both.status, 0);
    QVERIFY2(both.err.contains(u"The shortest, song.flac, is 2.0 seconds long."_s),
             qPrintable(both.err));
}

void TestMediaConverter::videoTools()
{
    const QList<Operation> tools = MediaConverter::videoTools();
    const QString clip = path(u"clip.mp4"_s);
    QVERIFY(QFile::copy(m_clip, clip));

    const Media::Probe fast = Media::probe(only(tool(tools, u"Speed 2×"_s).perform({clip})));
    QVERIFY2(qAbs(fast.duration - 1.0) <= 0.1, qPrintable(QString::number(fast.duration)));
    const Media::Probe rotated = Media::probe(only(tool(tools, u"Rotate"_s).perform({clip})));
    QCOMPARE(QSize(rotated.width, rotated.height), QSize(240, 320));
    const QString muted = only(tool(tools, u"Mute"_s).perform({clip}));
    QCOMPARE(muted, path(u"clip muted.mp4"_s));
    QCOMPARE(Media::probe(muted).audioCodecs, QStringList());
    const QString frame = only(tool(tools, u"Frame"_s).perform({clip}));
    QCOMPARE(frame, path(u"clip frame.jpg"_s));
    QCOMPARE(Media::probe(frame).videoCodecs, QStringList{u"mjpeg"_s});
    const QString audio = only(tool(tools, u"Extract Audio"_s).perform({clip}));
    QCOMPARE(audio, path(u"clip.m4a"_s));
    QCOMPARE(only(tool(tools, u"Extract Audio"_s).perform({clip})), path(u"clip 2.m4a"_s));
    QCOMPARE(Media::probe(audio).audioCodecs, QStringList{u"aac"_s});
}

void TestMediaConverter::mergingAlikeClipsCopiesStreams()
{
    const QString first = path(u"it's one.mov"_s);
    const QString second = path(u"two.mov"_s);
    QVERIFY(QFile::copy(m_clip, first));
    QVERIFY(QFile::copy(m_clip, second));
    const QString merged = MediaConverter::concatVideos({first, second});
    QCOMPARE(merged, path(u"it's one merged.mov"_s));
    const Media::Probe probe = Media::probe(merged);
    QCOMPARE(QSize(probe.width, probe.height), QSize(320, 240));
    QVERIFY2(qAbs(probe.duration - 4.0) <= 0.1, qPrintable(QString::number(probe.duration)));
}

void TestMediaConverter::mergingUnlikeClipsReEncodes()
{
    const QString small = path(u"small.mov"_s);
    QVERIFY(QFile::copy(m_clip, small));
    const QString other = Media::makeVideo(path(u"other.mov"_s), 640, 360, 1);
    const QString merged = MediaConverter::concatVideos({small, other});
    QCOMPARE(merged, path(u"small merged.mp4"_s));
    QVERIFY(!QFileInfo::exists(path(u"small merged.mov"_s)));
    const Media::Probe probe = Media::probe(merged);
    QCOMPARE(QSize(probe.width, probe.height), QSize(1920, 1080));
    QCOMPARE(probe.videoCodecs, QStringList{u"h264"_s});
    QVERIFY2(qAbs(probe.duration - 3.0) <= 0.15, qPrintable(QString::number(probe.duration)));
}

void TestMediaConverter::mergingNeedsTwoFiles()
{
    QCOMPARE(TestSupport::failureOf([&] { MediaConverter::concatVideos({m_clip}); }),
             u"Drag two or more videos to merge them."_s);
    QCOMPARE(TestSupport::failureOf([&] { MediaConverter::concatAudio({m_sound}); }),
             u"Drag two or more audio files to merge them."_s);
}

void TestMediaConverter::audioTools()
{
    const QList<Operation> tools = MediaConverter::audioTools();
    const QString wav = path(u"voice.wav"_s);
    QVERIFY(QFile::copy(m_sound, wav));

    const QString normalized = only(tool(tools, u"Normalize"_s).perform({wav}));
    QCOMPARE(normalized, path(u"voice normalized.wav"_s));
    const Media::Probe loud = Media::probe(normalized);
    QCOMPARE(loud.sampleRate, 44100);
    QCOMPARE(loud.audioCodecs, QStringList{u"pcm_s16le"_s});

    const QString aac = Media::makeAudio(path(u"talk.aac"_s), 1, 32000);
    QCOMPARE(MediaConverter::audioArgs(u"aac"_s), QStringList{u"-vn"_s});
    const Media::Probe mono = Media::probe(only(tool(tools, u"Mono"_s).perform({aac})));
    QCOMPARE(mono.channels, 1);
    QCOMPARE(mono.sampleRate, 32000);
    QVERIFY(QFileInfo::exists(only(tool(tools, u"Reverse"_s).perform({aac}))));

    const QString compressed = only(tool(tools, u"Compress"_s).perform({wav}));
    QCOMPARE(compressed, path(u"voice compressed.mp3"_s));
    const QString merged = only(tool(tools, u"Merge"_s).perform({wav, wav}));
    QCOMPARE(merged, path(u"voice merged.wav"_s));
    QVERIFY2(qAbs(Media::probe(merged).duration - 4.0) <= 0.05, "merged audio lasts both files");
}

void TestMediaConverter::streamListing()
{
    const QString listing =
        QStringLiteral("Input #0, mov,mp4,m4a,3gp,3g2,mj2, from 'clip.mp4':\n"
                       "  Stream #0:0[0x1](und): Video: h264 (High) (avc1 / 0x31637661), "
                       "yuv420p(progressive), 1920x1080 "
                       "[SAR 1:1 DAR 16:9], 287 kb/s, 29.97 fps, 29.97 tbr, 30k tbn (default)\n"
                       "  Stream #0:1[0x2](und): Audio: aac (LC) (mp4a / 0x6134706D), 48000 Hz, "
                       "stereo, fltp, 128 kb/s (default)\n");
    const FFmpeg::Streams streams = FFmpeg::parseStreams(listing);
    QCOMPARE(streams.video, u"h264 1920x1080 29.97"_s);
    QCOMPARE(streams.audio, u"aac 48000 stereo"_s);
    QCOMPARE(streams.sampleRate, u"48000"_s);

    const FFmpeg::Streams real = FFmpeg::streams(m_clip);
    QCOMPARE(real.video, u"h264 320x240 25"_s);
    QCOMPARE(real.audio, u"aac 48000 stereo"_s);
    QCOMPARE(FFmpeg::streams(m_sound).video, std::nullopt);
    QCOMPARE(FFmpeg::streams(path(u"missing.mp4"_s)), FFmpeg::Streams());
}

void TestMediaConverter::withoutFFmpeg()
{
    const ScopedEnv noTools("FLINGDIAL_TOOL_DIRS", path(u"empty"_s).toLocal8Bit());
    QCOMPARE(TestSupport::failureOf([&] { MediaConverter::convert(m_clip, u"mkv"_s); }),
             Deps::ffmpegMissingReason().text());
    QVERIFY(!QFileInfo::exists(m_media.filePath(u"clip.mkv"_s)));
    QCOMPARE(FFmpeg::streams(m_clip), FFmpeg::Streams());
}

void TestMediaConverter::failuresKeepEarlierResults()
{
    const QString good = path(u"good.wav"_s);
    QVERIFY(QFile::copy(m_sound, good));
    const QString bad = TestSupport::writeFile(path(u"bad.wav"_s), "this is no sound");
    const QList<Operation> conversions = Catalog::conversions({good, bad});
    const Operation& flac = tool(conversions, u"FLAC"_s);
    try {
        flac.perform({good, bad});
        QFAIL("the broken file must fail");
    } catch (const Fail& fail) {
        // One sentence naming the file, then ffmpeg's own words.
        QVERIFY2(fail.message().startsWith(u"ffmpeg couldn’t convert bad.wav.\n"_s),
                 qPrintable(fail.message()));
        QVERIFY2(fail.message().contains(QLatin1String("bad.wav")), qPrintable(fail.message()));
    }
    QVERIFY(QFileInfo::exists(path(u"good.flac"_s)));
}

QTEST_GUILESS_MAIN(TestMediaConverter)
#include "tst_MediaConverter.moc"
