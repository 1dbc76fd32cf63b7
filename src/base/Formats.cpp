#include "base/Formats.h"

#include <QHash>

namespace Formats {

namespace {

using FileKind::Kind;

// One row per format: key, aliases, kind, symbol. The title is the key in
// capitals unless given.
struct Row
{
    const char* key;
    std::initializer_list<const char*> aliases;
    Kind kind;
    const char* symbol;
    const char* title = nullptr;
};

const Row rows[] = {
    {"jpg", {"jpeg", "jpe"}, Kind::image, "photo"},
    {"png", {}, Kind::image, "photo"},
    {"webp", {}, Kind::image, "photo"},
    {"heic", {"heif"}, Kind::image, "photo"},
    {"tiff", {"tif"}, Kind::image, "photo"},
    {"avif", {}, Kind::image, "photo"},
    {"jxl", {}, Kind::image, "photo"},
    {"bmp", {}, Kind::image, "photo"},
    {"gif", {}, Kind::image, "photo.stack"},
    {"ico", {}, Kind::image, "doc"},
    {"psd", {}, Kind::image, "doc"},
    {"svg", {}, Kind::image, "doc"},
    {"mp4", {"m4v"}, Kind::video, "film"},
    {"mov", {}, Kind::video, "film"},
    {"mkv", {}, Kind::video, "film"},
    {"webm", {}, Kind::video, "film"},
    {"avi", {}, Kind::video, "film"},
    {"wmv", {}, Kind::video, "film"},
    {"flv", {}, Kind::video, "doc"},
    {"mpg", {}, Kind::video, "doc"},
    {"mpeg", {}, Kind::video, "doc"},
    {"3gp", {}, Kind::video, "doc"},
    {"mts", {}, Kind::video, "doc"},
    {"m2ts", {}, Kind::video, "doc"},
    {"mp3", {}, Kind::audio, "waveform"},
    {"m4a", {}, Kind::audio, "waveform"},
    {"wav", {}, Kind::audio, "waveform"},
    {"flac", {}, Kind::audio, "waveform"},
    {"ogg", {"oga"}, Kind::audio, "waveform"},
    {"opus", {}, Kind::audio, "waveform"},
    {"aiff", {"aif"}, Kind::audio, "waveform"},
    {"wma", {}, Kind::audio, "waveform"},
    {"aac", {}, Kind::audio, "doc"},
    {"caf", {}, Kind::audio, "doc"},
    {"amr", {}, Kind::audio, "doc"},
    {"pdf", {}, Kind::pdf, "doc.richtext"},
    {"docx", {}, Kind::document, "doc.text"},
    {"doc", {}, Kind::document, "doc.text"},
    {"rtf", {}, Kind::document, "doc.text"},
    {"rtfd", {}, Kind::document, "doc"},
    {"odt", {}, Kind::document, "doc.text"},
    {"txt", {"text"}, Kind::document, "text.alignleft"},
    {"html", {"htm"}, Kind::document, "chevron.left.forwardslash.chevron.right"},
    {"md", {"markdown"}, Kind::document, "number"},
    {"pages", {}, Kind::document, "doc.text"},
    {"webarchive", {}, Kind::document, "doc"},
    {"epub", {}, Kind::document, "book.closed"},
    {"ppt", {}, Kind::slides, "doc"},
    {"pptx", {}, Kind::slides, "rectangle.on.rectangle.angled"},
    {"key", {}, Kind::slides, "rectangle.on.rectangle.angled"},
    {"odp", {}, Kind::slides, "doc"},
    {"xlsx", {}, Kind::spreadsheet, "tablecells"},
    {"xls", {}, Kind::spreadsheet, "doc"},
    {"ods", {}, Kind::spreadsheet, "tablecells"},
    {"csv", {}, Kind::spreadsheet, "tablecells"},
    {"tsv", {}, Kind::spreadsheet, "tablecells"},
    {"numbers", {}, Kind::spreadsheet, "tablecells"},
    {"srt", {}, Kind::subtitle, "captions.bubble"},
    {"vtt", {}, Kind::subtitle, "captions.bubble"},
    {"zip", {}, Kind::archive, "doc.zipper"},
    {"tar", {}, Kind::archive, "doc.zipper"},
    {"tar.gz", {"tgz"}, Kind::archive, "doc.zipper", "GZIP"},
    {"gz", {}, Kind::archive, "doc"},
    {"bz2", {}, Kind::archive, "doc"},
    {"xz", {}, Kind::archive, "doc"},
    {"rar", {}, Kind::archive, "doc"},
    {"7z", {}, Kind::archive, "doc"},
    {"tbz", {}, Kind::archive, "doc"},
};

QList<Format> build()
{
    QList<Format> list;
    for (const Row& row : rows) {
        Format format;
        format.key = QString::fromLatin1(row.key);
        for (const char* alias : row.aliases)
            format.aliases.append(QString::fromLatin1(alias));
        format.kind = row.kind;
        format.title = row.title ? QString::fromLatin1(row.title) : format.key.toUpper();
        format.symbol = QString::fromLatin1(row.symbol);
        list.append(format);
    }
    return list;
}

// Keys and aliases, lower case, to their format.
QHash<QString, const Format*> index()
{
    QHash<QString, const Format*> names;
    for (const Format& format : all()) {
        names.insert(format.key, &format);
        for (const QString& alias : format.aliases)
            names.insert(alias, &format);
    }
    return names;
}

} // namespace

const QList<Format>& all()
{
    static const QList<Format> table = build();
    return table;
}

const Format* find(const QString& keyOrAlias)
{
    static const QHash<QString, const Format*> names = index();
    return names.value(keyOrAlias.toLower());
}

QString key(const QString& extension)
{
    const Format* format = find(extension);
    return format ? format->key : extension;
}

QString title(const QString& key)
{
    const Format* format = find(key);
    return format ? format->title : key.toUpper();
}

QString symbol(const QString& key)
{
    const Format* format = find(key);
    return format ? format->symbol : QStringLiteral("doc");
}

} // namespace Formats
