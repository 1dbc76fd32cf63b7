#include "core/NameReservations.h"

#include <QMutexLocker>

namespace {
thread_local NameReservations::Scope* t_currentScope = nullptr;
}

NameReservations& NameReservations::shared()
{
    static NameReservations instance;
    return instance;
}

bool NameReservations::tryClaim(const QString& path)
{
    QMutexLocker lock(&m_mutex);
    if (m_claimed.contains(path))
        return false;
    m_claimed.insert(path);
    if (t_currentScope)
        t_currentScope->m_claimed.append(path);
    return true;
}

bool NameReservations::isClaimed(const QString& path) const
{
    QMutexLocker lock(&m_mutex);
    return m_claimed.contains(path);
}

void NameReservations::release(const QStringList& paths)
{
    QMutexLocker lock(&m_mutex);
    for (const QString& path : paths)
        m_claimed.remove(path);
}

NameReservations::Scope::Scope() : m_outer(t_currentScope)
{
    t_currentScope = this;
}

NameReservations::Scope::~Scope()
{
    Q_ASSERT(t_currentScope == this);
    t_currentScope = m_outer;
    NameReservations::shared().release(m_claimed);
}
