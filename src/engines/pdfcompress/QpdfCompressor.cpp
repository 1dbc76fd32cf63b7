#include "engines/pdfcompress/QpdfCompressor.h"

#include "engines/qpdf/QpdfFiles.h"

#include <QSet>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <vips/vips8>

namespace {

bool isPhotoColourSpace(QPDFObjectHandle space, int& components)
{
    if (space.isName()) {
        const std::string name = space.getName();
        components = name == "/DeviceRGB" ? 3 : name == "/DeviceGray" ? 1 : 0;
        return components > 0;
    }
    if (space.isArray() && space.getArrayNItems() == 2 &&
        space.getArrayItem(0).isNameAndEquals("/ICCBased")) {
        QPDFObjectHandle n = space.getArrayItem(1).getDict().getKey("/N");
        components = n.isInteger() ? int(n.getIntValue()) : 0;
        return components == 1 || components == 3;
    }
    return false;
}

// Re-encodes one image as JPEG when that makes it smaller: at most `longest`
// pixels on its longer side, at `quality`.
void recompress(QPDFObjectHandle image, double longest, int quality)
{
    QPDFObjectHandle dict = image.getDict();
    int components = 0;
    if (!dict.getKey("/BitsPerComponent").isInteger() ||
        dict.getKey("/BitsPerComponent").getIntValue() != 8 || dict.hasKey("/ImageMask") ||
        dict.hasKey("/Decode") || !isPhotoColourSpace(dict.getKey("/ColorSpace"), components))
        return;
    const int width =
        dict.getKey("/Width").isInteger() ? int(dict.getKey("/Width").getIntValue()) : 0;
    const int height =
        dict.getKey("/Height").isInteger() ? int(dict.getKey("/Height").getIntValue()) : 0;
    if (width < 16 || height < 16 || qint64(width) * height > 100'000'000)
        return;
    std::shared_ptr<Buffer> pixels;
    try {
        pixels = image.getStreamData(qpdf_dl_all);
    } catch (const std::exception&) {
        return; // a filter qpdf can't undo: left as it is
    }
    if (pixels->getSize() != size_t(width) * height * components)
        return;
    const double scale = std::min(1.0, longest / std::max(width, height));
    vips::VImage picture = vips::VImage::new_from_memory(
        pixels->getBuffer(), pixels->getSize(), width, height, components, VIPS_FORMAT_UCHAR);
    if (scale < 1.0)
        picture = picture.resize(scale);
    void* data = nullptr;
    size_t size = 0;
    picture.write_to_buffer(".jpg", &data, &size, vips::VImage::option()->set("Q", quality));
    const std::string jpeg(static_cast<char*>(data), size);
    g_free(data);
    const size_t before = image.getRawStreamData()->getSize();
    if (jpeg.size() >= before)
        return;
    image.replaceStreamData(jpeg, QPDFObjectHandle::newName("/DCTDecode"),
                            QPDFObjectHandle::newNull());
    dict.replaceKey("/Width", QPDFObjectHandle::newInteger(picture.width()));
    dict.replaceKey("/Height", QPDFObjectHandle::newInteger(picture.height()));
    dict.removeKey("/DecodeParms");
}

} // namespace

QpdfCompressor::QpdfCompressor()
{
    static const bool started = VIPS_INIT("flingdial") == 0;
    Q_UNUSED(started);
}

void QpdfCompressor::compress(const QString& source, const QString& output, int quality)
{
    const auto pdf = QpdfFiles::load(source);
    QSet<QString> done;
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(*pdf).getAllPages()) {
        const QPDFObjectHandle::Rectangle box = page.getMediaBox().getArrayAsRectangle();
        const double longest =
            std::max(std::abs(box.urx - box.llx), std::abs(box.ury - box.lly)) / 72.0 * 150.0;
        for (auto& [key, image] : page.getImages()) {
            Q_UNUSED(key);
            const QString id = QString::fromStdString(image.getObjGen().unparse(' '));
            if (done.contains(id))
                continue;
            done.insert(id);
            recompress(image, std::max(longest, 300.0), quality);
        }
    }
    QpdfFiles::save(*pdf, output, [](QPDFWriter& writer) {
        writer.setObjectStreamMode(qpdf_o_generate);
        writer.setCompressStreams(true);
        writer.setRecompressFlate(true);
    });
}
