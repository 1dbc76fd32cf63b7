#include "engines/images/WebpWriter.h"

#include "base/Errors.h"
#include "engines/images/VipsMetadata.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <memory>
#include <vector>
#include <webp/encode.h>
#include <webp/mux.h>

using vips::VError;
using vips::VImage;

namespace WebpWriter {

namespace {

// Rows converted at a time: even, so that every strip holds whole 2×2
// chroma blocks and the result equals a conversion of the whole picture.
constexpr int stripRows = 32;

// A picture in the encoder's YUV layout, freed with its owner.
class Picture
{
public:
    Picture(int width, int height, bool alpha)
    {
        if (!WebPPictureInit(&m_picture))
            throw VError("libwebp version mismatch");
        m_picture.width = width;
        m_picture.height = height;
        m_picture.use_argb = 0;
        m_picture.colorspace = alpha ? WEBP_YUV420A : WEBP_YUV420;
    }
    ~Picture() { WebPPictureFree(&m_picture); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    WebPPicture* get() { return &m_picture; }
    WebPPicture* operator->() { return &m_picture; }

private:
    WebPPicture m_picture;
};

// Gathers rows from the pipeline and moves each full strip into the picture.
class StripConverter
{
public:
    StripConverter(WebPPicture& picture, int bands)
        : m_picture(picture), m_bands(bands), m_rowBytes(size_t(picture.width) * size_t(bands)),
          m_rows(m_rowBytes * stripRows)
    {}

    void append(const VipsPel* row)
    {
        std::memcpy(m_rows.data() + m_rowBytes * size_t(m_filled), row, m_rowBytes);
        if (++m_filled == stripRows)
            flush();
    }

    void flush()
    {
        if (m_filled == 0)
            return;
        Picture strip(m_picture.width, m_filled, m_bands == 4);
        const int stride = static_cast<int>(m_rowBytes);
        const int imported = m_bands == 4
                                 ? WebPPictureImportRGBA(strip.get(), m_rows.data(), stride)
                                 : WebPPictureImportRGB(strip.get(), m_rows.data(), stride);
        if (!imported)
            throw VError("libwebp can't convert the picture");
        place(*strip.get());
        m_top += m_filled;
        m_filled = 0;
    }

private:
    static void copyPlane(uint8_t* to, int toStride, const uint8_t* from, int fromStride, int width,
                          int rows)
    {
        for (int row = 0; row < rows; ++row)
            std::memcpy(to + size_t(row) * size_t(toStride),
                        from + size_t(row) * size_t(fromStride), size_t(width));
    }

    void place(const WebPPicture& strip)
    {
        const int width = m_picture.width;
        const int chromaWidth = (width + 1) / 2;
        const int chromaRows = (strip.height + 1) / 2;
        WebPPicture& p = m_picture;
        copyPlane(p.y + size_t(m_top) * size_t(p.y_stride), p.y_stride, strip.y, strip.y_stride,
                  width, strip.height);
        const size_t chromaOffset = size_t(m_top / 2) * size_t(p.uv_stride);
        copyPlane(p.u + chromaOffset, p.uv_stride, strip.u, strip.uv_stride, chromaWidth,
                  chromaRows);
        copyPlane(p.v + chromaOffset, p.uv_stride, strip.v, strip.uv_stride, chromaWidth,
                  chromaRows);
        if (!p.a)
            return;
        uint8_t* alpha = p.a + size_t(m_top) * size_t(p.a_stride);
        if (strip.a) // libwebp leaves the plane out of strips that are fully opaque
            copyPlane(alpha, p.a_stride, strip.a, strip.a_stride, width, strip.height);
        else
            for (int row = 0; row < strip.height; ++row)
                std::memset(alpha + size_t(row) * size_t(p.a_stride), 0xff, size_t(width));
    }

    WebPPicture& m_picture;
    const int m_bands;
    const size_t m_rowBytes;
    std::vector<VipsPel> m_rows;
    int m_filled = 0;
    int m_top = 0;
};

int receiveRows(VipsRegion* region, VipsRect* area, void* converter)
{
    auto* strips = static_cast<StripConverter*>(converter);
    try {
        for (int y = area->top; y < VIPS_RECT_BOTTOM(area); ++y)
            strips->append(VIPS_REGION_ADDR(region, area->left, y));
    } catch (const VError&) {
        return -1;
    }
    return 0;
}

// The bitstream in a container with the image's metadata chunks.
QByteArray withMetadata(const WebPMemoryWriter& bitstream, const VImage& image)
{
    const QByteArray icc = VipsMetadata::blob(image, VIPS_META_ICC_NAME);
    // The container stores the TIFF structure alone.
    const QByteArray exif = VipsMetadata::uprightExif(image);
    const QByteArray xmp = VipsMetadata::blob(image, VIPS_META_XMP_NAME);

    const std::unique_ptr<WebPMux, decltype(&WebPMuxDelete)> mux(WebPMuxNew(), &WebPMuxDelete);
    const WebPData pixels = {bitstream.mem, bitstream.size};
    bool ok = mux && WebPMuxSetImage(mux.get(), &pixels, 0) == WEBP_MUX_OK;
    const auto add = [&](const char* fourcc, const QByteArray& data) {
        const WebPData chunk = {reinterpret_cast<const uint8_t*>(data.constData()),
                                size_t(data.size())};
        ok = ok && (data.isEmpty() || WebPMuxSetChunk(mux.get(), fourcc, &chunk, 1) == WEBP_MUX_OK);
    };
    add("ICCP", icc);
    add("EXIF", exif);
    add("XMP ", xmp);
    WebPData assembled = {nullptr, 0};
    if (!ok || WebPMuxAssemble(mux.get(), &assembled) != WEBP_MUX_OK)
        throw VError("libwebp can't add the metadata");
    const QByteArray result(reinterpret_cast<const char*>(assembled.bytes),
                            static_cast<qsizetype>(assembled.size));
    WebPDataClear(&assembled);
    return result;
}

void writeFile(const QString& output, const char* data, qsizetype size)
{
    QFile file(output);
    if (!file.open(QIODevice::WriteOnly) || file.write(data, size) != size || !file.flush()) {
        file.remove();
        throw Fail::cantSave(output);
    }
}

} // namespace

void write(const VImage& image, const QString& output, int quality, bool strip)
{
    WebPConfig config;
    if (!WebPConfigPreset(&config, WEBP_PRESET_DEFAULT, float(quality)))
        throw VError("libwebp version mismatch");
    config.thread_level = 1;

    const bool alpha = image.bands() == 4;
    Picture picture(image.width(), image.height(), alpha);
    if (!WebPPictureAlloc(picture.get()))
        throw VError("out of memory");
    StripConverter strips(*picture.get(), image.bands());
    if (vips_sink_disc(image.get_image(), receiveRows, &strips) != 0)
        throw VError();
    strips.flush();

    WebPMemoryWriter bitstream;
    WebPMemoryWriterInit(&bitstream);
    const std::unique_ptr<WebPMemoryWriter, decltype(&WebPMemoryWriterClear)> clear(
        &bitstream, &WebPMemoryWriterClear);
    picture->writer = WebPMemoryWrite;
    picture->custom_ptr = &bitstream;
    if (!WebPEncode(&config, picture.get()))
        throw VError("libwebp can't encode the picture");

    const bool hasMetadata = image.get_typeof(VIPS_META_ICC_NAME) ||
                             image.get_typeof(VIPS_META_EXIF_NAME) ||
                             image.get_typeof(VIPS_META_XMP_NAME);
    if (strip || !hasMetadata) {
        writeFile(output, reinterpret_cast<const char*>(bitstream.mem),
                  static_cast<qsizetype>(bitstream.size));
        return;
    }
    const QByteArray file = withMetadata(bitstream, image);
    writeFile(output, file.constData(), file.size());
}

} // namespace WebpWriter
