#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// A private X server with a window manager (openbox) for the life of the
// object, for tests that check what the window manager makes of our
// windows: the suite's own server runs none, and other tests share it.
class WindowManagerDisplay
{
public:
    WindowManagerDisplay();
    ~WindowManagerDisplay();
    WindowManagerDisplay(const WindowManagerDisplay&) = delete;
    WindowManagerDisplay& operator=(const WindowManagerDisplay&) = delete;

    // Empty when the server or the window manager didn't start; `problem`
    // then says why.
    bool isReady() const { return !m_display.isEmpty(); }
    const QString& problem() const { return m_problem; }

    // `base` with DISPLAY naming this server.
    QProcessEnvironment environment(QProcessEnvironment base) const;
    // Runs an X client (xdotool, xprop) on this server; its output, trimmed.
    QString client(const QString& program, const QStringList& arguments) const;

    // The windows the window manager lists for task lists and pagers
    // (_NET_CLIENT_LIST), as xprop prints their ids.
    QStringList managedWindows() const;
    QString title(const QString& window) const;
    // The window's _NET_WM_STATE atoms.
    QStringList states(const QString& window) const;

private:
    bool waitForWindowManager() const;

    QProcess m_server;
    QString m_display;
    QString m_authority; // xvfb-run's key to the server
    QString m_problem;
};
