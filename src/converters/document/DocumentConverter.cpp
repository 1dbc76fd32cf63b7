#include "converters/document/DocumentConverter.h"

#include "base/Errors.h"
#include "base/FileOps.h"
#include "converters/office/LibreOffice.h"
#include "core/Deps.h"
#include "core/Engines.h"
#include "core/Output.h"
#include "core/ResultGuard.h"
#include "core/ScratchDirectory.h"

#include <QFileInfo>

namespace DocumentConverter {

namespace {

// Word 97–2003 and Pages files are read by LibreOffice: the engine gets
// its DOCX.
bool needsLibreOffice(const QString& from)
{
    return from == QLatin1String("doc") || from == QLatin1String("pages");
}

void convertThroughLibreOffice(const QString& file, const QString& target, const QString& title,
                               const QString& out)
{
    const ScratchDirectory scratch;
    // LibreOffice lays out a Pages document's PDF from the file it read.
    if (target == QLatin1String("pdf") && FileKind::ext(file) == QLatin1String("pages")) {
        FileOps::move(LibreOffice::convert(file, target, scratch.path()), out);
        return;
    }
    const QString docx = LibreOffice::convert(file, QStringLiteral("docx"), scratch.path());
    Engines::documents().convert(docx, target, title, out);
}

} // namespace

QStringList targets(const QString& from)
{
    if (from == QLatin1String("pages")) {
        // Without Pages, LibreOffice reads .pages files.
        if (!Deps::hasApp(QStringLiteral("Pages")) && !Deps::libreOffice())
            return {};
        return {QStringLiteral("pdf"), QStringLiteral("docx"), QStringLiteral("epub"),
                QStringLiteral("txt"), QStringLiteral("rtf"),  QStringLiteral("md"),
                QStringLiteral("html")};
    }
    QStringList list = {QStringLiteral("docx"), QStringLiteral("pdf"), QStringLiteral("pages"),
                        QStringLiteral("txt"),  QStringLiteral("md"),  QStringLiteral("rtf"),
                        QStringLiteral("html"), QStringLiteral("odt"), QStringLiteral("epub")};
    if (!Deps::hasApp(QStringLiteral("Pages")))
        list.removeOne(QStringLiteral("pages"));
    return list;
}

std::optional<QString> unavailableReason(const QString& from, const QString& target)
{
    Q_UNUSED(target);
    if (needsLibreOffice(from) && !Deps::libreOffice())
        return Deps::libreOfficeNeeded();
    return std::nullopt;
}

QString convert(const QString& file, const QString& target)
{
    const QString title = Output::baseName(file);
    const QString from = FileKind::ext(file);
    return ResultGuard::make(Output::candidate(file, QString(), target), [&](const QString& out) {
        if (needsLibreOffice(from))
            convertThroughLibreOffice(file, target, title, out);
        else
            Engines::documents().convert(file, target, title, out);
    });
}

ConverterFamily family()
{
    ConverterFamily family;
    family.kind = FileKind::document;
    // Documents of several formats are offered what a Word file is.
    family.targets = [](const QString& from) {
        return targets(from.isEmpty() ? QStringLiteral("docx") : from);
    };
    family.unavailableReason = unavailableReason;
    family.laysOutText = [](const QString&) { return true; };
    family.convert = [](const QString& file, const QString& target) {
        return QStringList{convert(file, target)};
    };
    return family;
}

} // namespace DocumentConverter
