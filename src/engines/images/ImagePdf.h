#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

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

// Throws Fail ("Can’t save <name>.") when the file can't be written.
void write(const QList<Page>& pages, const QString& output);

} // namespace ImagePdf
