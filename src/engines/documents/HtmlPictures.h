#pragma once

#include "engines/documents/Pictures.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

class QTextDocument;

// The pictures of web pages (HTML files, web archives, EPUB chapters,
// Markdown made into HTML). Qt's reader would fetch an <img>'s source
// itself, from anywhere on the disk; here each source is resolved by the
// reader of the page's format, which knows where the page may reach, and
// the picture is stored in the document before Qt sees the page.
class HtmlPictures
{
public:
    // The bytes at a picture's source, or nothing when it can't be had.
    using Resolver = std::function<std::optional<QByteArray>(const QString& source)>;

    explicit HtmlPictures(QTextDocument& document);

    // The page with each <img> pointing at a stored picture; one whose
    // source can't be had becomes its alt text.
    QString prepare(const QString& html, const Resolver& resolve);

    // Gives the pictures of the document (read from the prepared page)
    // their alt text and sizes.
    void finish();

    // The bytes of a data: URL, or nothing.
    static std::optional<QByteArray> fromDataUrl(const QString& url);

    // A resolver for files inside `folder` (never outside it, never the
    // network) and data: URLs; each file at most `limit` bytes.
    static Resolver inFolder(const QString& folder, qint64 limit);

private:
    struct Shown
    {
        QString alt;
        QSizeF size;
    };

    QTextDocument& m_document;
    Pictures::Store m_store;
    QHash<QString, QList<Shown>> m_shown; // by name, in the page's order
};
