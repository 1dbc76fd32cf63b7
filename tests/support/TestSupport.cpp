#include "support/TestSupport.h"

#include <cmath>

#include "platform/headless/ConsolePrompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace TestSupport {

ScopedEnv::ScopedEnv(const char* name, const QByteArray& value) : m_name(name)
{
    if (qEnvironmentVariableIsSet(name))
        m_previous = qgetenv(name);
    qputenv(name, value);
}

ScopedEnv::~ScopedEnv()
{
    if (m_previous)
        qputenv(m_name.constData(), *m_previous);
    else
        qunsetenv(m_name.constData());
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("can't write %s", qPrintable(path));
    file.write(content);
    return QFileInfo(path).absoluteFilePath();
}

QString writeExecutable(const QString& path, const QByteArray& body)
{
    const QString written = writeFile(path, "#!/bin/sh\n" + body);
    QFile::setPermissions(written, QFile::permissions(written) | QFileDevice::ExeOwner |
                                       QFileDevice::ExeGroup | QFileDevice::ExeOther);
    return written;
}

ScriptedAnswers::ScriptedAnswers(const QByteArray& input) : m_input(input)
{
    m_in = m_input.isEmpty() ? std::fopen("/dev/null", "r")
                             : fmemopen(m_input.data(), static_cast<size_t>(m_input.size()), "r");
    m_out = std::fopen("/dev/null", "w");
    Prompter::install(std::make_unique<ConsolePrompter>(m_in, m_out));
}

ScriptedAnswers::~ScriptedAnswers()
{
    Prompter::install(std::make_unique<ConsolePrompter>());
    std::fclose(m_in);
    std::fclose(m_out);
}

namespace {

constexpr bool underAddressSanitizer()
{
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
    return __has_feature(address_sanitizer);
#else
    return false;
#endif
}

} // namespace

Result runFlingdial(const QStringList& arguments, const QProcessEnvironment& environment,
                    const QString& workingDirectory, const QByteArray& input, qint64 memoryLimit)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    if (memoryLimit > 0 && !underAddressSanitizer())
        process.setChildProcessModifier([memoryLimit] {
            const rlimit limit{rlim_t(memoryLimit), rlim_t(memoryLimit)};
            ::setrlimit(RLIMIT_AS, &limit);
        });
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(QStringLiteral(FLINGDIAL_BINARY), arguments);
    process.waitForStarted();
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(300000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QProcessEnvironment isolatedEnvironment(const QString& configHome)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_CONFIG_HOME"_s, configHome);
    environment.insert(u"FLINGDIAL_LOG"_s, u"stderr"_s);
    if (!environment.contains(u"DBUS_SESSION_BUS_ADDRESS"_s))
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"disabled:"_s);
    return environment;
}

namespace {

double luminance(QRgb colour)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(colour)) + 0.7152 * linear(qGreen(colour)) +
           0.0722 * linear(qBlue(colour));
}

} // namespace

double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

SmallDisk::SmallDisk(const QString& folder, qint64 bytes) : m_folder(folder)
{
    QDir().mkpath(folder);
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0700";
    m_mounted = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0,
                        options.constData()) == 0;
}

bool SmallDisk::makeReadOnly() const
{
    return m_mounted && ::mount("tmpfs", QFile::encodeName(m_folder).constData(), "tmpfs",
                                MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

SmallDisk::~SmallDisk()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
}

QList<int> runningChildrenOf(int parent)
{
    QList<int> children;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool isProcess = false;
        const int pid = entry.toInt(&isProcess);
        if (!isProcess)
            continue;
        // "pid (name) state ppid …"; the name may hold spaces and parentheses.
        const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(pid));
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(1).toInt() == parent && fields.at(0) != "Z")
            children.append(pid);
    }
    return children;
}

QList<int> processesNaming(const QString& folder)
{
    QList<int> found;
    const QByteArray needle = QFile::encodeName(folder);
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isProcess = false;
        const int pid = entry.toInt(&isProcess);
        if (!isProcess || pid == ::getpid())
            continue;
        const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(pid));
        if (stat.mid(stat.lastIndexOf(')') + 2, 1) == "Z")
            continue;
        if (readFile(QStringLiteral("/proc/%1/cmdline").arg(pid)).contains(needle))
            found.append(pid);
    }
    return found;
}

QStringList namesIn(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                               QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

} // namespace TestSupport
