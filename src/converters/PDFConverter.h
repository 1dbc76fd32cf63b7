#pragma once

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

} // namespace PDFConverter
