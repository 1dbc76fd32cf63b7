#include "core/Unfinished.h"

#include "base/FileOps.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace Unfinished {

namespace {

struct Registry
{
    QMutex mutex;
    quint64 next = 0;
    QHash<quint64, QString> paths;
    QHash<quint64, qint64> groups;
};

Registry& registry()
{
    static Registry shared;
    return shared;
}

quint64 add(const std::function<void(Registry&, quint64)>& insert)
{
    Registry& r = registry();
    const QMutexLocker lock(&r.mutex);
    const quint64 id = ++r.next;
    insert(r, id);
    return id;
}

} // namespace

Path::Path(QString path)
    : m_id(add([&](Registry& r, quint64 id) { r.paths.insert(id, std::move(path)); }))
{}

Path::~Path()
{
    Registry& r = registry();
    const QMutexLocker lock(&r.mutex);
    r.paths.remove(m_id);
}

void Path::release(const std::function<void()>& settle)
{
    Registry& r = registry();
    const QMutexLocker lock(&r.mutex);
    settle();
    r.paths.remove(m_id);
}

ProcessGroup::ProcessGroup(qint64 group)
    : m_id(add([&](Registry& r, quint64 id) { r.groups.insert(id, group); }))
{}

ProcessGroup::~ProcessGroup()
{
    Registry& r = registry();
    const QMutexLocker lock(&r.mutex);
    r.groups.remove(m_id);
}

void abandonAndExit(int status)
{
    Registry& r = registry();
    // Held until the end: whatever settles next waits for the exit.
    r.mutex.lock();
    for (const qint64 group : std::as_const(r.groups))
        if (group > 0)
            ::kill(pid_t(-group), SIGKILL);
    for (const QString& path : std::as_const(r.paths)) {
        // Moved aside first: work still writing into a folder by name can't
        // refill it while it is being removed.
        const QString aside = path + QStringLiteral(".abandoned");
        const bool moved = ::rename(QFile::encodeName(path).constData(),
                                    QFile::encodeName(aside).constData()) == 0;
        FileOps::removeQuietly(moved ? aside : path);
    }
    ::_exit(status);
}

} // namespace Unfinished
