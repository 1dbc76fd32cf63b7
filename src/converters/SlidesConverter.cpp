#include "converters/SlidesConverter.h"

#include "core/Deps.h"
#include "core/Errors.h"

namespace SlidesConverter {

QStringList targets(const QString& from)
{
    QStringList list = {QStringLiteral("pdf"), QStringLiteral("jpg"), QStringLiteral("png"),
                        QStringLiteral("pptx")};
    if (Deps::hasApp(QStringLiteral("Keynote")))
        list.append(QStringLiteral("key"));
    list.removeAll(from);
    return list;
}

QStringList convert(const QString& file, const QString& target)
{
    Q_UNUSED(file);
    throw notAvailableYet(QStringLiteral("Converting to ") + target.toUpper());
}

} // namespace SlidesConverter
