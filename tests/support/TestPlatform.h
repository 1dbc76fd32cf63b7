#pragma once

#include "platform/FileManager.h"
#include "platform/x11/X11Platform.h"

#include <QList>
#include <QStringList>

// The X11 backend with the desktop's file manager and sound replaced by
// records the test can read.
class TestPlatform : public X11Platform
{
public:
    QString name() const override { return QStringLiteral("test"); }
    FileManager* fileManager() override { return &m_files; }
    void playCompletionSound() override { ++m_sounds; }

    const QList<QStringList>& revealed() const { return m_files.revealed; }
    int sounds() const { return m_sounds; }

    // Installs a fresh one as the process's backend and returns it.
    static TestPlatform& install();

private:
    struct RecordingFileManager : FileManager
    {
        void reveal(const QStringList& paths) override { revealed.append(paths); }
        QList<QStringList> revealed;
    };

    RecordingFileManager m_files;
    int m_sounds = 0;
};
