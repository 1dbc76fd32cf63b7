#include "converters/media/MediaConverter.h"

#include "base/Errors.h"
#include "base/FileKind.h"
#include "base/TextFile.h"
#include "base/Translate.h"
#include "converters/media/FFmpeg.h"
#include "converters/media/MediaCompression.h"
#include "core/Ask.h"
#include "core/Deps.h"
#include "core/Output.h"
#include "core/ResultGuard.h"
#include "core/ScratchDirectory.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace MediaConverter {
FLINGDIAL_TR_CONTEXT(MediaConverter)

namespace {

const QString faststart[] = {QStringLiteral("-movflags"), QStringLiteral("+faststart")};

// The CRF that gives libx264 about the quality the hardware encoder gives
// at these -q:v values.
QString crfFor(int quality)
{
    if (quality >= 65)
        return QStringLiteral("23");
    if (quality >= 58)
        return QStringLiteral("25");
    return QStringLiteral("28");
}

bool isAudioFormat(const QString& key)
{
    return audioTargets().contains(key) ||
           FileKind::extensions().value(FileKind::audio).contains(key);
}

QStringList codecArgs(const QString& key)
{
    return isAudioFormat(key) ? audioArgs(key) : videoArgs(key);
}

// "-ar" and the input's sample rate, so the output keeps it.
QStringList sameRate(const QString& file)
{
    if (const auto rate = FFmpeg::streams(file).sampleRate)
        return {QStringLiteral("-ar"), *rate};
    return {};
}

using Arguments = std::function<QStringList(const QString& in, const QString& out)>;

// A tool that runs ffmpeg once per file, the files side by side.
Operation fileTool(const QString& title, const QString& symbol, const QString& suffix,
                   const QString& extension, const Arguments& arguments)
{
    return Operation::perFile(
        title, symbol,
        [=](const QString& file) {
            const QString wanted = Output::candidate(
                file, suffix, extension.isEmpty() ? FileKind::ext(file) : extension);
            return ResultGuard::make(
                wanted, [&](const QString& out) { FFmpeg::run(arguments(file, out)); });
        },
        MediaCompression::memoryNeed);
}

Operation trimTool()
{
    return Operation(tr("Trim…"), trim).withSymbol(QStringLiteral("timeline.selection"));
}

// Tags whose value says where a video was made.
QStringList locationTags(const QString& file)
{
    QStringList keys;
    for (const auto& [key, value] : FFmpeg::tags(file)) {
        if (key.contains(QLatin1String("location"), Qt::CaseInsensitive))
            keys.append(key);
    }
    return keys;
}

// Every stream but data streams (which may carry GPS tracks), copied.
QStringList copyingStreams()
{
    return {QStringLiteral("-map"),  QStringLiteral("0"),  QStringLiteral("-map"),
            QStringLiteral("-0:d?"), QStringLiteral("-c"), QStringLiteral("copy")};
}

QString removeLocation(const QString& file)
{
    const QString key = FileKind::ext(file);
    QStringList arguments =
        QStringList{QStringLiteral("-i"), file} + copyingStreams() + keepTags(file);
    for (const QString& tag : locationTags(file))
        arguments << QStringLiteral("-metadata") << tag + QLatin1Char('=');
    return ResultGuard::make(
        Output::candidate(file, QStringLiteral(" no location"), key),
        [&](const QString& out) { FFmpeg::run(arguments + QStringList{out}); });
}

QString stripMetadata(const QString& file)
{
    const QString key = FileKind::ext(file);
    // No tags, chapters or encoder name; the streams themselves unchanged.
    const QStringList arguments =
        QStringList{QStringLiteral("-i"), file} + copyingStreams() +
        QStringList{QStringLiteral("-map_metadata"), QStringLiteral("-1"),
                    QStringLiteral("-map_chapters"), QStringLiteral("-1"),
                    QStringLiteral("-fflags"),       QStringLiteral("+bitexact"),
                    QStringLiteral("-flags:v"),      QStringLiteral("+bitexact"),
                    QStringLiteral("-flags:a"),      QStringLiteral("+bitexact")};
    return ResultGuard::make(
        Output::candidate(file, QStringLiteral(" clean"), key),
        [&](const QString& out) { FFmpeg::run(arguments + QStringList{out}); });
}

QString concatListLine(const QString& path)
{
    QString quoted = path;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QStringLiteral("file '") + quoted + QLatin1Char('\'');
}

// Clips join without re-encoding when they have the same video and audio.
bool clipsAreAlike(const QStringList& files)
{
    const FFmpeg::Streams first = FFmpeg::streams(files.first());
    if (!first.video)
        return false;
    for (qsizetype i = 1; i < files.size(); ++i) {
        if (FFmpeg::streams(files.at(i)) != first)
            return false;
    }
    return true;
}

QString inputIndex(qsizetype i)
{
    return QString::number(i);
}

QString fitTo1080pGraph(const QStringList& files)
{
    QStringList scaled;
    QString inputs;
    for (qsizetype i = 0; i < files.size(); ++i) {
        scaled.append(QStringLiteral("[%1:v]scale=1920:1080:force_original_aspect_ratio=decrease,"
                                     "pad=1920:1080:(ow-iw)/2:(oh-ih)/2,setsar=1[v%1]")
                          .arg(inputIndex(i)));
        inputs += QStringLiteral("[v%1][%1:a]").arg(inputIndex(i));
    }
    return scaled.join(QLatin1Char(';')) + QLatin1Char(';') + inputs +
           QStringLiteral("concat=n=%1:v=1:a=1[v][a]").arg(files.size());
}

QString spokenLength(double seconds)
{
    if (seconds < 60)
        return tr("%1 seconds").arg(seconds, 0, 'f', seconds < 10 ? 1 : 0);
    const int whole = int(seconds);
    const int hours = whole / 3600;
    const int minutes = whole / 60 % 60;
    const QLatin1Char zero('0');
    if (hours == 0)
        return QStringLiteral("%1:%2").arg(minutes).arg(whole % 60, 2, 10, zero);
    return QStringLiteral("%1:%2:%3")
        .arg(hours)
        .arg(minutes, 2, 10, zero)
        .arg(whole % 60, 2, 10, zero);
}

QStringList inputs(const QStringList& files)
{
    QStringList arguments;
    for (const QString& file : files)
        arguments << QStringLiteral("-i") << file;
    return arguments;
}

} // namespace

const QStringList& videoTargets()
{
    static const QStringList targets = {
        QStringLiteral("mp4"), QStringLiteral("mov"), QStringLiteral("mkv"), QStringLiteral("webm"),
        QStringLiteral("avi"), QStringLiteral("wmv"), QStringLiteral("gif")};
    return targets;
}

const QStringList& audioTargets()
{
    static const QStringList targets = {QStringLiteral("mp3"),  QStringLiteral("m4a"),
                                        QStringLiteral("wav"),  QStringLiteral("flac"),
                                        QStringLiteral("ogg"),  QStringLiteral("opus"),
                                        QStringLiteral("aiff"), QStringLiteral("wma")};
    return targets;
}

const QStringList& gifVideoTargets()
{
    static const QStringList targets = {QStringLiteral("mp4"), QStringLiteral("webm")};
    return targets;
}

QStringList h264(int quality)
{
    const QString pixels[] = {QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p")};
    if (FFmpeg::hasEncoder(QStringLiteral("h264_videotoolbox")))
        return {QStringLiteral("-c:v"),
                QStringLiteral("h264_videotoolbox"),
                QStringLiteral("-allow_sw"),
                QStringLiteral("1"),
                pixels[0],
                pixels[1],
                QStringLiteral("-q:v"),
                QString::number(quality)};
    if (FFmpeg::hasEncoder(QStringLiteral("libx264")))
        return {QStringLiteral("-c:v"),
                QStringLiteral("libx264"),
                QStringLiteral("-preset"),
                QStringLiteral("veryfast"),
                pixels[0],
                pixels[1],
                QStringLiteral("-crf"),
                crfFor(quality)};
    throw Fail(tr("This FFmpeg can’t encode H.264 video: it has neither libx264 nor a hardware "
                  "H.264 encoder."));
}

QString aacEncoder()
{
    return FFmpeg::hasEncoder(QStringLiteral("aac_at")) ? QStringLiteral("aac_at")
                                                        : QStringLiteral("aac");
}

QStringList videoArgs(const QString& format)
{
    if (format == QLatin1String("mp4") || format == QLatin1String("mov") ||
        format == QLatin1String("mkv")) {
        QStringList arguments =
            h264(65) +
            QStringList{QStringLiteral("-vf"),  QStringLiteral("scale=trunc(iw/2)*2:trunc(ih/2)*2"),
                        QStringLiteral("-c:a"), aacEncoder(),
                        QStringLiteral("-b:a"), QStringLiteral("192k")};
        if (format != QLatin1String("mkv"))
            arguments << faststart[0] << faststart[1];
        return arguments;
    }
    if (format == QLatin1String("webm"))
        return {QStringLiteral("-c:v"),    QStringLiteral("libvpx-vp9"), QStringLiteral("-crf"),
                QStringLiteral("32"),      QStringLiteral("-b:v"),       QStringLiteral("0"),
                QStringLiteral("-row-mt"), QStringLiteral("1"),          QStringLiteral("-c:a"),
                QStringLiteral("libopus"), QStringLiteral("-b:a"),       QStringLiteral("128k")};
    if (format == QLatin1String("avi"))
        return {QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-q:v"),
                QStringLiteral("4"),    QStringLiteral("-c:a"),  QStringLiteral("libmp3lame"),
                QStringLiteral("-q:a"), QStringLiteral("3")};
    if (format == QLatin1String("wmv"))
        return {QStringLiteral("-c:v"), QStringLiteral("wmv2"), QStringLiteral("-b:v"),
                QStringLiteral("3M"),   QStringLiteral("-c:a"), QStringLiteral("wmav2"),
                QStringLiteral("-b:a"), QStringLiteral("192k")};
    if (format == QLatin1String("gif"))
        return {QStringLiteral("-vf"),
                QStringLiteral("fps=12,scale='min(640,iw)':-2:flags=lanczos,split[a][b];[a]"
                               "palettegen[p];[b][p]paletteuse"),
                QStringLiteral("-loop"), QStringLiteral("0"), QStringLiteral("-an")};
    return {};
}

QStringList audioArgs(const QString& format)
{
    const QStringList start = {QStringLiteral("-vn")};
    const auto codec = [&](const QStringList& rest) {
        return start + QStringList{QStringLiteral("-c:a")} + rest;
    };
    if (format == QLatin1String("mp3"))
        return codec({QStringLiteral("libmp3lame"), QStringLiteral("-q:a"), QStringLiteral("2")});
    if (format == QLatin1String("m4a"))
        return codec({aacEncoder(), QStringLiteral("-b:a"), QStringLiteral("256k")});
    if (format == QLatin1String("wav"))
        return codec({QStringLiteral("pcm_s16le")});
    if (format == QLatin1String("flac"))
        return codec({QStringLiteral("flac")});
    if (format == QLatin1String("ogg")) {
        if (FFmpeg::hasEncoder(QStringLiteral("libvorbis")))
            return codec(
                {QStringLiteral("libvorbis"), QStringLiteral("-q:a"), QStringLiteral("6")});
        return codec({QStringLiteral("vorbis"), QStringLiteral("-strict"), QStringLiteral("-2"),
                      QStringLiteral("-ac"), QStringLiteral("2")});
    }
    if (format == QLatin1String("opus"))
        return codec({QStringLiteral("libopus"), QStringLiteral("-b:a"), QStringLiteral("128k")});
    if (format == QLatin1String("aiff"))
        return codec({QStringLiteral("pcm_s16be")});
    if (format == QLatin1String("wma"))
        return codec({QStringLiteral("wmav2"), QStringLiteral("-b:a"), QStringLiteral("192k")});
    return start;
}

QString convert(const QString& file, const QString& target)
{
    if (!FFmpeg::path())
        throw Fail(Deps::ffmpegMissingReason().text());
    const QStringList codec = codecArgs(target);
    const QStringList tags = keepTags(file);
    return ResultGuard::make(Output::candidate(file, QString(), target), [&](const QString& out) {
        FFmpeg::run(QStringList{QStringLiteral("-i"), file} + tags + codec + QStringList{out});
    });
}

QStringList keepTags(const QString& file)
{
    QStringList arguments = {QStringLiteral("-map_metadata"), QStringLiteral("0")};
    // Phones write the place into a key of their own, which MP4 and MKV
    // can't carry; under the common name they can.
    const auto tags = FFmpeg::tags(file);
    const auto named = [&](const QString& key) {
        return std::find_if(tags.cbegin(), tags.cend(),
                            [&](const auto& tag) { return tag.first == key; });
    };
    const auto apple = named(QStringLiteral("com.apple.quicktime.location.ISO6709"));
    if (apple != tags.cend() && named(QStringLiteral("location")) == tags.cend())
        arguments << QStringLiteral("-metadata") << QStringLiteral("location=") + apple->second;
    return arguments;
}

QList<Operation> videoTools()
{
    const auto in = [](const QString& file) {
        return QStringList{QStringLiteral("-i"), file} + keepTags(file);
    };
    const auto vf = [](const QString& filter) {
        return QStringList{QStringLiteral("-vf"), filter};
    };
    const auto aac = [](const char* bitrate) {
        QStringList arguments = {QStringLiteral("-c:a"), aacEncoder()};
        if (bitrate)
            arguments << QStringLiteral("-b:a") << QString::fromLatin1(bitrate);
        return arguments;
    };
    const QStringList fast = {faststart[0], faststart[1]};
    const QString mp4 = QStringLiteral("mp4");
    return {
        MediaCompression::compressVideoTool(),
        MediaCompression::videoToSizeTool(),
        trimTool(),
        fileTool(tr("Extract Audio"), QStringLiteral("waveform"), QString(), QStringLiteral("m4a"),
                 [=](const QString& i, const QString& o) {
                     return in(i) + QStringList{QStringLiteral("-vn")} + aac("192k") +
                            QStringList{o};
                 }),
        fileTool(tr("Mute"), QStringLiteral("speaker.slash"), QStringLiteral(" muted"), QString(),
                 [=](const QString& i, const QString& o) {
                     return in(i) + QStringList{QStringLiteral("-c:v"), QStringLiteral("copy"),
                                                QStringLiteral("-an"), o};
                 }),
        fileTool(tr("720p"), QStringLiteral("rectangle.compress.vertical"), QStringLiteral(" 720p"),
                 mp4,
                 [=](const QString& i, const QString& o) {
                     return in(i) + h264(58) +
                            vf(QStringLiteral(
                                "scale=-2:'min(720,ih)',scale=trunc(iw/2)*2:trunc(ih/2)*2")) +
                            aac("160k") + fast + QStringList{o};
                 }),
        fileTool(tr("Rotate"), QStringLiteral("rotate.right"), QStringLiteral(" rotated"), mp4,
                 [=](const QString& i, const QString& o) {
                     return in(i) + h264(65) + vf(QStringLiteral("transpose=1")) +
                            QStringList{QStringLiteral("-c:a"), QStringLiteral("copy")} + fast +
                            QStringList{o};
                 }),
        fileTool(tr("Speed 2×"), QStringLiteral("hare"), QStringLiteral(" 2x"), mp4,
                 [=](const QString& i, const QString& o) {
                     return in(i) + h264(65) +
                            vf(QStringLiteral("setpts=0.5*PTS,scale=trunc(iw/2)*2:trunc(ih/2)*2")) +
                            QStringList{QStringLiteral("-af"), QStringLiteral("atempo=2.0")} +
                            aac(nullptr) + fast + QStringList{o};
                 }),
        fileTool(tr("Frame"), QStringLiteral("camera"), QStringLiteral(" frame"),
                 QStringLiteral("jpg"),
                 [=](const QString& i, const QString& o) {
                     return in(i) + vf(QStringLiteral("thumbnail")) +
                            QStringList{QStringLiteral("-frames:v"), QStringLiteral("1"),
                                        QStringLiteral("-q:v"), QStringLiteral("2"), o};
                 }),
        Operation::perFile(tr("Strip Metadata"), QStringLiteral("eye.slash"), stripMetadata,
                           MediaCompression::memoryNeed),
        Operation::perFile(tr("Remove Location"), QStringLiteral("location.slash"), removeLocation,
                           MediaCompression::memoryNeed),
        Operation::allFiles(tr("Merge"), QStringLiteral("rectangle.stack.badge.plus"),
                            concatVideos),
    };
}

QList<Operation> audioTools()
{
    const auto throughFilter = [](const QString& filter, const QString& suffix) {
        return [filter, suffix](const QString& file) { return filtered(file, filter, suffix); };
    };
    return {
        trimTool(),
        MediaCompression::compressAudioTool(),
        MediaCompression::audioToSizeTool(),
        Operation::perFile(tr("Normalize"), QStringLiteral("slider.horizontal.3"),
                           throughFilter(QStringLiteral("loudnorm=I=-16:TP=-1.5:LRA=11"),
                                         QStringLiteral(" normalized")),
                           MediaCompression::memoryNeed),
        Operation::perFile(tr("Reverse"), QStringLiteral("backward"),
                           throughFilter(QStringLiteral("areverse"), QStringLiteral(" reversed")),
                           MediaCompression::memoryNeed),
        Operation::perFile(
            tr("Mono"), QStringLiteral("circle.lefthalf.filled"),
            throughFilter(QStringLiteral("aformat=channel_layouts=mono"), QStringLiteral(" mono")),
            MediaCompression::memoryNeed),
        Operation::allFiles(tr("Merge"), QStringLiteral("rectangle.stack.badge.plus"), concatAudio),
    };
}

std::optional<std::pair<QString, QString>> parseRange(const QString& answer)
{
    static const QRegularExpression dashes(QStringLiteral("[-\u2013\u2014]"));
    static const QRegularExpression time(QStringLiteral("^\\d+(:\\d{1,2}){0,2}(\\.\\d+)?$"));
    QStringList pieces;
    for (const QString& piece : answer.split(dashes)) {
        const QString trimmed = Ask::trimSpacesAndTabs(piece);
        if (!trimmed.isEmpty())
            pieces.append(trimmed);
    }
    if (pieces.size() != 2 || !time.match(pieces.at(0)).hasMatch() ||
        !time.match(pieces.at(1)).hasMatch())
        return std::nullopt;
    return std::pair{pieces.at(0), pieces.at(1)};
}

namespace {

// What the trim prompt says first: how long the clip is, or the shortest
// of several (the part to keep must lie within each).
QString lengthLine(const QStringList& files)
{
    // Each length is a run of ffmpeg: a long list gets its question at once.
    constexpr qsizetype mostFilesMeasured = 20;
    if (files.size() > mostFilesMeasured)
        return QString();
    std::optional<std::pair<double, QString>> shortest;
    for (const QString& file : files) {
        const auto length = FFmpeg::duration(file);
        if (length && (!shortest || *length < shortest->first))
            shortest = std::pair{*length, QFileInfo(file).fileName()};
    }
    if (!shortest)
        return QString();
    const QString spoken = spokenLength(shortest->first);
    return (files.size() == 1 ? tr("%1 is %2 long.").arg(shortest->second, spoken)
                              : tr("The shortest, %1, is %2 long.").arg(shortest->second, spoken)) +
           QLatin1Char(' ');
}

} // namespace

QStringList trim(const QStringList& files)
{
    const QString answer = Ask::text(
        tr("Trim"), lengthLine(files) + tr("Part to keep, from – to (for example 0:05 - 1:30):"),
        QStringLiteral("0:05 - 1:30"));
    const auto range = parseRange(answer);
    if (!range)
        throw Fail(tr("Write the range like this: 0:05 - 1:30."));
    if (FFmpeg::secondsOf(range->second) <= FFmpeg::secondsOf(range->first))
        throw Fail(tr("The range “%1” ends before it starts.").arg(answer));
    return Operation::sideBySide(
        files,
        [&](const QString& file) {
            // Past the end ffmpeg writes an empty file and calls it success.
            if (const auto length = FFmpeg::duration(file);
                length && FFmpeg::secondsOf(range->first) >= *length)
                throw Fail(tr("%1 is only %2 long.")
                               .arg(QFileInfo(file).fileName(), spokenLength(*length)));
            const QString key = FileKind::ext(file);
            const QStringList codec = keepTags(file) + codecArgs(key);
            const QString wanted = Output::candidate(file, QStringLiteral(" trimmed"), key);
            return ResultGuard::make(wanted, [&](const QString& out) {
                FFmpeg::run(QStringList{QStringLiteral("-i"), file, QStringLiteral("-ss"),
                                        range->first, QStringLiteral("-to"), range->second} +
                            codec + QStringList{out});
            });
        },
        MediaCompression::memoryNeed);
}

QString concatVideos(const QStringList& files)
{
    if (files.size() < 2)
        throw Fail(tr("Drag two or more videos to merge them."));
    const ScratchDirectory scratch;
    QStringList lines;
    for (const QString& file : files)
        lines.append(concatListLine(file));
    const QString list = scratch.filePath(QStringLiteral("list.txt"));
    TextFile::writeAtomically(list, lines.join(QLatin1Char('\n')));

    const QString first = files.first();
    // Alike clips join without re-encoding; others, and alike clips that
    // still won't join, are fitted to one size.
    if (clipsAreAlike(files)) {
        const QString wanted =
            Output::candidate(first, QStringLiteral(" merged"), FileKind::ext(first));
        try {
            return ResultGuard::make(wanted, [&](const QString& out) {
                FFmpeg::run({QStringLiteral("-f"), QStringLiteral("concat"),
                             QStringLiteral("-safe"), QStringLiteral("0"), QStringLiteral("-i"),
                             list, QStringLiteral("-c"), QStringLiteral("copy"), out});
            });
        } catch (const Fail&) {
        }
    }
    const QString wanted =
        Output::candidate(first, QStringLiteral(" merged"), QStringLiteral("mp4"));
    return ResultGuard::make(wanted, [&](const QString& out) {
        FFmpeg::run(inputs(files) +
                    QStringList{QStringLiteral("-filter_complex"), fitTo1080pGraph(files),
                                QStringLiteral("-map"), QStringLiteral("[v]"),
                                QStringLiteral("-map"), QStringLiteral("[a]")} +
                    h264(65) + QStringList{QStringLiteral("-c:a"), aacEncoder(), out});
    });
}

QString concatAudio(const QStringList& files)
{
    if (files.size() < 2)
        throw Fail(tr("Drag two or more audio files to merge them."));
    const QString first = files.first();
    const QString key = FileKind::ext(first);
    QString graph;
    for (qsizetype i = 0; i < files.size(); ++i)
        graph += QStringLiteral("[%1:a]").arg(i);
    graph += QStringLiteral("concat=n=%1:v=0:a=1[a]").arg(files.size());
    return ResultGuard::make(
        Output::candidate(first, QStringLiteral(" merged"), key), [&](const QString& out) {
            FFmpeg::run(inputs(files) +
                        QStringList{QStringLiteral("-filter_complex"), graph,
                                    QStringLiteral("-map"), QStringLiteral("[a]")} +
                        audioArgs(key) + QStringList{out});
        });
}

QString filtered(const QString& file, const QString& filter, const QString& suffix)
{
    const QString key = FileKind::ext(file);
    const QStringList rate = sameRate(file);
    return ResultGuard::make(Output::candidate(file, suffix, key), [&](const QString& out) {
        FFmpeg::run(QStringList{QStringLiteral("-i"), file} + keepTags(file) +
                    QStringList{QStringLiteral("-af"), filter} + rate + audioArgs(key) +
                    QStringList{out});
    });
}

namespace {

QList<Operation> withFFmpegReason(QList<Operation> operations)
{
    const std::optional<Component> missing = Deps::ffmpegReason();
    for (Operation& operation : operations)
        operation.missing = missing;
    return operations;
}

ConverterFamily mediaFamily(FileKind::Kind kind, const QStringList& targets,
                            QList<Operation> (*tools)())
{
    ConverterFamily family;
    family.kind = kind;
    family.targets = [targets](const QString&) { return targets; };
    family.missing = [](const QString&, const QString&) { return Deps::ffmpegReason(); };
    family.convert = [](const QString& file, const QString& target) {
        return QStringList{convert(file, target)};
    };
    family.convertAll = [](const QStringList& files, const QString& target) {
        return Operation::sideBySide(
            files, [&](const QString& file) { return convert(file, target); },
            MediaCompression::memoryNeed);
    };
    family.tools = [tools] { return withFFmpegReason(tools()); };
    return family;
}

} // namespace

ConverterFamily videoFamily()
{
    return mediaFamily(FileKind::video, videoTargets(), videoTools);
}

ConverterFamily audioFamily()
{
    return mediaFamily(FileKind::audio, audioTargets(), audioTools);
}

} // namespace MediaConverter
