#include "engines/pdf/QpdfEngine.h"

#include "base/Errors.h"
#include "engines/qpdf/QpdfFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cmath>
#include <cstdio>
#include <list>
#include <memory>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

namespace {

using QpdfFiles::load;
using QpdfFiles::save;

// The rotation a page shows, its own or inherited, as 0, 90, 180 or 270.
// A whole number of degrees counts (also written as a real, as some
// writers do); a value that isn't a multiple of 90 shows the page upright,
// as viewers draw it.
int rotationOf(QPDFPageObjectHelper& page)
{
    QPDFObjectHandle rotate = page.getAttribute("/Rotate", false);
    double value = 0;
    if (rotate.isInteger())
        value = double(rotate.getIntValue() % 360);
    else if (rotate.isReal())
        value = std::fmod(rotate.getNumericValue(), 360.0);
    if (!std::isfinite(value) || std::fmod(value, 90.0) != 0)
        return 0;
    return (int(value) + 360) % 360;
}

// Gives every page of the document its own rotation, boxes and
// resources: inherited from the page tree, they would be lost with the
// tree when a page is copied into another document, or when the node
// holding them loses its pages.
void settlePages(QPDF& pdf)
{
    QPDFPageDocumentHelper pages(pdf);
    pages.pushInheritedAttributesToPage();
    for (QPDFPageObjectHelper& page : pages.getAllPages())
        page.getObjectHandle().replaceKey("/Rotate",
                                          QPDFObjectHandle::newInteger(rotationOf(page)));
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

} // namespace

PdfEngine::Facts QpdfEngine::open(const QString& path)
{
    const auto pdf = load(path);
    Facts facts;
    facts.pages = int(QPDFPageDocumentHelper(*pdf).getAllPages().size());
    facts.repaired = pdf.pageCountFixed || pdf->anyWarnings();
    facts.hasForm = QPDFAcroFormDocumentHelper(*pdf).hasAcroForm();
    return facts;
}

void QpdfEngine::merge(const QStringList& sources, const QString& output)
{
    QPDF result;
    result.emptyPDF();
    QPDFPageDocumentHelper resultPages(result);
    QPDFAcroFormDocumentHelper resultForms(result);
    // Copied pages read their streams from the sources when written.
    std::list<QpdfFiles::Loaded> kept;
    for (const QString& source : sources) {
        kept.push_back(load(source));
        QPDF& pdf = *kept.back();
        settlePages(pdf);
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
    settlePages(*pdf);
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
    settlePages(*pdf);
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(*pdf).getAllPages()) {
        const int turned = (rotationOf(page) + 90) % 360;
        page.getObjectHandle().replaceKey("/Rotate", QPDFObjectHandle::newInteger(turned));
    }
    save(*pdf, output);
}

void QpdfEngine::keepPages(const QString& source, const QList<int>& pages, const QString& output)
{
    const auto pdf = load(source);
    settlePages(*pdf);
    QPDFPageDocumentHelper document(*pdf);
    const std::vector<QPDFPageObjectHelper> all = document.getAllPages();
    const QSet<int> kept(pages.cbegin(), pages.cend());
    for (int index = int(all.size()) - 1; index >= 0; --index)
        if (!kept.contains(index))
            document.removePage(all.at(size_t(index)));
    save(*pdf, output);
}

void QpdfEngine::rewrite(const QString& source, const QString& output)
{
    const auto pdf = load(source);
    save(*pdf, output);
}
