#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QUrl>

// Safari's web archives: a property list whose main resource holds the
// page's HTML and the name of its text encoding, and whose subresources
// hold what the page shows (pictures), each under its address.
namespace WebArchive {

struct Page
{
    QString html;
    QUrl address;
    QHash<QString, QByteArray> resources; // by absolute address
};

// The main page with its resources. Throws Fail naming the file.
Page read(const QString& path);

} // namespace WebArchive
