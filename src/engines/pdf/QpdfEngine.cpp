#include "engines/pdf/QpdfEngine.h"

#include "base/Errors.h"
#include "engines/qpdf/QpdfFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
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

} // namespace

PdfEngine::Facts QpdfEngine::open(const QString& path)
{
    const auto pdf = load(path);
    Facts facts;
    facts.pages = int(QPDFPageDocumentHelper(*pdf).getAllPages().size());
    facts.repaired = pdf->anyWarnings();
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

void QpdfEngine::rewrite(const QString& source, const QString& output)
{
    const auto pdf = load(source);
    save(*pdf, output);
}
