#pragma once

#include "core/Unfinished.h"

#include <QString>

// A private "Flingdial-<UUID>" folder in the temporary folder, removed with
// everything in it when the object goes away.
class ScratchDirectory
{
public:
    ScratchDirectory(); // throws SystemError
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const QString& path() const { return m_path; }
    QString filePath(const QString& name) const;

private:
    QString m_path;
    Unfinished::Path m_unfinished{m_path};
};
