#pragma once

#include "converters/pdf/PdfEngine.h"

// The PDF document model on qpdf alone.
class QpdfEngine : public PdfEngine
{
public:
    Facts open(const QString& path) override;
    void merge(const QStringList& sources, const QString& output) override;
    QStringList split(const QString& source, const QString& folder,
                      const std::function<QString(int page)>& name) override;
    void rotate(const QString& source, const QString& output) override;
    void keepPages(const QString& source, const QList<int>& pages, const QString& output) override;
    void rewrite(const QString& source, const QString& output) override;
};
