#include "engines/images/LocationRemover.h"

#include "base/Errors.h"
#include "base/Translate.h"
#include "engines/images/ExifTiff.h"
#include "engines/images/JxlContainer.h"

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cstring>
#include <functional>
#include <zlib.h>

namespace LocationRemover {

FLINGDIAL_TR_CONTEXT(LocationRemover)

namespace {

// Text chunks and boxes larger than this are pictures, not metadata.
constexpr qint64 metadataLimit = 64 << 20;

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

Fail cantEdit(const QString& path)
{
    return Fail(tr("The location can’t be removed from %1: its metadata is stored in a form that "
                   "can’t be edited.")
                    .arg(fileName(path)));
}

bool isNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
}

// Ends of the XMP packets in the bytes: each "<x:xmpmeta" to its closing tag.
void forEachXmp(uchar* data, qint64 size, const std::function<void(char*, qint64)>& edit)
{
    const QByteArrayView all(reinterpret_cast<const char*>(data), size);
    qsizetype at = 0;
    while ((at = all.indexOf("<x:xmpmeta", at)) >= 0) {
        qsizetype end = all.indexOf("</x:xmpmeta>", at);
        end = end < 0 ? size : end + 12;
        edit(reinterpret_cast<char*>(data) + at, end - at);
        at = end;
    }
}

// EXIF anywhere in the bytes: after an "Exif\0\0" marker (JPEG segments,
// HEIF items, embedded previews), or a bare TIFF header whose first
// directory follows it (HEIF items without the marker).
int removeEveryExifGps(uchar* data, qint64 size)
{
    static const QByteArray headers[] = {
        QByteArrayLiteral("Exif\0\0II*\0"), QByteArrayLiteral("Exif\0\0MM\0*"),
        QByteArrayLiteral("II*\0\x08\0\0\0"), QByteArrayLiteral("MM\0*\0\0\0\x08")};
    const QByteArrayView all(reinterpret_cast<const char*>(data), size);
    int removed = 0;
    for (const QByteArray& header : headers) {
        const qsizetype skip = header.startsWith("Exif") ? 6 : 0;
        for (qsizetype at = all.indexOf(header); at >= 0; at = all.indexOf(header, at + 1))
            removed += ExifTiff::removeGps(data + at + skip, size - at - skip) ? 1 : 0;
    }
    return removed;
}

int removeEveryXmpGps(uchar* data, qint64 size)
{
    int removed = 0;
    forEachXmp(data, size, [&](char* xmp, qint64 length) { removed += blankXmpGps(xmp, length); });
    return removed;
}

// Boxes whose metadata is compressed can't be edited in place.
void refuseCompressedBoxes(QFile& file, const QString& input)
{
    for (const JxlContainer::Box& box : JxlContainer::boxes(file)) {
        if (box.type == "brob")
            throw cantEdit(input);
    }
}

// The metadata boxes of a JPEG XL container: EXIF behind a 4-byte offset.
int removeFromJxlBoxes(QFile& file, uchar* data, qint64 size)
{
    int removed = 0;
    for (const JxlContainer::Box& box : JxlContainer::boxes(file)) {
        if (box.type != "Exif" || box.length < 4 || box.payload + box.length > size)
            continue;
        const quint32 offset = qFromBigEndian<quint32>(data + box.payload);
        if (offset <= box.length - 4)
            removed += ExifTiff::removeGps(data + box.payload + 4 + offset, box.length - 4 - offset)
                           ? 1
                           : 0;
    }
    return removed;
}

// The EXIF and XMP chunks of a WebP file.
int removeFromWebpChunks(uchar* data, qint64 size)
{
    int removed = 0;
    for (qint64 at = 12; at + 8 <= size;) {
        const qint64 length = qFromLittleEndian<quint32>(data + at + 4);
        if (length > size - at - 8)
            break;
        if (std::memcmp(data + at, "EXIF", 4) == 0) {
            uchar* exif = data + at + 8;
            const qint64 skip = length >= 6 && std::memcmp(exif, "Exif\0\0", 6) == 0 ? 6 : 0;
            removed += ExifTiff::removeGps(exif + skip, length - skip) ? 1 : 0;
        }
        at += 8 + length + (length % 2);
    }
    return removed;
}

// Edits a copy of the file where it lies: every change keeps the length.
int removeInPlace(QFile& file, const QString& input)
{
    const qint64 size = file.size();
    uchar* data = size > 0 ? file.map(0, size) : nullptr;
    if (!data)
        throw Fail::cantRead(input);
    const QByteArray head(reinterpret_cast<const char*>(data),
                          qsizetype(std::min<qint64>(size, 16)));
    int removed = 0;
    if (ExifTiff::isTiff(data, size))
        removed += ExifTiff::removeGps(data, size) ? 1 : 0; // a TIFF file's own directory
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP")
        removed += removeFromWebpChunks(data, size);
    if (JxlContainer::isContainer(head)) {
        refuseCompressedBoxes(file, input);
        removed += removeFromJxlBoxes(file, data, size);
    }
    removed += removeEveryExifGps(data, size);
    removed += removeEveryXmpGps(data, size);
    file.unmap(data);
    return removed;
}

// PNG: chunks carry CRCs, and text chunks may be compressed, so the file is
// written anew chunk by chunk; the picture's chunks pass through unread.
class PngRewriter
{
public:
    PngRewriter(QFile& in, QFile& out, const QString& input) : m_in(in), m_out(out), m_input(input)
    {}

    void run()
    {
        const QByteArray signature = m_in.read(8);
        if (signature != QByteArrayLiteral("\x89PNG\r\n\x1a\n"))
            throw Fail::cantRead(m_input);
        write(signature);
        while (!m_in.atEnd()) {
            const QByteArray head = m_in.read(8);
            if (head.size() != 8)
                throw Fail::cantRead(m_input);
            const qint64 length = qFromBigEndian<quint32>(head.constData());
            const QByteArray type = head.mid(4);
            if (length <= metadataLimit && isMetadata(type)) {
                QByteArray data = m_in.read(length);
                if (data.size() != length || m_in.read(4).size() != 4)
                    throw Fail::cantRead(m_input);
                if (isGpsText(type, data))
                    ++m_removed; // ImageMagick's "exif:GPSLatitude" and the like
                else
                    writeChunk(type, edited(type, data));
            } else {
                write(head);
                copy(length + 4); // the data and its CRC
            }
            if (type == "IEND")
                break;
        }
    }

private:
    static bool isMetadata(const QByteArray& type)
    {
        return type == "eXIf" || type == "iTXt" || type == "zTXt" || type == "tEXt";
    }

    // A text chunk holding one GPS value under a keyword of its own, as
    // ImageMagick writes them ("exif:GPSLatitude", "xmp:GPSLatitude").
    static bool isGpsText(const QByteArray& type, const QByteArray& data)
    {
        const QByteArray keyword = data.left(data.indexOf('\0')).toLower();
        return type != "eXIf" && keyword.mid(keyword.indexOf(':') + 1).startsWith("gps");
    }

    void write(const QByteArray& bytes)
    {
        if (m_out.write(bytes) != bytes.size())
            throw Fail::cantSave(m_out.fileName());
    }

    void copy(qint64 length)
    {
        while (length > 0) {
            const QByteArray block = m_in.read(std::min<qint64>(length, 1 << 20));
            if (block.isEmpty())
                throw Fail::cantRead(m_input);
            write(block);
            length -= block.size();
        }
    }

    void writeChunk(const QByteArray& type, const QByteArray& data)
    {
        QByteArray head(4, '\0');
        qToBigEndian<quint32>(quint32(data.size()), head.data());
        uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type.constData()), 4);
        crc = crc32(crc, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size()));
        QByteArray tail(4, '\0');
        qToBigEndian<quint32>(quint32(crc), tail.data());
        write(head + type + data + tail);
    }

    QByteArray edited(const QByteArray& type, QByteArray data)
    {
        if (type == "eXIf") {
            m_removed += ExifTiff::removeGps(reinterpret_cast<uchar*>(data.data()), data.size());
            return data;
        }
        const qsizetype keywordEnd = data.indexOf('\0');
        if (keywordEnd < 0)
            return data;
        const QByteArray keyword = data.left(keywordEnd);
        const bool xmp = keyword == "XML:com.adobe.xmp";
        const bool rawProfile = keyword.startsWith("Raw profile type ");
        if (!xmp && !rawProfile)
            return data;
        // Where the text starts, and whether it is compressed.
        qsizetype textAt = keywordEnd + 1;
        bool compressed = type == "zTXt";
        if (type == "zTXt") {
            textAt += 1; // the compression method
        } else if (type == "iTXt") {
            if (textAt + 2 > data.size())
                return data;
            compressed = data.at(textAt) != 0;
            textAt += 2;
            for (int i = 0; i < 2; ++i) { // language tag, translated keyword
                const qsizetype end = data.indexOf('\0', textAt);
                if (end < 0)
                    return data;
                textAt = end + 1;
            }
        }
        QByteArray text = data.mid(textAt);
        if (compressed)
            text = inflated(text);
        text = rawProfile ? editedRawProfile(text) : editedXmp(text);
        return data.left(textAt) + (compressed ? deflated(text) : text);
    }

    QByteArray editedXmp(QByteArray text)
    {
        m_removed += blankXmpGps(text.data(), text.size());
        return text;
    }

    // ImageMagick's "Raw profile type exif": a name, a length and the bytes
    // in hexadecimal, in lines.
    QByteArray editedRawProfile(const QByteArray& text)
    {
        const QList<QByteArray> lines = text.split('\n');
        if (lines.size() < 4)
            return text;
        QByteArray bytes = QByteArray::fromHex(lines.mid(3).join());
        auto* data = reinterpret_cast<uchar*>(bytes.data());
        const qsizetype skip = ExifTiff::start(bytes);
        const int before = m_removed;
        m_removed += ExifTiff::removeGps(data + skip, bytes.size() - skip) ? 1 : 0;
        m_removed += blankXmpGps(bytes.data(), bytes.size());
        if (m_removed == before)
            return text;
        QByteArray out = lines.mid(0, 3).join('\n') + '\n';
        const QByteArray hex = bytes.toHex();
        for (qsizetype at = 0; at < hex.size(); at += 72)
            out += hex.mid(at, 72) + '\n';
        return out;
    }

    QByteArray inflated(const QByteArray& compressed)
    {
        QByteArray out;
        z_stream stream{};
        if (inflateInit(&stream) != Z_OK)
            throw cantEdit(m_input);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.constData()));
        stream.avail_in = uInt(compressed.size());
        int status = Z_OK;
        char block[16384];
        while (status == Z_OK) {
            stream.next_out = reinterpret_cast<Bytef*>(block);
            stream.avail_out = sizeof block;
            status = inflate(&stream, Z_NO_FLUSH);
            out.append(block, qsizetype(sizeof block - stream.avail_out));
            if (out.size() > metadataLimit)
                status = Z_MEM_ERROR;
        }
        inflateEnd(&stream);
        if (status != Z_STREAM_END)
            throw cantEdit(m_input);
        return out;
    }

    QByteArray deflated(const QByteArray& text)
    {
        uLongf length = compressBound(uLong(text.size()));
        QByteArray out(qsizetype(length), '\0');
        if (compress2(reinterpret_cast<Bytef*>(out.data()), &length,
                      reinterpret_cast<const Bytef*>(text.constData()), uLong(text.size()),
                      Z_BEST_COMPRESSION) != Z_OK)
            throw cantEdit(m_input);
        out.resize(qsizetype(length));
        return out;
    }

    QFile& m_in;
    QFile& m_out;
    const QString& m_input;
    int m_removed = 0;
};

bool isPng(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(4) == QByteArrayLiteral("\x89PNG");
}

} // namespace

int blankXmpGps(char* xmp, qint64 size)
{
    const QByteArrayView all(xmp, size);
    int blanked = 0;
    const auto blank = [&](qsizetype from, qsizetype to) {
        std::memset(xmp + from, ' ', size_t(to - from));
        ++blanked;
    };
    for (qsizetype at = all.indexOf(":GPS"); at >= 0; at = all.indexOf(":GPS", at + 1)) {
        qsizetype name = at;
        while (name > 0 && isNameChar(xmp[name - 1]))
            --name;
        qsizetype nameEnd = at + 1;
        while (nameEnd < size && isNameChar(xmp[nameEnd]))
            ++nameEnd;
        if (name == 0 || name == at)
            continue;
        const char before = xmp[name - 1];
        if (before == '<') { // an element, with its content and closing tag
            const qsizetype close = all.indexOf('>', nameEnd);
            if (close < 0)
                continue;
            if (xmp[close - 1] == '/') {
                blank(name - 1, close + 1);
                continue;
            }
            const QByteArray closing = "</" + all.sliced(name, nameEnd - name).toByteArray() + '>';
            const qsizetype end = all.indexOf(closing, close);
            if (end >= 0)
                blank(name - 1, end + closing.size());
        } else if (before == ' ' || before == '\t' || before == '\n' || before == '\r') {
            // An attribute: name="value" or name='value'.
            qsizetype equals = nameEnd;
            while (equals < size && std::isspace(static_cast<unsigned char>(xmp[equals])))
                ++equals;
            if (equals >= size || xmp[equals] != '=')
                continue;
            qsizetype quote = equals + 1;
            while (quote < size && std::isspace(static_cast<unsigned char>(xmp[quote])))
                ++quote;
            if (quote >= size || (xmp[quote] != '"' && xmp[quote] != '\''))
                continue;
            const qsizetype end = all.indexOf(xmp[quote], quote + 1);
            if (end >= 0)
                blank(name, end + 1);
        }
    }
    return blanked;
}

void remove(const QString& input, const QString& output)
{
    if (isPng(input)) {
        QFile in(input);
        QFile out(output);
        if (!in.open(QIODevice::ReadOnly))
            throw Fail::cantRead(input);
        if (!out.open(QIODevice::WriteOnly))
            throw Fail::cantSave(output);
        PngRewriter(in, out, input).run();
        if (!out.flush())
            throw Fail::cantSave(output);
    } else if (!QFile::copy(input, output)) {
        throw Fail::cantSave(output);
    }
    QFile copy(output);
    if (!copy.open(QIODevice::ReadWrite))
        throw Fail::cantSave(output);
    // PNG chunks are written anew above; other files are edited in place.
    if (!isPng(input))
        removeInPlace(copy, input);
    // Then everything that can hold a location once more: one that is still
    // there is one these edits can't reach.
    if (removeInPlace(copy, input) > 0)
        throw cantEdit(input);
}

} // namespace LocationRemover
