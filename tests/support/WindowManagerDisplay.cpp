#include "support/WindowManagerDisplay.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <csignal>
#include <unistd.h>

using namespace Qt::StringLiterals;

WindowManagerDisplay::WindowManagerDisplay()
{
    for (const char* program : {"xvfb-run", "openbox", "xprop"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty()) {
            m_problem = u"%1 is not installed"_s.arg(QString::fromLatin1(program));
            return;
        }
    }
    // Its own process group, so that the server, the script and the
    // window manager all end together.
    m_server.setChildProcessModifier([] { ::setsid(); });
    m_server.start(u"xvfb-run"_s, {u"-a"_s, u"-s"_s, u"-screen 0 1280x800x24"_s, u"sh"_s, u"-c"_s,
                                   u"echo \"$DISPLAY\"; echo \"$XAUTHORITY\"; exec openbox"_s});
    const auto line = [this] {
        while (!m_server.canReadLine() && m_server.waitForReadyRead(10000)) {
        }
        return QString::fromUtf8(m_server.readLine()).trimmed();
    };
    const QString display = line();
    m_authority = line();
    if (display.isEmpty()) {
        m_problem = u"Xvfb didn't start"_s;
        return;
    }
    m_display = display;
    if (!waitForWindowManager()) {
        m_display.clear();
        m_problem = u"openbox didn't start on %1"_s.arg(display);
    }
}

WindowManagerDisplay::~WindowManagerDisplay()
{
    if (m_server.state() == QProcess::NotRunning)
        return;
    ::kill(-pid_t(m_server.processId()), SIGTERM);
    if (!m_server.waitForFinished(5000))
        ::kill(-pid_t(m_server.processId()), SIGKILL);
    m_server.waitForFinished(2000);
}

QProcessEnvironment WindowManagerDisplay::environment(QProcessEnvironment base) const
{
    base.insert(u"DISPLAY"_s, m_display);
    base.insert(u"XAUTHORITY"_s, m_authority);
    base.remove(u"WAYLAND_DISPLAY"_s);
    return base;
}

QString WindowManagerDisplay::client(const QString& program, const QStringList& arguments) const
{
    QProcess process;
    process.setProcessEnvironment(environment(QProcessEnvironment::systemEnvironment()));
    process.start(program, arguments);
    process.waitForFinished(5000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

bool WindowManagerDisplay::waitForWindowManager() const
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        // A compliant window manager names itself on the root window.
        if (client(u"xprop"_s, {u"-root"_s, u"_NET_SUPPORTING_WM_CHECK"_s}).contains(u"# 0x"_s))
            return true;
        QThread::msleep(100);
    }
    return false;
}

QStringList WindowManagerDisplay::managedWindows() const
{
    const QString list = client(u"xprop"_s, {u"-root"_s, u"-notype"_s, u"_NET_CLIENT_LIST"_s});
    QStringList windows;
    for (const QRegularExpressionMatch& match :
         QRegularExpression(u"0x[0-9a-f]+"_s).globalMatch(list.section(u'#', 1)))
        windows.append(match.captured());
    return windows;
}

QString WindowManagerDisplay::title(const QString& window) const
{
    const QString line = client(u"xprop"_s, {u"-id"_s, window, u"-notype"_s, u"WM_NAME"_s});
    return line.section(u'"', 1, -2);
}

QStringList WindowManagerDisplay::states(const QString& window) const
{
    const QString line = client(u"xprop"_s, {u"-id"_s, window, u"-notype"_s, u"_NET_WM_STATE"_s});
    if (!line.contains(u'='))
        return {};
    return line.section(u'=', 1).simplified().split(u", "_s, Qt::SkipEmptyParts);
}
