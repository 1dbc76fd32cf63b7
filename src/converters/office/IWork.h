#pragma once

#include <QString>

// Pages, Numbers and Keynote: where a platform has them, the converters
// drive them for their own formats. Linux has none, so every lookup finds
// nothing and every such conversion takes its LibreOffice path; this is the
// seam a platform with the applications would fill.
namespace IWork {

// The newest installed copy of the application, or an empty string.
QString newest(const QString& application);

} // namespace IWork
