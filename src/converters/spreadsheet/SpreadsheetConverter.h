#pragma once

#include "core/ConverterFamily.h"
#include <QString>
#include <QStringList>
#include <optional>

// Spreadsheets between CSV, TSV, XLSX, ODS and PDF.
namespace SpreadsheetConverter {

// The formats a spreadsheet of this format key can become, in wheel order.
QStringList targets(const QString& from);

// Why this conversion can't run on this machine, or nothing.
std::optional<Component> unavailableReason(const QString& from, const QString& to);

QString convert(const QString& file, const QString& target);

// The row of the converter table for spreadsheets.
ConverterFamily family();

} // namespace SpreadsheetConverter
