#include "converters/pdf/engine/QpdfEngine.h"

#include "core/Errors.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cstdio>
#include <list>
#include <memory>
#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-global.h>
#include <poppler/cpp/poppler-page.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <vips/vips8>

namespace {

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

// Opens with no password, as a viewer would: an owner password alone
// doesn't stop us, a user password does.
std::unique_ptr<QPDF> load(const QString& path)
{
    auto pdf = std::make_unique<QPDF>();
    pdf->setSuppressWarnings(true);
    const QByteArray name = QFile::encodeName(path);
    try {
        pdf->processFile(name.constData(), "");
        // The page tree qpdf builds, never the file's own /Count.
        QPDFPageDocumentHelper(*pdf).getAllPages();
    } catch (const QPDFExc& error) {
        if (error.getErrorCode() == qpdf_e_password)
            throw Fail(QStringLiteral("%1 is password protected.").arg(fileName(path)));
        throw Fail(QStringLiteral("Can’t open %1.").arg(fileName(path)));
    } catch (const std::exception&) {
        throw Fail(QStringLiteral("Can’t open %1.").arg(fileName(path)));
    }
    return pdf;
}

// Writes through a file of our own, so that a full disk shows up at the
// last write or at the close and never passes for success.
void save(QPDF& pdf, const QString& output, const std::function<void(QPDFWriter&)>& configure = {})
{
    // A trailer without /Size (seen in damaged files) makes qpdf write a
    // cross-reference stream without its /Size, which no reader accepts.
    QPDFObjectHandle trailer = pdf.getTrailer();
    if (!trailer.getKey("/Size").isInteger())
        trailer.replaceKey("/Size", QPDFObjectHandle::newInteger(int(pdf.getObjectCount()) + 1));
    const QByteArray name = QFile::encodeName(output);
    std::FILE* file = std::fopen(name.constData(), "wbx");
    if (!file)
        throw Fail::cantSave(output);
    bool written = false;
    try {
        QPDFWriter writer(pdf, name.constData(), file, false);
        if (configure)
            configure(writer);
        writer.write();
        written = std::fflush(file) == 0 && !std::ferror(file);
    } catch (const std::exception&) {
        written = false;
    }
    if (std::fclose(file) != 0)
        written = false;
    if (!written)
        throw Fail::cantSave(output);
}

// The rotation a page shows, its own or inherited, as 0, 90, 180 or 270.
int rotationOf(QPDFPageObjectHelper& page)
{
    QPDFObjectHandle rotate = page.getAttribute("/Rotate", false);
    const long long value = rotate.isInteger() ? rotate.getIntValue() : 0;
    return int(((value / 90) * 90 % 360 + 360) % 360);
}

// A copy of a page of another document, its form fields with it.
void appendPage(QPDF& target, QPDFPageDocumentHelper& targetPages,
                QPDFAcroFormDocumentHelper& targetForms, QPDFPageObjectHelper& page,
                QPDFAcroFormDocumentHelper& sourceForms)
{
    QPDFObjectHandle copy = target.copyForeignObject(page.getObjectHandle());
    targetPages.addPage(QPDFPageObjectHelper(copy), false);
    targetForms.fixCopiedAnnotations(copy, page.getObjectHandle(), sourceForms);
}

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

QpdfEngine::QpdfEngine()
{
    // Damaged files make poppler talk on standard error; our own message says enough.
    poppler::set_debug_error_function([](const std::string&, void*) {}, nullptr);
    static const bool started = VIPS_INIT("flingdial") == 0;
    Q_UNUSED(started);
}

PdfEngine::Facts QpdfEngine::open(const QString& path)
{
    const auto pdf = load(path);
    Facts facts;
    facts.pages = int(QPDFPageDocumentHelper(*pdf).getAllPages().size());
    facts.repaired = pdf->anyWarnings();
    facts.hasForm = QPDFAcroFormDocumentHelper(*pdf).hasAcroForm();
    facts.hasText = !text(path).trimmed().isEmpty();
    return facts;
}

void QpdfEngine::merge(const QStringList& sources, const QString& output)
{
    QPDF result;
    result.emptyPDF();
    QPDFPageDocumentHelper resultPages(result);
    QPDFAcroFormDocumentHelper resultForms(result);
    // Copied pages read their streams from the sources when written.
    std::list<std::unique_ptr<QPDF>> kept;
    for (const QString& source : sources) {
        kept.push_back(load(source));
        QPDF& pdf = *kept.back();
        QPDFAcroFormDocumentHelper forms(pdf);
        for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages())
            appendPage(result, resultPages, resultForms, page, forms);
    }
    save(result, output);
}

QStringList QpdfEngine::split(const QString& source, const QString& folder,
                              const std::function<QString(int page)>& name)
{
    const auto pdf = load(source);
    QPDFAcroFormDocumentHelper forms(*pdf);
    QStringList written;
    int number = 0;
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(*pdf).getAllPages()) {
        QPDF single;
        single.emptyPDF();
        QPDFPageDocumentHelper singlePages(single);
        QPDFAcroFormDocumentHelper singleForms(single);
        appendPage(single, singlePages, singleForms, page, forms);
        const QString path = folder + QLatin1Char('/') + name(++number);
        save(single, path);
        written.append(path);
    }
    return written;
}

void QpdfEngine::rotate(const QString& source, const QString& output)
{
    const auto pdf = load(source);
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(*pdf).getAllPages()) {
        const int turned = (rotationOf(page) + 90) % 360;
        page.getObjectHandle().replaceKey("/Rotate", QPDFObjectHandle::newInteger(turned));
    }
    save(*pdf, output);
}

void QpdfEngine::keepPages(const QString& source, const QList<int>& pages, const QString& output)
{
    const auto pdf = load(source);
    QPDFPageDocumentHelper document(*pdf);
    const std::vector<QPDFPageObjectHelper> all = document.getAllPages();
    const QSet<int> kept(pages.cbegin(), pages.cend());
    for (int index = int(all.size()) - 1; index >= 0; --index)
        if (!kept.contains(index))
            document.removePage(all.at(size_t(index)));
    save(*pdf, output);
}

void QpdfEngine::compress(const QString& source, const QString& output, int quality)
{
    const auto pdf = load(source);
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
    save(*pdf, output, [](QPDFWriter& writer) {
        writer.setObjectStreamMode(qpdf_o_generate);
        writer.setCompressStreams(true);
        writer.setRecompressFlate(true);
    });
}

void QpdfEngine::rewrite(const QString& source, const QString& output)
{
    const auto pdf = load(source);
    save(*pdf, output);
}

QString QpdfEngine::text(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    std::unique_ptr<poppler::document> document(
        poppler::document::load_from_file(name.toStdString()));
    if (!document || document->is_locked())
        return {};
    QString text;
    for (int i = 0; i < document->pages(); ++i) {
        std::unique_ptr<poppler::page> page(document->create_page(i));
        if (page) {
            const poppler::byte_array bytes = page->text().to_utf8();
            text += QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
        }
    }
    return text;
}

extern "C" Q_DECL_EXPORT PdfEngine* flingdial_pdfEngine()
{
    static QpdfEngine engine;
    return &engine;
}
