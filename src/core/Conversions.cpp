#include "core/Conversions.h"

#include "base/FileKind.h"
#include "base/Formats.h"
#include "core/Job.h"

#include <QSet>

namespace Conversions {

std::optional<QString> commonExt(const QStringList& files)
{
    QSet<QString> keys;
    for (const QString& file : files)
        keys.insert(FileKind::ext(file));
    if (keys.size() != 1)
        return std::nullopt;
    return *keys.constBegin();
}

QList<Operation> formats(const QStringList& targets, const QStringList& files,
                         const UnavailableReason& unavailable, const ConvertOne& convert)
{
    QStringList remaining = targets;
    if (const auto common = commonExt(files))
        remaining.removeAll(*common);

    QList<Operation> operations;
    for (const QString& target : remaining) {
        Operation operation(Formats::title(target), [convert, target](const QStringList& inputs) {
            QStringList results;
            for (qsizetype i = 0; i < inputs.size(); ++i) {
                Job::reportFile(int(i), int(inputs.size()));
                results += convert(inputs.at(i), target);
            }
            return results;
        });
        operation.symbol = Formats::symbol(target);
        operation.isConversion = true;
        operation.target = target;
        operation.unavailableReason = unavailable ? unavailable(target) : std::nullopt;
        operations.append(operation);
    }
    return operations;
}

} // namespace Conversions
