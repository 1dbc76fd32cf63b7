#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QList>
#include <QString>
#include <memory>

// Writes a ZIP file entry by entry, in the order given: stored or deflated
// entries, folder entries, no extra fields and no data descriptors, as
// EPUB, OpenDocument and Office Open XML readers expect. An entry's data
// may be written in pieces, so a large entry never has to be in memory
// whole. Every write is checked; failures throw SystemError naming `path`.
class ZipWriter
{
    Q_DECLARE_TR_FUNCTIONS(ZipWriter)

public:
    // Fast deflate suits large, repetitive parts (a worksheet): it takes a
    // quarter of the time for a slightly larger file.
    enum class Method { stored, deflated, deflatedFast };

    // Creates the file; it must not exist yet.
    explicit ZipWriter(const QString& path);
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // A whole entry at once.
    void add(const QString& name, const QByteArray& data, Method method = Method::deflated);
    // A folder entry ("META-INF/").
    void addFolder(const QString& name);

    // An entry written in pieces: begin, write as often as needed, end.
    void begin(const QString& name, Method method = Method::deflated);
    void write(const QByteArray& data);
    void write(const char* data, qint64 size);
    void end();

    // Writes the central directory and closes the file, checking the close.
    void finish();

private:
    struct Entry
    {
        QByteArray name;
        quint16 method = 0;
        quint32 crc = 0;
        quint64 compressedSize = 0;
        quint64 size = 0;
        quint64 offset = 0;
    };
    struct Deflater;

    void writeRaw(const char* data, qint64 size);
    void deflateInto(Entry& entry, int flush);
    void writeLocalHeader(const Entry& entry);
    [[noreturn]] void fail() const;

    QString m_path;
    QFile m_file;
    QList<Entry> m_entries;
    std::unique_ptr<Deflater> m_deflater;
    bool m_open = false;
};
