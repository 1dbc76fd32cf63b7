#include "support/wayland/WaylandSession.h"

#include "support/TestSupport.h"
#include "support/wayland/SessionUser.h"

#include <QCoreApplication>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// tests/support in the source tree: wlinput.py and the Shell extension.
const QString supportFolder = QStringLiteral(FLINGDIAL_TEST_SUPPORT_DIR);
// Debian's own python3, which has python3-gi and python3-dbus.
const QString python = u"/usr/bin/python3"_s;
const QString waylandSocket = u"wayland-flingdial"_s;

// Variables of the desktop the test itself runs in (Xvfb and its bus under
// run-tests.sh), which must not leak into the session.
const QStringList desktopVariables = {
    u"DISPLAY"_s,
    u"WAYLAND_DISPLAY"_s,
    u"XAUTHORITY"_s,
    u"SWAYSOCK"_s,
    u"I3SOCK"_s,
    u"HYPRLAND_INSTANCE_SIGNATURE"_s,
    u"XDG_SESSION_TYPE"_s,
    u"XDG_CURRENT_DESKTOP"_s,
    u"XDG_SESSION_DESKTOP"_s,
    u"DESKTOP_SESSION"_s,
    u"KDE_FULL_SESSION"_s,
    u"KDE_SESSION_VERSION"_s,
    u"GNOME_SETUP_DISPLAY"_s,
    u"SESSION_MANAGER"_s,
    u"DBUS_SESSION_BUS_ADDRESS"_s,
    u"DBUS_SYSTEM_BUS_ADDRESS"_s,
    u"QT_QPA_PLATFORM"_s,
    u"GDK_BACKEND"_s,
    u"XDG_RUNTIME_DIR"_s,
    u"XDG_CONFIG_HOME"_s,
    u"XDG_DATA_HOME"_s,
    u"XDG_CACHE_HOME"_s,
    u"XDG_STATE_HOME"_s,
    u"HOME"_s,
    u"TMPDIR"_s,
    u"USER"_s,
    u"LOGNAME"_s,
};

// The session bus lets root in too, so that a test running as root can
// call into a session that runs as the test user.
constexpr char busConfiguration[] = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <include>/usr/share/dbus-1/session.conf</include>
  <policy context="default">
    <allow user="root"/>
  </policy>
</busconfig>
)";

// Started by sway and KWin once they are ready: it records the environment
// they give their programs (DISPLAY above all, which each picks itself).
constexpr char readyScript[] = "env > \"$0.env.part\" && mv \"$0.env.part\" \"$0.env\"\n";

// Runs `check` every 50 ms until it holds or `timeoutMs` passes.
template<typename Check> bool waitUntil(Check check, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!check()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(50);
    }
    return true;
}

QString jsString(const QString& text)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact))
        .mid(1)
        .chopped(1);
}

QString lastLines(const QString& text, int count = 15)
{
    return text.trimmed().split(QLatin1Char('\n')).mid(-count).join(QLatin1Char('\n'));
}

} // namespace

WaylandSession::WaylandSession(Compositor compositor) : WaylandSession(compositor, Options()) {}

WaylandSession::WaylandSession(Compositor compositor, Options options)
    : m_compositor(compositor), m_options(std::move(options))
{}

WaylandSession::~WaylandSession()
{
    stop();
}

QString WaylandSession::nameOf(Compositor compositor)
{
    switch (compositor) {
    case Compositor::Sway:
        return u"sway"_s;
    case Compositor::KWin:
        return u"kwin"_s;
    case Compositor::GnomeShell:
        return u"gnome-shell"_s;
    }
    return {};
}

std::optional<WaylandSession::Compositor> WaylandSession::compositorNamed(const QString& name)
{
    for (Compositor compositor : {Compositor::Sway, Compositor::KWin, Compositor::GnomeShell}) {
        if (nameOf(compositor) == name)
            return compositor;
    }
    return std::nullopt;
}

bool WaylandSession::skip(const QString& reason)
{
    m_skipReason = reason;
    stop();
    return false;
}

bool WaylandSession::start()
{
    // Each tool with the package that has it, the compositor's first.
    QList<std::pair<QString, QString>> tools;
    switch (m_compositor) {
    case Compositor::Sway:
        tools += {{u"sway"_s, u"sway"_s}, {u"grim"_s, u"grim"_s}};
        break;
    case Compositor::KWin:
        tools += {{u"kwin_wayland"_s, u"kwin-wayland"_s}};
        break;
    case Compositor::GnomeShell:
        tools += {{u"gnome-shell"_s, u"gnome-shell"_s}, {u"gsettings"_s, u"libglib2.0-bin"_s}};
        break;
    }
    tools += {{u"Xwayland"_s, u"xwayland"_s},
              {u"dbus-daemon"_s, u"dbus-daemon"_s},
              {u"xdotool"_s, u"xdotool"_s}};
    for (const auto& [tool, package] : std::as_const(tools)) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            return skip(
                u"%1 is not installed (package %2; scripts/install-deps.sh installs it)"_s.arg(
                    tool, package));
    }
    if (!QFileInfo(python).isExecutable())
        return skip(u"%1 is missing (package python3)"_s.arg(python));
    if (const QString problem = SessionUser::ensure(); !problem.isEmpty())
        return skip(problem);
    if (const QString problem = prepareFolders(); !problem.isEmpty())
        return skip(problem);
    if (!startBus(u"bus"_s, m_bus))
        return skip(u"the session bus did not start: "_s + m_bus->log());
    m_busAddress = m_bus->output().section(QLatin1Char('\n'), 0, 0).trimmed();
    m_busConnectionName = u"wayland-session-"_s + m_folder->path();
    QDBusConnection::connectToBus(m_busAddress, m_busConnectionName);

    bool started = false;
    switch (m_compositor) {
    case Compositor::Sway:
        started = startSway();
        break;
    case Compositor::KWin:
        started = startKWin();
        break;
    case Compositor::GnomeShell:
        started = startGnomeShell();
        break;
    }
    if (!started)
        return skip(u"%1 did not start on this machine (%2):\n%3"_s.arg(
            nameOf(m_compositor), m_skipReason, lastLines(compositorLog())));
    if (!waitForXwayland())
        return skip(u"XWayland of %1 did not answer on %2:\n%3"_s.arg(
            nameOf(m_compositor), display(), lastLines(compositorLog())));
    // Services the bus starts from now on find the desktop, as in a real session.
    QVariantMap activation;
    for (const QString& name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"XAUTHORITY"_s,
                                u"XDG_CURRENT_DESKTOP"_s, u"XDG_SESSION_TYPE"_s, u"SWAYSOCK"_s}) {
        if (m_clientEnvironment.contains(name))
            activation.insert(name, m_clientEnvironment.value(name));
    }
    QDBusInterface(u"org.freedesktop.DBus"_s, u"/org/freedesktop/DBus"_s, u"org.freedesktop.DBus"_s,
                   bus())
        .call(u"UpdateActivationEnvironment"_s, QVariant::fromValue(activation));
    // The input devices exist from the start, as on a desktop: windows that
    // map later get the keyboard (mutter lets only the window holding it
    // take the clipboard).
    if (!startInput())
        return skip(
            u"no input can be injected into %1: %2"_s.arg(nameOf(m_compositor), m_inputError));
    m_running = true;
    return true;
}

QString WaylandSession::prepareFolders()
{
    m_folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + u"/flingdial-wayland-XXXXXX"_s);
    if (!m_folder->isValid())
        return u"no temporary folder: "_s + m_folder->errorString();
    for (const QString& name :
         {u"runtime"_s, u"tmp"_s, u"files"_s, u"screenshots"_s, u"home/.config"_s,
          u"home/.local/share"_s, u"home/.local/state"_s, u"home/.cache"_s})
        QDir().mkpath(path(name));
    QFile::setPermissions(path(u"runtime"_s),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    TestSupport::writeFile(path(u"bus.conf"_s), busConfiguration);
    TestSupport::writeExecutable(path(u"session"_s), readyScript);
    for (auto file = m_options.configFiles.cbegin(); file != m_options.configFiles.cend(); ++file)
        TestSupport::writeFile(path(u"home/.config/"_s + file.key()), file.value());
    SessionUser::handOver(m_folder->path());
    // The session's user runs our scripts and the built programs.
    return SessionUser::grantAccess({supportFolder + u"/wayland/wlinput.py"_s,
                                     supportFolder + u"/gtkdragsource.py"_s,
                                     QCoreApplication::applicationDirPath(),
                                     QFileInfo(QStringLiteral(FLINGDIAL_BINARY)).path()});
}

QProcessEnvironment WaylandSession::baseEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : desktopVariables)
        environment.remove(name);
    const QString home = path(u"home"_s);
    environment.insert(u"HOME"_s, home);
    environment.insert(u"USER"_s, SessionUser::name());
    environment.insert(u"LOGNAME"_s, SessionUser::name());
    // root's PATH may hold folders the test user can't enter, which GLib
    // reports as "Permission denied" for programs it looks for.
    if (SessionUser::switches())
        environment.insert(u"PATH"_s,
                           u"/usr/local/bin:/usr/bin:/bin:/usr/local/sbin:/usr/sbin:/sbin"_s);
    environment.insert(u"TMPDIR"_s, path(u"tmp"_s));
    environment.insert(u"XDG_RUNTIME_DIR"_s, path(u"runtime"_s));
    environment.insert(u"XDG_CONFIG_HOME"_s, home + u"/.config"_s);
    environment.insert(u"XDG_DATA_HOME"_s, home + u"/.local/share"_s);
    environment.insert(u"XDG_STATE_HOME"_s, home + u"/.local/state"_s);
    environment.insert(u"XDG_CACHE_HOME"_s, home + u"/.cache"_s);
    // No accessibility bus: it would start a second dbus-daemon per client.
    environment.insert(u"NO_AT_BRIDGE"_s, u"1"_s);
    if (!m_busAddress.isEmpty())
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, m_busAddress);
    return environment;
}

bool WaylandSession::startBus(const QString& socketName, std::unique_ptr<SessionClient>& daemon)
{
    daemon = std::make_unique<SessionClient>(socketName);
    SessionUser::prepare(daemon->process());
    daemon->process().setProcessEnvironment(baseEnvironment());
    daemon->process().start(u"dbus-daemon"_s,
                            {u"--nofork"_s, u"--nopidfile"_s, u"--print-address=1"_s,
                             u"--config-file="_s + path(u"bus.conf"_s),
                             u"--address=unix:path="_s + path(u"runtime/"_s + socketName)});
    return daemon->waitForOutput(u"unix:path="_s, 10000);
}

void WaylandSession::startCompositor(const QString& program, const QStringList& arguments,
                                     const QProcessEnvironment& environment)
{
    m_compositorProcess = std::make_unique<SessionClient>(nameOf(m_compositor));
    SessionUser::prepare(m_compositorProcess->process());
    m_compositorProcess->process().setProcessEnvironment(environment);
    m_compositorProcess->process().start(program, arguments);
    m_compositorProcess->process().waitForStarted(10000);
}

bool WaylandSession::startSway()
{
    const QString configuration = path(u"sway.conf"_s);
    QString outputs;
    for (int output = 0; output < m_options.outputs; ++output)
        outputs += u"output HEADLESS-%1 resolution %2x%3 position %4 0\n"_s.arg(output + 1)
                       .arg(m_options.size.width())
                       .arg(m_options.size.height())
                       .arg(output * m_options.size.width());
    TestSupport::writeFile(
        configuration, u"xwayland force\n"
                       "%1"
                       "default_border none\n"
                       "default_floating_border none\n"
                       "focus_follows_mouse no\n"
                       // Windows float, as on the stacking desktops, so that
                       // tests can put them where they want them.
                       "for_window [shell=\"xwayland\"] floating enable\n"
                       "for_window [shell=\"xdg_shell\"] floating enable\n"
                       "exec %2\n"
                       "%3\n"_s.arg(outputs, path(u"session"_s), m_options.swayConfig.join(u'\n'))
                           .toUtf8());
    SessionUser::handOver(configuration);
    QProcessEnvironment environment = baseEnvironment();
    environment.insert(u"WLR_BACKENDS"_s, u"headless"_s);
    environment.insert(u"WLR_HEADLESS_OUTPUTS"_s, QString::number(m_options.outputs));
    environment.insert(u"WLR_LIBINPUT_NO_DEVICES"_s, u"1"_s);
    environment.insert(u"WLR_RENDERER"_s, u"pixman"_s);
    environment.insert(u"XDG_CURRENT_DESKTOP"_s, u"sway"_s);
    environment.insert(u"XDG_SESSION_TYPE"_s, u"wayland"_s);
    startCompositor(u"sway"_s, {u"-c"_s, configuration}, environment);
    return readReadyEnvironment();
}

bool WaylandSession::startKWin()
{
    QProcessEnvironment environment = baseEnvironment();
    environment.insert(u"KWIN_WAYLAND_NO_PERMISSION_CHECKS"_s, u"1"_s);
    environment.insert(u"KWIN_SCREENSHOT_NO_PERMISSION_CHECKS"_s, u"1"_s);
    environment.insert(u"XDG_CURRENT_DESKTOP"_s, u"KDE"_s);
    environment.insert(u"XDG_SESSION_TYPE"_s, u"wayland"_s);
    environment.insert(u"KDE_FULL_SESSION"_s, u"true"_s);
    // The session program's print() lines reach the log (see runKWinScript).
    environment.insert(u"QT_LOGGING_RULES"_s, u"kwin_scripting.debug=true;kwin_xwl.debug=true"_s);
    const QStringList arguments = {u"--virtual"_s,       u"--xwayland"_s,
                                   u"--width"_s,         QString::number(m_options.size.width()),
                                   u"--height"_s,        QString::number(m_options.size.height()),
                                   u"--socket"_s,        waylandSocket,
                                   u"--no-lockscreen"_s, path(u"session"_s)};
    QString program = QStandardPaths::findExecutable(u"kwin_wayland"_s);
    startCompositor(program, arguments, environment);
    if (m_compositorProcess->process().error() == QProcess::FailedToStart) {
        // kwin_wayland carries the file capability cap_sys_resource; where the
        // bounding set lacks it (containers) exec fails with EPERM. A plain copy
        // runs, only without raising its own limits.
        const QString copy = path(u"kwin_wayland"_s);
        QFile::copy(program, copy);
        SessionUser::handOver(copy);
        startCompositor(copy, arguments, environment);
    }
    return readReadyEnvironment();
}

bool WaylandSession::readReadyEnvironment()
{
    const QString file = path(u"session.env"_s);
    if (!waitUntil([&] { return QFile::exists(file) || !m_compositorProcess->isRunning(); },
                   30000) ||
        !QFile::exists(file)) {
        m_skipReason =
            m_compositorProcess->isRunning() ? u"not ready within 30 s"_s : u"it exited"_s;
        return false;
    }
    QProcessEnvironment environment = baseEnvironment();
    environment.insert(u"XDG_SESSION_TYPE"_s, u"wayland"_s);
    const QStringList lines = QString::fromUtf8(TestSupport::readFile(file)).split(u'\n');
    for (const QString& line : lines) {
        const QString name = line.section(u'=', 0, 0);
        static const QStringList wanted = {
            u"DISPLAY"_s,  u"WAYLAND_DISPLAY"_s,     u"XAUTHORITY"_s,
            u"SWAYSOCK"_s, u"XDG_CURRENT_DESKTOP"_s, u"KDE_FULL_SESSION"_s};
        if (wanted.contains(name))
            environment.insert(name, line.section(u'=', 1));
    }
    m_clientEnvironment = environment;
    if (display().isEmpty()) {
        m_skipReason = u"it started no XWayland"_s;
        return false;
    }
    return true;
}

bool WaylandSession::runGsettings(const QStringList& arguments)
{
    QProcess process;
    SessionUser::prepare(process);
    process.setProcessEnvironment(baseEnvironment());
    process.start(u"gsettings"_s, QStringList{u"set"_s} + arguments);
    return process.waitForFinished(15000) && process.exitCode() == 0;
}

bool WaylandSession::startGnomeShell()
{
    if (!startBus(u"system-bus"_s, m_systemBus)) {
        m_skipReason = u"its private system bus did not start"_s;
        return false;
    }
    // The harness's own extension opens org.gnome.Shell.Eval and the
    // screenshot interface to the test; see gnome-extension/extension.js.
    QStringList uuids;
    const QString extensions = path(u"home/.local/share/gnome-shell/extensions/"_s);
    const QStringList enabled =
        QStringList{supportFolder + u"/wayland/gnome-extension"_s} + m_options.gnomeExtensions;
    for (const QString& folder : enabled + m_options.disabledGnomeExtensions) {
        const QString uuid =
            QJsonDocument::fromJson(TestSupport::readFile(folder + u"/metadata.json"_s))
                .object()
                .value(u"uuid"_s)
                .toString();
        if (uuid.isEmpty()) {
            m_skipReason = u"%1 has no metadata.json with a uuid"_s.arg(folder);
            return false;
        }
        QDirIterator files(folder, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString file = files.next();
            const QString copy = extensions + uuid + u'/' + QDir(folder).relativeFilePath(file);
            QDir().mkpath(QFileInfo(copy).path());
            QFile::copy(file, copy);
        }
        if (enabled.contains(folder))
            uuids.append(u"'%1'"_s.arg(uuid));
    }
    // Without GDM the Shell says once that it cannot lock the screen, in a
    // banner over the top of the screen.
    TestSupport::writeFile(path(u"home/.local/share/gnome-shell/lock-warning-shown"_s));
    SessionUser::handOver(path(u"home"_s));
    // The hot corner would open the overview whenever a drag passes it, an
    // idle session would blank, and a welcome dialog would take the input.
    const QList<QStringList> settings = {
        {u"org.gnome.shell"_s, u"enabled-extensions"_s, u"[%1]"_s.arg(uuids.join(u", "_s))},
        {u"org.gnome.shell"_s, u"welcome-dialog-last-shown-version"_s, u"'999'"_s},
        {u"org.gnome.desktop.interface"_s, u"enable-hot-corners"_s, u"false"_s},
        {u"org.gnome.desktop.session"_s, u"idle-delay"_s, u"uint32 0"_s},
    };
    for (const QStringList& setting : settings) {
        if (!runGsettings(setting)) {
            m_skipReason = u"gsettings could not set %1 (is dconf-service installed?)"_s.arg(
                setting.mid(0, 2).join(u' '));
            return false;
        }
    }
    QProcessEnvironment environment = baseEnvironment();
    environment.insert(u"DBUS_SYSTEM_BUS_ADDRESS"_s,
                       u"unix:path="_s + path(u"runtime/system-bus"_s));
    environment.insert(u"XDG_CURRENT_DESKTOP"_s, u"GNOME"_s);
    environment.insert(u"XDG_SESSION_TYPE"_s, u"wayland"_s);
    startCompositor(u"gnome-shell"_s,
                    {u"--headless"_s, u"--wayland"_s, u"--virtual-monitor"_s,
                     u"%1x%2"_s.arg(m_options.size.width()).arg(m_options.size.height()),
                     u"--wayland-display"_s, waylandSocket},
                    environment);
    return waitForGnomeShell();
}

bool WaylandSession::waitForGnomeShell()
{
    // Eval opens once the harness extension is enabled, during start-up.
    if (!waitUntil(
            [this] {
                return !m_compositorProcess->isRunning() ||
                       evaluate(u"imports.ui.main.layoutManager._startingUp"_s) == u"false"_s;
            },
            60000) ||
        !m_compositorProcess->isRunning()) {
        m_skipReason = m_compositorProcess->isRunning()
                           ? u"org.gnome.Shell.Eval did not open within 60 s"_s
                           : u"it exited"_s;
        return false;
    }
    QProcessEnvironment environment = baseEnvironment();
    environment.insert(u"XDG_CURRENT_DESKTOP"_s, u"GNOME"_s);
    environment.insert(u"XDG_SESSION_TYPE"_s, u"wayland"_s);
    environment.insert(u"WAYLAND_DISPLAY"_s, waylandSocket);
    for (const QString& name : {u"DISPLAY"_s, u"XAUTHORITY"_s}) {
        const QJsonDocument value = QJsonDocument::fromJson(
            u"[%1]"_s.arg(evaluate(u"imports.gi.GLib.getenv('%1')"_s.arg(name)).value_or(u""_s))
                .toUtf8());
        if (const QString text = value.array().at(0).toString(); !text.isEmpty())
            environment.insert(name, text);
    }
    m_clientEnvironment = environment;
    if (display().isEmpty()) {
        m_skipReason = u"it started no XWayland"_s;
        return false;
    }
    // The Shell starts in the overview, which would take every click.
    evaluate(u"imports.ui.main.overview.hide()"_s);
    if (!waitUntil([this] { return evaluate(u"imports.ui.main.overview.visible"_s) == u"false"_s; },
                   10000)) {
        m_skipReason = u"its overview did not close"_s;
        return false;
    }
    return true;
}

bool WaylandSession::waitForXwayland()
{
    return waitUntil([this] { return run(u"xdotool"_s, {u"getdisplaygeometry"_s}) == 0; }, 20000);
}

void WaylandSession::stopClients()
{
    if (m_input) {
        m_input->closeWriteChannel(); // it lets go of what is still held
        if (!m_input->waitForFinished(3000))
            m_input->kill();
        m_input.reset();
    }
    for (auto& client : m_clients)
        client->stop();
    m_clients.clear();
    if (m_running)
        startInput();
}

void WaylandSession::stop()
{
    m_running = false;
    stopClients();
    if (m_compositorProcess)
        m_compositorProcess->stop(5000);
    if (!m_busConnectionName.isEmpty())
        QDBusConnection::disconnectFromBus(m_busConnectionName);
    for (auto* daemon : {&m_systemBus, &m_bus}) {
        if (*daemon)
            (*daemon)->stop();
    }
}

QString WaylandSession::waylandDisplay() const
{
    return m_clientEnvironment.value(u"WAYLAND_DISPLAY"_s);
}

QString WaylandSession::filesFolder() const
{
    return path(u"files"_s);
}

void WaylandSession::handOver(const QString& path) const
{
    SessionUser::handOver(path);
}

SessionClient& WaylandSession::launch(const QString& program, const QStringList& arguments)
{
    return launch(program, arguments, m_clientEnvironment);
}

SessionClient& WaylandSession::launch(const QString& program, const QStringList& arguments,
                                      const QProcessEnvironment& environment)
{
    auto client = std::make_unique<SessionClient>(QFileInfo(program).fileName());
    SessionUser::prepare(client->process());
    client->process().setProcessEnvironment(environment);
    client->process().setWorkingDirectory(filesFolder());
    client->process().start(program, arguments);
    client->process().waitForStarted(10000);
    m_clients.push_back(std::move(client));
    return *m_clients.back();
}

int WaylandSession::run(const QString& program, const QStringList& arguments, QString* output,
                        int timeoutMs)
{
    QProcess process;
    SessionUser::prepare(process);
    process.setProcessEnvironment(m_clientEnvironment);
    process.setWorkingDirectory(path(u"files"_s));
    process.start(program, arguments);
    const bool finished = process.waitForFinished(timeoutMs);
    if (output)
        *output =
            QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    if (!finished) {
        process.kill();
        process.waitForFinished(3000);
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool WaylandSession::startInput()
{
    static const QMap<Compositor, QString> backends = {{Compositor::Sway, u"wlroots"_s},
                                                       {Compositor::KWin, u"kwin"_s},
                                                       {Compositor::GnomeShell, u"mutter"_s}};
    m_input = std::make_unique<QProcess>();
    SessionUser::prepare(*m_input);
    m_input->setProcessEnvironment(m_clientEnvironment);
    m_input->start(python, {supportFolder + u"/wayland/wlinput.py"_s, u"--backend"_s,
                            backends.value(m_compositor), u"--size"_s,
                            // Absolute moves span the whole layout.
                            QString::number(m_options.size.width() * m_options.outputs),
                            QString::number(m_options.size.height())});
    const QDeadlineTimer deadline(15000);
    while (!m_input->canReadLine() && m_input->state() != QProcess::NotRunning &&
           !deadline.hasExpired())
        m_input->waitForReadyRead(100);
    const QString answer = QString::fromUtf8(m_input->readLine()).trimmed();
    if (answer == u"ready"_s)
        return true;
    m_inputError = u"wlinput.py did not start: "_s + answer + QLatin1Char(' ') +
                   QString::fromUtf8(m_input->readAllStandardError());
    m_input.reset();
    return false;
}

bool WaylandSession::input(const QString& command)
{
    if (!m_input && !startInput())
        return false;
    m_input->write(command.toUtf8() + '\n');
    const QDeadlineTimer deadline(15000);
    while (!m_input->canReadLine() && m_input->state() != QProcess::NotRunning &&
           !deadline.hasExpired())
        m_input->waitForReadyRead(100);
    const QString answer = QString::fromUtf8(m_input->readLine()).trimmed();
    if (answer.startsWith(u"ok"_s)) {
        m_inputError.clear();
        return true;
    }
    m_inputError = u"\"%1\": %2"_s.arg(
        command, answer.isEmpty()
                     ? u"no answer; "_s + QString::fromUtf8(m_input->readAllStandardError())
                     : answer);
    return false;
}

bool WaylandSession::click(QPoint at)
{
    if (!input(u"move %1 %2"_s.arg(at.x()).arg(at.y())))
        return false;
    QTest::qWait(150);
    return input(u"click"_s);
}

bool WaylandSession::drag(QPoint from, QPoint to)
{
    // A few short moves past the drag threshold start the drag, the next
    // ones carry it to `to`, and a last nudge there once XWayland has
    // caught up lets an X11 window under it see the drag come in.
    const QPoint started = from + QPoint(24, 20);
    QList<QPoint> steps = {from + QPoint(3, 3), from + QPoint(10, 10), started};
    for (int step = 1; step <= 4; ++step)
        steps.append(started + (to - started) * step / 4);
    steps += {to + QPoint(2, 2), to};
    // A window that appeared under a pointer which hasn't moved since may
    // not know the pointer is over it (mutter): the pointer comes in from a
    // pixel away.
    if (!input(u"move %1 %2"_s.arg(from.x() - 1).arg(from.y() - 1)) ||
        !input(u"move %1 %2"_s.arg(from.x()).arg(from.y())))
        return false;
    // KWin takes a moment to give the window under the pointer its focus; a
    // press before that reaches no window.
    QTest::qWait(150);
    if (!input(u"press"_s))
        return false;
    for (const QPoint& point : std::as_const(steps)) {
        QTest::qWait(point == steps.at(steps.size() - 2) ? 200 : 60);
        if (!input(u"move %1 %2"_s.arg(point.x()).arg(point.y())))
            return false;
    }
    return true;
}

bool WaylandSession::placeWindow(const QString& title, const QRect& frame)
{
    const QString x = QString::number(frame.x()), y = QString::number(frame.y());
    const QString width = QString::number(frame.width());
    const QString height = QString::number(frame.height());
    const auto request = [&] {
        switch (m_compositor) {
        case Compositor::Sway:
            run(u"swaymsg"_s, {u"[title=\"^%1$\"] floating enable, resize set %2 %3, "
                               "move absolute position %4 %5"_s.arg(
                                   QRegularExpression::escape(title), width, height, x, y)});
            break;
        case Compositor::KWin:
            runKWinScript(u"workspace.clientList().forEach(function (window) {\n"
                          "    if (window.caption === %1)\n"
                          "        window.frameGeometry = {x: %2, y: %3, width: %4, height: %5};\n"
                          "});\n"
                          "report('');\n"_s.arg(jsString(title), x, y, width, height));
            break;
        case Compositor::GnomeShell:
            evaluate(u"global.get_window_actors().map(a => a.meta_window)"
                     ".filter(w => w.get_title() === %1)"
                     ".forEach(w => w.move_resize_frame(true, %2, %3, %4, %5))"_s.arg(
                         jsString(title), x, y, width, height));
            break;
        }
    };
    // A window that has just said it is ready may not be mapped yet, and an
    // X11 window may answer a resize late or not at all: ask until it holds.
    return waitUntil(
        [&] {
            request();
            return waitUntil([&] { return windowFrame(title) == frame; }, 1000);
        },
        8000);
}

std::optional<QRect> WaylandSession::windowFrame(const QString& title)
{
    QJsonObject found;
    switch (m_compositor) {
    case Compositor::Sway: {
        QString tree;
        if (run(u"swaymsg"_s, {u"--raw"_s, u"--type"_s, u"get_tree"_s}, &tree) != 0)
            return std::nullopt;
        std::function<void(const QJsonObject&)> search = [&](const QJsonObject& node) {
            if (node.value(u"name"_s).toString() == title && node.contains(u"pid"_s))
                found = node.value(u"rect"_s).toObject();
            for (const char* children : {"nodes", "floating_nodes"}) {
                for (const QJsonValue& child : node.value(QLatin1String(children)).toArray())
                    search(child.toObject());
            }
        };
        search(QJsonDocument::fromJson(tree.toUtf8()).object());
        break;
    }
    case Compositor::KWin:
        found = QJsonDocument::fromJson(
                    runKWinScript(u"workspace.clientList().forEach(function (window) {\n"
                                  "    if (window.caption === %1)\n"
                                  "        report(JSON.stringify(window.frameGeometry));\n"
                                  "});\n"_s.arg(jsString(title)))
                        .toUtf8())
                    .object();
        break;
    case Compositor::GnomeShell:
        found =
            QJsonDocument::fromJson(
                evaluate(u"global.get_window_actors().map(a => a.meta_window)"
                         ".filter(w => w.get_title() === %1)"
                         ".map(w => w.get_frame_rect())"
                         ".map(r => ({x: r.x, y: r.y, width: r.width, height: r.height}))[0]"_s.arg(
                             jsString(title)))
                    .value_or(QString())
                    .toUtf8())
                .object();
        break;
    }
    if (found.isEmpty())
        return std::nullopt;
    return QRect(found.value(u"x"_s).toInt(), found.value(u"y"_s).toInt(),
                 found.value(u"width"_s).toInt(), found.value(u"height"_s).toInt());
}

QString WaylandSession::runKWinScript(const QString& script)
{
    static int count = 0;
    const QString name = u"flingdial-test-%1"_s.arg(++count);
    const QString file = path(u"%1.js"_s.arg(name));
    const QString marker = u"flingdial-script-%1:"_s.arg(count);
    // KWin logs what a script print()s; the marker finds this run's line.
    TestSupport::writeFile(
        file, u"function report(value) { print(%1 + value); }\n"_s.arg(jsString(marker)).toUtf8() +
                  script.toUtf8());
    SessionUser::handOver(file);
    QDBusInterface scripting(u"org.kde.KWin"_s, u"/Scripting"_s, u"org.kde.kwin.Scripting"_s,
                             bus());
    scripting.call(u"loadScript"_s, file, name);
    scripting.call(u"start"_s);
    QString printed;
    waitUntil(
        [&] {
            const QString log = compositorLog();
            const qsizetype at = log.lastIndexOf(marker);
            if (at >= 0)
                printed = log.mid(at + marker.size()).section(u'\n', 0, 0).trimmed();
            return at >= 0;
        },
        3000);
    scripting.call(u"unloadScript"_s, name);
    return printed;
}

QDBusConnection WaylandSession::bus() const
{
    return QDBusConnection(m_busConnectionName);
}

std::optional<QString> WaylandSession::evaluate(const QString& script) const
{
    QDBusInterface shell(u"org.gnome.Shell"_s, u"/org/gnome/Shell"_s, u"org.gnome.Shell"_s, bus());
    const QDBusMessage reply = shell.call(u"Eval"_s, script);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2 ||
        !reply.arguments().at(0).toBool())
        return std::nullopt;
    return reply.arguments().at(1).toString();
}

QImage WaylandSession::screenshot()
{
    const QString file = path(u"screenshots/shot.png"_s);
    QFile::remove(file);
    switch (m_compositor) {
    case Compositor::Sway:
        if (run(u"grim"_s, {file}) != 0)
            return {};
        return QImage(file);
    case Compositor::GnomeShell: {
        QDBusInterface shot(u"org.gnome.Shell.Screenshot"_s, u"/org/gnome/Shell/Screenshot"_s,
                            u"org.gnome.Shell.Screenshot"_s, bus());
        shot.call(u"Screenshot"_s, false, false, file);
        return QImage(file);
    }
    case Compositor::KWin:
        break;
    }
    // KWin writes the raw pixels into a pipe once it has answered with their layout.
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return {};
    QDBusInterface shot(u"org.kde.KWin"_s, u"/org/kde/KWin/ScreenShot2"_s,
                        u"org.kde.KWin.ScreenShot2"_s, bus());
    const QDBusMessage reply =
        shot.call(u"CaptureActiveScreen"_s, QVariantMap{{u"native-resolution"_s, true}},
                  QVariant::fromValue(QDBusUnixFileDescriptor(pipe[1])));
    ::close(pipe[1]);
    QImage image;
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
        const QVariantMap layout = qdbus_cast<QVariantMap>(reply.arguments().at(0));
        const int width = layout.value(u"width"_s).toInt();
        const int height = layout.value(u"height"_s).toInt();
        const int stride = layout.value(u"stride"_s).toInt();
        QByteArray pixels;
        pollfd readable{pipe[0], POLLIN, 0};
        char chunk[65536];
        while (pixels.size() < qsizetype(stride) * height && ::poll(&readable, 1, 10000) > 0) {
            const ssize_t got = ::read(pipe[0], chunk, sizeof chunk);
            if (got <= 0)
                break;
            pixels.append(chunk, got);
        }
        if (pixels.size() >= qsizetype(stride) * height && width > 0)
            image = QImage(reinterpret_cast<const uchar*>(pixels.constData()), width, height,
                           stride, QImage::Format(layout.value(u"format"_s).toInt()))
                        .copy();
    }
    ::close(pipe[0]);
    return image;
}

QString WaylandSession::saveScreenshot(const QString& name)
{
    const QImage image = screenshot();
    if (image.isNull())
        return {};
    const QString folder = QCoreApplication::applicationDirPath() + u"/wayland-screenshots"_s;
    QDir().mkpath(folder);
    const QString file = u"%1/%2-%3.png"_s.arg(folder, nameOf(m_compositor), name);
    return image.save(file) ? file : QString();
}

QString WaylandSession::compositorLog() const
{
    return m_compositorProcess ? m_compositorProcess->log() + m_compositorProcess->output()
                               : QString();
}
