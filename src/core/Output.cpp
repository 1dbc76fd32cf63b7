#include "core/Output.h"

#include "base/Errors.h"
#include "base/FileKind.h"
#include "base/Translate.h"
#include "core/NameReservations.h"
#include "core/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace Output {

FLINGDIAL_TR_CONTEXT(Output)

namespace {

const QStringList& compoundExtensions()
{
    static const QStringList list = {QStringLiteral(".tar.gz"), QStringLiteral(".tar.bz2"),
                                     QStringLiteral(".tar.xz")};
    return list;
}

QString lastComponent(const QString& path)
{
    return QFileInfo(QDir::cleanPath(path)).fileName();
}

bool existsOnDisk(const QString& path)
{
    // A dangling symbolic link occupies the name as well.
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
}

} // namespace

QString directory(const QString& source)
{
    if (const auto custom = Settings::shared().outputDirectory()) {
        // A failure shows up when the result is written.
        QDir().mkpath(*custom);
        return *custom;
    }
    return QFileInfo(QDir::cleanPath(source)).absolutePath();
}

QString baseName(const QString& source)
{
    const QString name = lastComponent(source);
    const QString lower = name.toLower();
    for (const QString& extension : compoundExtensions()) {
        if (lower.endsWith(extension))
            return name.chopped(extension.size());
    }
    if (QFileInfo(source).isDir() && FileKind::of(source) == FileKind::folder)
        return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

std::pair<QString, QString> splitName(const QString& name)
{
    if (name.toLower().endsWith(QLatin1String(".tar.gz")) && name.size() > 7)
        return {name.chopped(7), name.right(7)};
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0 && dot < name.size() - 1)
        return {name.left(dot), name.mid(dot)};
    return {name, QString()};
}

namespace {

// File systems take names of up to 255 bytes.
constexpr qsizetype maximumNameBytes = 255;
// Room kept for " 99" when a name has to be numbered.
constexpr qsizetype roomForNumber = 4;

// `stem` + `tail`, with characters taken off the end of the stem until the
// name fits with `reserve` bytes to spare.
QString fitted(QString stem, const QString& tail, qsizetype reserve = 0)
{
    const qsizetype tailBytes = tail.toUtf8().size() + reserve;
    while (!stem.isEmpty() && stem.toUtf8().size() + tailBytes > maximumNameBytes)
        stem.chop(stem.size() >= 2 && stem.back().isLowSurrogate() ? 2 : 1);
    return stem + tail;
}

} // namespace

QString numbered(const QString& candidate, qint64 n)
{
    const QFileInfo info(candidate);
    const auto [stem, suffix] = splitName(info.fileName());
    const QString tail = n < 2 ? suffix : QLatin1Char(' ') + QString::number(n) + suffix;
    const QString name = fitted(stem, tail);
    if (n < 2 && name == info.fileName())
        return candidate;
    return info.path() + QLatin1Char('/') + name;
}

QString candidate(const QString& source, const QString& suffix, const QString& extension)
{
    // A long name is shortened before the suffix, which says what was done.
    return directory(source) + QLatin1Char('/') +
           fitted(baseName(source), suffix + QLatin1Char('.') + extension, roomForNumber);
}

QString unique(const QString& candidate)
{
    auto& reservations = NameReservations::shared();
    for (qint64 n = 1;; ++n) {
        const QString path = numbered(candidate, n);
        if (!existsOnDisk(path) && reservations.tryClaim(path))
            return path;
    }
}

QString uniqueIn(const QString& source, const QString& name)
{
    return unique(directory(source) + QLatin1Char('/') + name);
}

QString temporaryDirectory()
{
    const QString path = QDir::tempPath() + QStringLiteral("/Flingdial-") +
                         QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    if (!QDir().mkpath(path))
        throw SystemError(tr("The folder “%1” couldn’t be created.").arg(path));
    return path;
}

} // namespace Output
