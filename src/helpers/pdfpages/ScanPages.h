#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// The two page steps of text recognition, each run in the helper process
// so that a page poppler never finishes can be stopped: which pages
// already carry text, and one page drawn in grey for the recogniser.
namespace ScanPages {

// Tells `page` each page's 1-based number and whether it carries text, in
// order. Throws Fail.
void findText(const QString& source, const std::function<void(int page, bool hasText)>& page);

// Draws one page (1-based) in 8-bit grey at `dpi`, lowered for pages
// larger than the pixel limit, into a binary PGM file. Returns the
// resolution used. Throws Fail.
double drawGrey(const QString& source, int page, double dpi, const QString& output);

// The helper's command line for these steps, writing a line per page:
//   --text SOURCE                 "N text" or "N none" for every page
//   --grey SOURCE PAGE DPI OUTPUT "dpi D" once the page is written
// Returns the exit status.
int run(const QStringList& arguments);

} // namespace ScanPages
