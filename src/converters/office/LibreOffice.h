#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>

// Headless LibreOffice: one conversion at a time on a user profile of the
// program's own, so that it never meets the user's open LibreOffice
// windows, with a time limit.
namespace LibreOffice {

// The time a conversion may take: 180 seconds, or
// FLINGDIAL_LIBREOFFICE_TIMEOUT seconds when set.
std::chrono::seconds timeLimit();

// The arguments of one run: `sources` to `format` (an extension, optionally
// with a filter: "pdf", "csv:Text - txt - csv (StarCalc):44,34,76,1") into
// `outputFolder`, with `extra` before the files.
QStringList arguments(const QString& profile, const QString& format, const QString& outputFolder,
                      const QStringList& sources, const QStringList& extra = {});

// Converts `source` into `outputFolder` and returns the file it made, the
// one with the target's extension. Throws Fail: LibreOffice missing, not
// responding in time, unable to open the file, or making nothing.
QString convert(const QString& source, const QString& format, const QString& outputFolder,
                const QStringList& extra = {});

// What one run made of each of several sources: the file, or the failure
// for that source ("LibreOffice couldn’t open X."), in the sources' order.
struct Made
{
    QString file;
    QString failure;
};

// Converts several files in one LibreOffice run (its start-up costs
// seconds): each source is handed over under a name of ours, so that
// sources with the same name don't meet. Throws Fail for the run as a
// whole (missing, time-out, crash).
QList<Made> convertAll(const QStringList& sources, const QString& format,
                       const QString& outputFolder, const QStringList& extra = {});

} // namespace LibreOffice
