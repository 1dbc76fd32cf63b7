#include "base/FileKind.h"

#include "base/Formats.h"

#include <QFileInfo>

namespace FileKind {

namespace {

const QStringList& rawValues()
{
    static const QStringList values = {
        QStringLiteral("image"),       QStringLiteral("video"),    QStringLiteral("audio"),
        QStringLiteral("pdf"),         QStringLiteral("document"), QStringLiteral("slides"),
        QStringLiteral("spreadsheet"), QStringLiteral("subtitle"), QStringLiteral("archive"),
        QStringLiteral("folder"),      QStringLiteral("other")};
    return values;
}

QSet<QString> keys(std::initializer_list<const char*> list)
{
    QSet<QString> set;
    for (const char* key : list)
        set.insert(QString::fromLatin1(key));
    return set;
}

QString lastComponent(const QString& path)
{
    const QString trimmed =
        path.endsWith(QLatin1Char('/')) && path.size() > 1 ? path.chopped(1) : path;
    return trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

QString rawValue(Kind kind)
{
    return rawValues().at(kind);
}

std::optional<Kind> fromRawValue(const QString& raw)
{
    const qsizetype index = rawValues().indexOf(raw);
    if (index < 0)
        return std::nullopt;
    return static_cast<Kind>(index);
}

const QHash<Kind, QSet<QString>>& extensions()
{
    static const QHash<Kind, QSet<QString>> table = [] {
        QHash<Kind, QSet<QString>> sets;
        for (const Formats::Format& format : Formats::all())
            sets[format.kind].insert(format.key);
        return sets;
    }();
    return table;
}

QString ext(const QString& path)
{
    const QString name = lastComponent(path).toLower();
    if (name.endsWith(QLatin1String(".tar.gz")) || name.endsWith(QLatin1String(".tgz")))
        return QStringLiteral("tar.gz");
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    // A leading dot starts a hidden name, not an extension.
    const QString extension = dot > 0 ? name.mid(dot + 1) : QString();
    return Formats::key(extension);
}

bool isPackageDirectory(const QString& path)
{
    static const QSet<QString> packageExtensions =
        keys({"app", "bundle", "framework", "plugin", "rtfd", "pages", "key", "numbers"});
    return packageExtensions.contains(ext(path));
}

Kind of(const QString& path)
{
    if (const Formats::Format* format = Formats::find(ext(path)))
        return format->kind;
    const QFileInfo info(path);
    if (!info.isDir())
        return other;
    return isPackageDirectory(path) ? other : folder;
}

} // namespace FileKind
