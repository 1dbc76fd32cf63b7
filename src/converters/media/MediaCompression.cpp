#include "converters/media/MediaCompression.h"

#include "base/Errors.h"
#include "base/FileKind.h"
#include "base/Translate.h"
#include "converters/media/FFmpeg.h"
#include "converters/media/MediaConverter.h"
#include "converters/media/SizeLimit.h"
#include "core/Output.h"
#include "core/ResultGuard.h"
#include "core/ScratchDirectory.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSize>

namespace MediaCompression {

FLINGDIAL_TR_CONTEXT(MediaCompression)

namespace {

const QString compressSymbol = QStringLiteral("arrow.down.right.and.arrow.up.left");
const QString toSizeSymbol = QStringLiteral("gauge.with.dots.needle.33percent");

// x264's preset for fitting a size: slower presets give a sharper picture
// at the same bitrate; this one keeps the time near a plain conversion's.
const QString fitPreset = QStringLiteral("fast");
// Passes over a video: the first only measures and goes faster.
constexpr FFmpeg::Share firstPass{0, 0.35};
constexpr FFmpeg::Share secondPass{0.35, 1};
// Encoders land near their bitrate, not on it: a result that is still too
// large is made again this many times at a bitrate lowered by what it missed.
constexpr int fitAttempts = 3;

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

QStringList strings(std::initializer_list<const char*> list)
{
    QStringList out;
    for (const char* each : list)
        out.append(QString::fromLatin1(each));
    return out;
}

bool isMp4Family(const QString& key)
{
    static const QStringList keys = strings({"mp4", "m4v", "mov", "3gp"});
    return keys.contains(key);
}

QStringList faststartFor(const QString& key)
{
    return isMp4Family(key) ? strings({"-movflags", "+faststart"}) : QStringList();
}

QString kbps(int value)
{
    return QString::number(value) + QLatin1Char('k');
}

// "h264 1920x1080 29.97": the picture's size and frame rate.
std::pair<QSize, double> pictureOf(const FFmpeg::Streams& streams)
{
    static const QRegularExpression pattern(QStringLiteral("(\\d+)x(\\d+) ([\\d.]+)"));
    const auto match = pattern.match(streams.video.value_or(QString()));
    if (!match.hasMatch())
        return {QSize(), 30};
    return {QSize(match.captured(1).toInt(), match.captured(2).toInt()),
            match.captured(3).toDouble()};
}

// Runs `write` for the result and keeps it only when it is smaller.
QString smallerOnly(const QString& file, const QString& extension,
                    const std::function<void(const QString& out)>& write)
{
    const qint64 before = QFileInfo(file).size();
    return ResultGuard::make(
        Output::candidate(file, QStringLiteral(" compressed"), extension), [&](const QString& out) {
            write(out);
            if (QFileInfo(out).size() >= before)
                throw Fail(tr("%1 is already as small as it gets.").arg(fileName(file)));
        });
}

double requireDuration(const QString& file)
{
    const auto length = FFmpeg::duration(file);
    if (!length || *length <= 0)
        throw Fail(tr("The length of %1 can’t be read.").arg(fileName(file)));
    return *length;
}

// Makes the result again at a lower bitrate while it is too large.
void fitting(const QString& out, qint64 bytes, int startKbps, qint64 otherBytes,
             const std::function<void(int kbps)>& write)
{
    int rate = startKbps;
    for (int attempt = 0; attempt < fitAttempts; ++attempt) {
        write(rate);
        const qint64 size = QFileInfo(out).size();
        if (size <= bytes)
            return;
        // What this stream may take, over what it took, a little lower.
        const double share =
            double(bytes - otherBytes) / double(std::max<qint64>(1, size - otherBytes));
        rate = std::max(1, int(rate * share * 0.97));
    }
    throw Fail(
        tr("%1 couldn’t be made to fit in %2.").arg(fileName(out), SizeLimit::spoken(bytes)));
}

QStringList videoCodec(bool webm, int rate, int pass, const QString& log)
{
    const QStringList passes = {QStringLiteral("-b:v"),         kbps(rate),
                                QStringLiteral("-pass"),        QString::number(pass),
                                QStringLiteral("-passlogfile"), log};
    if (webm)
        return strings({"-c:v", "libvpx-vp9", "-row-mt", "1", "-deadline", "good", "-cpu-used",
                        pass == 1 ? "4" : "2"}) +
               passes;
    if (!FFmpeg::hasEncoder(QStringLiteral("libx264")))
        return MediaConverter::h264(50); // names what's missing
    return strings({"-c:v", "libx264", "-pix_fmt", "yuv420p", "-preset"}) + QStringList{fitPreset} +
           passes;
}

QStringList pictureFilter(const SizeLimit::VideoPlan& plan)
{
    QStringList filters;
    if (plan.height > 0)
        filters.append(QStringLiteral("scale=-2:%1").arg(plan.height));
    if (plan.fps > 0)
        filters.append(QStringLiteral("fps=%1").arg(plan.fps));
    filters.append(QStringLiteral("scale=trunc(iw/2)*2:trunc(ih/2)*2"));
    return {QStringLiteral("-vf"), filters.join(QLatin1Char(','))};
}

// The audio codec and bitrate that fit the format.
QStringList audioCodec(const QString& format, int rate)
{
    if (format == QLatin1String("mp3")) {
        // LAME takes the MPEG bitrates only: the largest that fits.
        static const int steps[] = {320, 256, 224, 192, 160, 128, 112, 96, 80, 64, 56, 48, 40, 32};
        int chosen = steps[std::size(steps) - 1];
        for (const int step : steps) {
            if (step <= rate) {
                chosen = step;
                break;
            }
        }
        return strings({"-c:a", "libmp3lame", "-b:a"}) + QStringList{kbps(chosen)};
    }
    if (format == QLatin1String("opus"))
        return strings({"-c:a", "libopus", "-b:a"}) + QStringList{kbps(std::min(rate, 510))};
    if (format == QLatin1String("ogg")) {
        // Vorbis has no stereo mode below about 48 kbit/s.
        QStringList codec =
            strings({"-c:a", "libvorbis", "-b:a"}) + QStringList{kbps(std::min(rate, 480))};
        if (rate < 64)
            codec << QStringLiteral("-ac") << QStringLiteral("1");
        return codec;
    }
    return QStringList{QStringLiteral("-c:a"), MediaConverter::aacEncoder(), QStringLiteral("-b:a"),
                       kbps(std::min(rate, 512))};
}

} // namespace

QString videoFormat(const QString& file)
{
    static const QStringList h264Containers =
        strings({"mp4", "m4v", "mov", "mkv", "3gp", "ts", "mts", "m2ts", "flv"});
    const QString key = FileKind::ext(file);
    if (key == QLatin1String("webm") || h264Containers.contains(key))
        return key;
    return QStringLiteral("mp4");
}

QString audioFormat(const QString& file)
{
    static const QStringList lossy = strings({"mp3", "m4a", "aac", "ogg", "opus"});
    const QString key = FileKind::ext(file);
    return lossy.contains(key) ? key : QStringLiteral("mp3");
}

QString compressVideo(const QString& file)
{
    const QString format = videoFormat(file);
    const QStringList scale = {
        QStringLiteral("-vf"),
        QStringLiteral("scale='min(1920,iw)':-2,scale=trunc(iw/2)*2:trunc(ih/2)*2")};
    QStringList codecs;
    if (format == QLatin1String("webm"))
        codecs = strings({"-c:v", "libvpx-vp9", "-crf", "40", "-b:v", "0", "-row-mt", "1",
                          "-deadline", "good", "-cpu-used", "4"}) +
                 scale + strings({"-c:a", "libopus", "-b:a", "96k"});
    else
        codecs = MediaConverter::h264(50) + scale +
                 QStringList{QStringLiteral("-c:a"), MediaConverter::aacEncoder(),
                             QStringLiteral("-b:a"), QStringLiteral("128k")} +
                 faststartFor(format);
    return smallerOnly(file, format, [&](const QString& out) {
        FFmpeg::run(QStringList{QStringLiteral("-i"), file} + MediaConverter::keepTags(file) +
                    codecs + QStringList{out});
    });
}

QString compressAudio(const QString& file)
{
    const QString format = audioFormat(file);
    QStringList codec;
    if (format == QLatin1String("ogg"))
        codec = strings({"-c:a", "libvorbis", "-q:a", "2"});
    else
        codec = audioCodec(format, format == QLatin1String("opus") ? 64 : 96);
    return smallerOnly(file, format, [&](const QString& out) {
        FFmpeg::run(QStringList{QStringLiteral("-i"), file, QStringLiteral("-vn")} +
                    MediaConverter::keepTags(file) + codec + QStringList{out});
    });
}

QString videoToSize(const QString& file, qint64 bytes)
{
    SizeLimit::refuseWhenItFits(file, bytes);
    const double seconds = requireDuration(file);
    const FFmpeg::Streams streams = FFmpeg::streams(file);
    if (!streams.video)
        return audioToSize(file, bytes);
    const auto [picture, fps] = pictureOf(streams);
    const auto planned =
        SizeLimit::planVideo(seconds, picture, fps, streams.audio.has_value(), bytes);
    if (const qint64* smallest = std::get_if<qint64>(&planned))
        throw Fail(tr("%1 can’t be made smaller than about %2 without falling below %3p.")
                       .arg(fileName(file), SizeLimit::spokenAtLeast(*smallest))
                       .arg(SizeLimit::lowestHeight));
    const SizeLimit::VideoPlan plan = std::get<SizeLimit::VideoPlan>(planned);
    const QString format = videoFormat(file);
    const bool webm = format == QLatin1String("webm");
    const ScratchDirectory scratch;
    const QString log = scratch.filePath(QStringLiteral("pass"));
    const QStringList input = {QStringLiteral("-i"), file};
    const QStringList filter = pictureFilter(plan);

    FFmpeg::run(input + strings({"-map", "0:v:0"}) + filter +
                    videoCodec(webm, plan.videoKbps, 1, log) + strings({"-an", "-f", "null", "-"}),
                firstPass);
    QStringList audio = strings({"-an"});
    if (plan.audioKbps > 0)
        audio = strings({"-map", "0:a:0"}) +
                (webm ? strings({"-c:a", "libopus", "-b:a"}) + QStringList{kbps(plan.audioKbps)}
                      : audioCodec(QStringLiteral("m4a"), plan.audioKbps));
    const qint64 audioBytes = qint64(plan.audioKbps) * 1000 / 8 * qint64(seconds + 1);
    const QString wanted =
        Output::candidate(file, QLatin1Char(' ') + SizeLimit::spoken(bytes), format);
    return ResultGuard::make(wanted, [&](const QString& out) {
        fitting(out, bytes, plan.videoKbps, audioBytes, [&](int rate) {
            FFmpeg::run(input + strings({"-map", "0:v:0"}) + filter +
                            videoCodec(webm, rate, 2, log) + audio +
                            MediaConverter::keepTags(file) + faststartFor(format) +
                            QStringList{out},
                        secondPass);
        });
    });
}

QString audioToSize(const QString& file, qint64 bytes)
{
    SizeLimit::refuseWhenItFits(file, bytes);
    const double seconds = requireDuration(file);
    const auto planned = SizeLimit::planAudio(seconds, bytes);
    if (const qint64* smallest = std::get_if<qint64>(&planned))
        throw Fail(tr("%1 can’t be made smaller than about %2 without falling below %3 kbit/s.")
                       .arg(fileName(file), SizeLimit::spokenAtLeast(*smallest))
                       .arg(SizeLimit::lowestAudioKbps));
    const QString format = audioFormat(file);
    const QString wanted =
        Output::candidate(file, QLatin1Char(' ') + SizeLimit::spoken(bytes), format);
    return ResultGuard::make(wanted, [&](const QString& out) {
        fitting(out, bytes, std::get<int>(planned), 0, [&](int rate) {
            FFmpeg::run(QStringList{QStringLiteral("-i"), file, QStringLiteral("-vn")} +
                        MediaConverter::keepTags(file) + audioCodec(format, rate) +
                        QStringList{out});
        });
    });
}

qint64 memoryNeed(const QString& file)
{
    constexpr qint64 base = 128 << 20;
    const QSize picture = pictureOf(FFmpeg::streams(file)).first;
    // Decoded frames in flight: the encoder's look-ahead and references.
    constexpr qint64 framesHeld = 100;
    return base + qint64(picture.width()) * picture.height() * 3 / 2 * framesHeld;
}

Operation compressVideoTool()
{
    return Operation::perFile(tr("Compress"), compressSymbol, compressVideo, memoryNeed)
        .withSummary(Operation::sizeChange);
}

Operation compressAudioTool()
{
    return Operation::perFile(tr("Compress"), compressSymbol, compressAudio, memoryNeed)
        .withSummary(Operation::sizeChange);
}

namespace {

// Asks once for the size, then fits every file into it side by side.
Operation toSizeTool(QString (*fit)(const QString& file, qint64 bytes))
{
    return Operation(tr("Compress to Size…"),
                     [fit](const QStringList& files) {
                         const qint64 bytes = SizeLimit::ask();
                         return Operation::sideBySide(
                             files, [&](const QString& file) { return fit(file, bytes); },
                             memoryNeed);
                     })
        .withSymbol(toSizeSymbol)
        .withSummary(Operation::sizeChange);
}

} // namespace

Operation videoToSizeTool()
{
    return toSizeTool(videoToSize);
}

Operation audioToSizeTool()
{
    return toSizeTool(audioToSize);
}

} // namespace MediaCompression
