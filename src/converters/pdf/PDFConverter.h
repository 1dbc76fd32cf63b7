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

// Converts one PDF: a document, one page image, or a " pages" folder.
QStringList convert(const QString& file, const QString& target);

// The 0-based pages a text like "1-3, 5" names, in order, on a document of
// `count` pages. Throws Fail "“piece” isn’t a valid page range."
QList<int> pages(const QString& text, int count);

// Keeps (or, with keep false, removes) the listed pages. Throws Fail.
QString keepPages(const QString& file, const QString& spec, bool keep);

// The row of the converter table for PDF files.
ConverterFamily family();

} // namespace PDFConverter
