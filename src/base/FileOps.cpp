#include "base/FileOps.h"

#include "base/Errors.h"
#include "base/Translate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace FileOps {

FLINGDIAL_TR_CONTEXT(FileOps)

namespace {

fs::path native(const QString& path)
{
    return fs::path(QFile::encodeName(path).toStdString());
}

// `sentence` holds the name as %1 and the system's reason as %2.
SystemError failure(const QString& sentence, const QString& path, const std::error_code& code)
{
    return SystemError(
        sentence.arg(QDir(path).dirName(), QString::fromLocal8Bit(code.message().c_str())));
}

bool isPlain(const fs::file_status& status)
{
    return fs::is_regular_file(status) || fs::is_directory(status) || fs::is_symlink(status);
}

// Copies a folder's plain contents, one entry at a time.
void copyFolder(const fs::path& from, const fs::path& to, std::error_code& error)
{
    fs::create_directory(to, from, error);
    fs::recursive_directory_iterator entries(from, error);
    for (; !error && entries != fs::recursive_directory_iterator(); entries.increment(error)) {
        const fs::file_status status = entries->symlink_status(error);
        if (error)
            return;
        const fs::path target = to / entries->path().lexically_relative(from);
        if (fs::is_symlink(status))
            fs::copy_symlink(entries->path(), target, error);
        else if (fs::is_directory(status))
            fs::create_directory(target, entries->path(), error);
        else if (fs::is_regular_file(status))
            fs::copy_file(entries->path(), target, error);
        if (error)
            return;
    }
}

// What stat says of an input, or a sentence on why it can't be found.
struct stat statusOf(const QString& path)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) == 0)
        return status;
    const QString name = QFileInfo(path).fileName();
    // Names are Unicode here: bytes that aren't UTF-8 were replaced on the
    // way in and can't be found again.
    if (name.contains(QChar::ReplacementCharacter))
        throw Fail(tr("The name of “%1” isn’t valid UTF-8, which Flingdial can’t "
                      "handle. Rename the file and try again.")
                       .arg(name));
    if (path.contains(QChar::ReplacementCharacter))
        throw Fail(tr("%1 is in a folder whose name isn’t valid UTF-8, which "
                      "Flingdial can’t handle. Rename the folder and try again.")
                       .arg(name));
    throw Fail(tr("%1 doesn’t exist.").arg(name));
}

} // namespace

void copy(const QString& from, const QString& to)
{
    std::error_code error;
    const fs::path source = native(from);
    const fs::file_status status = fs::symlink_status(source, error);
    if (fs::is_symlink(status))
        fs::copy_symlink(source, native(to), error);
    else if (fs::is_directory(status))
        copyFolder(source, native(to), error);
    else if (!error)
        fs::copy_file(source, native(to), error);
    if (error)
        throw failure(tr("“%1” couldn’t be copied: %2."), from, error);
}

QList<QByteArray> plainTree(const QString& parent, const QStringList& names,
                            const std::function<bool(const QString& name)>& skip)
{
    QList<QByteArray> tree;
    const fs::path base = native(parent);
    for (const QString& name : names) {
        std::error_code error;
        const fs::path top = base / native(name);
        const fs::file_status status = fs::symlink_status(top, error);
        if (!isPlain(status) || (skip && skip(name)))
            continue;
        tree.append(QFile::encodeName(name));
        if (!fs::is_directory(status))
            continue;
        fs::recursive_directory_iterator entries(top, error);
        for (; !error && entries != fs::recursive_directory_iterator(); entries.increment(error)) {
            const QString entryName = QFile::decodeName(entries->path().filename().c_str());
            if (!isPlain(entries->symlink_status(error)) || (skip && skip(entryName))) {
                entries.disable_recursion_pending();
                continue;
            }
            tree.append(QFile::encodeName(name) + '/' +
                        QByteArray(entries->path().lexically_relative(top).c_str()));
        }
        if (error)
            throw failure(tr("“%1” couldn’t be read: %2."), parent + QLatin1Char('/') + name,
                          error);
    }
    return tree;
}

void move(const QString& from, const QString& to)
{
    std::error_code error;
    if (fs::exists(fs::symlink_status(native(to), error)))
        throw failure(tr("“%1” couldn’t be moved: %2."), from,
                      std::make_error_code(std::errc::file_exists));
    fs::rename(native(from), native(to), error);
    if (error == std::errc::cross_device_link) {
        copy(from, to);
        fs::remove_all(native(from), error);
    }
    if (error)
        throw failure(tr("“%1” couldn’t be moved: %2."), from, error);
}

void requireRegularFile(const QString& path)
{
    const mode_t mode = statusOf(path).st_mode;
    if (S_ISDIR(mode))
        throw Fail(tr("%1 is a folder, not a file.").arg(QFileInfo(path).fileName()));
    if (!S_ISREG(mode))
        throw Fail(tr("%1 isn’t a regular file.").arg(QFileInfo(path).fileName()));
}

void requireFileOrFolder(const QString& path)
{
    const mode_t mode = statusOf(path).st_mode;
    if (!S_ISREG(mode) && !S_ISDIR(mode))
        throw Fail(tr("%1 isn’t a regular file.").arg(QFileInfo(path).fileName()));
}

QByteArray readInput(const QString& path, qint64 limit)
{
    const QString name = QFileInfo(path).fileName();
    requireRegularFile(path);
    if (QFileInfo(path).size() > limit)
        throw Fail(tr("%1 is too large to open.").arg(name));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SystemError(tr("“%1” couldn’t be read: %2.").arg(name, file.errorString()));
    // Read no more than the limit, should the file grow meanwhile.
    QByteArray data = file.read(limit + 1);
    if (data.size() > limit)
        throw Fail(tr("%1 is too large to open.").arg(name));
    if (file.error() != QFileDevice::NoError)
        throw SystemError(tr("“%1” couldn’t be read: %2.").arg(name, file.errorString()));
    return data;
}

void remove(const QString& path)
{
    std::error_code error;
    fs::remove_all(native(path), error);
    if (error)
        throw failure(tr("“%1” couldn’t be removed: %2."), path, error);
}

void removeQuietly(const QString& path)
{
    std::error_code ignored;
    fs::remove_all(native(path), ignored);
}

QStringList entryNames(const QString& folder)
{
    const QDir dir(folder);
    if (!dir.exists())
        throw SystemError(tr("The folder “%1” doesn’t exist.").arg(dir.dirName()));
    return dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDir::Name);
}

} // namespace FileOps
