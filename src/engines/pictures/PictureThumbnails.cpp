#include "engines/pictures/PictureThumbnails.h"

#include "base/FileKind.h"
#include "engines/pictures/UprightPicture.h"

#include <QFile>
#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-page-renderer.h>
#include <poppler/cpp/poppler-page.h>

namespace PictureThumbnails {

namespace {

QImage firstPdfPage(const QString& path, int pixels)
{
    const QByteArray file = QFile::encodeName(path);
    std::unique_ptr<poppler::document> document(
        poppler::document::load_from_file(file.toStdString()));
    if (!document || document->is_locked() || document->pages() < 1)
        return {};
    std::unique_ptr<poppler::page> page(document->create_page(0));
    if (!page)
        return {};
    const poppler::rectf box = page->page_rect();
    const double dpi = 72.0 * pixels / std::max(box.width(), box.height());
    poppler::page_renderer renderer;
    renderer.set_render_hint(poppler::page_renderer::antialiasing);
    renderer.set_render_hint(poppler::page_renderer::text_antialiasing);
    const poppler::image rendered = renderer.render_page(page.get(), dpi, dpi);
    if (!rendered.is_valid())
        return {};
    const QImage view(reinterpret_cast<const uchar*>(rendered.const_data()), rendered.width(),
                      rendered.height(), rendered.bytes_per_row(), QImage::Format_ARGB32);
    return view.copy();
}

} // namespace

QImage of(ImageEngine& images, const QString& path, int pixels)
{
    QImage image;
    if (FileKind::of(path) == FileKind::pdf)
        image = firstPdfPage(path, pixels);
    else if (FileKind::of(path) == FileKind::image)
        image = UprightPicture::load(images, path, pixels);
    if (image.isNull())
        return {};
    return image.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace PictureThumbnails
