#pragma once

#include "core/Operation.h"

#include <QList>
#include <QString>
#include <QStringList>

// Audio, video and animated-GIF conversions and tools, through ffmpeg.
namespace MediaConverter {

const QStringList& videoTargets();
const QStringList& audioTargets();
// What an all-GIF selection can also become.
const QStringList& gifVideoTargets();

QList<Operation> videoTools();
QList<Operation> audioTools();

// Converts one file and returns the new file's location.
QString convert(const QString& file, const QString& target);

} // namespace MediaConverter
