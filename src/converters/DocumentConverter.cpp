#include "converters/DocumentConverter.h"

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

} // namespace DocumentConverter
