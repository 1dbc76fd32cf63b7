#pragma once

#include "core/ConverterFamily.h"
#include "core/Operation.h"

#include <QList>
#include <QString>
#include <optional>

// SubRip and WebVTT subtitles: conversion and timing shifts, on the text.
namespace SubtitleConverter {

// "Shift Timing…".
QList<Operation> tools();

// Converts one file to "vtt" or "srt" and returns the new file.
QString convert(const QString& file, const QString& format);

QString toVTT(const QString& text);
QString toSRT(const QString& text);

// Moves every timestamp by `seconds` (negative: earlier), never below
// zero. Throws Fail when a time would leave the range that can be written.
QString shiftText(const QString& text, double seconds);
// Writes "<name> synced.<ext>" and returns it.
QString shift(const QString& file, double seconds);

// The shift prompt's answer as seconds: a finite decimal number, with a
// comma allowed as decimal separator.
std::optional<double> parseSeconds(const QString& answer);

// The row of the converter table for subtitles.
ConverterFamily family();

} // namespace SubtitleConverter
