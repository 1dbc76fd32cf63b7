#include "converters/ocr/Tesseract.h"

#include "base/Errors.h"
#include "base/Translate.h"
#include "core/ChildProcess.h"
#include "core/Deps.h"

#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>

namespace Tesseract {
FLINGDIAL_TR_CONTEXT(Tesseract)

// Named without its namespace below: lupdate would take `Hocr::Page read(`
// for a function of Hocr and file this file's texts under that context.
using Hocr::Page;

QString languages()
{
    if (const auto missing = Deps::ocrReason())
        throw Fail(missing->text());
    const QString chosen = Deps::defaultOcrLanguages();
    return chosen.isEmpty() ? Deps::ocrLanguages().join(QLatin1Char('+')) : chosen;
}

Page read(const Request& request)
{
    const auto program = Deps::tesseract();
    const auto data = Deps::tessdataFolder();
    if (!program || !data) {
        const auto missing = Deps::ocrReason();
        throw Fail(missing ? missing->text() : tr("Text recognition needs Tesseract."));
    }
    QStringList arguments = {
        request.picture, QStringLiteral("stdout"), QStringLiteral("--tessdata-dir"),
        *data,           QStringLiteral("-l"),     request.languages};
    if (request.dpi)
        arguments << QStringLiteral("--dpi") << QString::number(qRound(*request.dpi));
    // With the orientation model, pages scanned upside down or sideways are
    // turned before reading (only when it is sure); without it tesseract
    // reads them as gibberish.
    if (QFileInfo::exists(QDir(*data).filePath(QStringLiteral("osd.traineddata"))))
        arguments << QStringLiteral("--psm") << QStringLiteral("1");
    arguments << QStringLiteral("-c") << QStringLiteral("tessedit_create_hocr=1");
    ChildProcess child(*program, arguments);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Pages are read side by side, one thread each: tesseract's own threads
    // only wait for each other on a busy machine.
    environment.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    child.process().setProcessEnvironment(environment);
    child.start();
    if (child.wait({request.timeLimit, std::nullopt}) == ChildProcess::Ending::outOfTime)
        throw Fail(tr("%1 takes too long to read.").arg(request.what));
    if (!child.succeeded()) {
        const QString complaint = QString::fromUtf8(child.standardError()).trimmed().right(400);
        throw Fail(tr("%1 can’t be read.").arg(request.what) +
                   (complaint.isEmpty() ? QString() : QLatin1Char('\n') + complaint));
    }
    return Hocr::parse(child.standardOutput());
}

std::chrono::milliseconds pageTimeLimit()
{
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("FLINGDIAL_OCR_PAGE_TIMEOUT", &ok);
    return std::chrono::seconds(ok && seconds > 0 ? seconds : 180);
}

} // namespace Tesseract
