#pragma once

#include "core/Unfinished.h"

#include <QString>
#include <functional>
#include <optional>

// One result while it is being made. The writer writes at path(), a hidden
// name in the destination folder that keeps the result's extension and
// holds nothing a child program could read as a pattern. commit() moves it
// to the wanted name, or the next free one ("name 2.ext", …), without ever
// replacing anything, also against other processes; until then no reader
// sees a half-made result under its final name. A result that is never
// committed is removed, file or folder, when the guard goes away.
class ResultGuard
{
public:
    // `wanted` is the location the result should have; nothing is created yet.
    // Throws SystemError when its folder can't take a new file.
    explicit ResultGuard(QString wanted);
    ~ResultGuard();
    ResultGuard(const ResultGuard&) = delete;
    ResultGuard& operator=(const ResultGuard&) = delete;

    // Where to write the result.
    const QString& path() const { return m_path; }
    const QString& wanted() const { return m_wanted; }

    // Makes path() an empty folder, for results that are folders. Throws SystemError.
    void makeDirectory() const;

    // Moves the result into place and returns its final location. Throws
    // SystemError when there is nothing to move or the move fails.
    QString commit();

    // Has `write` make the result at a guarded location, then commits it;
    // a failure leaves nothing behind.
    static QString make(const QString& wanted,
                        const std::function<void(const QString& path)>& write);

    // Moves `from` to `wanted`, or to the next free name, never replacing
    // anything (also against other processes). Returns the name taken, or
    // nothing when `wanted` is on another file system. Throws SystemError.
    static std::optional<QString> moveWithoutReplacing(const QString& from, const QString& wanted);

    // A message about the result with the hidden name replaced by the wanted one.
    QString inUserTerms(QString message) const;

private:
    QString m_wanted;
    QString m_path;
    Unfinished::Path m_unfinished{m_path};
    bool m_committed = false;
};
