#include "helpers/pdfpages/ScanPages.h"

#include "base/Errors.h"
#include "helpers/pdfpages/PageImages.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <memory>
#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-global.h>
#include <poppler/cpp/poppler-image.h>
#include <poppler/cpp/poppler-page-renderer.h>
#include <poppler/cpp/poppler-page.h>

namespace ScanPages {

namespace {

std::unique_ptr<poppler::document> open(const QString& path)
{
    poppler::set_debug_error_function([](const std::string&, void*) {}, nullptr);
    const QByteArray name = QFile::encodeName(path);
    std::unique_ptr<poppler::document> document(
        poppler::document::load_from_file(name.toStdString()));
    if (!document || document->is_locked())
        throw Fail(QStringLiteral("Can’t open %1.").arg(QFileInfo(path).fileName()));
    return document;
}

bool carriesText(const poppler::page& page)
{
    const std::vector<char> text = page.text().to_utf8();
    return std::any_of(text.cbegin(), text.cend(),
                       [](char c) { return !std::isspace(static_cast<unsigned char>(c)); });
}

} // namespace

void findText(const QString& source, const std::function<void(int page, bool hasText)>& page)
{
    const auto document = open(source);
    for (int index = 0; index < document->pages(); ++index) {
        std::unique_ptr<poppler::page> one(document->create_page(index));
        page(index + 1, one && carriesText(*one));
    }
}

double drawGrey(const QString& source, int number, double dpi, const QString& output)
{
    const auto document = open(source);
    std::unique_ptr<poppler::page> page(
        number >= 1 && number <= document->pages() ? document->create_page(number - 1) : nullptr);
    const QString name = QFileInfo(source).fileName();
    if (!page)
        throw Fail(QStringLiteral("Page %1 of %2 can’t be drawn.").arg(number).arg(name));
    const poppler::rectf box = page->page_rect(poppler::crop_box);
    const double area = std::max(std::abs(box.width() * box.height()), 1.0);
    dpi = std::clamp(std::min(dpi, 72 * std::sqrt(PageImages::pixelLimit / area)), 1.0, 2400.0);
    poppler::page_renderer renderer;
    renderer.set_paper_color(0xffffffff);
    renderer.set_image_format(poppler::image::format_gray8);
    renderer.set_render_hint(poppler::page_renderer::antialiasing, true);
    renderer.set_render_hint(poppler::page_renderer::text_antialiasing, true);
    const poppler::image image = renderer.render_page(page.get(), dpi, dpi);
    if (!image.is_valid() || image.format() != poppler::image::format_gray8)
        throw Fail(QStringLiteral("Page %1 of %2 can’t be drawn.").arg(number).arg(name));
    QFile file(output);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw Fail::cantSave(output);
    const int width = image.width();
    bool written = file.write(QByteArray("P5\n") + QByteArray::number(width) + ' ' +
                              QByteArray::number(image.height()) + "\n255\n") > 0;
    for (int y = 0; y < image.height() && written; ++y)
        written =
            file.write(image.const_data() + qsizetype(y) * image.bytes_per_row(), width) == width;
    if (!written || !file.flush())
        throw Fail::cantSave(output);
    return dpi;
}

int run(const QStringList& arguments)
{
    const QString mode = arguments.value(1);
    try {
        if (mode == QLatin1String("--text") && arguments.size() == 3) {
            findText(arguments.at(2), [](int page, bool hasText) {
                std::printf("%d %s\n", page, hasText ? "text" : "none");
                std::fflush(stdout);
            });
            return 0;
        }
        if (mode == QLatin1String("--grey") && arguments.size() == 6) {
            const double dpi = drawGrey(arguments.at(2), arguments.at(3).toInt(),
                                        arguments.at(4).toDouble(), arguments.at(5));
            std::printf("dpi %.3f\n", dpi);
            return 0;
        }
    } catch (...) {
        std::fprintf(stderr, "error: %s\n", qUtf8Printable(describe(std::current_exception())));
        return 1;
    }
    std::fputs("usage: flingdial-pdf-pages --text SOURCE | --grey SOURCE PAGE DPI OUTPUT\n",
               stderr);
    return 2;
}

} // namespace ScanPages
