#pragma once

#include "core/Operation.h"

#include <QList>
#include <QString>

// SubRip and WebVTT subtitles: conversion and timing shifts.
namespace SubtitleConverter {

QList<Operation> tools();

QString convert(const QString& file, const QString& target);

} // namespace SubtitleConverter
