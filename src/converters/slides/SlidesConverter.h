#pragma once

#include "core/ConverterFamily.h"
#include <QString>
#include <QStringList>

// Presentations into PDF, PowerPoint or one image per slide.
namespace SlidesConverter {

// The target list without the given common format key.
QStringList targets(const QString& from);

// One file, a folder of slide images, or the images themselves.
QStringList convert(const QString& file, const QString& target);

// Several presentations in one LibreOffice run; results in the files'
// order, the first failure ending the drop (earlier results stay).
QStringList convertAll(const QStringList& files, const QString& target);

// The row of the converter table for presentations.
ConverterFamily family();

} // namespace SlidesConverter
