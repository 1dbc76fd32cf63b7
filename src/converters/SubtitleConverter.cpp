#include "converters/SubtitleConverter.h"

#include "core/Errors.h"

namespace SubtitleConverter {

QList<Operation> tools()
{
    return {Operation(QStringLiteral("Shift Timing…"), [](const QStringList&) -> QStringList {
                throw notAvailableYet(QStringLiteral("Shifting subtitles"));
            }).withSymbol(QStringLiteral("clock.arrow.2.circlepath"))};
}

QString convert(const QString& file, const QString& target)
{
    Q_UNUSED(file);
    throw notAvailableYet(QStringLiteral("Converting to ") + target.toUpper());
}

} // namespace SubtitleConverter
