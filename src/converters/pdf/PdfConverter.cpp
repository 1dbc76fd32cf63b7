#include "converters/pdf/PdfConverter.h"

#include "base/Errors.h"
#include "base/FileKind.h"
#include "base/FileOps.h"
#include "base/PageName.h"
#include "base/TextFile.h"
#include "base/Translate.h"
#include "converters/ocr/OcrConverter.h"
#include "converters/pdf/PageHelper.h"
#include "core/Ask.h"
#include "core/Deps.h"
#include "core/Engines.h"
#include "core/Job.h"
#include "core/Output.h"
#include "core/ResultGuard.h"
#include "core/ScratchDirectory.h"
#include "core/Settings.h"
#include "core/Shell.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace PdfConverter {

FLINGDIAL_TR_CONTEXT(PdfConverter)

namespace {

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

PdfEngine::Facts checked(const QString& path)
{
    FileOps::requireRegularFile(path);
    return Engines::pdf().open(path);
}

QString result(const QString& source, const QString& suffix,
               const std::function<void(const QString& out)>& write)
{
    return ResultGuard::make(Output::candidate(source, suffix, QStringLiteral("pdf")), write);
}

// A copy that poppler can read, when qpdf could read the file only by
// repairing it; the file itself otherwise.
QString readable(const QString& source, const PdfEngine::Facts& facts,
                 const ScratchDirectory& scratch)
{
    if (!facts.repaired)
        return source;
    const QString copy = scratch.filePath(QStringLiteral("repaired.pdf"));
    Engines::pdf().rewrite(source, copy);
    return copy;
}

using PdfPagesProtocol::Mode;

// Draws the pages into `folder`, in the helper.
void drawPages(const QString& pdf, const QString& name, const QString& folder, const QString& stem,
               const QString& extension, int pageCount)
{
    PageHelper helper(
        Mode::images,
        {pdf, folder, stem, extension, QString::number(Settings::shared().jpegQuality())}, name);
    const auto pageDrawn = [&](int drawn) {
        Job::reportFraction(double(drawn) / std::max(pageCount, 1));
    };
    if (!helper.finish(pageDrawn))
        throw Fail(tr("A page of %1 takes too long to draw.").arg(name));
}

// Writes the text of the PDF to `output` as plain text or HTML, in the helper.
void writeText(Mode mode, const QString& pdf, const QString& name, const QString& output,
               int pageCount)
{
    if (pageCount == 0) {
        // Nothing for poppler to read; an empty document all the same.
        TextFile::write(output, mode == Mode::html ? QStringLiteral("<html><body></body></html>")
                                                   : QString());
        return;
    }
    PageHelper helper(mode, {pdf, output}, name);
    const auto pageRead = [&](int read) { Job::reportFraction(double(read) / pageCount); };
    if (!helper.finish(pageRead))
        throw Fail(tr("The text of %1 takes too long to read.").arg(name));
}

QString asDocument(const QString& source, const QString& target)
{
    const PdfEngine::Facts facts = checked(source);
    const ScratchDirectory scratch;
    const QString pdf = readable(source, facts, scratch);
    const QString name = fileName(source);
    const QString wanted = Output::candidate(source, QString(), target);
    if (target == QLatin1String("txt"))
        return ResultGuard::make(wanted, [&](const QString& out) {
            writeText(Mode::text, pdf, name, out, facts.pages);
        });
    const QString html = scratch.filePath(QStringLiteral("text.html"));
    writeText(Mode::html, pdf, name, html, facts.pages);
    return ResultGuard::make(wanted, [&](const QString& out) {
        Engines::documents().convert(html, target, Output::baseName(source), out);
    });
}

// The characters of a text, counted, to compare two extractions.
QHash<QChar, qsizetype> characters(const QString& text)
{
    QHash<QChar, qsizetype> counts;
    for (const QChar c : text)
        if (!c.isSpace())
            ++counts[c];
    return counts;
}

// The characters of a text file the helper wrote.
QHash<QChar, qsizetype> charactersIn(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Fail::cantRead(path);
    return characters(QString::fromUtf8(file.readAll()));
}

// Whether Ghostscript kept what the source had: its pages, its form, and
// its text (it has been seen to garble Hebrew, Korean and Russian). The
// source's text is being read by `reading` into `sourceText`; text that
// can't be read in time can't be checked, so the answer is no.
bool keepsEverything(const PdfEngine::Facts& facts, PageHelper& reading, const QString& sourceText,
                     const QString& made, const ScratchDirectory& scratch)
{
    try {
        const PdfEngine::Facts after = Engines::pdf().open(made);
        if (after.pages != facts.pages || (facts.hasForm && !after.hasForm))
            return false;
        if (!reading.finish())
            return false;
        const QString madeText = scratch.filePath(QStringLiteral("ghostscript.txt"));
        PageHelper madeReading(Mode::text, {made, madeText}, fileName(made));
        if (!madeReading.finish())
            return false;
        const auto before = charactersIn(sourceText);
        const auto now = charactersIn(madeText);
        qsizetype total = 0;
        qsizetype kept = 0;
        for (auto it = before.constBegin(); it != before.constEnd(); ++it) {
            total += it.value();
            kept += std::min(it.value(), now.value(it.key()));
        }
        return total == 0 || kept >= total * 98 / 100;
    } catch (const Fail&) {
        return false;
    }
}

QString compress(const QString& source)
{
    const PdfEngine::Facts facts = checked(source);
    const qint64 size = QFileInfo(source).size();
    const ScratchDirectory scratch;
    QString best;
    if (const auto gs = Deps::ghostscript(); gs && facts.pages > 0) {
        // Ghostscript reads % in names as a format: it gets names of ours.
        const QString input = scratch.filePath(QStringLiteral("source.pdf"));
        const QString made = scratch.filePath(QStringLiteral("ghostscript.pdf"));
        if (!QFile::link(source, input))
            FileOps::copy(source, input);
        // The source's text is read while Ghostscript works.
        const QString sourceText = scratch.filePath(QStringLiteral("source.txt"));
        PageHelper reading(Mode::text, {readable(source, facts, scratch), sourceText},
                           fileName(source));
        try {
            Shell::run(*gs,
                       {QStringLiteral("-sDEVICE=pdfwrite"), QStringLiteral("-dPDFSETTINGS=/ebook"),
                        QStringLiteral("-dCompatibilityLevel=1.5"), QStringLiteral("-dNOPAUSE"),
                        QStringLiteral("-dBATCH"), QStringLiteral("-dQUIET"),
                        QStringLiteral("-sOutputFile=") + made, input});
            if (QFileInfo(made).size() < size &&
                keepsEverything(facts, reading, sourceText, made, scratch))
                best = made;
        } catch (const Fail&) {
            // The built-in engine takes over.
        }
    }
    if (best.isEmpty()) {
        const QString made = scratch.filePath(QStringLiteral("built-in.pdf"));
        Engines::pdfCompressor().compress(source, made, Settings::shared().jpegQuality());
        if (QFileInfo(made).size() < size)
            best = made;
    }
    if (best.isEmpty())
        throw Fail(tr("%1 is already as small as it gets.").arg(fileName(source)));
    return result(source, QStringLiteral(" compressed"),
                  [&](const QString& out) { FileOps::move(best, out); });
}

QString merge(const QStringList& files)
{
    if (files.size() < 2)
        throw Fail(tr("Drag two or more PDFs to merge them."));
    for (const QString& file : files)
        checked(file);
    return result(files.first(), QStringLiteral(" merged"),
                  [&](const QString& out) { Engines::pdf().merge(files, out); });
}

QString split(const QString& source)
{
    checked(source);
    const QString stem = Output::baseName(source);
    ResultGuard folder(Output::directory(source) + QLatin1Char('/') + stem +
                       QStringLiteral(" split"));
    folder.makeDirectory();
    Engines::pdf().split(source, folder.path(),
                         [&](int page) { return PageName::of(stem, page, QStringLiteral("pdf")); });
    return folder.commit();
}

QString rotate(const QString& source)
{
    checked(source);
    return result(source, QStringLiteral(" rotated"),
                  [&](const QString& out) { Engines::pdf().rotate(source, out); });
}

Operation promptingTool(const QString& title, const QString& symbol, bool keep)
{
    return Operation(title,
                     [keep](const QStringList& files) {
                         const QString answer =
                             keep ? Ask::text(tr("Extract Pages"),
                                              tr("Pages to keep (for example 1-3, 5):"),
                                              QStringLiteral("1-3, 5"))
                                  : Ask::text(tr("Remove Pages"),
                                              tr("Pages to remove (for example 2, 4-6):"),
                                              QStringLiteral("2, 4-6"));
                         QStringList results;
                         for (const QString& file : files)
                             results.append(keepPages(file, answer, keep));
                         return results;
                     })
        .withSymbol(symbol);
}

// A whole decimal number with an optional "+", no larger than an int.
std::optional<qint64> pageNumber(const QString& text)
{
    QString digits = text;
    if (digits.startsWith(QLatin1Char('+')))
        digits.remove(0, 1);
    if (digits.isEmpty() || digits.size() > 10 ||
        !std::all_of(digits.cbegin(), digits.cend(),
                     [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }))
        return std::nullopt;
    const qint64 value = digits.toLongLong();
    if (value > std::numeric_limits<int>::max())
        return std::nullopt;
    return value;
}

} // namespace

QStringList targets()
{
    QStringList list = {QStringLiteral("docx"), QStringLiteral("pages"), QStringLiteral("txt"),
                        QStringLiteral("md"),   QStringLiteral("rtf"),   QStringLiteral("html"),
                        QStringLiteral("epub"), QStringLiteral("jpg"),   QStringLiteral("png")};
    if (!Deps::hasApp(QStringLiteral("Pages")))
        list.removeOne(QStringLiteral("pages"));
    return list;
}

QList<Operation> tools()
{
    return {
        Operation::perFile(QStringLiteral("Compress"),
                           QStringLiteral("arrow.down.right.and.arrow.up.left"), compress),
        Operation::allFiles(QStringLiteral("Merge"), QStringLiteral("doc.on.doc"), merge),
        Operation::perFile(QStringLiteral("Split"), QStringLiteral("square.split.2x1"), split),
        Operation::perFile(QStringLiteral("Rotate"), QStringLiteral("rotate.right"), rotate),
        promptingTool(QStringLiteral("Extract Pages…"), QStringLiteral("doc.badge.plus"), true),
        promptingTool(QStringLiteral("Remove Pages…"), QStringLiteral("trash"), false),
        OcrConverter::makeSearchable(),
    };
}

QList<int> pages(const QString& text, int count)
{
    QSet<int> selected;
    for (const QString& piece : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        static const QRegularExpression dashes(QStringLiteral("[-\u2013]"));
        QStringList parts = piece.split(dashes, Qt::SkipEmptyParts);
        std::optional<qint64> first;
        std::optional<qint64> last;
        if (parts.size() == 1 || parts.size() == 2) {
            first = pageNumber(Ask::trimSpacesAndTabs(parts.first()));
            last = pageNumber(Ask::trimSpacesAndTabs(parts.last()));
        }
        if (!first || !last || *first < 1 || *first > *last)
            throw Fail(tr("“%1” isn’t a valid page range.").arg(Ask::trimSpacesAndTabs(piece)));
        // Pages past the end are nothing to select, and never walked.
        for (qint64 page = *first; page <= std::min<qint64>(*last, count); ++page)
            selected.insert(int(page - 1));
    }
    QList<int> list(selected.cbegin(), selected.cend());
    std::sort(list.begin(), list.end());
    return list;
}

QString keepPages(const QString& file, const QString& spec, bool keep)
{
    const int count = checked(file).pages;
    const QList<int> listed = pages(spec, count);
    QList<int> kept;
    for (int index = 0; index < count; ++index)
        if (listed.contains(index) == keep)
            kept.append(index);
    if (kept.isEmpty())
        throw Fail(tr("No pages would be left."));
    return result(file, keep ? QStringLiteral(" extracted") : QStringLiteral(" edited"),
                  [&](const QString& out) { Engines::pdf().keepPages(file, kept, out); });
}

QStringList images(const QString& pdf, const QString& extension, const QString& namedAfter)
{
    const PdfEngine::Facts facts = checked(pdf);
    const ScratchDirectory scratch;
    const QString readablePdf = readable(pdf, facts, scratch);
    const QString stem = Output::baseName(namedAfter);
    const QString name = fileName(namedAfter);
    if (facts.pages == 1) {
        drawPages(readablePdf, name, scratch.path(), stem, extension, facts.pages);
        const QString page = scratch.filePath(PageName::of(stem, 1, extension));
        if (!QFileInfo::exists(page))
            throw Fail(tr("The page of %1 can’t be drawn.").arg(name));
        return {ResultGuard::make(Output::candidate(namedAfter, QString(), extension),
                                  [&](const QString& out) { FileOps::move(page, out); })};
    }
    ResultGuard folder(Output::directory(namedAfter) + QLatin1Char('/') + stem +
                       QStringLiteral(" pages"));
    folder.makeDirectory();
    if (facts.pages > 0)
        drawPages(readablePdf, name, folder.path(), stem, extension, facts.pages);
    return {folder.commit()};
}

QStringList convert(const QString& file, const QString& target)
{
    if (target == QLatin1String("jpg") || target == QLatin1String("png"))
        return images(file, target, file);
    return {asDocument(file, target)};
}

ConverterFamily family()
{
    ConverterFamily family;
    family.kind = FileKind::pdf;
    family.targets = [](const QString&) { return targets(); };
    family.convert = convert;
    // Page images are drawn by the helper; the text formats are written by
    // the document engine.
    family.laysOutText = [](const QString& target) {
        return target != QLatin1String("jpg") && target != QLatin1String("png");
    };
    family.tools = tools;
    return family;
}

} // namespace PdfConverter
