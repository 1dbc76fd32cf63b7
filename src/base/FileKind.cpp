#include "base/FileKind.h"

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

const QHash<QString, QString>& aliases()
{
    static const QHash<QString, QString> table = {
        {QStringLiteral("jpeg"), QStringLiteral("jpg")},
        {QStringLiteral("jpe"), QStringLiteral("jpg")},
        {QStringLiteral("tif"), QStringLiteral("tiff")},
        {QStringLiteral("htm"), QStringLiteral("html")},
        {QStringLiteral("markdown"), QStringLiteral("md")},
        {QStringLiteral("aif"), QStringLiteral("aiff")},
        {QStringLiteral("heif"), QStringLiteral("heic")},
        {QStringLiteral("m4v"), QStringLiteral("mp4")},
        {QStringLiteral("text"), QStringLiteral("txt")},
        {QStringLiteral("oga"), QStringLiteral("ogg")},
    };
    return table;
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
    static const QHash<Kind, QSet<QString>> table = {
        {image, keys({"jpg", "png", "webp", "heic", "tiff", "avif", "jxl", "bmp", "gif", "ico",
                      "psd", "svg"})},
        {video, keys({"mp4", "mov", "mkv", "webm", "avi", "wmv", "flv", "mpg", "mpeg", "3gp", "mts",
                      "m2ts"})},
        {audio,
         keys({"mp3", "m4a", "wav", "flac", "ogg", "opus", "aiff", "wma", "aac", "caf", "amr"})},
        {pdf, keys({"pdf"})},
        {document, keys({"docx", "doc", "rtf", "rtfd", "odt", "txt", "html", "md", "pages",
                         "webarchive", "epub"})},
        {slides, keys({"ppt", "pptx", "key", "odp"})},
        {spreadsheet, keys({"xlsx", "xls", "ods", "csv", "tsv", "numbers"})},
        {subtitle, keys({"srt", "vtt"})},
        {archive, keys({"zip", "tar", "tar.gz", "gz", "bz2", "xz", "rar", "7z", "tbz"})},
    };
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
    return aliases().value(extension, extension);
}

bool isPackageDirectory(const QString& path)
{
    static const QSet<QString> packageExtensions =
        keys({"app", "bundle", "framework", "plugin", "rtfd", "pages", "key", "numbers"});
    return packageExtensions.contains(ext(path));
}

Kind of(const QString& path)
{
    const QString key = ext(path);
    const auto& table = extensions();
    for (auto it = table.constBegin(); it != table.constEnd(); ++it) {
        if (it.value().contains(key))
            return it.key();
    }
    const QFileInfo info(path);
    if (!info.isDir())
        return other;
    return isPackageDirectory(path) ? other : folder;
}

} // namespace FileKind
