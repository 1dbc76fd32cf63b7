#include "core/Output.h"

#include "core/Errors.h"
#include "core/FileKind.h"
#include "core/NameReservations.h"
#include "core/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace Output {

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

QString numbered(const QString& candidate, qint64 n)
{
    if (n < 2)
        return candidate;
    const QFileInfo info(candidate);
    const auto [stem, suffix] = splitName(info.fileName());
    return info.path() + QLatin1Char('/') + stem + QLatin1Char(' ') + QString::number(n) + suffix;
}

QString candidate(const QString& source, const QString& suffix, const QString& extension)
{
    return directory(source) + QLatin1Char('/') + baseName(source) + suffix + QLatin1Char('.') +
           extension;
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

QString derived(const QString& source, const QString& suffix, const QString& extension)
{
    return unique(candidate(source, suffix, extension));
}

void discard(const QString& path)
{
    QFile::remove(path);
    NameReservations::shared().release({path});
}

QString temporaryDirectory()
{
    const QString path = QDir::tempPath() + QStringLiteral("/Flingdial-") +
                         QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    if (!QDir().mkpath(path))
        throw SystemError(QStringLiteral("The folder “%1” couldn’t be created.").arg(path));
    return path;
}

} // namespace Output
