#pragma once

#include "base/FileKind.h"
#include "core/Operation.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// One row of the converter table: everything the catalog needs to know
// about a family of formats. Each family builds its row in its own folder;
// the catalog walks the rows and never names a converter.
struct ConverterFamily
{
    // The files this family converts: those whose common kind is this one.
    FileKind::Kind kind = FileKind::other;

    // The target format keys, in wheel order, for files whose common format
    // key is `from` (empty when they share none). The catalog then removes
    // `from` itself.
    std::function<QStringList(const QString& from)> targets;

    // Why `target` can't be made on this machine, or nothing. Evaluated each
    // time the wheel opens. May be empty: every target is available.
    std::function<std::optional<QString>(const QString& from, const QString& target)>
        unavailableReason;

    // Converts one file; returns what it made (several page images, say).
    std::function<QStringList(const QString& file, const QString& target)> convert;

    // Converts all the files of a drop at once, when the family can do that
    // faster than one by one (one LibreOffice run for all). May be empty.
    std::function<QStringList(const QStringList& files, const QString& target)> convertAll;

    // Whether converting to `target` lays text out (the document engine),
    // which needs Qt's GUI even without a display. May be empty: never.
    std::function<bool(const QString& target)> laysOutText;

    // The tools slice set. May be empty: "Compress to ZIP" alone.
    std::function<QList<Operation>()> tools;
};
