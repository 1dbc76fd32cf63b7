#include "engines/documents/PdfPictures.h"

#include <QPainter>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QtEndian>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <set>

namespace {

// What a stand-in's pixels say: this text, then the picture's number.
constexpr char magic[] = "FLINGDIALPICTURE";
constexpr int magicSize = 16;
constexpr int standInWidth = 8; // 24 bytes of red, green and blue

QImage standIn(int number)
{
    QByteArray bytes(magic, magicSize);
    quint64 value = quint64(number);
    for (int i = 0; i < 8; ++i)
        bytes.append(char((value >> (8 * i)) & 0xff));
    QImage image(standInWidth, 1, QImage::Format_RGB32);
    for (int x = 0; x < standInWidth; ++x)
        image.setPixel(x, 0,
                       qRgb(uchar(bytes[3 * x]), uchar(bytes[3 * x + 1]), uchar(bytes[3 * x + 2])));
    return image;
}

quint32 bigEndian32(const QByteArray& bytes, qsizetype at)
{
    return qFromBigEndian<quint32>(reinterpret_cast<const uchar*>(bytes.constData() + at));
}

quint16 bigEndian16(const QByteArray& bytes, qsizetype at)
{
    return qFromBigEndian<quint16>(reinterpret_cast<const uchar*>(bytes.constData() + at));
}

} // namespace

PdfPictures::PdfPictures(QSizeF page) : m_page(page) {}

void PdfPictures::setWidthAt(int position, double width)
{
    m_widths.insert(position, width);
}

QSizeF PdfPictures::intrinsicSize(QTextDocument*, int position, const QTextFormat& format)
{
    QSizeF size = Pictures::sizeOf(format.toImageFormat());
    if (!(size.width() > 0) || !(size.height() > 0))
        return QSizeF(1, 1);
    const QSizeF room(std::min(m_widths.value(position, m_page.width()), m_page.width()),
                      m_page.height());
    if (size.width() > room.width() || size.height() > room.height())
        size.scale(room, Qt::KeepAspectRatio);
    return size;
}

const PdfPictures::Shown& PdfPictures::shown(QTextDocument* document,
                                             const QTextImageFormat& format)
{
    const auto found = m_shown.constFind(format.name());
    if (found != m_shown.constEnd())
        return *found;
    Shown shown;
    if (const auto picture = Pictures::of(*document, format)) {
        std::optional<Stream> stream;
        // Pictures turned by their orientation tag are drawn from their pixels.
        if (picture->format == "jpeg" && Pictures::isUpright(*picture))
            stream = jpegStream(picture->bytes);
        else if (picture->format == "png")
            stream = pngStream(picture->bytes);
        if (stream) {
            shown.image = standIn(int(m_streams.size()));
            shown.standIn = true;
            m_streams.append(*stream);
        } else {
            shown.image = Pictures::decode(*picture);
        }
    }
    return *m_shown.insert(format.name(), shown);
}

void PdfPictures::drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int,
                             const QTextFormat& format)
{
    const Shown& picture = shown(document, format.toImageFormat());
    if (picture.image.isNull())
        return;
    painter->save();
    // Decoded pictures keep every pixel: Qt would store them as JPEG.
    painter->setRenderHint(QPainter::LosslessImageRendering);
    painter->drawImage(rect, picture.image);
    painter->restore();
}

void PdfPictures::finish(QPDF& pdf) const
{
    std::set<QPDFObjGen> seen;
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
        QPDFObjectHandle objects = page.getObjectHandle().getKey("/Resources").getKey("/XObject");
        if (!objects.isDictionary())
            continue;
        for (const std::string& key : objects.getKeys()) {
            QPDFObjectHandle image = objects.getKey(key);
            if (!image.isStream() || !seen.insert(image.getObjGen()).second)
                continue;
            QPDFObjectHandle dictionary = image.getDict();
            if (!dictionary.getKey("/Width").isInteger() ||
                dictionary.getKey("/Width").getIntValue() != standInWidth ||
                !dictionary.getKey("/Height").isInteger() ||
                dictionary.getKey("/Height").getIntValue() != 1)
                continue;
            const auto data = image.getStreamData(qpdf_dl_generalized);
            if (data->getSize() < magicSize + 8 ||
                std::memcmp(data->getBuffer(), magic, magicSize) != 0)
                continue;
            quint64 number = 0;
            for (int i = 0; i < 8; ++i)
                number |= quint64(data->getBuffer()[magicSize + i]) << (8 * i);
            if (number >= quint64(m_streams.size()))
                continue;
            const Stream& stream = m_streams.at(qsizetype(number));
            QPDFObjectHandle keys = QPDFObjectHandle::parse(stream.dictionary.toStdString());
            image.replaceStreamData(stream.data.toStdString(), keys.getKey("/Filter"),
                                    keys.getKey("/DecodeParms"));
            for (const char* old : {"/SMask", "/Mask", "/Decode", "/Interpolate"})
                dictionary.removeKey(old);
            for (const std::string& name : keys.getKeys())
                if (name != "/Filter" && name != "/DecodeParms")
                    dictionary.replaceKey(name, keys.getKey(name));
        }
    }
}

std::optional<PdfPictures::Stream> PdfPictures::jpegStream(const QByteArray& bytes)
{
    if (!bytes.startsWith("\xFF\xD8"))
        return std::nullopt;
    bool adobe = false;
    qsizetype at = 2;
    while (at + 4 <= bytes.size()) {
        if (uchar(bytes[at]) != 0xFF)
            return std::nullopt;
        const uchar marker = uchar(bytes[at + 1]);
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        at += 2;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue;
        const qsizetype length = bigEndian16(bytes, at);
        if (length < 2 || at + length > bytes.size())
            return std::nullopt;
        const QByteArray segment = bytes.mid(at + 2, length - 2);
        if (marker == 0xEE && segment.startsWith("Adobe"))
            adobe = true;
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (segment.size() < 6 || uchar(segment[0]) != 8)
                return std::nullopt; // 12-bit samples: not for every reader
            const int height = bigEndian16(segment, 1);
            const int width = bigEndian16(segment, 3);
            const int components = uchar(segment[5]);
            if (width == 0 || height == 0)
                return std::nullopt;
            QByteArray space;
            if (components == 1)
                space = "/DeviceGray";
            else if (components == 3)
                space = "/DeviceRGB";
            else if (components == 4)
                // Adobe's CMYK JPEGs store their samples inverted.
                space = adobe ? "/DeviceCMYK /Decode [1 0 1 0 1 0 1 0]" : "/DeviceCMYK";
            else
                return std::nullopt;
            return Stream{bytes, "<< /Type /XObject /Subtype /Image /Width " +
                                     QByteArray::number(width) + " /Height " +
                                     QByteArray::number(height) + " /ColorSpace " + space +
                                     " /BitsPerComponent 8 /Filter /DCTDecode >>"};
        }
        if (marker == 0xDA)
            return std::nullopt;
        at += length;
    }
    return std::nullopt;
}

// PNG's compressed rows are what a PDF's Flate filter with PNG predictors
// reads, for pictures without transparency or interlacing.
std::optional<PdfPictures::Stream> PdfPictures::pngStream(const QByteArray& bytes)
{
    if (!bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return std::nullopt;
    qsizetype at = 8;
    int width = 0, height = 0, depth = 0, type = -1;
    QByteArray palette;
    QByteArray data;
    while (at + 12 <= bytes.size()) {
        const qsizetype length = bigEndian32(bytes, at);
        const QByteArray kind = bytes.mid(at + 4, 4);
        if (length > bytes.size() - at - 12)
            return std::nullopt;
        const qsizetype start = at + 8;
        if (kind == "IHDR") {
            if (length < 13)
                return std::nullopt;
            width = int(bigEndian32(bytes, start));
            height = int(bigEndian32(bytes, start + 4));
            depth = uchar(bytes[start + 8]);
            type = uchar(bytes[start + 9]);
            if (uchar(bytes[start + 12]) != 0) // interlaced
                return std::nullopt;
        } else if (kind == "PLTE") {
            palette = bytes.mid(start, length);
        } else if (kind == "tRNS") {
            return std::nullopt;
        } else if (kind == "IDAT") {
            data += bytes.mid(start, length);
        } else if (kind == "IEND") {
            break;
        }
        at = start + length + 4;
    }
    if (width <= 0 || height <= 0 || data.isEmpty())
        return std::nullopt;
    QByteArray space;
    int colors = 1;
    if (type == 0 && (depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16)) {
        space = "/DeviceGray";
    } else if (type == 2 && (depth == 8 || depth == 16)) {
        space = "/DeviceRGB";
        colors = 3;
    } else if (type == 3 && depth <= 8 && palette.size() >= 3 && palette.size() % 3 == 0) {
        space = "[/Indexed /DeviceRGB " + QByteArray::number(palette.size() / 3 - 1) + " <" +
                palette.toHex() + ">]";
    } else {
        return std::nullopt;
    }
    const QByteArray bits = QByteArray::number(depth);
    return Stream{data, "<< /Type /XObject /Subtype /Image /Width " + QByteArray::number(width) +
                            " /Height " + QByteArray::number(height) + " /ColorSpace " + space +
                            " /BitsPerComponent " + bits +
                            " /Filter /FlateDecode /DecodeParms << /Predictor 15 /Colors " +
                            QByteArray::number(colors) + " /BitsPerComponent " + bits +
                            " /Columns " + QByteArray::number(width) + " >> >>"};
}
