#include "converters/spreadsheet/SpreadsheetConverter.h"

#include "core/Deps.h"
#include "core/Errors.h"

namespace SpreadsheetConverter {

namespace {

bool isDelimitedText(const QString& key)
{
    return key == QLatin1String("csv") || key == QLatin1String("tsv");
}

} // namespace

QStringList targets(const QString& from)
{
    QStringList list = {QStringLiteral("xlsx"), QStringLiteral("csv"), QStringLiteral("tsv"),
                        QStringLiteral("ods"), QStringLiteral("pdf")};
    // Only Numbers writes .numbers files.
    if (Deps::hasApp(QStringLiteral("Numbers")))
        list.append(QStringLiteral("numbers"));
    list.removeAll(from);
    return list;
}

std::optional<QString> unavailableReason(const QString& from, const QString& to)
{
    if (isDelimitedText(from) && (isDelimitedText(to) || to == QLatin1String("xlsx")))
        return std::nullopt;
    if (Deps::libreOffice())
        return std::nullopt;
    if (to == QLatin1String("ods") || from == QLatin1String("ods"))
        return Deps::odsNeedsLibreOffice();
    if (!Deps::hasApp(QStringLiteral("Numbers")))
        return Deps::libreOfficeNeeded();
    return std::nullopt;
}

QString convert(const QString& file, const QString& target)
{
    Q_UNUSED(file);
    throw notAvailableYet(QStringLiteral("Converting to ") + target.toUpper());
}

ConverterFamily family()
{
    ConverterFamily family;
    family.kind = FileKind::spreadsheet;
    family.targets = targets;
    family.unavailableReason = unavailableReason;
    family.convert = [](const QString& file, const QString& target) {
        return QStringList{convert(file, target)};
    };
    return family;
}

} // namespace SpreadsheetConverter
