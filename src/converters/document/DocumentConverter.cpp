#include "converters/document/DocumentConverter.h"

#include "base/Errors.h"
#include "base/FileOps.h"
#include "base/Translate.h"
#include "converters/office/LibreOffice.h"
#include "core/Deps.h"
#include "core/Engines.h"
#include "core/NameReservations.h"
#include "core/Output.h"
#include "core/ResultGuard.h"
#include "core/ScratchDirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>

namespace DocumentConverter {

FLINGDIAL_TR_CONTEXT(DocumentConverter)

namespace {

// Word 97–2003 and Pages files are read by LibreOffice: the engine gets
// its DOCX.
bool needsLibreOffice(const QString& from)
{
    return from == QLatin1String("doc") || from == QLatin1String("pages");
}

void convertThroughLibreOffice(const QString& file, const QString& target, const QString& title,
                               const QString& out, const QString& picturesFolder)
{
    const ScratchDirectory scratch;
    // LibreOffice lays out a Pages document's PDF from the file it read.
    if (target == QLatin1String("pdf") && FileKind::ext(file) == QLatin1String("pages")) {
        FileOps::move(LibreOffice::convert(file, target, scratch.path()), out);
        return;
    }
    const QString docx = LibreOffice::convert(file, QStringLiteral("docx"), scratch.path());
    Engines::documents().convert(docx, target, title, out, picturesFolder);
}

// Web pages and Markdown keep their pictures as files in a folder beside
// them: "<name>_files" for a page, as browsers save a page whole, and
// "<name>_pictures" for Markdown. The page names the folder, so the folder
// is claimed (made) first, under the first free name.
QString picturesFolder(const QString& page, const QString& target)
{
    const QString stem = Output::splitName(QFileInfo(page).fileName()).first;
    const QString wanted =
        QFileInfo(page).path() + u'/' + stem +
        (target == QLatin1String("md") ? QStringLiteral("_pictures") : QStringLiteral("_files"));
    for (qint64 n = 1;; ++n) {
        const QString folder = Output::numbered(wanted, n);
        if (NameReservations::shared().isClaimed(folder))
            continue;
        const QByteArray name = QFile::encodeName(folder);
        if (::mkdir(name.constData(), 0755) == 0)
            return folder;
        if (errno != EEXIST)
            throw SystemError(
                tr("The folder “%1” couldn’t be created.").arg(QFileInfo(folder).fileName()));
    }
}

QString convertWithPictures(const QString& file, const QString& target, const QString& title)
{
    // The name the page will take, so that its folder can share it.
    const QString wanted = Output::candidate(file, QString(), target);
    QString page = wanted;
    for (qint64 n = 2; QFileInfo::exists(page) || NameReservations::shared().isClaimed(page); ++n)
        page = Output::numbered(wanted, n);
    const QString folder = picturesFolder(page, target);
    QString result;
    try {
        result = ResultGuard::make(wanted, [&](const QString& out) {
            if (needsLibreOffice(FileKind::ext(file)))
                convertThroughLibreOffice(file, target, title, out, folder);
            else
                Engines::documents().convert(file, target, title, out, folder);
        });
    } catch (...) {
        FileOps::removeQuietly(folder);
        throw;
    }
    // A document without pictures leaves no folder.
    QDir().rmdir(folder);
    return result;
}

} // namespace

QStringList targets(const QString& from)
{
    if (from == QLatin1String("pages")) {
        // LibreOffice reads .pages files.
        if (!Deps::libreOffice())
            return {};
        return {QStringLiteral("pdf"), QStringLiteral("docx"), QStringLiteral("epub"),
                QStringLiteral("txt"), QStringLiteral("rtf"),  QStringLiteral("md"),
                QStringLiteral("html")};
    }
    return {QStringLiteral("docx"), QStringLiteral("pdf"), QStringLiteral("txt"),
            QStringLiteral("md"),   QStringLiteral("rtf"), QStringLiteral("html"),
            QStringLiteral("odt"),  QStringLiteral("epub")};
}

std::optional<Component> unavailableReason(const QString& from, const QString& target)
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
    if (target == QLatin1String("html") || target == QLatin1String("md"))
        return convertWithPictures(file, target, title);
    return ResultGuard::make(Output::candidate(file, QString(), target), [&](const QString& out) {
        if (needsLibreOffice(from))
            convertThroughLibreOffice(file, target, title, out, QString());
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
    family.missing = unavailableReason;
    family.laysOutText = [](const QString&) { return true; };
    family.convert = [](const QString& file, const QString& target) {
        return QStringList{convert(file, target)};
    };
    return family;
}

} // namespace DocumentConverter
