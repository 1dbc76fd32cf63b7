#include "base/Errors.h"
#include "helpers/pdfpages/PageImages.h"
#include "helpers/pdfpages/ScanPages.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdio>
#include <mutex>

// flingdial-pdf-pages SOURCE FOLDER STEM EXTENSION QUALITY: draws every page
// into FOLDER, printing "page N" as each is written, for the program that
// waits on it and stops it when a page never finishes.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.value(1).startsWith(QLatin1String("--")))
        return ScanPages::run(arguments);
    if (arguments.size() != 6) {
        std::fputs("usage: flingdial-pdf-pages SOURCE FOLDER STEM EXTENSION QUALITY\n", stderr);
        return 2;
    }
    PageImages::Job job;
    job.source = arguments.at(1);
    job.folder = arguments.at(2);
    job.stem = arguments.at(3);
    job.extension = arguments.at(4);
    job.quality = std::clamp(arguments.at(5).toInt(), 10, 100);
    job.threads = std::min(4, QThread::idealThreadCount());
    std::mutex output;
    try {
        PageImages::render(job, [&](int page) {
            const std::lock_guard lock(output);
            std::printf("page %d\n", page);
            std::fflush(stdout);
        });
    } catch (...) {
        std::fprintf(stderr, "error: %s\n", qUtf8Printable(describe(std::current_exception())));
        return 1;
    }
    return 0;
}
