#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// Test media made with ffmpeg's lavfi sources, and what ffprobe reads back.
namespace Media {

// A clip of test pattern (and a tone unless `withAudio` is false).
QString makeVideo(const QString& path, int width, int height, double seconds,
                  bool withAudio = true);
// A tone.
QString makeAudio(const QString& path, double seconds, int sampleRate = 44100, int channels = 2);

struct Probe
{
    QStringList videoCodecs;
    QStringList audioCodecs;
    int width = 0;
    int height = 0;
    int channels = 0;
    int sampleRate = 0;
    QString sampleFormat;
    double duration = 0;
    QString formatName;
    QMap<QString, QString> tags; // the file's own, names in lower case
};
Probe probe(const QString& path);

} // namespace Media
