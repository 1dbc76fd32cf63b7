#include "base/ZipWriter.h"

#include "base/Errors.h"

#include <QFileInfo>
#include <limits>
#include <zlib.h>

namespace {

constexpr quint64 zip32Limit = std::numeric_limits<quint32>::max();
// 1 January 1980, the earliest time a ZIP entry can carry: results are the
// same bytes every time for the same content.
constexpr quint16 dosDate = (0 << 9) | (1 << 5) | 1;
constexpr quint16 dosTime = 0;

void put16(QByteArray& out, quint16 value)
{
    out.append(char(value & 0xff)).append(char(value >> 8));
}

void put32(QByteArray& out, quint32 value)
{
    put16(out, quint16(value & 0xffff));
    put16(out, quint16(value >> 16));
}

} // namespace

struct ZipWriter::Deflater
{
    z_stream stream{};

    explicit Deflater(int level)
    {
        // Raw deflate: the ZIP headers carry what zlib's wrapper would.
        if (deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            throw std::bad_alloc();
    }
    ~Deflater() { deflateEnd(&stream); }
};

ZipWriter::ZipWriter(const QString& path) : m_path(path), m_file(path)
{
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        fail();
}

ZipWriter::~ZipWriter() = default;

void ZipWriter::fail() const
{
    throw SystemError(tr("“%1” couldn’t be written: %2.")
                          .arg(QFileInfo(m_path).fileName(), m_file.errorString()));
}

void ZipWriter::writeRaw(const char* data, qint64 size)
{
    if (m_file.write(data, size) != size)
        fail();
}

void ZipWriter::writeLocalHeader(const Entry& entry)
{
    QByteArray header;
    put32(header, 0x04034b50);
    put16(header, 20);      // version needed: 2.0
    put16(header, 1 << 11); // names are UTF-8
    put16(header, entry.method);
    put16(header, dosTime);
    put16(header, dosDate);
    put32(header, entry.crc);
    put32(header, quint32(entry.compressedSize));
    put32(header, quint32(entry.size));
    put16(header, quint16(entry.name.size()));
    put16(header, 0); // no extra field
    header.append(entry.name);
    writeRaw(header.constData(), header.size());
}

void ZipWriter::add(const QString& name, const QByteArray& data, Method method)
{
    begin(name, method);
    write(data);
    end();
}

void ZipWriter::addFolder(const QString& name)
{
    add(name.endsWith(QLatin1Char('/')) ? name : name + QLatin1Char('/'), {}, Method::stored);
}

void ZipWriter::begin(const QString& name, Method method)
{
    Q_ASSERT(!m_open);
    Entry entry;
    entry.name = name.toUtf8();
    entry.method = method == Method::stored ? 0 : 8;
    entry.crc = quint32(crc32(0, nullptr, 0));
    entry.offset = quint64(m_file.pos());
    if (entry.offset > zip32Limit)
        throw Fail(tr("%1 would be too large.").arg(QFileInfo(m_path).fileName()));
    m_entries.append(entry);
    writeLocalHeader(entry); // sizes and checksum follow in end()
    if (method != Method::stored)
        m_deflater = std::make_unique<Deflater>(
            method == Method::deflatedFast ? Z_BEST_SPEED : Z_DEFAULT_COMPRESSION);
    m_open = true;
}

void ZipWriter::write(const QByteArray& data)
{
    write(data.constData(), data.size());
}

void ZipWriter::write(const char* data, qint64 size)
{
    Entry& entry = m_entries.last();
    qint64 done = 0;
    while (done < size) {
        // zlib counts in 32 bits.
        const uInt piece = uInt(std::min<qint64>(size - done, 1 << 30));
        const auto* bytes = reinterpret_cast<const Bytef*>(data + done);
        entry.crc = quint32(crc32(entry.crc, bytes, piece));
        entry.size += piece;
        if (!m_deflater) {
            writeRaw(data + done, piece);
            entry.compressedSize += piece;
        } else {
            m_deflater->stream.next_in = const_cast<Bytef*>(bytes);
            m_deflater->stream.avail_in = piece;
            deflateInto(entry, Z_NO_FLUSH);
        }
        done += piece;
    }
}

// Deflates what waits in the stream and writes it out; with Z_FINISH until
// the stream has ended.
void ZipWriter::deflateInto(Entry& entry, int flush)
{
    z_stream& stream = m_deflater->stream;
    char out[64 * 1024];
    int status = Z_OK;
    do {
        stream.next_out = reinterpret_cast<Bytef*>(out);
        stream.avail_out = sizeof out;
        status = deflate(&stream, flush);
        const qint64 produced = qint64(sizeof out) - stream.avail_out;
        writeRaw(out, produced);
        entry.compressedSize += quint64(produced);
    } while (flush == Z_FINISH ? status != Z_STREAM_END : stream.avail_in > 0);
}

void ZipWriter::end()
{
    Entry& entry = m_entries.last();
    if (m_deflater) {
        m_deflater->stream.next_in = nullptr;
        m_deflater->stream.avail_in = 0;
        deflateInto(entry, Z_FINISH);
        m_deflater.reset();
    }
    m_open = false;
    if (entry.size > zip32Limit || entry.compressedSize > zip32Limit)
        throw Fail(tr("%1 would be too large.").arg(QFileInfo(m_path).fileName()));
    const qint64 resume = m_file.pos();
    if (!m_file.seek(qint64(entry.offset)))
        fail();
    writeLocalHeader(entry);
    if (!m_file.seek(resume))
        fail();
}

void ZipWriter::finish()
{
    Q_ASSERT(!m_open);
    const quint64 directoryOffset = quint64(m_file.pos());
    QByteArray directory;
    for (const Entry& entry : std::as_const(m_entries)) {
        put32(directory, 0x02014b50);
        put16(directory, (3 << 8) | 20); // made by Unix, version 2.0
        put16(directory, 20);
        put16(directory, 1 << 11);
        put16(directory, entry.method);
        put16(directory, dosTime);
        put16(directory, dosDate);
        put32(directory, entry.crc);
        put32(directory, quint32(entry.compressedSize));
        put32(directory, quint32(entry.size));
        put16(directory, quint16(entry.name.size()));
        put16(directory, 0); // extra field
        put16(directory, 0); // comment
        put16(directory, 0); // disk
        put16(directory, 0); // internal attributes
        const bool folder = entry.name.endsWith('/');
        // Unix permissions in the high half: rw-r--r-- files, rwxr-xr-x folders.
        put32(directory, quint32(folder ? (040755u << 16) | 0x10 : 0100644u << 16));
        put32(directory, quint32(entry.offset));
        directory.append(entry.name);
    }
    if (m_entries.size() > 0xffff || directoryOffset > zip32Limit)
        throw Fail(tr("%1 would be too large.").arg(QFileInfo(m_path).fileName()));
    const quint32 directorySize = quint32(directory.size());
    put32(directory, 0x06054b50);
    put16(directory, 0);
    put16(directory, 0);
    put16(directory, quint16(m_entries.size()));
    put16(directory, quint16(m_entries.size()));
    put32(directory, directorySize);
    put32(directory, quint32(directoryOffset));
    put16(directory, 0);
    writeRaw(directory.constData(), directory.size());
    if (!m_file.flush())
        fail();
    m_file.close();
    if (m_file.error() != QFileDevice::NoError)
        fail();
}
