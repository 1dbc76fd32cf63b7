#pragma once

#include <QFile>
#include <QString>
#include <functional>
#include <memory>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

// Opening and writing PDF files with qpdf, for the PDF modules.
namespace QpdfFiles {

// A document and the mapped file it reads from, which must outlive it.
struct Loaded
{
    std::unique_ptr<QFile> file;
    std::unique_ptr<QPDF> pdf;
    // The file's page count was wrong, and has been put right in `pdf`.
    bool pageCountFixed = false;
    QPDF* operator->() const { return pdf.get(); }
    QPDF& operator*() const { return *pdf; }
};

// Opens with no password, as a viewer would: "Can’t open X." or "X is
// password protected."
Loaded load(const QString& path);

// Writes the document, checking every write and the close: Fail "Can’t save X."
void save(QPDF& pdf, const QString& output, const std::function<void(QPDFWriter&)>& configure = {});

} // namespace QpdfFiles
