#pragma once

#include <QString>

// The symbol image drawn for a format key.
namespace FormatSymbol {

// Exact, case-sensitive: callers pass lower-case keys.
QString named(const QString& format);

} // namespace FormatSymbol
