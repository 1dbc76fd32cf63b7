#pragma once

#include "core/ConverterFamily.h"
#include "core/Operation.h"

#include <QList>
#include <QString>
#include <QStringList>

// PDF tools and PDF conversions.
namespace PDFConverter {

QStringList targets();
QList<Operation> tools();

// Converts one PDF; images of several pages give several files.
QStringList convert(const QString& file, const QString& target);

// The row of the converter table for PDF files.
ConverterFamily family();

} // namespace PDFConverter
