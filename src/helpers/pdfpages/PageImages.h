#pragma once

#include <QString>
#include <functional>

// Draws a PDF's pages with poppler and encodes them with libvips, on
// several threads (one poppler document each). Runs in a helper process of
// its own, so that a page poppler never finishes can be stopped.
namespace PageImages {

struct Job
{
    QString source;
    QString folder; // pages go to folder/stem NNN.ext
    QString stem;
    QString extension; // "png" or "jpg"
    int quality = 85;
    int threads = 1;
};

// The largest page drawn: 2 pixels per point, less for pages larger than
// this many pixels, keeping their shape.
constexpr double pixelLimit = 40e6;

// Draws every page; `done` is told each page's number as it is written,
// from any thread. Throws PagesFailure.
void render(const Job& job, const std::function<void(int page)>& done);

// Draws the first page of `source` into the PNG `output`, its longer side
// `pixels` long. Throws PagesFailure.
void thumbnail(const QString& source, const QString& output, int pixels);

} // namespace PageImages
