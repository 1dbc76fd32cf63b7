#include "converters/ocr/OcrConverter.h"

#include "base/Errors.h"
#include "base/FileOps.h"
#include "base/TextWriter.h"
#include "base/Translate.h"
#include "converters/ocr/PageWorkers.h"
#include "converters/ocr/Tesseract.h"
#include "core/ChildProcess.h"
#include "core/Deps.h"
#include "core/Engines.h"
#include "core/Output.h"
#include "core/Plugins.h"
#include "core/ResultGuard.h"
#include "core/ScratchDirectory.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cmath>

namespace OcrConverter {
FLINGDIAL_TR_CONTEXT(OcrConverter)

namespace {

using Clock = std::chrono::steady_clock;

// Pages are drawn for reading at the resolution they were scanned at,
// within what tesseract reads well; pages without pictures at 300 dpi.
constexpr double lowestDpi = 150;
constexpr double highestDpi = 400;
constexpr double usualDpi = 300;
// The largest picture handed to tesseract; larger ones are read shrunk.
constexpr double readingPixelLimit = 40e6;

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

QString pageHelper()
{
    const auto helper = Plugins::helper(QStringLiteral("flingdial-pdf-pages"));
    if (!helper)
        throw Fail(tr("The PDF page renderer is missing. Reinstall Flingdial."));
    return *helper;
}

// The helper's own sentence when it has one, else `otherwise`.
QString complaintOf(const ChildProcess& child, const QString& otherwise)
{
    const QString complaint = QString::fromUtf8(child.standardError()).trimmed();
    return complaint.startsWith(QLatin1String("error: ")) ? complaint.mid(7) : otherwise;
}

// Which pages carry text already, each looked at under the time limit.
QList<bool> pagesWithText(const QString& pdf, const QString& name, int pageCount)
{
    ChildProcess child(pageHelper(), {QStringLiteral("--text"), pdf});
    child.start();
    QList<bool> text;
    const auto pageRead = [&](const QByteArray& line) { text.append(line.endsWith(" text")); };
    if (child.wait({std::nullopt, Tesseract::pageTimeLimit()}, pageRead) ==
        ChildProcess::Ending::outOfTime)
        throw Fail(tr("A page of %1 takes too long to read.").arg(name));
    if (!child.succeeded() || text.size() != pageCount)
        throw Fail(complaintOf(child, tr("The pages of %1 can’t be read.").arg(name)));
    return text;
}

// Draws one page in grey for tesseract; returns the resolution used.
double drawPage(const QString& pdf, int page, double dpi, const QString& out, const QString& what,
                std::chrono::milliseconds limit)
{
    ChildProcess child(pageHelper(), {QStringLiteral("--grey"), pdf, QString::number(page + 1),
                                      QString::number(dpi), out});
    child.start();
    if (child.wait({limit, std::nullopt}) == ChildProcess::Ending::outOfTime)
        throw Fail(tr("%1 takes too long to read.").arg(what));
    const QByteArray answer = child.standardOutput().trimmed();
    if (!child.succeeded() || !answer.startsWith("dpi "))
        throw Fail(complaintOf(child, tr("%1 can’t be drawn.").arg(what)));
    return answer.mid(4).toDouble();
}

std::chrono::milliseconds remaining(Clock::time_point deadline)
{
    return std::max(std::chrono::milliseconds(1),
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
}

TextLayerEngine::Page layerOf(int index, const Hocr::Page& read)
{
    return {index, read.size, read.lines()};
}

// The picture upright in grey, as a PGM file for tesseract: users' files
// never reach it, since it would read a text file as a list of pictures.
void writeGrey(const QString& picture, const QString& out)
{
    const auto size = Engines::images().pixelSize(picture);
    if (!size)
        throw Fail::cantRead(picture);
    const double pixels = double(size->width()) * size->height();
    std::optional<int> fit;
    if (pixels > readingPixelLimit)
        fit = int(std::max(size->width(), size->height()) * std::sqrt(readingPixelLimit / pixels));
    const auto upright = Engines::images().loadUpright(picture, fit);
    if (!upright || upright->size.isEmpty())
        throw Fail::cantRead(picture);
    const int width = upright->size.width();
    const int height = upright->size.height();
    QByteArray grey =
        "P5\n" + QByteArray::number(width) + ' ' + QByteArray::number(height) + "\n255\n";
    const qsizetype header = grey.size();
    grey.resize(header + qsizetype(width) * height);
    const auto* rgba = reinterpret_cast<const uchar*>(upright->rgba.constData());
    auto* target = reinterpret_cast<uchar*>(grey.data() + header);
    for (qsizetype i = 0; i < qsizetype(width) * height; ++i, rgba += 4) {
        // Transparent parts read as white paper.
        const int luma = (rgba[0] * 299 + rgba[1] * 587 + rgba[2] * 114) / 1000;
        target[i] = uchar((luma * rgba[3] + 255 * (255 - rgba[3])) / 255);
    }
    QFile file(out);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || file.write(grey) != grey.size() ||
        !file.flush())
        throw Fail::cantSave(out);
}

// What tesseract reads on each picture, side by side.
QList<Hocr::Page> readPictures(const QStringList& pictures, const ScratchDirectory& scratch)
{
    const QString languages = Tesseract::languages();
    QList<Hocr::Page> pages(pictures.size());
    PageWorkers::run(int(pictures.size()), PageWorkers::threadCount(), [&](int index) {
        const auto deadline = Clock::now() + Tesseract::pageTimeLimit();
        const QString& picture = pictures.at(index);
        const QString grey = scratch.filePath(QStringLiteral("picture-%1.pgm").arg(index + 1));
        writeGrey(picture, grey);
        pages[index] = Tesseract::read(
            {grey, std::nullopt, languages, fileName(picture), remaining(deadline)});
        QFile::remove(grey);
    });
    return pages;
}

} // namespace

QString searchable(const QString& pdf)
{
    FileOps::requireRegularFile(pdf);
    const QString name = fileName(pdf);
    const QString languages = Tesseract::languages();
    const PdfEngine::Facts facts = Engines::pdf().open(pdf);
    if (facts.pages == 0)
        throw Fail(tr("%1 has no pages.").arg(name));
    const ScratchDirectory scratch;
    // Poppler reads what qpdf could read only by repairing it from a copy.
    QString readable = pdf;
    if (facts.repaired) {
        readable = scratch.filePath(QStringLiteral("repaired.pdf"));
        Engines::pdf().rewrite(pdf, readable);
    }
    const QList<bool> hasText = pagesWithText(readable, name, facts.pages);
    QList<int> scanned;
    for (int page = 0; page < hasText.size(); ++page)
        if (!hasText.at(page))
            scanned.append(page);
    if (scanned.isEmpty())
        throw Fail(tr("%1 already has text.").arg(name));
    const auto resolutions = Engines::textLayers().scanResolutions(readable);
    QList<TextLayerEngine::Page> layers(scanned.size());
    PageWorkers::run(int(scanned.size()), PageWorkers::threadCount(), [&](int item) {
        const auto deadline = Clock::now() + Tesseract::pageTimeLimit();
        const int page = scanned.at(item);
        const QString what = tr("Page %1 of %2").arg(page + 1).arg(name);
        const double dpi =
            std::clamp(resolutions.value(page).value_or(usualDpi), lowestDpi, highestDpi);
        const QString grey = scratch.filePath(QStringLiteral("page-%1.pgm").arg(page + 1));
        const double drawn = drawPage(readable, page, dpi, grey, what, remaining(deadline));
        layers[item] =
            layerOf(page, Tesseract::read({grey, drawn, languages, what, remaining(deadline)}));
        QFile::remove(grey);
    });
    if (std::all_of(layers.cbegin(), layers.cend(),
                    [](const TextLayerEngine::Page& page) { return page.lines.isEmpty(); }))
        throw Fail(tr("No text was found in %1.").arg(name));
    return ResultGuard::make(
        Output::candidate(pdf, tr(" searchable"), QStringLiteral("pdf")),
        [&](const QString& out) { Engines::textLayers().addTextLayers(readable, layers, out); });
}

QString searchablePdf(const QStringList& pictures)
{
    for (const QString& picture : pictures)
        FileOps::requireRegularFile(picture);
    const ScratchDirectory scratch;
    const QList<Hocr::Page> read = readPictures(pictures, scratch);
    QList<TextLayerEngine::Page> layers;
    for (int index = 0; index < read.size(); ++index)
        layers.append(layerOf(index, read.at(index)));
    if (std::all_of(read.cbegin(), read.cend(),
                    [](const Hocr::Page& page) { return page.isEmpty(); }))
        throw Fail(pictures.size() == 1
                       ? tr("No text was found in %1.").arg(fileName(pictures.first()))
                       : tr("No text was found in these pictures."));
    const QString images = scratch.filePath(QStringLiteral("pictures.pdf"));
    if (Engines::images().writePdf(pictures, images) != pictures.size())
        throw Fail(tr("Not every picture can be read."));
    return ResultGuard::make(
        Output::candidate(pictures.first(), QString(), QStringLiteral("pdf")),
        [&](const QString& out) { Engines::textLayers().addTextLayers(images, layers, out); });
}

QString text(const QString& picture)
{
    FileOps::requireRegularFile(picture);
    const ScratchDirectory scratch;
    const QString words = readPictures({picture}, scratch).constFirst().text();
    if (words.isEmpty())
        throw Fail(tr("No text was found in %1.").arg(fileName(picture)));
    return ResultGuard::make(Output::candidate(picture, QString(), QStringLiteral("txt")),
                             [&](const QString& out) {
                                 TextWriter writer(out);
                                 writer.write(words);
                                 writer.finish();
                             });
}

namespace {

Operation needingTesseract(Operation operation)
{
    operation.unavailableReason = Deps::ocrReason();
    return operation;
}

} // namespace

Operation makeSearchable()
{
    return needingTesseract(Operation::perFile(
        tr("Make Searchable"), QStringLiteral("doc.text.magnifyingglass"), searchable));
}

Operation searchablePdf()
{
    return needingTesseract(
        Operation::allFiles(tr("Make Searchable PDF"), QStringLiteral("doc.text.magnifyingglass"),
                            [](const QStringList& pictures) { return searchablePdf(pictures); }));
}

Operation extractText()
{
    return needingTesseract(
        Operation::perFile(tr("Extract Text"), QStringLiteral("doc.text"), text));
}

} // namespace OcrConverter
