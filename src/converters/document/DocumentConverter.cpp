#include "converters/document/DocumentConverter.h"

#include "core/Deps.h"
#include "core/Errors.h"

namespace DocumentConverter {

QStringList targets(const QString& from)
{
    const bool hasPages = Deps::hasApp(QStringLiteral("Pages"));
    if (from == QLatin1String("pages")) {
        if (!hasPages)
            return {};
        return {QStringLiteral("pdf"), QStringLiteral("docx"), QStringLiteral("epub"),
                QStringLiteral("txt"), QStringLiteral("rtf"),  QStringLiteral("md"),
                QStringLiteral("html")};
    }
    QStringList list = {QStringLiteral("docx"), QStringLiteral("pdf"), QStringLiteral("pages"),
                        QStringLiteral("txt"),  QStringLiteral("md"),  QStringLiteral("rtf"),
                        QStringLiteral("html"), QStringLiteral("odt"), QStringLiteral("epub")};
    if (!hasPages)
        list.removeOne(QStringLiteral("pages"));
    return list;
}

QString convert(const QString& file, const QString& target)
{
    Q_UNUSED(file);
    throw notAvailableYet(QStringLiteral("Converting to ") + target.toUpper());
}

ConverterFamily family()
{
    ConverterFamily family;
    family.kind = FileKind::document;
    // Documents of several formats are offered what a Word file is.
    family.targets = [](const QString& from) {
        return targets(from.isEmpty() ? QStringLiteral("docx") : from);
    };
    family.convert = [](const QString& file, const QString& target) {
        return QStringList{convert(file, target)};
    };
    return family;
}

} // namespace DocumentConverter
