#include "base/FileKind.h"

#include "base/Formats.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <algorithm>
#include <utility>

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

// Office Open XML documents are plain ZIP files to the MIME database: the
// main part named in the archive's directory, at its end, tells which.
QString officeOpenXmlKey(const QString& path)
{
    constexpr qint64 directoryBytes = 256 * 1024;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    file.seek(std::max<qint64>(0, file.size() - directoryBytes));
    const QByteArray directory = file.read(directoryBytes);
    const std::pair<const char*, const char*> mainParts[] = {{"word/document.xml", "docx"},
                                                             {"xl/workbook.xml", "xlsx"},
                                                             {"ppt/presentation.xml", "pptx"}};
    for (const auto& [part, key] : mainParts) {
        if (directory.contains(part))
            return QString::fromLatin1(key);
    }
    return {};
}

// The format key a file's content names (Qt's MIME database by content),
// empty when it names none the program knows.
QString keyByContent(const QString& path)
{
    const QFileInfo info(path);
    // Only regular files are read: opening a pipe waits for a writer, and a
    // device may never end.
    if (!info.isFile() || info.size() == 0)
        return {};
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchContent);
    if (type.name() == QLatin1String("application/zip")) {
        if (const QString office = officeOpenXmlKey(path); !office.isEmpty())
            return office;
    }
    // The preferred suffix comes first ("jpeg" for JPEG, resolved to "jpg").
    for (const QString& suffix : type.suffixes()) {
        if (const Formats::Format* format = Formats::find(suffix))
            return format->key;
    }
    return {};
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
    const QString key = Formats::key(extension);
    if (Formats::find(key))
        return key;
    // No extension, or one no format has ("photo", "scan.backup"): the
    // content tells, for files that exist.
    const QString byContent = keyByContent(path);
    return byContent.isEmpty() ? key : byContent;
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
