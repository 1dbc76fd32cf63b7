#include "converters/pdf/PDFConverter.h"

#include "core/Deps.h"
#include "core/Errors.h"

namespace PDFConverter {

namespace {

QString notYet(const QString&)
{
    throw notAvailableYet(QStringLiteral("PDF work"));
}

Operation promptingTool(const QString& title, const QString& symbol)
{
    return Operation(title,
                     [](const QStringList&) -> QStringList {
                         throw notAvailableYet(QStringLiteral("PDF work"));
                     })
        .withSymbol(symbol);
}

} // namespace

QStringList targets()
{
    QStringList list = {QStringLiteral("docx"), QStringLiteral("pages"), QStringLiteral("txt"),
                        QStringLiteral("md"),   QStringLiteral("rtf"),   QStringLiteral("html"),
                        QStringLiteral("epub"), QStringLiteral("jpg"),   QStringLiteral("png")};
    if (!Deps::hasApp(QStringLiteral("Pages")))
        list.removeOne(QStringLiteral("pages"));
    return list;
}

QList<Operation> tools()
{
    return {
        Operation::perFile(QStringLiteral("Compress"),
                           QStringLiteral("arrow.down.right.and.arrow.up.left"), notYet),
        Operation::allFiles(QStringLiteral("Merge"), QStringLiteral("doc.on.doc"),
                            [](const QStringList&) -> QString {
                                throw notAvailableYet(QStringLiteral("PDF work"));
                            }),
        Operation::perFile(QStringLiteral("Split"), QStringLiteral("square.split.2x1"), notYet),
        Operation::perFile(QStringLiteral("Rotate"), QStringLiteral("rotate.right"), notYet),
        promptingTool(QStringLiteral("Extract Pages…"), QStringLiteral("doc.badge.plus")),
        promptingTool(QStringLiteral("Remove Pages…"), QStringLiteral("trash")),
    };
}

QStringList convert(const QString& file, const QString& target)
{
    Q_UNUSED(file);
    throw notAvailableYet(QStringLiteral("Converting to ") + target.toUpper());
}

ConverterFamily family()
{
    ConverterFamily family;
    family.kind = FileKind::pdf;
    family.targets = [](const QString&) { return targets(); };
    family.convert = convert;
    family.tools = tools;
    return family;
}

} // namespace PDFConverter
