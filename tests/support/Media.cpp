#include "support/Media.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace Qt::StringLiterals;

namespace Media {

namespace {

QByteArray run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120000);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        qFatal("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
    return process.readAllStandardOutput();
}

} // namespace

QString makeVideo(const QString& path, int width, int height, double seconds, bool withAudio)
{
    QStringList arguments = {
        u"-v"_s,
        u"error"_s,
        u"-y"_s,
        u"-f"_s,
        u"lavfi"_s,
        u"-i"_s,
        u"testsrc2=size=%1x%2:rate=25:duration=%3"_s.arg(width).arg(height).arg(seconds)};
    if (withAudio)
        arguments << u"-f"_s << u"lavfi"_s << u"-i"_s
                  << u"sine=frequency=440:sample_rate=48000:duration=%1"_s.arg(seconds) << u"-ac"_s
                  << u"2"_s;
    arguments << u"-pix_fmt"_s << u"yuv420p"_s << path;
    run(u"ffmpeg"_s, arguments);
    return path;
}

QString makeAudio(const QString& path, double seconds, int sampleRate, int channels)
{
    run(u"ffmpeg"_s,
        {u"-v"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
         u"sine=frequency=330:sample_rate=%1:duration=%2"_s.arg(sampleRate).arg(seconds), u"-ac"_s,
         QString::number(channels), path});
    return path;
}

Probe probe(const QString& path)
{
    const QJsonObject root =
        QJsonDocument::fromJson(run(u"ffprobe"_s, {u"-v"_s, u"error"_s, u"-show_streams"_s,
                                                   u"-show_format"_s, u"-of"_s, u"json"_s, path}))
            .object();
    Probe result;
    for (const QJsonValue& value : root.value(u"streams"_s).toArray()) {
        const QJsonObject stream = value.toObject();
        const QString codec = stream.value(u"codec_name"_s).toString();
        if (stream.value(u"codec_type"_s).toString() == QLatin1String("video")) {
            result.videoCodecs.append(codec);
            result.width = stream.value(u"width"_s).toInt();
            result.height = stream.value(u"height"_s).toInt();
        } else if (stream.value(u"codec_type"_s).toString() == QLatin1String("audio")) {
            result.audioCodecs.append(codec);
            result.channels = stream.value(u"channels"_s).toInt();
            result.sampleRate = stream.value(u"sample_rate"_s).toString().toInt();
            result.sampleFormat = stream.value(u"sample_fmt"_s).toString();
        }
    }
    const QJsonObject format = root.value(u"format"_s).toObject();
    result.duration = format.value(u"duration"_s).toString().toDouble();
    result.formatName = format.value(u"format_name"_s).toString();
    const QJsonObject tags = format.value(u"tags"_s).toObject();
    for (auto it = tags.constBegin(); it != tags.constEnd(); ++it)
        result.tags.insert(it.key().toLower(), it.value().toString());
    return result;
}

} // namespace Media
