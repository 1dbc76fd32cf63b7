#include "converters/slides/SlidesConverter.h"

#include "base/Errors.h"
#include "base/FileOps.h"
#include "base/Translate.h"
#include "converters/office/IWork.h"
#include "converters/office/LibreOffice.h"
#include "converters/pdf/PdfConverter.h"
#include "core/Deps.h"
#include "core/Output.h"
#include "core/ResultGuard.h"
#include "core/ScratchDirectory.h"

#include <QFileInfo>

namespace SlidesConverter {

FLINGDIAL_TR_CONTEXT(SlidesConverter)

namespace {

bool isImage(const QString& target)
{
    return target == QLatin1String("jpg") || target == QLatin1String("png");
}

// The result for one presentation from what LibreOffice made of it.
QStringList finish(const QString& file, const QString& target, const QString& made)
{
    // Slide images come from the PDF, whose pages poppler draws.
    if (isImage(target))
        return PdfConverter::images(made, target, file);
    return {ResultGuard::make(Output::candidate(file, QString(), target),
                              [&](const QString& out) { FileOps::move(made, out); })};
}

} // namespace

QStringList targets(const QString& from)
{
    QStringList list = {QStringLiteral("pdf"), QStringLiteral("jpg"), QStringLiteral("png"),
                        QStringLiteral("pptx")};
    if (Deps::hasApp(QStringLiteral("Keynote")))
        list.append(QStringLiteral("key"));
    list.removeAll(from);
    return list;
}

QStringList convertAll(const QStringList& files, const QString& target)
{
    // Only Keynote writes Keynote files; where it is, it would do the work.
    if (target == QLatin1String("key") || !IWork::newest(QStringLiteral("Keynote")).isEmpty())
        throw Fail(tr("This computer can’t write .key files."));
    for (const QString& file : files)
        if (!QFileInfo(file).isDir())
            FileOps::requireRegularFile(file);
    // One LibreOffice run for all: its start costs more than a file.
    const ScratchDirectory scratch;
    const QString format = isImage(target) ? QStringLiteral("pdf") : target;
    const QList<LibreOffice::Made> made = LibreOffice::convertAll(files, format, scratch.path());
    QStringList results;
    for (qsizetype i = 0; i < files.size(); ++i) {
        // The first failure ends the drop; earlier results stay.
        if (!made.at(i).failure.isEmpty())
            throw Fail(made.at(i).failure);
        results += finish(files.at(i), target, made.at(i).file);
    }
    return results;
}

QStringList convert(const QString& file, const QString& target)
{
    return convertAll({file}, target);
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
    family.convertAll = convertAll;
    return family;
}

} // namespace SlidesConverter
