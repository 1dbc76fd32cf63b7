#pragma once

#include "core/ConverterFamily.h"

#include <QString>
#include <QStringList>
#include <optional>

// Text documents into other text formats, through one rich-text value.
namespace DocumentConverter {

// The formats a document of this format key can become, in wheel order.
QStringList targets(const QString& from);

// Why documents of `from` can't become `target` here: .doc and .pages files
// are read by LibreOffice.
std::optional<Component> unavailableReason(const QString& from, const QString& target);

// Converts one file and returns the new file's location.
QString convert(const QString& file, const QString& target);

// The row of the converter table for text documents.
ConverterFamily family();

} // namespace DocumentConverter
