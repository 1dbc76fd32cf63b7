#pragma once

#include "core/ConverterFamily.h"
#include <QString>
#include <QStringList>

// Text documents into other text formats, through one rich-text value.
namespace DocumentConverter {

// The formats a document of this format key can become, in wheel order.
QStringList targets(const QString& from);

// Converts one file and returns the new file's location.
QString convert(const QString& file, const QString& target);

// The row of the converter table for text documents.
ConverterFamily family();

} // namespace DocumentConverter
