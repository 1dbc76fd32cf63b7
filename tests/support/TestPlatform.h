#pragma once

#include "platform/DesktopExtension.h"
#include "platform/FileManager.h"
#include "platform/x11/X11Platform.h"

#include <QList>
#include <QStringList>
#include <memory>

// The X11 backend with the desktop's file manager and sound replaced by
// records the test can read.
class TestPlatform : public X11Platform
{
public:
    QString name() const override { return QStringLiteral("test"); }
    FileManager* fileManager() override { return &m_files; }
    void playCompletionSound() override { ++m_sounds; }

    // The desktop's shortcuts (KDE Plasma's) as the test sets them; none by default.
    GlobalShortcuts* globalShortcuts() override { return m_shortcuts; }
    void setGlobalShortcuts(GlobalShortcuts* shortcuts) { m_shortcuts = shortcuts; }

    // A desktop extension that is on, as GNOME's would be; none until asked.
    DesktopExtension* desktopExtension() override { return m_extension.get(); }
    DesktopExtension& addDesktopExtension();

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

    struct ExtensionThatIsOn : DesktopExtension
    {
        QString name() const override { return QStringLiteral("the test extension"); }
        QString manager() const override { return QStringLiteral("the test"); }
        State state() override { return State::on; }
        QString failure() override { return {}; }
        QString enableCommand() const override { return {}; }
        bool enable(QString*) override { return true; }
    };

    RecordingFileManager m_files;
    std::unique_ptr<ExtensionThatIsOn> m_extension;
    GlobalShortcuts* m_shortcuts = nullptr;
    int m_sounds = 0;
};
