#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtPlugin>
#include <functional>

// The PDF document model: opening with the program's checks, and the page
// work of the tools, with qpdf. It lives in a module loaded on first use.
// Every failure is a Fail in the user's words.
class PdfEngine
{
public:
    struct Facts
    {
        int pages = 0;
        bool repaired = false; // qpdf could read it only by repairing it
        bool hasForm = false;
    };

    virtual ~PdfEngine() = default;

    // Opens with no password: "Can’t open X." or "X is password protected."
    virtual Facts open(const QString& path) = 0;
    // The pages of the files in order, form fields kept, as one document.
    virtual void merge(const QStringList& sources, const QString& output) = 0;
    // One file per page, named by `name` from the 1-based page number.
    virtual QStringList split(const QString& source, const QString& folder,
                              const std::function<QString(int page)>& name) = 0;
    // Every page turned a quarter clockwise further.
    virtual void rotate(const QString& source, const QString& output) = 0;
    // Only the pages with these 0-based indices, in their order.
    virtual void keepPages(const QString& source, const QList<int>& pages,
                           const QString& output) = 0;
    // The document as qpdf reads it, written again (a repaired copy).
    virtual void rewrite(const QString& source, const QString& output) = 0;
};

#define FlingdialPdfEngine_iid "org.flingdial.PdfEngine/1"
Q_DECLARE_INTERFACE(PdfEngine, FlingdialPdfEngine_iid)
