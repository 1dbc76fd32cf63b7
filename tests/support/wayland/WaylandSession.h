#pragma once

#include "support/wayland/SessionClient.h"

#include <QDBusConnection>
#include <QImage>
#include <QMap>
#include <QPoint>
#include <QProcessEnvironment>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <vector>

// A headless Wayland desktop with XWayland for one test: sway, KWin or
// gnome-shell on a private runtime folder and private D-Bus buses, with
// input injection, window placement and screenshots. As root it runs as an
// unprivileged test user, and so does every program started in it.
//
//     WaylandSession session(WaylandSession::Compositor::Sway);
//     if (!session.start())
//         QSKIP(qPrintable(session.skipReason()));
//     SessionClient& app = session.launch(FLINGDIAL_BINARY, {});
//     session.input(u"key ctrl+alt+space"_s);
//
// tests/support/wayland/README.md has the whole walk-through.
class WaylandSession
{
public:
    enum class Compositor { Sway, KWin, GnomeShell };

    struct Options
    {
        QSize size{1280, 720};
        // Outputs of that size side by side, left to right (sway only).
        int outputs = 1;
        // Files written under the session's XDG_CONFIG_HOME before the
        // compositor starts, e.g. "kwinrc" with [Xwayland] XwaylandEavesdrops.
        QMap<QString, QByteArray> configFiles;
        // Lines added to sway's configuration (bindsym …).
        QStringList swayConfig;
        // Folders of GNOME Shell extensions (each with its metadata.json)
        // installed for the session's user and enabled before the Shell starts.
        QStringList gnomeExtensions;
        // The same, installed but left off.
        QStringList disabledGnomeExtensions;
    };

    explicit WaylandSession(Compositor compositor);
    WaylandSession(Compositor compositor, Options options);
    ~WaylandSession();
    WaylandSession(const WaylandSession&) = delete;
    WaylandSession& operator=(const WaylandSession&) = delete;

    // "sway", "kwin" or "gnome-shell", and back.
    static QString nameOf(Compositor compositor);
    static std::optional<Compositor> compositorNamed(const QString& name);

    // Starts the buses, the compositor and XWayland, and waits until all
    // answer. False when the machine can't run this compositor: skipReason()
    // says why in one sentence.
    bool start();
    const QString& skipReason() const { return m_skipReason; }
    // Ends every program of the session, the compositor and the buses.
    void stop();
    // Ends the programs started with launch() and lets go of every held key
    // and button; the session goes on (for the next test function).
    void stopClients();

    Compositor compositor() const { return m_compositor; }
    QSize size() const { return m_options.size; }
    QString display() const { return m_clientEnvironment.value(QStringLiteral("DISPLAY")); }
    QString waylandDisplay() const;
    QString busAddress() const { return m_busAddress; }

    // What a program of the session finds in its environment: DISPLAY,
    // WAYLAND_DISPLAY, XDG_RUNTIME_DIR, DBUS_SESSION_BUS_ADDRESS,
    // XDG_CURRENT_DESKTOP and XDG_SESSION_TYPE as the real desktop sets them,
    // and HOME and the XDG folders inside the session's folder.
    QProcessEnvironment environment() const { return m_clientEnvironment; }

    // A folder the session's user can read and write, for the test's files.
    QString filesFolder() const;
    // Gives a file or folder the test made to the session's user.
    void handOver(const QString& path) const;

    // Starts a program in the session, as its user, with environment() (or
    // `environment`). The session owns it and ends it in stop().
    SessionClient& launch(const QString& program, const QStringList& arguments);
    SessionClient& launch(const QString& program, const QStringList& arguments,
                          const QProcessEnvironment& environment);
    // Runs a program in the session to its end: its exit status, or -1 when
    // it failed to start, crashed or took longer than `timeoutMs`.
    int run(const QString& program, const QStringList& arguments, QString* output = nullptr,
            int timeoutMs = 15000);

    // Input, one command of tests/support/wayland/wlinput.py at a time: "move
    // X Y", "press", "release", "keydown shift", "keyup shift", "key
    // ctrl+alt+space"… True once the compositor took it; inputError() says
    // why not.
    bool input(const QString& command);
    const QString& inputError() const { return m_inputError; }
    // Moves the pointer to `at` and clicks the left button there.
    bool click(QPoint at);
    // Presses the left button at `from` and moves in steps to `to`, keeping
    // the button held: a drag source sees a drag start and the drag reaches
    // `to`. Release with input("release").
    bool drag(QPoint from, QPoint to);

    // Moves and resizes the window titled `title` (its frame, in layout
    // pixels), a native Wayland window or an X11 one.
    bool placeWindow(const QString& title, const QRect& frame);
    // Where the window titled `title` is (its frame), as the compositor says.
    std::optional<QRect> windowFrame(const QString& title);

    // The whole output as the compositor draws it (null when it fails).
    QImage screenshot();
    // Saves one under the test binary's folder, wayland-screenshots/
    // COMPOSITOR-NAME.png, and answers its path (empty when none was taken).
    QString saveScreenshot(const QString& name);

    // The session bus, for calls from the test itself (the bus lets root in).
    QDBusConnection bus() const;
    // gnome-shell only: runs JavaScript in the Shell (org.gnome.Shell.Eval)
    // and answers its result as JSON, or nothing when it failed.
    std::optional<QString> evaluate(const QString& script) const;

    // What the compositor printed, for failure messages.
    QString compositorLog() const;

private:
    QString prepareFolders();
    QProcessEnvironment baseEnvironment() const;
    bool startBus(const QString& socketName, std::unique_ptr<SessionClient>& daemon);
    bool startSway();
    bool startKWin();
    bool startGnomeShell();
    bool readReadyEnvironment();
    bool waitForGnomeShell();
    bool waitForXwayland();
    bool runGsettings(const QStringList& arguments);
    bool startInput();
    bool skip(const QString& reason);
    void startCompositor(const QString& program, const QStringList& arguments,
                         const QProcessEnvironment& environment);
    QString path(const QString& name) const { return m_folder->filePath(name); }
    // Runs a KWin script once; answers what it passed to report(value).
    QString runKWinScript(const QString& script);

    Compositor m_compositor;
    Options m_options;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<SessionClient> m_bus;
    std::unique_ptr<SessionClient> m_systemBus;
    std::unique_ptr<SessionClient> m_compositorProcess;
    std::unique_ptr<QProcess> m_input;
    std::vector<std::unique_ptr<SessionClient>> m_clients;
    QString m_busAddress;
    QString m_busConnectionName;
    QProcessEnvironment m_clientEnvironment;
    QString m_skipReason;
    QString m_inputError;
    bool m_running = false;
};
