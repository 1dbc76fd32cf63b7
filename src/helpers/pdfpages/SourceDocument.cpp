#include "helpers/pdfpages/SourceDocument.h"

#include "helpers/pdfpages/PagesFailure.h"

#include <QFile>
#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-global.h>

namespace SourceDocument {

std::unique_ptr<poppler::document> open(const QString& path)
{
    using PdfPagesProtocol::Failure;
    // Damaged files make poppler talk on standard error; the program's own
    // message says enough.
    poppler::set_debug_error_function([](const std::string&, void*) {}, nullptr);
    const QByteArray name = QFile::encodeName(path);
    std::unique_ptr<poppler::document> document(
        poppler::document::load_from_file(name.toStdString()));
    if (!document)
        throw PagesFailure(Failure::open);
    if (document->is_locked())
        throw PagesFailure(Failure::locked);
    // A damaged page count ("-2147483648") leaves poppler with no pages.
    if (document->pages() < 1)
        throw PagesFailure(Failure::pageCount);
    return document;
}

} // namespace SourceDocument
