#pragma once

#include <QColor>
#include <QList>

#include "base/Errors.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <optional>

// Shared helpers for the test suite.
namespace TestSupport {

// The message of the Fail that `work` throws, or "<no failure>".
template<typename Work> QString failureOf(Work work)
{
    try {
        work();
    } catch (const Fail& fail) {
        return fail.message();
    }
    return QStringLiteral("<no failure>");
}

// Sets an environment variable for the life of the object.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const QByteArray& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    QByteArray m_name;
    std::optional<QByteArray> m_previous;
};

// Writes a file (creating its folders) and returns its path.
QString writeFile(const QString& path, const QByteArray& content = {});

// The whole content of a file (empty when it can't be read).
QByteArray readFile(const QString& path);

// Writes an executable shell script and returns its path.
QString writeExecutable(const QString& path, const QByteArray& body = "exit 0\n");

// Answers the program's prompts with `input`, as a user would type it at
// the console, for the life of the object.
class ScriptedAnswers
{
public:
    explicit ScriptedAnswers(const QByteArray& input);
    ~ScriptedAnswers();
    ScriptedAnswers(const ScriptedAnswers&) = delete;
    ScriptedAnswers& operator=(const ScriptedAnswers&) = delete;

private:
    QByteArray m_input;
    std::FILE* m_in;
    std::FILE* m_out;
};

struct Result
{
    int status = -1;
    QString out;
    QString err;
};

// Runs the built program and waits for it. The environment defaults to
// this process's; standard input is `input` (then closed). A memory limit
// caps the program's address space, except under AddressSanitizer, whose
// shadow memory alone takes terabytes of it.
Result runFlingdial(const QStringList& arguments, const QProcessEnvironment& environment,
                    const QString& workingDirectory = {}, const QByteArray& input = {},
                    qint64 memoryLimit = 0);

// This process's environment with a private XDG config folder, logging to
// standard error and no session bus autolaunch.
QProcessEnvironment isolatedEnvironment(const QString& configHome);

// A small tmpfs mounted at `folder` for the life of the object, to fill up.
// Mounting needs root (or a user namespace); check isMounted() and skip.
class SmallDisk
{
public:
    SmallDisk(const QString& folder, qint64 bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool isMounted() const { return m_mounted; }
    const QString& path() const { return m_folder; }
    // Mounts it again read-only, keeping what it holds.
    bool makeReadOnly() const;

private:
    QString m_folder;
    bool m_mounted = false;
};

// The processes whose parent is `parent` and that still run (zombies, which
// have ended, are left out).
QList<int> runningChildrenOf(int parent);

// The processes anywhere that still run and whose command line names
// `folder` (this one left out).
QList<int> processesNaming(const QString& folder);

// The names in a folder, hidden ones included, sorted.
QStringList namesIn(const QString& folder);

// The contrast ratio of two colours as WCAG defines it, from 1 (the same) to
// 21 (black on white); text wants at least 4.5, large marks 3.
double contrast(QRgb a, QRgb b);

} // namespace TestSupport
