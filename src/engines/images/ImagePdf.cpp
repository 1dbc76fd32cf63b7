#include "engines/images/ImagePdf.h"

#include "base/Errors.h"
#include "engines/qpdf/QpdfFiles.h"

#include <QFile>
#include <QFileInfo>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

namespace ImagePdf {

namespace {

// A JPEG larger than this goes through the image engine, which reads it
// piece by piece.
constexpr qint64 jpegAsItIsLimit = 256 * 1024 * 1024;

// The EXIF orientation a TIFF structure holds; 1 (upright) when it holds none.
int exifOrientation(const QByteArray& tiff)
{
    const bool little = tiff.startsWith("II");
    if (!little && !tiff.startsWith("MM"))
        return 1;
    const auto number = [&](qsizetype at, int bytes) -> qint64 {
        if (at < 0 || at + bytes > tiff.size())
            return -1;
        qint64 value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= qint64(uchar(tiff.at(at + (little ? i : bytes - 1 - i)))) << (8 * i);
        return value;
    };
    const qint64 directory = number(4, 4);
    const qint64 entries = number(directory, 2);
    for (qint64 i = 0; i < entries; ++i) {
        const qint64 entry = directory + 2 + 12 * i;
        if (number(entry, 2) < 0)
            break;
        if (number(entry, 2) == 0x0112)
            return int(number(entry + 8, 2));
    }
    return 1;
}

QPDFObjectHandle imageObject(QPDF& pdf, const Page& page)
{
    QPDFObjectHandle image = QPDFObjectHandle::newStream(&pdf);
    QPDFObjectHandle dict = QPDFObjectHandle::newDictionary();
    dict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
    dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Image"));
    dict.replaceKey("/Width", QPDFObjectHandle::newInteger(page.width));
    dict.replaceKey("/Height", QPDFObjectHandle::newInteger(page.height));
    dict.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
    dict.replaceKey("/ColorSpace",
                    QPDFObjectHandle::newName(page.components == 1 ? "/DeviceGray" : "/DeviceRGB"));
    image.replaceDict(dict);
    // Raw samples are compressed when the file is written.
    image.replaceStreamData(page.data.toStdString(),
                            page.jpeg ? QPDFObjectHandle::newName("/DCTDecode")
                                      : QPDFObjectHandle::newNull(),
                            QPDFObjectHandle::newNull());
    return image;
}

QPDFObjectHandle pageObject(QPDF& pdf, const Page& page)
{
    QPDFObjectHandle xobjects = QPDFObjectHandle::newDictionary();
    xobjects.replaceKey("/Im0", imageObject(pdf, page));
    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
    resources.replaceKey("/XObject", xobjects);
    const std::string drawing = "q " + std::to_string(page.width) + " 0 0 " +
                                std::to_string(page.height) + " 0 0 cm /Im0 Do Q";
    QPDFObjectHandle result = QPDFObjectHandle::newDictionary();
    result.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
    result.replaceKey("/MediaBox", QPDFObjectHandle::newArray(
                                       QPDFObjectHandle::Rectangle(0, 0, page.width, page.height)));
    result.replaceKey("/Resources", resources);
    result.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, drawing));
    return pdf.makeIndirectObject(result);
}

} // namespace

std::optional<Page> jpegAsItIs(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > jpegAsItIsLimit)
        return std::nullopt;
    const QByteArray data = file.readAll();
    const auto byte = [&](qsizetype at) { return uchar(data.at(at)); };
    if (data.size() < 4 || byte(0) != 0xff || byte(1) != 0xd8)
        return std::nullopt;
    std::optional<Page> page;
    // The segments up to the first scan: the frame header, EXIF.
    qsizetype at = 2;
    for (; at + 4 <= data.size() && byte(at) == 0xff && byte(at + 1) != 0xda;) {
        const uchar marker = byte(at + 1);
        const qsizetype length = (byte(at + 2) << 8) | byte(at + 3);
        if (marker == 0xff) { // fill byte
            ++at;
            continue;
        }
        if (length < 2 || at + 2 + length > data.size())
            return std::nullopt;
        const QByteArray segment = data.mid(at + 4, length - 2);
        if (marker == 0xe1 && segment.startsWith(QByteArray("Exif\0\0", 6))) {
            const int orientation = exifOrientation(segment.mid(6));
            if (orientation >= 2 && orientation <= 8)
                return std::nullopt; // drawn turned: the engine turns it upright
        } else if (marker == 0xc0 || marker == 0xc1 || marker == 0xc2) {
            // Baseline, extended or progressive Huffman-coded frames.
            if (segment.size() < 6 || uchar(segment.at(0)) != 8)
                return std::nullopt;
            page = Page{(uchar(segment.at(3)) << 8) | uchar(segment.at(4)),
                        (uchar(segment.at(1)) << 8) | uchar(segment.at(2)),
                        uchar(segment.at(5)),
                        {},
                        true};
            if (page->width == 0 || page->height == 0 ||
                (page->components != 1 && page->components != 3))
                return std::nullopt;
        } else if (marker >= 0xc3 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 &&
                   marker != 0xcc) {
            return std::nullopt; // lossless or arithmetic coding, which PDF lacks
        }
        at += 2 + length;
    }
    // A frame, then a scan.
    if (at + 4 > data.size() || byte(at) != 0xff || byte(at + 1) != 0xda)
        return std::nullopt;
    if (page)
        page->data = data;
    return page;
}

void write(const QList<Page>& pages, const QString& output)
{
    try {
        QPDF pdf;
        pdf.emptyPDF();
        QPDFPageDocumentHelper document(pdf);
        for (const Page& page : pages)
            document.addPage(QPDFPageObjectHelper(pageObject(pdf, page)), false);
        QpdfFiles::save(pdf, output,
                        [](QPDFWriter& writer) { writer.setStreamDataMode(qpdf_s_compress); });
    } catch (const Fail&) {
        QFile::remove(output);
        throw;
    } catch (const std::exception&) {
        QFile::remove(output);
        throw Fail::cantSave(output);
    }
}

} // namespace ImagePdf
