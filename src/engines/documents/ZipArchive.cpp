#include "engines/documents/ZipArchive.h"

#include "base/Errors.h"
#include "base/Translate.h"

#include <QFile>
#include <QFileInfo>
#include <archive.h>
#include <archive_entry.h>
#include <memory>

namespace {

FLINGDIAL_TR_CONTEXT(ZipArchive)

struct ArchiveCloser
{
    void operator()(archive* handle) const { archive_read_free(handle); }
};

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

Fail tooLarge(const QString& path)
{
    return Fail(QCoreApplication::translate("ZipArchive", "%1 holds more than can be opened.")
                    .arg(fileName(path)));
}

Fail unreadable(const QString& path)
{
    return Fail(QCoreApplication::translate("ZipArchive", "%1 is damaged or isn’t a ZIP container.")
                    .arg(fileName(path)));
}

// A part the reader can do without: left out when it is too large.
void readOptional(archive* reader, archive_entry* entry, const QString& path, const QString& name,
                  qint64& total, QHash<QString, QByteArray>& parts)
{
    constexpr qint64 limit = ZipArchive::partLimit;
    if (archive_entry_size_is_set(entry) &&
        (archive_entry_size(entry) > limit || total + archive_entry_size(entry) > 4 * limit))
        return;
    QByteArray data;
    char buffer[64 * 1024];
    for (;;) {
        const la_ssize_t got = archive_read_data(reader, buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0)
            throw unreadable(path);
        if (data.size() + got > limit || total + data.size() + got > 4 * limit)
            return;
        data.append(buffer, got);
    }
    total += data.size();
    parts.insert(name, data);
}

} // namespace

ZipArchive ZipArchive::open(const QString& path, const Filter& wanted, const Filter& optional)
{
    std::unique_ptr<archive, ArchiveCloser> reader(archive_read_new());
    archive_read_support_format_zip(reader.get());
    const QByteArray name = QFile::encodeName(path);
    if (archive_read_open_filename(reader.get(), name.constData(), 64 * 1024) != ARCHIVE_OK)
        throw unreadable(path);

    ZipArchive result;
    qint64 total = 0;
    qint64 optionalTotal = 0;
    archive_entry* entry = nullptr;
    for (;;) {
        const int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF)
            break;
        if (status < ARCHIVE_WARN)
            throw unreadable(path);
        const char* rawName = archive_entry_pathname_utf8(entry);
        if (!rawName)
            rawName = archive_entry_pathname(entry);
        const QString name = QString::fromUtf8(rawName ? rawName : "");
        result.m_names.append(name);
        if (archive_entry_filetype(entry) != AE_IFREG)
            continue;
        if (!wanted(name)) {
            if (optional && optional(name))
                readOptional(reader.get(), entry, path, name, optionalTotal, result.m_parts);
            continue;
        }
        if (archive_entry_size_is_set(entry) && archive_entry_size(entry) > partLimit)
            throw tooLarge(path);
        QByteArray data;
        char buffer[64 * 1024];
        for (;;) {
            const la_ssize_t got = archive_read_data(reader.get(), buffer, sizeof buffer);
            if (got == 0)
                break;
            if (got < 0)
                throw unreadable(path);
            // The size in the header may lie; what comes out is counted.
            total += got;
            if (data.size() + got > partLimit || total > 4 * partLimit)
                throw tooLarge(path);
            data.append(buffer, got);
        }
        result.m_parts.insert(name, data);
    }
    return result;
}

std::optional<QByteArray> ZipArchive::part(const QString& name) const
{
    const auto found = m_parts.constFind(name);
    if (found == m_parts.constEnd())
        return std::nullopt;
    return *found;
}
