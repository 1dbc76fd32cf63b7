#pragma once

#include "core/ChildProcess.h"
#include "helpers/pdfpages/PdfPagesProtocol.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

// flingdial-pdf-pages at work on one PDF. Every use of poppler goes
// through it: poppler can loop for ever on a damaged file, and a helper
// process can be stopped when a page takes longer than the time limit.
class PageHelper
{
    Q_DECLARE_TR_FUNCTIONS(PageHelper)

public:
    // Starts the helper in `mode` with the arguments that follow the mode.
    // `name` is the file name the user knows (the PDF may be a repaired
    // copy). Throws Fail when the helper is missing, SystemError when it
    // can't start.
    PageHelper(PdfPagesProtocol::Mode mode, const QStringList& arguments, QString name);

    // Waits for the end, telling `pageDone` how many pages are done. Returns
    // false when a page took longer than the time limit (the helper is then
    // stopped). Throws Fail in the user's words when the helper failed, and
    // Cancelled once the job is cancelled.
    bool finish(const std::function<void(int pagesDone)>& pageDone = {});

    // The longest a page may take: FLINGDIAL_PDF_PAGE_TIMEOUT seconds, else two minutes.
    static std::chrono::seconds timeLimit();

private:
    QString failure() const;

    PdfPagesProtocol::Mode m_mode;
    QString m_name;
    ChildProcess m_child;
};
