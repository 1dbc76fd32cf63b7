#include "base/FormatSymbol.h"

#include <QHash>
#include <QStringList>

namespace FormatSymbol {

namespace {

QHash<QString, QString> buildTable()
{
    const QList<std::pair<const char*, QStringList>> rows = {
        {"photo", {"jpg", "png", "webp", "heic", "tiff", "avif", "jxl", "bmp"}},
        {"photo.stack", {"gif"}},
        {"film", {"mp4", "mov", "mkv", "webm", "avi", "wmv"}},
        {"waveform", {"mp3", "m4a", "wav", "flac", "ogg", "opus", "aiff", "wma"}},
        {"doc.richtext", {"pdf"}},
        {"doc.text", {"docx", "doc", "odt", "rtf", "pages"}},
        {"text.alignleft", {"txt"}},
        {"number", {"md"}},
        {"chevron.left.forwardslash.chevron.right", {"html"}},
        {"book.closed", {"epub"}},
        {"tablecells", {"xlsx", "ods", "csv", "tsv", "numbers"}},
        {"rectangle.on.rectangle.angled", {"pptx", "key"}},
        {"captions.bubble", {"srt", "vtt"}},
        {"doc.zipper", {"zip", "tar", "tar.gz"}},
    };
    QHash<QString, QString> table;
    for (const auto& [symbol, formats] : rows) {
        for (const QString& format : formats)
            table.insert(format, QString::fromLatin1(symbol));
    }
    return table;
}

} // namespace

QString named(const QString& format)
{
    static const QHash<QString, QString> table = buildTable();
    return table.value(format, QStringLiteral("doc"));
}

} // namespace FormatSymbol
