#pragma once

#include "core/ConverterFamily.h"
#include "core/Operation.h"

#include <QList>
#include <QString>
#include <QStringList>

// PDF tools and PDF conversions.
namespace PdfConverter {

QStringList targets();
QList<Operation> tools();

// Converts one PDF: a document, one page image, or a " pages" folder.
QStringList convert(const QString& file, const QString& target);

// One image of each page: a single file for a one-page PDF, else a
// " pages" folder, named and placed after `namedAfter` (the PDF itself, or
// the presentation it was made from). Throws Fail.
QStringList images(const QString& pdf, const QString& extension, const QString& namedAfter);

// The 0-based pages a text like "1-3, 5" names, in order, on a document of
// `count` pages. Throws Fail "“piece” isn’t a valid page range."
QList<int> pages(const QString& text, int count);

// Keeps (or, with keep false, removes) the listed pages. Throws Fail.
QString keepPages(const QString& file, const QString& spec, bool keep);

// The row of the converter table for PDF files.
ConverterFamily family();

} // namespace PdfConverter
