#include "engines/images/ExifTiff.h"

#include "base/Errors.h"

#include <QFile>
#include <QList>
#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

namespace ExifTiff {

namespace {

constexpr quint16 orientationTag = 0x0112;
constexpr quint16 exifPointer = 0x8769;
constexpr quint16 gpsPointer = 0x8825;
constexpr quint16 interoperabilityPointer = 0xA005;
constexpr quint16 makerNote = 0x927C;
constexpr quint16 typeShort = 3;
constexpr quint16 typeLong = 4;
constexpr qint64 entrySize = 12;

// Bytes of one value of each TIFF type (0: a type this code doesn't know).
int unitSize(quint16 type)
{
    static const int sizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
    return type < std::size(sizes) ? sizes[type] : 0;
}

// Bytes that are swapped as one number when the byte order changes.
int swapUnit(quint16 type)
{
    switch (type) {
    case 3:
    case 8:
        return 2;
    case 4:
    case 5: // two LONGs
    case 9:
    case 10:
    case 11:
    case 13:
        return 4;
    case 12:
        return 8;
    default:
        return 1;
    }
}

// Reads and writes numbers in the structure's byte order, within bounds.
class Bytes
{
public:
    // The byte order is the header's ("II" or "MM") unless given.
    Bytes(uchar* data, qint64 size, std::optional<bool> little = std::nullopt)
        : m_data(data), m_size(size), m_little(little.value_or(size >= 2 && data[0] == 'I'))
    {}

    bool little() const { return m_little; }
    qint64 size() const { return m_size; }
    bool fits(qint64 at, qint64 length) const
    {
        return at >= 0 && length >= 0 && at <= m_size && length <= m_size - at;
    }

    quint32 read(qint64 at, int bytes) const
    {
        if (!fits(at, bytes))
            return 0;
        quint32 value = 0;
        for (int i = 0; i < bytes; ++i) {
            const quint32 byte = m_data[at + (m_little ? bytes - 1 - i : i)];
            value = value << 8 | byte;
        }
        return value;
    }
    quint16 u16(qint64 at) const { return quint16(read(at, 2)); }
    quint32 u32(qint64 at) const { return read(at, 4); }

    void write(qint64 at, quint32 value, int bytes)
    {
        if (!fits(at, bytes))
            return;
        for (int i = 0; i < bytes; ++i)
            m_data[at + (m_little ? i : bytes - 1 - i)] = uchar(value >> (8 * i));
    }

    void zero(qint64 at, qint64 length)
    {
        if (fits(at, length))
            std::memset(m_data + at, 0, size_t(length));
    }

    void move(qint64 to, qint64 from, qint64 length)
    {
        if (fits(to, length) && fits(from, length))
            std::memmove(m_data + to, m_data + from, size_t(length));
    }

    QByteArray copy(qint64 at, qint64 length) const
    {
        if (!fits(at, length))
            return {};
        return QByteArray(reinterpret_cast<const char*>(m_data + at), qsizetype(length));
    }

    // The number of entries of the directory at `offset`, when the whole
    // directory (entries and the next pointer) lies within the bytes.
    std::optional<int> entries(qint64 offset) const
    {
        if (offset < 8 || !fits(offset, 2))
            return std::nullopt;
        const int count = u16(offset);
        if (!fits(offset + 2, count * entrySize + 4))
            return std::nullopt;
        return count;
    }

    // The offset of the entry with `tag` in the directory, if any.
    std::optional<qint64> find(qint64 directory, quint16 tag) const
    {
        const auto count = entries(directory);
        for (int i = 0; count && i < *count; ++i) {
            const qint64 entry = directory + 2 + i * entrySize;
            if (u16(entry) == tag)
                return entry;
        }
        return std::nullopt;
    }

    qint64 valueLength(qint64 entry) const
    {
        return qint64(unitSize(u16(entry + 2))) * u32(entry + 4);
    }

    // Where an entry's value lies: in the entry itself up to four bytes.
    qint64 valueAt(qint64 entry) const
    {
        return valueLength(entry) <= 4 ? entry + 8 : qint64(u32(entry + 8));
    }

private:
    uchar* m_data;
    qint64 m_size;
    bool m_little;
};

// A read-only view for the functions that only look.
Bytes view(const uchar* data, qint64 size, std::optional<bool> little = std::nullopt)
{
    return Bytes(const_cast<uchar*>(data), size, little);
}

// One entry on its way into a new directory: its value in the target's
// byte order, or the four bytes of an entry that stays where it points.
struct Entry
{
    quint16 tag = 0;
    quint16 type = 0;
    quint32 count = 0;
    QByteArray value;
    std::optional<QByteArray> keptField;
};

QByteArray swapped(QByteArray value, quint16 type)
{
    const int unit = swapUnit(type);
    if (unit == 1)
        return value;
    for (qsizetype at = 0; at + unit <= value.size(); at += unit)
        std::reverse(value.begin() + at, value.begin() + at + unit);
    return value;
}

// The entries of a directory of `from`, values in `little` byte order,
// leaving out `skipped` tags and entries whose values don't fit.
QList<Entry> entriesOf(const Bytes& from, qint64 directory, bool little,
                       const QList<quint16>& skipped)
{
    QList<Entry> list;
    const auto count = from.entries(directory);
    // Values that point at the same bytes over and over add up to no more
    // than the data holds.
    qint64 copied = 0;
    for (int i = 0; count && i < *count && copied <= from.size(); ++i) {
        const qint64 at = directory + 2 + i * entrySize;
        Entry entry{from.u16(at), from.u16(at + 2), from.u32(at + 4), {}, {}};
        const qint64 length = from.valueLength(at);
        if (skipped.contains(entry.tag) || unitSize(entry.type) == 0 || length > (1 << 20) ||
            !from.fits(from.valueAt(at), length))
            continue;
        entry.value = from.copy(from.valueAt(at), length);
        copied += length;
        if (from.little() != little)
            entry.value = swapped(entry.value, entry.type);
        list.append(entry);
    }
    return list;
}

void put(QByteArray& out, qint64 at, quint32 value, int bytes, bool little)
{
    for (int i = 0; i < bytes; ++i)
        out[qsizetype(at + (little ? i : bytes - 1 - i))] = char(value >> (8 * i));
}

QByteArray number(quint32 value, bool little)
{
    QByteArray bytes(4, '\0');
    put(bytes, 0, value, 4, little);
    return bytes;
}

// A directory written at file offset `at`, followed by the values that
// don't fit in their entries.
QByteArray directoryAt(QList<Entry> entries, qint64 at, quint32 next, bool little)
{
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
    const qint64 head = 2 + entries.size() * entrySize + 4;
    QByteArray out(qsizetype(head), '\0');
    put(out, 0, quint32(entries.size()), 2, little);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const Entry& entry = entries.at(i);
        const qint64 field = 2 + i * entrySize;
        put(out, field, entry.tag, 2, little);
        put(out, field + 2, entry.type, 2, little);
        put(out, field + 4, entry.count, 4, little);
        if (entry.keptField) {
            out.replace(qsizetype(field + 8), 4, *entry.keptField);
        } else if (entry.value.size() <= 4) {
            out.replace(qsizetype(field + 8), entry.value.size(), entry.value);
        } else {
            if (out.size() % 2)
                out.append('\0'); // values start on a word boundary
            put(out, field + 8, quint32(at + out.size()), 4, little);
            out.append(entry.value);
        }
    }
    put(out, head - 4, next, 4, little);
    if (out.size() % 2)
        out.append('\0');
    return out;
}

Entry pointer(quint16 tag, quint32 offset, bool little)
{
    return Entry{tag, typeLong, 1, number(offset, little), {}};
}

} // namespace

qsizetype start(const QByteArray& exif)
{
    return exif.startsWith(QByteArrayLiteral("Exif\0\0")) ? 6 : 0;
}

bool isTiff(const uchar* data, qint64 size)
{
    if (size < 8)
        return false;
    return (data[0] == 'I' && data[1] == 'I' && data[2] == 42 && data[3] == 0) ||
           (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && data[3] == 42);
}

void markUpright(uchar* data, qint64 size)
{
    if (!isTiff(data, size))
        return;
    Bytes bytes(data, size);
    if (const auto entry = bytes.find(bytes.u32(4), orientationTag);
        entry && bytes.u16(*entry + 2) == typeShort)
        bytes.write(*entry + 8, 1, 2);
}

bool hasGps(const uchar* data, qint64 size)
{
    if (!isTiff(data, size))
        return false;
    const Bytes bytes = view(data, size);
    const auto entry = bytes.find(bytes.u32(4), gpsPointer);
    return entry && bytes.entries(bytes.u32(*entry + 8)).value_or(0) > 0;
}

bool removeGps(uchar* data, qint64 size)
{
    if (!isTiff(data, size))
        return false;
    Bytes bytes(data, size);
    const qint64 first = bytes.u32(4);
    const auto count = bytes.entries(first);
    const auto entry = bytes.find(first, gpsPointer);
    if (!count || !entry)
        return false;
    // The GPS values, then their directory.
    const qint64 gps = bytes.u32(*entry + 8);
    if (const auto gpsCount = bytes.entries(gps)) {
        for (int i = 0; i < *gpsCount; ++i) {
            const qint64 at = gps + 2 + i * entrySize;
            if (bytes.valueLength(at) > 4)
                bytes.zero(bytes.valueAt(at), bytes.valueLength(at));
        }
        bytes.zero(gps, 2 + *gpsCount * entrySize + 4);
    }
    // The pointer: the entries after it and the next-directory offset move
    // up by one entry, and the freed bytes at the end are cleared.
    const qint64 end = first + 2 + *count * entrySize + 4;
    bytes.move(*entry, *entry + entrySize, end - *entry - entrySize);
    bytes.write(first, quint32(*count - 1), 2);
    bytes.zero(end - entrySize, entrySize);
    return true;
}

void addToTiffFile(const QString& path, const QByteArray& exif)
{
    QByteArray source = exif.mid(start(exif));
    const auto* sourceData = reinterpret_cast<const uchar*>(source.constData());
    if (!isTiff(sourceData, source.size()))
        return;
    const Bytes from = view(sourceData, source.size());

    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        throw Fail::cantSave(path);
    QByteArray header = file.read(8);
    if (!isTiff(reinterpret_cast<const uchar*>(header.constData()), header.size()))
        return; // BigTIFF and the like: left as they are
    const bool little = header.at(0) == 'I';
    const quint32 firstOffset = view(reinterpret_cast<const uchar*>(header.constData()), 8).u32(4);
    file.seek(firstOffset);
    const QByteArray countBytes = file.read(2);
    if (countBytes.size() != 2)
        return;
    const int count =
        view(reinterpret_cast<const uchar*>(countBytes.constData()), 2, little).u16(0);
    QByteArray first = countBytes + file.read(count * entrySize + 4);
    if (first.size() != 2 + count * entrySize + 4)
        return;
    const Bytes target(reinterpret_cast<uchar*>(first.data()), first.size(), little);

    // The file's own entries stay as they are and where they point.
    QList<Entry> entries;
    QList<quint16> present;
    for (int i = 0; i < count; ++i) {
        const qint64 at = 2 + i * entrySize;
        entries.append(Entry{target.u16(at),
                             target.u16(at + 2),
                             target.u32(at + 4),
                             {},
                             first.mid(qsizetype(at + 8), 4)});
        present.append(target.u16(at));
    }
    const quint32 next = target.u32(2 + count * entrySize);

    // What the EXIF data adds: its first directory's camera and author
    // tags, and the directories it points at.
    static const QList<quint16> described = {0x010E, 0x010F, 0x0110, 0x0131,
                                             0x0132, 0x013B, 0x8298};
    const qint64 sourceFirst = from.u32(4);
    for (Entry& entry : entriesOf(from, sourceFirst, little, {})) {
        if (described.contains(entry.tag) && !present.contains(entry.tag))
            entries.append(entry);
    }
    qint64 end = file.size() + file.size() % 2;
    QByteArray appended(qsizetype(end - file.size()), '\0');
    const auto addDirectory = [&](quint16 tag, const QList<quint16>& skipped) {
        const auto at = from.find(sourceFirst, tag);
        if (!at || present.contains(tag))
            return;
        const QList<Entry> sub = entriesOf(from, from.u32(*at + 8), little, skipped);
        if (sub.isEmpty())
            return;
        const QByteArray bytes = directoryAt(sub, end, 0, little);
        entries.append(pointer(tag, quint32(end), little));
        appended += bytes;
        end += bytes.size();
    };
    addDirectory(exifPointer, {interoperabilityPointer, makerNote});
    addDirectory(gpsPointer, {});
    appended += directoryAt(entries, end, next, little);
    if (file.size() + appended.size() > std::numeric_limits<quint32>::max())
        return; // past what classic TIFF offsets reach

    if (!file.seek(file.size()) || file.write(appended) != appended.size() || !file.seek(4) ||
        file.write(number(quint32(end), little)) != 4 || !file.flush())
        throw Fail::cantSave(path);
}

} // namespace ExifTiff
