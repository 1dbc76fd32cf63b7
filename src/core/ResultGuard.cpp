#include "core/ResultGuard.h"

#include "base/Errors.h"
#include "base/FileOps.h"
#include "core/Job.h"
#include "core/NameReservations.h"
#include "core/Output.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString hiddenTwin(const QString& wanted)
{
    const QFileInfo info(wanted);
    const QString suffix = Output::splitName(info.fileName()).second;
    const QString token = QUuid::createUuid().toString(QUuid::Id128).left(12);
    return info.path() + QStringLiteral("/.flingdial-") + token + suffix;
}

QString systemWords(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

SystemError cantSave(const QString& wanted, int error)
{
    return SystemError(QCoreApplication::translate("ResultGuard", "“%1” couldn’t be saved: %2.")
                           .arg(QFileInfo(wanted).fileName(), systemWords(error)));
}

// Each returns 0 once the result is in place, else the error number:
// EEXIST when the name is taken.
int renameWithoutReplacing(const QByteArray& from, const QByteArray& to)
{
    return ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0
               ? 0
               : errno;
}

// For file systems without RENAME_NOREPLACE: a hard link fails when the
// name is taken; a folder claims its name with mkdir, then replaces that
// empty folder.
int linkWithoutReplacing(const QByteArray& from, const QByteArray& to)
{
    struct stat status
    {
    };
    if (::lstat(from.constData(), &status) != 0)
        return errno;
    if (!S_ISDIR(status.st_mode)) {
        if (::link(from.constData(), to.constData()) != 0)
            return errno;
        ::unlink(from.constData());
        return 0;
    }
    if (::mkdir(to.constData(), 0700) != 0)
        return errno;
    if (::rename(from.constData(), to.constData()) != 0) {
        const int error = errno;
        ::rmdir(to.constData());
        return error;
    }
    return 0;
}

bool isUnsupported(int error)
{
    return error == EINVAL || error == ENOSYS || error == ENOTSUP;
}

} // namespace

ResultGuard::ResultGuard(QString wanted)
    : m_wanted(QDir::cleanPath(wanted)), m_path(hiddenTwin(m_wanted))
{
    // A folder that can't take a new file (a read-only disk, missing
    // rights) fails before any work, in words about the result rather than
    // a child program's about a name the user never chose.
    const QByteArray folder = QFile::encodeName(QFileInfo(m_wanted).absolutePath());
    if (::access(folder.constData(), W_OK | X_OK) != 0)
        throw cantSave(m_wanted, errno);
}

ResultGuard::~ResultGuard()
{
    if (!m_committed)
        FileOps::removeQuietly(m_path);
}

void ResultGuard::makeDirectory() const
{
    if (!QDir().mkdir(m_path))
        throw SystemError(
            QCoreApplication::translate("ResultGuard", "The folder “%1” couldn’t be created.")
                .arg(QFileInfo(m_wanted).fileName()));
}

QString ResultGuard::commit()
{
    // Work that finished after the user cancelled it leaves nothing.
    Job::throwIfCancelled();
    std::optional<QString> placed;
    m_unfinished.release([&] {
        placed = moveWithoutReplacing(m_path, m_wanted);
        if (!placed)
            throw cantSave(m_wanted, EXDEV);
    });
    m_committed = true;
    return *placed;
}

std::optional<QString> ResultGuard::moveWithoutReplacing(const QString& from, const QString& wanted)
{
    const QByteArray source = QFile::encodeName(from);
    bool canRename = true;
    for (qint64 n = 1;; ++n) {
        const QString candidate = Output::numbered(wanted, n);
        if (NameReservations::shared().isClaimed(candidate))
            continue;
        const QByteArray to = QFile::encodeName(candidate);
        int error = canRename ? renameWithoutReplacing(source, to) : ENOSYS;
        if (isUnsupported(error)) {
            canRename = false;
            error = linkWithoutReplacing(source, to);
        }
        if (error == 0)
            return candidate;
        if (error == EXDEV)
            return std::nullopt;
        if (error != EEXIST)
            throw cantSave(wanted, error);
    }
}

QString ResultGuard::make(const QString& wanted,
                          const std::function<void(const QString& path)>& write)
{
    ResultGuard guard(wanted);
    try {
        write(guard.path());
    } catch (const Fail& failure) {
        throw Fail(guard.inUserTerms(failure.message()));
    } catch (const SystemError& failure) {
        throw SystemError(guard.inUserTerms(failure.description()));
    }
    return guard.commit();
}

QString ResultGuard::inUserTerms(QString message) const
{
    // The hidden name means nothing to the user: name the result instead.
    message.replace(m_path, m_wanted);
    message.replace(QFileInfo(m_path).fileName(), QFileInfo(m_wanted).fileName());
    return message;
}
