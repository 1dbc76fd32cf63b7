#include "engines/images/JxlContainer.h"

#include <QBuffer>
#include <QtEndian>

namespace JxlContainer {

namespace {

const QByteArray signature = QByteArrayLiteral("\0\0\0\x0cJXL \x0d\x0a\x87\x0a");
const QByteArray fileType = QByteArrayLiteral("\0\0\0\x14"
                                              "ftypjxl \0\0\0\0jxl ");

// Metadata boxes are small; anything larger is not read into memory.
constexpr qint64 metadataLimit = 64 << 20;

QByteArray box(const char* type, const QByteArray& payload)
{
    QByteArray bytes(8, '\0');
    const qint64 size = payload.size() + 8;
    if (size > 0xffffffffLL) {
        bytes.resize(16);
        qToBigEndian<quint32>(1, bytes.data());
        qToBigEndian<quint64>(quint64(size + 8), bytes.data() + 8);
    } else {
        qToBigEndian<quint32>(quint32(size), bytes.data());
    }
    bytes.replace(4, 4, type);
    return bytes + payload;
}

QByteArray read(QIODevice& file, const Box& found)
{
    if (found.length > metadataLimit || !file.seek(found.payload))
        return {};
    return file.read(found.length);
}

} // namespace

bool isContainer(const QByteArray& head)
{
    return head.startsWith(signature);
}

QList<Box> boxes(QIODevice& file)
{
    QList<Box> list;
    const qint64 size = file.size();
    if (!file.seek(0) || !isContainer(file.peek(signature.size())))
        return {};
    qint64 at = 0;
    while (at + 8 <= size) {
        if (!file.seek(at))
            return {};
        const QByteArray head = file.read(16);
        if (head.size() < 8)
            return {};
        qint64 length = qFromBigEndian<quint32>(head.constData());
        qint64 headLength = 8;
        if (length == 1) {
            if (head.size() < 16)
                return {};
            length = qint64(qFromBigEndian<quint64>(head.constData() + 8));
            headLength = 16;
        } else if (length == 0) {
            length = size - at;
        }
        if (length < headLength || length > size - at)
            return {};
        list.append(Box{head.mid(4, 4), at + headLength, length - headLength});
        at += length;
    }
    return list;
}

QByteArray withMetadata(const QByteArray& codestream, const QByteArray& exif, const QByteArray& xmp)
{
    QByteArray metadata;
    if (!exif.isEmpty())
        metadata += box("Exif", QByteArray(4, '\0') + exif); // the TIFF header at offset 0
    if (!xmp.isEmpty())
        metadata += box("xml ", xmp);
    if (!isContainer(codestream))
        return signature + fileType + metadata + box("jxlc", codestream);

    // A container already: its own boxes follow the metadata, without any
    // metadata of its own.
    QByteArray source = codestream;
    QBuffer buffer(&source);
    buffer.open(QIODevice::ReadOnly);
    QByteArray out;
    for (const Box& found : boxes(buffer)) {
        if (found.type == "Exif" || found.type == "xml ")
            continue;
        if (found.type == "jxlc" || found.type == "jxlp" || found.type == "jbrd") {
            out += metadata;
            metadata.clear();
        }
        out += box(found.type.constData(), codestream.mid(found.payload, found.length));
    }
    return out + metadata;
}

Metadata metadata(QIODevice& file)
{
    Metadata found;
    for (const Box& each : boxes(file)) {
        if (each.type == "Exif" && found.exif.isEmpty()) {
            const QByteArray payload = read(file, each);
            if (payload.size() >= 4) {
                const quint32 offset = qFromBigEndian<quint32>(payload.constData());
                if (offset <= quint32(payload.size() - 4))
                    found.exif = payload.mid(4 + qsizetype(offset));
            }
        } else if (each.type == "xml " && found.xmp.isEmpty()) {
            found.xmp = read(file, each);
        }
    }
    return found;
}

} // namespace JxlContainer
