#pragma once

#include "base/FileKind.h"

#include <QList>
#include <QString>
#include <QStringList>

// Every file format the program knows, in one table: its format key (the
// normalised lower-case extension), the other extensions that mean the
// same format, its kind, the title of its conversion slice and its symbol.
namespace Formats {

struct Format
{
    QString key;
    QStringList aliases;
    FileKind::Kind kind;
    QString title;
    QString symbol;
};

const QList<Format>& all();

// The format a key or an alias names, in any letter case; null for none.
const Format* find(const QString& keyOrAlias);

// The key an extension stands for: aliases resolved ("jpeg" → "jpg"),
// anything unknown unchanged.
QString key(const QString& extension);

// "GZIP" for "tar.gz", the key in capitals for the others.
QString title(const QString& key);

// The symbol image of a format ("photo"), "doc" for those without one.
QString symbol(const QString& key);

} // namespace Formats
