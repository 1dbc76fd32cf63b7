#include "converters/media/FFmpeg.h"

#include "base/Errors.h"
#include "base/Translate.h"
#include "core/Deps.h"
#include "core/Job.h"
#include "core/Operation.h"
#include "core/ScratchDirectory.h"
#include "core/Shell.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <algorithm>

namespace FFmpeg {

FLINGDIAL_TR_CONTEXT(FFmpeg)

namespace {

// ffmpeg's description of a file's streams, printed on its error output
// when it opens the file and writes nothing.
std::optional<QString> listing(const QString& file)
{
    const auto program = path();
    if (!program)
        return std::nullopt;
    try {
        return Shell::run(*program,
                          {QStringLiteral("-hide_banner"), QStringLiteral("-i"), file,
                           QStringLiteral("-t"), QStringLiteral("0"), QStringLiteral("-f"),
                           QStringLiteral("null"), QStringLiteral("-")},
                          std::nullopt, std::nullopt, true);
    } catch (const Error&) {
        return std::nullopt;
    }
}

// The length of what ffmpeg will write: a -t, or the span of -ss and -to,
// else the inputs end to end.
std::optional<double> outputLength(const QStringList& arguments)
{
    const auto valueOf = [&](const char* option) -> std::optional<double> {
        const qsizetype at = arguments.indexOf(QLatin1String(option));
        if (at < 0 || at + 1 >= arguments.size())
            return std::nullopt;
        return secondsOf(arguments.at(at + 1));
    };
    if (const auto length = valueOf("-t"))
        return length;
    if (const auto from = valueOf("-ss"), to = valueOf("-to"); from && to)
        return *to - *from;
    double total = 0;
    for (qsizetype i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments.at(i) != QLatin1String("-i"))
            continue;
        const auto length = duration(arguments.at(i + 1));
        if (!length)
            return std::nullopt;
        total += *length;
    }
    return total > 0 ? std::optional(total) : std::nullopt;
}

// Reads ffmpeg's -progress lines ("out_time_us=…", "progress=end") into the
// current job, as a share of `length` seconds within the run's part.
Shell::Watch progressWatch(double length, Share share)
{
    Shell::Watch watch;
    const auto report = [share](double done) {
        Job::reportFraction(share.from + std::clamp(done, 0.0, 1.0) * (share.to - share.from));
    };
    watch.outputLine = [length, report](const QByteArray& line) {
        if (line.startsWith("out_time_us=")) {
            bool ok = false;
            const double microseconds = line.mid(12).toDouble(&ok);
            if (ok)
                report(microseconds / 1e6 / length);
        } else if (line == "progress=end") {
            report(1);
        }
    };
    return watch;
}

// ffmpeg's failure as one sentence naming the input, then ffmpeg's own
// words about the names the user knows.
Fail inUserTerms(const Fail& failure, const QStringList& arguments, const QStringList& handedOver)
{
    QStringList inputs;
    QString words = failure.message().section(QLatin1Char('\n'), 1);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments.at(i - 1) != QLatin1String("-i"))
            continue;
        inputs.append(QFileInfo(arguments.at(i)).fileName());
        words.replace(handedOver.at(i), arguments.at(i));
    }
    const QString sentence = inputs.size() == 1 && !arguments.contains(QStringLiteral("concat"))
                                 ? tr("ffmpeg couldn’t convert %1.").arg(inputs.first())
                                 : tr("ffmpeg couldn’t join the files.");
    return Fail(words.isEmpty() ? sentence : sentence + QLatin1Char('\n') + words);
}

// Files side by side each take their share of the cores: x264 and the
// decoders otherwise start a thread per core each, which measured slower
// and took more memory than a share each (bench/media.sh).
QStringList withThreadShare(QStringList arguments)
{
    const int files = Operation::filesAtOnce();
    if (files <= 1 || arguments.isEmpty())
        return arguments;
    const QString threads = QString::number(std::max(1, QThread::idealThreadCount() / files));
    // Before each input (its decoder) and before the output (the encoders).
    for (qsizetype i = arguments.size() - 1; i >= 0; --i) {
        if (i == arguments.size() - 1 || arguments.at(i) == QLatin1String("-i")) {
            arguments.insert(i, threads);
            arguments.insert(i, QStringLiteral("-threads"));
        }
    }
    return arguments;
}

} // namespace

std::optional<QString> path()
{
    return Deps::ffmpeg();
}

const QString& encoders()
{
    static const QString list = [] {
        const auto program = path();
        if (!program)
            return QString();
        try {
            return Shell::run(*program,
                              {QStringLiteral("-hide_banner"), QStringLiteral("-encoders")});
        } catch (const Error&) {
            return QString();
        }
    }();
    return list;
}

bool hasEncoder(const QString& name)
{
    static const QRegularExpression word(QStringLiteral("^\\s*\\S+\\s+(\\S+)"),
                                         QRegularExpression::MultilineOption);
    QRegularExpressionMatchIterator lines = word.globalMatch(encoders());
    while (lines.hasNext()) {
        if (lines.next().captured(1) == name)
            return true;
    }
    return false;
}

void run(const QStringList& arguments, Share share)
{
    const auto program = path();
    if (!program)
        throw Fail(Deps::ffmpegMissingReason().text());
    // ffmpeg reads % in an input's name as a frame-number pattern: such
    // inputs are handed over as links with names of ours.
    std::optional<ScratchDirectory> links;
    QStringList safe = arguments;
    for (qsizetype i = 1; i < safe.size(); ++i) {
        if (safe.at(i - 1) != QLatin1String("-i") || !safe.at(i).contains(QLatin1Char('%')))
            continue;
        if (!links)
            links.emplace();
        const QString link = links->filePath(
            QStringLiteral("input%1.%2").arg(i).arg(QFileInfo(safe.at(i)).suffix()));
        if (!QFile::link(safe.at(i), link))
            throw Fail::cantRead(safe.at(i));
        safe[i] = link;
    }
    QStringList options{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                        QStringLiteral("error"), QStringLiteral("-y")};
    // Someone watches the work: ffmpeg reports how far it is on its output.
    const std::optional<double> length = Job::current() ? outputLength(arguments) : std::nullopt;
    try {
        const QStringList handed = withThreadShare(safe);
        if (!length) {
            Shell::run(*program, options + handed);
            return;
        }
        options << QStringLiteral("-nostats") << QStringLiteral("-progress")
                << QStringLiteral("pipe:1");
        Shell::run(*program, options + handed, progressWatch(*length, share));
    } catch (const Fail& failure) {
        throw inUserTerms(failure, arguments, safe);
    }
}

Streams parseStreams(const QString& listing)
{
    static const QRegularExpression video(QStringLiteral(
        "Stream #0:\\d+.*?: Video: (\\w+).*?, (\\d+x\\d+).*?, ([\\d.]+) (?:fps|tbr)"));
    static const QRegularExpression audio(
        QStringLiteral("Stream #0:\\d+.*?: Audio: (\\w+).*?, (\\d+) Hz, ([^,\\n]+)"));
    Streams found;
    if (const auto match = video.match(listing); match.hasMatch())
        found.video = QStringList{match.captured(1), match.captured(2), match.captured(3)}.join(
            QLatin1Char(' '));
    if (const auto match = audio.match(listing); match.hasMatch()) {
        found.audio = QStringList{match.captured(1), match.captured(2), match.captured(3)}.join(
            QLatin1Char(' '));
        found.sampleRate = match.captured(2);
    }
    return found;
}

Streams streams(const QString& file)
{
    const auto text = listing(file);
    return text ? parseStreams(*text) : Streams();
}

QList<std::pair<QString, QString>> parseTags(const QString& listing)
{
    // The input's own "Metadata:" block, before its streams' blocks: lines
    // "    key             : value".
    static const QRegularExpression line(QStringLiteral("^    (\\S[^:]*?)\\s*: (.*)$"));
    QList<std::pair<QString, QString>> found;
    const QStringList lines = listing.split(QLatin1Char('\n'));
    const qsizetype block = lines.indexOf(QStringLiteral("  Metadata:"));
    for (qsizetype i = block < 0 ? lines.size() : block + 1; i < lines.size(); ++i) {
        if (!lines.at(i).startsWith(QLatin1String("    ")))
            break;
        if (const auto match = line.match(lines.at(i)); match.hasMatch())
            found.append({match.captured(1), match.captured(2)});
    }
    return found;
}

QList<std::pair<QString, QString>> tags(const QString& file)
{
    const auto text = listing(file);
    return text ? parseTags(*text) : QList<std::pair<QString, QString>>();
}

std::optional<double> duration(const QString& file)
{
    const auto text = listing(file);
    if (!text)
        return std::nullopt;
    static const QRegularExpression length(QStringLiteral("Duration: (\\d+:\\d+:[\\d.]+)"));
    const auto match = length.match(*text);
    if (!match.hasMatch())
        return std::nullopt;
    return secondsOf(match.captured(1));
}

double secondsOf(const QString& time)
{
    double total = 0;
    for (const QString& part : time.split(QLatin1Char(':')))
        total = total * 60 + part.toDouble();
    return total;
}

} // namespace FFmpeg
