#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <sys/types.h>

// The account a test's Wayland session runs under. As a normal user that
// is the user itself; as root (CI) it is an unprivileged account made for
// the tests, because sway refuses to run as root and a session should not
// run with more rights than a desktop user has.
namespace SessionUser {

// Whether session processes change to the test account (we run as root).
bool switches();
// The account's name, uid and gid.
QString name();
uid_t uid();
gid_t gid();

// Makes the test account when it is missing. Empty on success, else why not.
QString ensure();

// Makes `process` start as the account, and end with SIGTERM when the test
// process dies first. Call before QProcess::start.
void prepare(QProcess& process);

// Gives `path` (and, for a folder, everything in it) to the account.
void handOver(const QString& path);

// Lets the account reach each of `paths`: folders on the way that it may not
// search get an ACL entry allowing it to, and no more. Empty on success,
// else which path it still cannot reach.
QString grantAccess(const QStringList& paths);

} // namespace SessionUser
