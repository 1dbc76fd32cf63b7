#pragma once

#include <QStringList>

// The desktop's file manager.
class FileManager
{
public:
    virtual ~FileManager() = default;

    // Shows the files selected in the file manager, or opens their folder.
    virtual void reveal(const QStringList& paths) = 0;
};
