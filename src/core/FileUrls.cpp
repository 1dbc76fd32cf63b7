#include "core/FileUrls.h"

#include <QDir>
#include <QMimeData>
#include <QUrl>

namespace FileUrls {

namespace {

void appendLocalFile(QStringList& files, const QUrl& url)
{
    if (url.isLocalFile())
        files.append(QDir::cleanPath(url.toLocalFile()));
}

} // namespace

QStringList fromMimeData(const QMimeData* data)
{
    QStringList files;
    if (!data)
        return files;
    for (const QUrl& url : data->urls())
        appendLocalFile(files, url);
    if (files.isEmpty() && data->hasFormat(QStringLiteral("x-special/gnome-copied-files")))
        files = fromUriList(data->data(QStringLiteral("x-special/gnome-copied-files")));
    return files;
}

QStringList fromUriList(const QByteArray& payload)
{
    QStringList files;
    for (QByteArray line : payload.split('\n')) {
        line = line.trimmed();
        // Comments, and the verb that file managers put first ("copy", "cut").
        if (line.isEmpty() || line.startsWith('#') || !line.contains(':'))
            continue;
        appendLocalFile(files, QUrl::fromEncoded(line));
    }
    return files;
}

} // namespace FileUrls
