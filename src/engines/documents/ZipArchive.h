#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The parts of a ZIP container (DOCX, ODT, EPUB), read into memory and
// never unpacked to disk. Sizes are capped, so a ZIP bomb fails at once
// instead of filling memory.
class ZipArchive
{
public:
    // Each part read may hold this much; all of them together four times as much.
    static constexpr qint64 partLimit = 64 * 1024 * 1024;

    // Reads the entry names and the parts `wanted` accepts. Throws Fail
    // naming the file when it isn't a readable ZIP or holds too much.
    // Parts `optional` accepts (pictures) are read while they fit: each
    // within the part limit and all of them within four times that again;
    // the rest are left out.
    using Filter = std::function<bool(const QString& name)>;
    static ZipArchive open(const QString& path, const Filter& wanted, const Filter& optional = {});

    QStringList names() const { return m_names; }
    bool contains(const QString& name) const { return m_names.contains(name); }
    // A part that was read, or nothing.
    std::optional<QByteArray> part(const QString& name) const;

private:
    QStringList m_names;
    QHash<QString, QByteArray> m_parts;
};
