#pragma once

#include "core/ConverterFamily.h"
#include "core/Operation.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

// Audio, video and animated-GIF conversions and tools, each one
// synchronous ffmpeg run (two for a merge that falls back), the files of a
// batch side by side. Tags travel with the picture and sound.
namespace MediaConverter {

const QStringList& videoTargets();
const QStringList& audioTargets();
// What an all-GIF selection can also become.
const QStringList& gifVideoTargets();

QList<Operation> videoTools();
QList<Operation> audioTools();

// The H.264 encoder arguments for a quality on the 0–100 scale of the
// hardware encoder; libx264 gets the matching CRF. Throws Fail when this
// ffmpeg has no H.264 encoder.
QStringList h264(int quality);
// The AAC encoder: the system's when ffmpeg has it, else ffmpeg's own.
QString aacEncoder();

QStringList videoArgs(const QString& format);
QStringList audioArgs(const QString& format);

// Converts one file and returns the new file's location.
QString convert(const QString& file, const QString& target);

// The ffmpeg arguments that carry the file's tags (title, creation date,
// location…) over to what is made of it.
QStringList keepTags(const QString& file);

// The trim prompt's answer as the two times to pass to ffmpeg.
std::optional<std::pair<QString, QString>> parseRange(const QString& answer);

QStringList trim(const QStringList& files);
QString concatVideos(const QStringList& files);
QString concatAudio(const QStringList& files);
// Re-encodes audio through a filter, keeping format and sample rate.
QString filtered(const QString& file, const QString& filter, const QString& suffix);

// The rows of the converter table for video and audio files.
ConverterFamily videoFamily();
ConverterFamily audioFamily();

} // namespace MediaConverter
