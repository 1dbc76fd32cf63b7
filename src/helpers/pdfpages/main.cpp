#include "helpers/pdfpages/PageImages.h"
#include "helpers/pdfpages/PageText.h"
#include "helpers/pdfpages/PagesFailure.h"
#include "helpers/pdfpages/PdfPagesProtocol.h"
#include "helpers/pdfpages/ScanPages.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdio>
#include <mutex>

// flingdial-pdf-pages MODE SOURCE …: the program's every use of poppler,
// in a process of its own that the program stops when a page never
// finishes (see PdfPagesProtocol.h for the modes and what is printed).
namespace {

int usage()
{
    std::fputs("usage: flingdial-pdf-pages images SOURCE FOLDER STEM EXTENSION QUALITY\n"
               "       flingdial-pdf-pages text|html SOURCE OUTPUT\n"
               "       flingdial-pdf-pages thumbnail SOURCE OUTPUT PIXELS\n",
               stderr);
    return 2;
}

// The words of a command line in each mode, the program's included.
qsizetype wordsOf(PdfPagesProtocol::Mode mode)
{
    switch (mode) {
    case PdfPagesProtocol::Mode::images:
        return 7;
    case PdfPagesProtocol::Mode::thumbnail:
        return 5;
    default:
        return 4;
    }
}

void run(PdfPagesProtocol::Mode mode, const QStringList& arguments,
         const std::function<void(int page)>& done)
{
    using PdfPagesProtocol::Mode;
    if (mode == Mode::text) {
        PageText::writeText(arguments.at(2), arguments.at(3), done);
    } else if (mode == Mode::html) {
        PageText::writeHtml(arguments.at(2), arguments.at(3), done);
    } else if (mode == Mode::thumbnail) {
        PageImages::thumbnail(arguments.at(2), arguments.at(3),
                              std::clamp(arguments.at(4).toInt(), 16, 1024));
        done(1);
    } else {
        PageImages::Job job;
        job.source = arguments.at(2);
        job.folder = arguments.at(3);
        job.stem = arguments.at(4);
        job.extension = arguments.at(5);
        job.quality = std::clamp(arguments.at(6).toInt(), 10, 100);
        job.threads = std::min(4, QThread::idealThreadCount());
        PageImages::render(job, done);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    // The steps of text recognition: which pages carry text, one page in grey.
    if (arguments.value(1).startsWith(QLatin1String("--")))
        return ScanPages::run(arguments);
    const auto mode = PdfPagesProtocol::mode(arguments.value(1));
    if (!mode || arguments.size() != wordsOf(*mode))
        return usage();
    std::mutex output;
    try {
        run(*mode, arguments, [&](int page) {
            const std::lock_guard lock(output);
            std::printf("page %d\n", page);
            std::fflush(stdout);
        });
    } catch (const PagesFailure& failure) {
        std::fputs(PdfPagesProtocol::line(failure.failure, failure.argument).constData(), stderr);
        return 1;
    } catch (const std::bad_alloc&) {
        std::fputs("out of memory\n", stderr);
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
