#pragma once

#include <QString>

// How files made one per page are named, shared by the PDF tools and the
// page helper that writes them.
namespace PageName {

// "stem 007.png": the page number with at least three digits.
inline QString of(const QString& stem, int page, const QString& extension)
{
    return QStringLiteral("%1 %2.%3").arg(stem).arg(page, 3, 10, QLatin1Char('0')).arg(extension);
}

} // namespace PageName
