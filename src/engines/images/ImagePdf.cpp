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
