#include "converters/ArchiveConverter.h"

#include "core/Catalog.h"
#include "core/Errors.h"
#include "core/FormatSymbol.h"

namespace ArchiveConverter {

const QStringList& formats()
{
    static const QStringList list = {QStringLiteral("zip"), QStringLiteral("tar"),
                                     QStringLiteral("tar.gz")};
    return list;
}

QList<Operation> compressOperations()
{
    QList<Operation> operations;
    for (const QString& format : formats()) {
        Operation operation = Operation::allFiles(
            Catalog::title(format), FormatSymbol::named(format),
            [format](const QStringList& files) { return compress(files, format); });
        operation.isConversion = true;
        operations.append(operation);
    }
    return operations;
}

QList<Operation> tools()
{
    return {Operation(QStringLiteral("Extract"), [](const QStringList&) -> QStringList {
                throw notAvailableYet(QStringLiteral("Extracting"));
            }).withSymbol(QStringLiteral("archivebox"))};
}

Operation compressToZip()
{
    return Operation::allFiles(
        QStringLiteral("Compress to ZIP"), QStringLiteral("doc.zipper"),
        [](const QStringList& files) { return compress(files, QStringLiteral("zip")); });
}

QString compress(const QStringList& files, const QString& format)
{
    Q_UNUSED(files);
    throw notAvailableYet(QStringLiteral("Making ") + Catalog::title(format) +
                          QStringLiteral(" archives"));
}

QString convert(const QString& file, const QString& format)
{
    Q_UNUSED(file);
    throw notAvailableYet(QStringLiteral("Converting to ") + Catalog::title(format));
}

} // namespace ArchiveConverter
