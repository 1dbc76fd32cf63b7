#include "helpers/pdfpages/PageImages.h"

#include "base/PageName.h"
#include "helpers/pdfpages/PagesFailure.h"
#include "helpers/pdfpages/SourceDocument.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <atomic>
#include <cmath>
#include <mutex>
#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-image.h>
#include <poppler/cpp/poppler-page-renderer.h>
#include <poppler/cpp/poppler-page.h>
#include <thread>
#include <vips/vips8>

namespace PageImages {

namespace {

using PdfPagesProtocol::Failure;

// Points to pixels: twice the points, unless that exceeds the limit.
double resolutionFor(const poppler::page& page)
{
    const poppler::rectf box = page.page_rect(poppler::media_box);
    const double area = std::abs(box.width() * box.height());
    double dpi = 144;
    const double pixels = area * (dpi / 72) * (dpi / 72);
    if (pixels > pixelLimit)
        dpi = 72 * std::sqrt(pixelLimit / std::max(area, 1.0));
    return std::max(dpi, 1.0);
}

// Opaque RGB rows from poppler's BGRA (or RGB24) image.
QByteArray rgb(const poppler::image& image)
{
    const int width = image.width();
    const int height = image.height();
    QByteArray out(qsizetype(width) * height * 3, Qt::Uninitialized);
    const char* bits = image.const_data();
    const int stride = image.bytes_per_row();
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uchar*>(bits + qsizetype(y) * stride);
        auto* target = reinterpret_cast<uchar*>(out.data() + qsizetype(y) * width * 3);
        for (int x = 0; x < width; ++x) {
            if (image.format() == poppler::image::format_rgb24) {
                target[3 * x] = row[3 * x];
                target[3 * x + 1] = row[3 * x + 1];
                target[3 * x + 2] = row[3 * x + 2];
            } else { // ARGB32 in memory order B, G, R, A
                target[3 * x] = row[4 * x + 2];
                target[3 * x + 1] = row[4 * x + 1];
                target[3 * x + 2] = row[4 * x];
            }
        }
    }
    return out;
}

// A page drawn at `dpi` (or the resolution it gets) and written with `write`.
void drawPage(poppler::document& document, int index, std::optional<double> dpi,
              const std::function<void(const vips::VImage& picture)>& write)
{
    std::unique_ptr<poppler::page> page(document.create_page(index));
    if (!page)
        throw PagesFailure(Failure::page, QString::number(index + 1));
    poppler::page_renderer renderer;
    renderer.set_paper_color(0xffffffff);
    renderer.set_render_hint(poppler::page_renderer::antialiasing, true);
    renderer.set_render_hint(poppler::page_renderer::text_antialiasing, true);
    const double resolution = dpi.value_or(resolutionFor(*page));
    const poppler::image image = renderer.render_page(page.get(), resolution, resolution);
    if (!image.is_valid())
        throw PagesFailure(Failure::page, QString::number(index + 1));
    const QByteArray pixels = rgb(image);
    write(vips::VImage::new_from_memory(const_cast<char*>(pixels.constData()),
                                        size_t(pixels.size()), image.width(), image.height(), 3,
                                        VIPS_FORMAT_UCHAR));
}

void drawPage(poppler::document& document, int index, const Job& job)
{
    drawPage(document, index, std::nullopt, [&](const vips::VImage& picture) {
        const QString path =
            job.folder + QLatin1Char('/') + PageName::of(job.stem, index + 1, job.extension);
        const QByteArray name = QFile::encodeName(path);
        try {
            if (job.extension == QLatin1String("png"))
                picture.pngsave(name.constData());
            else
                picture.jpegsave(name.constData(), vips::VImage::option()->set("Q", job.quality));
        } catch (const vips::VError&) {
            // An image that can't be written fails the whole job: no page is lost quietly.
            throw PagesFailure(Failure::save, path);
        }
    });
}

} // namespace

void render(const Job& job, const std::function<void(int page)>& done)
{
    if (VIPS_INIT("flingdial") != 0)
        throw PagesFailure(Failure::engine);
    const int pages = SourceDocument::open(job.source)->pages();
    const int threads = std::clamp(job.threads, 1, std::max(1, pages));
    std::atomic<int> next{0};
    std::mutex failureMutex;
    std::exception_ptr failure;
    const auto work = [&] {
        try {
            const auto document = SourceDocument::open(job.source);
            for (int index = next++; index < pages && !failure; index = next++) {
                drawPage(*document, index, job);
                done(index + 1);
            }
        } catch (...) {
            const std::lock_guard lock(failureMutex);
            if (!failure)
                failure = std::current_exception();
        }
    };
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t)
        workers.emplace_back(work);
    work();
    for (std::thread& worker : workers)
        worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

void thumbnail(const QString& source, const QString& output, int pixels)
{
    if (VIPS_INIT("flingdial") != 0)
        throw PagesFailure(Failure::engine);
    const auto document = SourceDocument::open(source);
    std::unique_ptr<poppler::page> first(document->create_page(0));
    if (!first)
        throw PagesFailure(Failure::page, QStringLiteral("1"));
    const poppler::rectf box = first->page_rect(poppler::crop_box);
    const double longest = std::max({std::abs(box.width()), std::abs(box.height()), 1.0});
    const double dpi = std::clamp(72.0 * pixels / longest, 1.0, 600.0);
    drawPage(*document, 0, dpi, [&](const vips::VImage& picture) {
        try {
            picture.pngsave(QFile::encodeName(output).constData());
        } catch (const vips::VError&) {
            throw PagesFailure(Failure::save, output);
        }
    });
}

} // namespace PageImages
