#include "support/wayland/SessionUser.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace SessionUser {

namespace {

constexpr char accountName[] = "flingdial-test";

struct Ids
{
    uid_t uid = 0;
    gid_t gid = 0;
};

// The account's ids, looked up once it exists.
std::optional<Ids> lookUp()
{
    if (const passwd* entry = ::getpwnam(accountName))
        return Ids{entry->pw_uid, entry->pw_gid};
    return std::nullopt;
}

Ids ids()
{
    if (!switches())
        return {::geteuid(), ::getegid()};
    static std::optional<Ids> found;
    if (!found)
        found = lookUp();
    return found.value_or(Ids{});
}

// Whether the account may search (enter) `folder`, by its mode bits.
bool maySearch(const QString& folder)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0)
        return true; // nothing to grant on a folder that isn't there
    if (info.st_uid == uid())
        return info.st_mode & S_IXUSR;
    if (info.st_gid == gid())
        return info.st_mode & S_IXGRP;
    return info.st_mode & S_IXOTH;
}

} // namespace

bool switches()
{
    return ::geteuid() == 0;
}

QString name()
{
    if (switches())
        return QString::fromLatin1(accountName);
    const passwd* entry = ::getpwuid(::geteuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(::geteuid());
}

uid_t uid()
{
    return ids().uid;
}

gid_t gid()
{
    return ids().gid;
}

QString ensure()
{
    if (!switches() || lookUp())
        return {};
    const QString useradd =
        QStandardPaths::findExecutable(u"useradd"_s, {u"/usr/sbin"_s, u"/sbin"_s});
    if (useradd.isEmpty())
        return u"useradd is missing (package passwd), so no test user can be made"_s;
    QProcess process;
    process.start(useradd,
                  {u"--system"_s, u"--user-group"_s, u"--no-create-home"_s, u"--home-dir"_s,
                   u"/nonexistent"_s, u"--shell"_s, u"/usr/sbin/nologin"_s, u"--comment"_s,
                   u"Flingdial tests"_s, QString::fromLatin1(accountName)});
    process.waitForFinished(30000);
    if (lookUp()) // also when a test running beside us made it first
        return {};
    return u"could not make the test user %1: %2"_s.arg(
        QString::fromLatin1(accountName),
        QString::fromLocal8Bit(process.readAllStandardError()).trimmed());
}

void prepare(QProcess& process)
{
    const bool change = switches();
    const Ids account = ids();
    process.setChildProcessModifier([change, account] {
        if (change && (::setgroups(0, nullptr) != 0 || ::setgid(account.gid) != 0 ||
                       ::setuid(account.uid) != 0))
            ::_exit(126);
        // After the change of user, which clears it.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    });
}

void handOver(const QString& path)
{
    if (!switches())
        return;
    const Ids account = ids();
    const auto give = [account](const QString& file) {
        ::lchown(QFile::encodeName(file).constData(), account.uid, account.gid);
    };
    give(path);
    QDirIterator entries(path,
                         QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (entries.hasNext())
        give(entries.next());
}

QString grantAccess(const QStringList& paths)
{
    if (!switches())
        return {};
    const QString setfacl = QStandardPaths::findExecutable(u"setfacl"_s);
    for (const QString& path : paths) {
        QString folder = QFileInfo(path).absoluteFilePath();
        QStringList onTheWay;
        for (; !folder.isEmpty() && folder != u"/"_s; folder = QFileInfo(folder).path())
            onTheWay.prepend(folder);
        for (const QString& step : std::as_const(onTheWay)) {
            if (maySearch(step) || !QFileInfo(step).isDir())
                continue;
            if (setfacl.isEmpty())
                return u"%1 cannot enter %2, and setfacl (package acl) is missing"_s.arg(name(),
                                                                                         step);
            QProcess::execute(setfacl, {u"-m"_s, u"u:%1:x"_s.arg(name()), step});
        }
    }
    // What counts is what the account itself can do.
    QProcess check;
    prepare(check);
    check.start(
        u"/bin/sh"_s,
        QStringList{u"-c"_s,
                    u"for p; do if [ -d \"$p\" ]; then test -x \"$p\"; else test -r \"$p\"; fi "
                    "|| { echo \"$p\"; exit 1; }; done"_s,
                    u"sh"_s} +
            paths);
    check.waitForFinished(10000);
    const QString unreadable = QString::fromLocal8Bit(check.readAllStandardOutput()).trimmed();
    if (check.exitCode() == 0 && check.exitStatus() == QProcess::NormalExit)
        return {};
    return u"%1 cannot reach %2"_s.arg(name(),
                                       unreadable.isEmpty() ? paths.join(u", "_s) : unreadable);
}

} // namespace SessionUser
