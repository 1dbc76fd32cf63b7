#include "core/ScratchDirectory.h"

#include "base/FileOps.h"
#include "core/Output.h"

ScratchDirectory::ScratchDirectory() : m_path(Output::temporaryDirectory()) {}

ScratchDirectory::~ScratchDirectory()
{
    FileOps::removeQuietly(m_path);
}

QString ScratchDirectory::filePath(const QString& name) const
{
    return m_path + QLatin1Char('/') + name;
}
