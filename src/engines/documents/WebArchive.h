#pragma once

#include <QString>

// Safari's web archives: a property list whose main resource holds the
// page's HTML and the name of its text encoding.
namespace WebArchive {

// The main page as text. Throws Fail naming the file.
QString mainHtml(const QString& path);

} // namespace WebArchive
