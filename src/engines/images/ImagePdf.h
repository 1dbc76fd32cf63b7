#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// Writes PDF documents whose pages are images, one image filling each page.
namespace ImagePdf {

struct Page
{
    int width = 0; // pixels, also the page size in points
    int height = 0;
    int components = 3; // 1: grey, 3: RGB
    QByteArray data;    // JPEG bytes, or raw 8-bit samples
    bool jpeg = false;
};

// A JPEG file as a page with its bytes as they are (DCTDecode: lossless,
// and smaller than decoding and encoding again), when PDF readers draw them
// as the picture looks: 8-bit grey or colour, upright. Nothing otherwise.
std::optional<Page> jpegAsItIs(const QString& path);

// Throws Fail ("Can’t save <name>.") when the file can't be written.
void write(const QList<Page>& pages, const QString& output);

} // namespace ImagePdf
