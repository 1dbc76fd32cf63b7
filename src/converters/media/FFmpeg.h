#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

// Running ffmpeg: finding it, what its build can encode, what it reads in a
// file, and one quiet run that reports how far it is to the current job.
namespace FFmpeg {

// The ffmpeg to run: the program's own, else the first on the search path.
std::optional<QString> path();
// ffmpeg's encoder list, read once per process ("" without ffmpeg).
const QString& encoders();
bool hasEncoder(const QString& name);

// The part of the current job's progress one run covers: two passes over
// the same file each take a part.
struct Share
{
    double from = 0;
    double to = 1;
};

// Runs ffmpeg quietly with the arguments, overwriting the output it names.
// When a job watches, ffmpeg's progress is reported as a share of the
// length it writes. Failures are thrown as Fail naming the input.
void run(const QStringList& arguments, Share share = {});

// What a probe learns of a file's first video and audio streams.
struct Streams
{
    std::optional<QString> video;      // "h264 1920x1080 29.97"
    std::optional<QString> audio;      // "aac 48000 stereo"
    std::optional<QString> sampleRate; // "48000"

    bool operator==(const Streams&) const = default;
};
Streams streams(const QString& file);
// The same, read from ffmpeg's stream listing.
Streams parseStreams(const QString& listing);

// The file's own tags ("title", "location", "creation_time"…), as ffmpeg
// names them, in their order.
QList<std::pair<QString, QString>> tags(const QString& file);
QList<std::pair<QString, QString>> parseTags(const QString& listing);

// The length ffmpeg reports for a file, in seconds, if it reports one.
std::optional<double> duration(const QString& file);
// "1:30", "1:02:03.5" or "90.5" in seconds.
double secondsOf(const QString& time);

} // namespace FFmpeg
