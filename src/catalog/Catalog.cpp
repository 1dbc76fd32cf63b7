#include "catalog/Catalog.h"

#include "base/FileKind.h"
#include "base/FileOps.h"
#include "catalog/ConverterTable.h"
#include "converters/archive/ArchiveConverter.h"

#include <QSet>

namespace Catalog {

namespace {

// Every input exists and is a regular file, or a folder where the operation
// packs folders or the format is one (.rtfd): a pipe or a device would
// block a reader for ever, a folder named "x.png" would reach ImageMagick,
// and a missing file gets its own sentence before any tool is started.
QList<Operation> checkingInputs(QList<Operation> operations)
{
    for (Operation& operation : operations) {
        operation.perform = [perform = std::move(operation.perform),
                             takesFolders = operation.takesFolders](const QStringList& files) {
            for (const QString& file : files) {
                if (takesFolders || FileKind::isPackageDirectory(file))
                    FileOps::requireFileOrFolder(file);
                else
                    FileOps::requireRegularFile(file);
            }
            return perform(files);
        };
    }
    return operations;
}

} // namespace

std::optional<FileKind::Kind> commonKind(const QStringList& files)
{
    QSet<FileKind::Kind> kinds;
    for (const QString& file : files)
        kinds.insert(FileKind::of(file));
    if (kinds.size() != 1)
        return std::nullopt;
    return *kinds.constBegin();
}

QList<Operation> conversions(const QStringList& files)
{
    return checkingInputs(convertSlices(files));
}

QList<Operation> tools(const QStringList& files)
{
    return checkingInputs(toolSlices(files));
}

QList<Operation> convertSlices(const QStringList& files)
{
    const auto kind = commonKind(files);
    const ConverterFamily* row = kind ? ConverterTable::rowFor(*kind) : nullptr;
    // Mixed kinds, folders and unknown files can still be packed.
    if (!row)
        return ArchiveConverter::compressOperations();
    const QString from = commonExt(files).value_or(QString());
    const auto reason = [row, from](const QString& target) -> std::optional<QString> {
        return row->unavailableReason ? row->unavailableReason(from, target) : std::nullopt;
    };
    QList<Operation> operations = formats(row->targets(from), files, reason, row->convert);
    for (Operation& operation : operations) {
        const QString target = operation.target.value_or(QString());
        operation.laysOutText = row->laysOutText && row->laysOutText(target);
        if (row->convertAll)
            operation.perform = [convertAll = row->convertAll, target](const QStringList& inputs) {
                return convertAll(inputs, target);
            };
    }
    return operations;
}

QList<Operation> toolSlices(const QStringList& files)
{
    const auto kind = commonKind(files);
    const ConverterFamily* row = kind ? ConverterTable::rowFor(*kind) : nullptr;
    if (!row || !row->tools)
        return {ArchiveConverter::compressToZip()};
    return row->tools();
}

QList<Operation> slices(WheelMode::Mode mode, const QStringList& files)
{
    if (files.isEmpty())
        return {};
    switch (mode) {
    case WheelMode::convert:
        return conversions(files);
    case WheelMode::tools:
        return tools(files);
    case WheelMode::actions:
        break;
    }
    return {};
}

} // namespace Catalog
