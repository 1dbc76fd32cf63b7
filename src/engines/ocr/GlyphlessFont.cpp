#include "engines/ocr/GlyphlessFont.h"

#include <QList>
#include <QtEndian>
#include <utility>

namespace GlyphlessFont {

namespace {

constexpr int unitsPerEm = 1000;
constexpr int glyphs = 2; // .notdef and the glyph every character uses

// Big-endian writing, as every TrueType table is.
class Table
{
public:
    Table& u16(quint32 value)
    {
        const quint16 big = qToBigEndian(quint16(value));
        m_bytes.append(reinterpret_cast<const char*>(&big), 2);
        return *this;
    }
    Table& u32(quint32 value)
    {
        const quint32 big = qToBigEndian(value);
        m_bytes.append(reinterpret_cast<const char*>(&big), 4);
        return *this;
    }
    Table& zeros(int count)
    {
        m_bytes.append(count, '\0');
        return *this;
    }
    Table& bytes(const QByteArray& data)
    {
        m_bytes.append(data);
        return *this;
    }
    const QByteArray& data() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

quint32 checksum(const QByteArray& data)
{
    QByteArray padded = data;
    padded.append((4 - padded.size() % 4) % 4, '\0');
    quint32 sum = 0;
    for (qsizetype i = 0; i < padded.size(); i += 4)
        sum += qFromBigEndian<quint32>(padded.constData() + i);
    return sum;
}

QByteArray head()
{
    return Table()
        .u32(0x00010000) // version
        .u32(0x00010000) // font revision
        .u32(0)          // checksum adjustment, set once the file is complete
        .u32(0x5F0F3CF5) // magic number
        .u16(0x000B)     // baseline at 0, integer scaling, instructions may depend on size
        .u16(unitsPerEm)
        .zeros(16) // created, modified
        .u16(0)
        .u16(0)
        .u16(advance)
        .u16(unitsPerEm) // bounding box
        .u16(0)          // style
        .u16(3)          // smallest readable size
        .u16(2)          // direction hint
        .u16(0)          // short offsets in loca
        .u16(0)          // glyph data format
        .data();
}

QByteArray hhea()
{
    return Table()
        .u32(0x00010000)
        .u16(unitsPerEm) // ascender
        .u16(0)          // descender
        .u16(0)          // line gap
        .u16(advance)    // widest advance
        .u16(0)
        .u16(0)
        .u16(advance) // extents
        .u16(1)
        .u16(0)
        .u16(0) // caret: upright
        .zeros(8)
        .u16(0)      // metric data format
        .u16(glyphs) // horizontal metrics
        .data();
}

QByteArray maxp()
{
    Table table;
    table.u32(0x00010000).u16(glyphs).zeros(8).u16(2).zeros(16);
    return table.data();
}

QByteArray hmtx()
{
    Table table;
    for (int glyph = 0; glyph < glyphs; ++glyph)
        table.u16(advance).u16(0);
    return table.data();
}

QByteArray loca()
{
    // Every glyph is empty: all offsets are 0.
    return Table().zeros(2 * (glyphs + 1)).data();
}

QByteArray cmap()
{
    // Windows Unicode, format 4, with only the closing segment: characters
    // reach the glyphs through the PDF's own mapping, not this table.
    return Table()
        .u16(0)
        .u16(1)
        .u16(3)
        .u16(1)
        .u32(12)
        .u16(4)
        .u16(24)
        .u16(0)
        .u16(2)
        .u16(2)
        .u16(0)
        .u16(0)
        .u16(0xFFFF) // end codes
        .u16(0)
        .u16(0xFFFF) // start codes
        .u16(1)      // delta
        .u16(0)      // range offset
        .data();
}

QByteArray name()
{
    const QByteArray family = QByteArray::fromRawData("\0G\0l\0y\0p\0h\0L\0e\0s\0s", 18);
    Table table;
    table.u16(0).u16(2).u16(6 + 2 * 12);
    for (const int id : {1, 6}) // family name, PostScript name
        table.u16(3).u16(1).u16(0x0409).u16(id).u16(quint32(family.size())).u16(0);
    table.bytes(family);
    return table.data();
}

QByteArray post()
{
    return Table().u32(0x00030000).zeros(8).u32(1).zeros(16).data();
}

} // namespace

QByteArray data()
{
    // Tables in the order of their tags, as the directory wants them.
    const QList<std::pair<QByteArray, QByteArray>> tables = {
        {"cmap", cmap()}, {"glyf", QByteArray()}, {"head", head()},
        {"hhea", hhea()}, {"hmtx", hmtx()},       {"loca", loca()},
        {"maxp", maxp()}, {"name", name()},       {"post", post()},
    };
    const int count = int(tables.size());
    int power = 1;
    int log2 = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log2;
    }
    Table directory;
    directory.u32(0x00010000).u16(count).u16(power * 16).u16(log2).u16(count * 16 - power * 16);
    QByteArray body;
    quint32 offset = 12 + 16 * count;
    qsizetype headOffset = 0;
    for (const auto& [tag, table] : tables) {
        directory.bytes(tag).u32(checksum(table)).u32(offset).u32(quint32(table.size()));
        if (tag == "head")
            headOffset = offset;
        QByteArray padded = table;
        padded.append((4 - padded.size() % 4) % 4, '\0');
        body.append(padded);
        offset += quint32(padded.size());
    }
    QByteArray font = directory.data() + body;
    const quint32 adjustment = qToBigEndian(quint32(0xB1B0AFBA - checksum(font)));
    font.replace(headOffset + 8, 4, reinterpret_cast<const char*>(&adjustment), 4);
    return font;
}

} // namespace GlyphlessFont
