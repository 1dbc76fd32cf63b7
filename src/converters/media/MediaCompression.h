#pragma once

#include "core/Operation.h"

#include <QString>

// Making audio and video smaller. "Compress" keeps the source's format
// where its container takes the codec and never writes a larger file;
// "Compress to Size…" fits each file into a size the user gives, with two
// passes for video.
namespace MediaCompression {

// The format a compressed or fitted copy has: the source's own where its
// container takes H.264 and AAC (VP9 and Opus for WebM), else MP4; for
// audio the source's own lossy format, else MP3.
QString videoFormat(const QString& file);
QString audioFormat(const QString& file);

QString compressVideo(const QString& file);
QString compressAudio(const QString& file);
// Throw Fail with a sentence when the file already fits, or can't be made
// to fit without becoming unusable.
QString videoToSize(const QString& file, qint64 bytes);
QString audioToSize(const QString& file, qint64 bytes);

// About how much memory working on the file takes, from its picture size.
qint64 memoryNeed(const QString& file);

// The tools, as the video and audio lists show them.
Operation compressVideoTool();
Operation compressAudioTool();
Operation videoToSizeTool();
Operation audioToSizeTool();

} // namespace MediaCompression
