#include "engines/qpdf/QpdfFiles.h"

#include "base/Errors.h"
#include "base/Translate.h"

#include <QFileInfo>
#include <cstdio>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

namespace QpdfFiles {

FLINGDIAL_TR_CONTEXT(QpdfFiles)

namespace {

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

} // namespace

// Opens with no password, as a viewer would: an owner password alone
// doesn't stop us, a user password does. The file is mapped into memory:
// qpdf reads objects all over it, and through a file that costs a seek and
// a read each.
Loaded load(const QString& path)
{
    Loaded loaded{std::make_unique<QFile>(path), std::make_unique<QPDF>()};
    QPDF& pdf = *loaded.pdf;
    pdf.setSuppressWarnings(true);
    const QByteArray name = QFile::encodeName(path);
    try {
        uchar* data = nullptr;
        if (loaded.file->open(QIODevice::ReadOnly) && loaded.file->size() > 0)
            data = loaded.file->map(0, loaded.file->size());
        if (data)
            pdf.processMemoryFile(name.constData(), reinterpret_cast<const char*>(data),
                                  size_t(loaded.file->size()), "");
        else
            pdf.processFile(name.constData(), "");
        // The page tree qpdf builds, never the file's own /Count, which
        // is put right when it is wrong: other readers trust it.
        const auto pages = qint64(QPDFPageDocumentHelper(pdf).getAllPages().size());
        QPDFObjectHandle tree = pdf.getRoot().getKey("/Pages");
        QPDFObjectHandle count = tree.getKey("/Count");
        if (tree.isDictionary() && (!count.isInteger() || count.getIntValue() != pages)) {
            tree.replaceKey("/Count", QPDFObjectHandle::newInteger(pages));
            loaded.pageCountFixed = true;
        }
    } catch (const QPDFExc& error) {
        if (error.getErrorCode() == qpdf_e_password)
            throw Fail(tr("%1 is password protected.").arg(fileName(path)));
        throw Fail(tr("Can’t open %1.").arg(fileName(path)));
    } catch (const std::exception&) {
        throw Fail(tr("Can’t open %1.").arg(fileName(path)));
    }
    return loaded;
}

// Writes through a file of our own, so that a full disk shows up at the
// last write or at the close and never passes for success.
void save(QPDF& pdf, const QString& output, const std::function<void(QPDFWriter&)>& configure)
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
    std::setvbuf(file, nullptr, _IOFBF, 1 << 20);
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

} // namespace QpdfFiles
