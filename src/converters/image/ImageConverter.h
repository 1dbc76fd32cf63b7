#pragma once

#include "core/ConverterFamily.h"
#include "core/Operation.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

// Still and animated image conversions and the image tools. Conversions
// go through the built-in engine, which keeps metadata and animation, and
// through ImageMagick for files only it reads; the tools prefer ImageMagick
// when it is installed. Batches run side by side.
namespace ImageConverter {

const QStringList& targets();
QList<Operation> tools();

// Why a target can't be produced on this machine, or nothing.
std::optional<Component> unavailableReason(const QString& target);

// Converts one file and returns the new file's location.
QString convert(const QString& file, const QString& target);

// ImageMagick's command: `magick`, or `convert-im6.q16` for version 6.
std::optional<QString> imageMagick();

std::optional<QSize> pixelSize(const QString& file);
// Never writes a larger file: "X is already as small as it gets."
QString compress(const QString& file);
QString resizeToLongestSide(const QString& file, int longestSide,
                            const std::optional<QString>& suffix = std::nullopt);
QString resizeByPercent(const QString& file, int percent);
// The Resize… answer as a size, when it is a whole number above zero.
std::optional<int> parseSize(const QString& answer);
// The Resize… answer as a percentage, when it is a whole one like "50%",
// from 1 to maxResizePercent.
constexpr int maxResizePercent = 1000;
std::optional<int> parsePercent(const QString& answer);
QString rotate(const QString& file);
QString flip(const QString& file);
QString cropSquare(const QString& file);
QString stripMetadata(const QString& file);
// A copy without the GPS data of its EXIF and XMP, every other tag kept.
QString removeLocation(const QString& file);
// The picture as a JPEG of at most `bytes`: the best quality that fits.
QString compressToSize(const QString& file, qint64 bytes);
QString removeBackground(const QString& file);
QString mergeToPdf(const QStringList& files);

// The row of the converter table for pictures; an all-GIF selection may
// also become a video.
ConverterFamily family();

} // namespace ImageConverter
