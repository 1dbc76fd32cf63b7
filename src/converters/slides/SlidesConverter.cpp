#include "converters/slides/SlidesConverter.h"

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

ConverterFamily family()
{
    ConverterFamily family;
    family.kind = FileKind::slides;
    family.targets = targets;
    family.unavailableReason = [](const QString&, const QString&) -> std::optional<QString> {
        if (Deps::hasApp(QStringLiteral("Keynote")) || Deps::libreOffice())
            return std::nullopt;
        return Deps::libreOfficeNeeded();
    };
    family.convert = convert;
    return family;
}

} // namespace SlidesConverter
