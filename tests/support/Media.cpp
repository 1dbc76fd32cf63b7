#include "support/Media.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

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
    QStringList arguments = {QStringLiteral("-v"),
                             QStringLiteral("error"),
                             QStringLiteral("-y"),
                             QStringLiteral("-f"),
                             QStringLiteral("lavfi"),
                             QStringLiteral("-i"),
                             QStringLiteral("testsrc2=size=%1x%2:rate=25:duration=%3")
                                 .arg(width)
                                 .arg(height)
                                 .arg(seconds)};
    if (withAudio)
        arguments << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
                  << QStringLiteral("sine=frequency=440:sample_rate=48000:duration=%1").arg(seconds)
                  << QStringLiteral("-ac") << QStringLiteral("2");
    arguments << QStringLiteral("-pix_fmt") << QStringLiteral("yuv420p") << path;
    run(QStringLiteral("ffmpeg"), arguments);
    return path;
}

QString makeAudio(const QString& path, double seconds, int sampleRate, int channels)
{
    run(QStringLiteral("ffmpeg"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
         QStringLiteral("lavfi"), QStringLiteral("-i"),
         QStringLiteral("sine=frequency=330:sample_rate=%1:duration=%2")
             .arg(sampleRate)
             .arg(seconds),
         QStringLiteral("-ac"), QString::number(channels), path});
    return path;
}

Probe probe(const QString& path)
{
    const QJsonObject root =
        QJsonDocument::fromJson(
            run(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_streams"),
                 QStringLiteral("-show_format"), QStringLiteral("-of"), QStringLiteral("json"),
                 path}))
            .object();
    Probe result;
    for (const QJsonValue& value : root.value(QStringLiteral("streams")).toArray()) {
        const QJsonObject stream = value.toObject();
        const QString codec = stream.value(QStringLiteral("codec_name")).toString();
        if (stream.value(QStringLiteral("codec_type")).toString() == QLatin1String("video")) {
            result.videoCodecs.append(codec);
            result.width = stream.value(QStringLiteral("width")).toInt();
            result.height = stream.value(QStringLiteral("height")).toInt();
        } else if (stream.value(QStringLiteral("codec_type")).toString() ==
                   QLatin1String("audio")) {
            result.audioCodecs.append(codec);
            result.channels = stream.value(QStringLiteral("channels")).toInt();
            result.sampleRate = stream.value(QStringLiteral("sample_rate")).toString().toInt();
            result.sampleFormat = stream.value(QStringLiteral("sample_fmt")).toString();
        }
    }
    const QJsonObject format = root.value(QStringLiteral("format")).toObject();
    result.duration = format.value(QStringLiteral("duration")).toString().toDouble();
    result.formatName = format.value(QStringLiteral("format_name")).toString();
    return result;
}

} // namespace Media
