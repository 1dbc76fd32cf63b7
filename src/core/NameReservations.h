#pragma once

#include <QMutex>
#include <QSet>
#include <QString>
#include <QStringList>

// Output names handed out in this process but perhaps not written yet.
// Choosing a free name and writing it are separate steps; a claimed name
// is never handed out twice, so concurrent operations can't pick the same
// result file.
class NameReservations
{
public:
    static NameReservations& shared();

    // Claims the path unless it is claimed already.
    bool tryClaim(const QString& path);
    bool isClaimed(const QString& path) const;
    void release(const QStringList& paths);

    // While a Scope lives, names claimed on its thread are released when
    // it ends (the operation that used them has finished by then). Names
    // claimed outside any scope stay claimed for the life of the process.
    class Scope
    {
    public:
        Scope();
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        friend class NameReservations;
        Scope* m_outer;
        QStringList m_claimed;
    };

private:
    NameReservations() = default;

    mutable QMutex m_mutex;
    QSet<QString> m_claimed;
};
