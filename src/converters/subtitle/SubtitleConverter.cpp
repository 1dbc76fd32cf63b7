#include "converters/subtitle/SubtitleConverter.h"

#include "base/Errors.h"
#include "base/FileKind.h"
#include "base/TextFile.h"
#include "base/TextWriter.h"
#include "base/Translate.h"
#include "converters/archive/ArchiveConverter.h"
#include "core/Ask.h"
#include "core/Output.h"
#include "core/ResultGuard.h"

#include <QRegularExpression>
#include <QVarLengthArray>
#include <cmath>

namespace SubtitleConverter {

FLINGDIAL_TR_CONTEXT(SubtitleConverter)

namespace {

// A timestamp is "hh:mm:ss" + separator + "mmm", twelve characters, where
// a digit is a decimal digit of any script. Matches are found leftmost
// first and never overlap. The text passes are written by hand: subtitle
// files run to megabytes, and these loops touch every character.
constexpr qsizetype timestampLength = 12;

bool isOneOf(QChar c, QStringView set)
{
    return std::find(set.begin(), set.end(), c) != set.end();
}

bool isTimestampAt(const QChar* stamp, QStringView separators)
{
    const auto digit = [stamp](int at) { return stamp[at].isDigit(); };
    return stamp[2] == u':' && stamp[5] == u':' && isOneOf(stamp[8], separators) && digit(0) &&
           digit(1) && digit(3) && digit(4) && digit(6) && digit(7) && digit(9) && digit(10) &&
           digit(11);
}

template<typename Visit>
void forEachTimestamp(QStringView text, QStringView separators, Visit visit)
{
    const QChar* const chars = text.data();
    // i is where a timestamp's first colon would be.
    for (qsizetype i = 2; i - 2 + timestampLength <= text.size();) {
        if (chars[i] == u':' && isTimestampAt(chars + i - 2, separators)) {
            visit(i - 2);
            i += timestampLength;
        } else {
            ++i;
        }
    }
}

// Line feeds for carriage return + line feed, then no byte-order marks.
QString normalisedLines(const QString& text)
{
    const QStringView view(text);
    const QChar byteOrderMark(0xFEFF);
    if (!view.contains(u'\r') && !view.contains(byteOrderMark))
        return text;
    QString result;
    result.reserve(text.size());
    qsizetype from = 0;
    for (qsizetype cr = view.indexOf(u'\r'); cr >= 0; cr = view.indexOf(u'\r', cr + 1)) {
        if (cr + 1 < view.size() && view[cr + 1] == u'\n') {
            result.append(view.mid(from, cr - from));
            from = cr + 1;
        }
    }
    result.append(view.mid(from));
    result.remove(byteOrderMark);
    return result;
}

// Writes `value` in decimal, zero-padded to `width`, and returns the end.
char16_t* writePadded(char16_t* out, qint64 value, int width)
{
    if (width == 2 && value < 100) {
        *out++ = char16_t(u'0' + value / 10);
        *out++ = char16_t(u'0' + value % 10);
        return out;
    }
    if (width == 3 && value < 1000) {
        *out++ = char16_t(u'0' + value / 100);
        *out++ = char16_t(u'0' + value / 10 % 10);
        *out++ = char16_t(u'0' + value % 10);
        return out;
    }
    char16_t digits[20];
    int count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (int pad = count; pad < width; ++pad)
        *out++ = u'0';
    while (count > 0)
        *out++ = digits[--count];
    return out;
}

qsizetype indexOfChar(QStringView text, char16_t c, qsizetype from)
{
    const QChar* const begin = text.data();
    const QChar* const end = begin + text.size();
    for (const QChar* p = begin + from; p < end; ++p) {
        if (*p == c)
            return p - begin;
    }
    return -1;
}

qsizetype indexOfArrow(QStringView text, qsizetype from)
{
    for (qsizetype dash = indexOfChar(text, u'-', from); dash >= 0 && dash + 3 <= text.size();
         dash = indexOfChar(text, u'-', dash + 1)) {
        if (text[dash + 1] == u'-' && text[dash + 2] == u'>')
            return dash;
    }
    return -1;
}

using Line = QVarLengthArray<char16_t, 96>;

// SRT time: full stops become commas, and "mm:ss" gains "00:" in front.
void writeSrtTime(Line& out, QStringView time)
{
    if (std::count(time.begin(), time.end(), u':') == 1)
        out.append(u"00:", 3);
    for (const QChar c : time)
        out.append(c == u'.' ? u',' : c.unicode());
}

QStringView trimmedSpacesAndTabs(QStringView text)
{
    const auto isBlank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

// Calls visit(line) for each non-empty line of `text`, in order, until it returns false.
template<typename Visit> void forEachLine(QStringView text, Visit visit)
{
    qsizetype from = 0;
    while (from <= text.size()) {
        qsizetype end = indexOfChar(text, u'\n', from);
        if (end < 0)
            end = text.size();
        if (end > from && !visit(text.mid(from, end - from), end + 1))
            return;
        from = end + 1;
    }
}

// Appends one SRT cue for a block, or nothing when the block has no timing.
bool appendCue(QString& out, int number, QStringView block)
{
    QStringView timing;
    qsizetype textStart = -1;
    forEachLine(block, [&](QStringView line, qsizetype next) {
        if (indexOfArrow(line, 0) < 0)
            return true;
        timing = line;
        textStart = next;
        return false;
    });
    if (textStart < 0)
        return false;
    const qsizetype arrow = indexOfArrow(timing, 0);
    if (indexOfArrow(timing, arrow + 3) >= 0)
        return false;
    const QStringView start = trimmedSpacesAndTabs(timing.first(arrow));
    QStringView end = trimmedSpacesAndTabs(timing.sliced(arrow + 3));
    if (const qsizetype space = indexOfChar(end, u' ', 0); space >= 0)
        end.truncate(space);

    // The number and timing lines are put together first and added at once.
    Line header;
    if (number > 1)
        header.append(u"\n\n", 2);
    char16_t digits[12];
    header.append(digits, writePadded(digits, number, 1) - digits);
    header.append(u'\n');
    writeSrtTime(header, start);
    header.append(u" --> ", 5);
    writeSrtTime(header, end);
    header.append(u'\n');
    out.append(QStringView(header.constData(), header.size()));
    // Inside a block no line is empty: the text is the rest of it, without
    // the line feed that may end the file.
    QStringView text = block.sliced(std::min(textStart, block.size()));
    while (text.endsWith(u'\n'))
        text.chop(1);
    out.append(text);
    return true;
}

// The value of ASCII digits, or -1 when one of them is another script's.
int asciiValue(const QChar* digits, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = digits[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// Writes the timestamp moved by `seconds` and returns the end; a timestamp
// whose digits aren't ASCII can't be read and is kept as it is. `out` has
// room for 40 characters.
char16_t* writeShifted(char16_t* out, QStringView stamp, double seconds)
{
    const QChar* chars = stamp.data();
    const int hours = asciiValue(chars, 2);
    const int minutes = asciiValue(chars + 3, 2);
    const int secs = asciiValue(chars + 6, 2);
    const int millis = asciiValue(chars + 9, 3);
    if (hours < 0 || minutes < 0 || secs < 0 || millis < 0)
        return std::copy_n(reinterpret_cast<const char16_t*>(stamp.data()), stamp.size(), out);
    const double time = hours * 3600.0 + minutes * 60.0 + secs + millis / 1000.0;
    const double milliseconds = std::round((seconds + time) * 1000.0);
    // Beyond this a time can't be held in 64 bits of milliseconds.
    if (!(milliseconds < 9.2e18))
        throw Fail(tr("A shift of %1 seconds is too large.").arg(seconds));
    const qint64 total = std::max<qint64>(0, static_cast<qint64>(milliseconds));
    out = writePadded(out, total / 3600000, 2);
    *out++ = u':';
    out = writePadded(out, (total / 60000) % 60, 2);
    *out++ = u':';
    out = writePadded(out, (total / 1000) % 60, 2);
    *out++ = stamp[8].unicode();
    return writePadded(out, total % 1000, 3);
}

QStringList shiftTiming(const QStringList& files)
{
    const QString answer =
        Ask::text(tr("Shift Subtitles"), tr("Seconds to shift (negative = earlier):"),
                  QStringLiteral("-1.5"));
    const std::optional<double> seconds = parseSeconds(answer);
    if (!seconds)
        throw Fail(tr("“%1” isn’t a number.").arg(answer));
    return Operation::eachFile(files, [&](const QString& file) { return shift(file, *seconds); });
}

} // namespace

QList<Operation> tools()
{
    return {Operation(tr("Shift Timing…"), shiftTiming)
                .withSymbol(QStringLiteral("clock.arrow.2.circlepath"))};
}

namespace {

// A pass over subtitle text that can take it in pieces: it gets the text not
// yet used, appends what it makes to `out` and returns how much it used. It
// gets the rest again with the next piece, and everything when `final`.
using Pass = std::function<qsizetype(QStringView text, bool final, QString& out)>;

// Where the whole lines of `text` end (all of it when `final`).
qsizetype wholeLines(QStringView text, bool final)
{
    return final ? text.size() : text.lastIndexOf(u'\n') + 1;
}

// WebVTT: a header, the body trimmed, and "," in timestamps made ".".
Pass vttPass()
{
    return [header = false, body = false, heldSpace = QString()](QStringView text, bool final,
                                                                 QString& out) mutable {
        const qsizetype used = wholeLines(text, final);
        QStringView part = text.first(used);
        if (!header) {
            out.append(u"WEBVTT\n\n");
            header = true;
        }
        if (!body) {
            while (!part.isEmpty() && part.front().isSpace())
                part = part.sliced(1);
            body = !part.isEmpty();
        }
        // Space at the end is held back until more text shows it isn't the end.
        qsizetype end = part.size();
        while (end > 0 && part[end - 1].isSpace())
            --end;
        if (end > 0) {
            out.append(heldSpace);
            heldSpace.clear();
            const QStringView words = part.first(end);
            qsizetype copied = 0;
            forEachTimestamp(words, u",", [&](qsizetype start) {
                out.append(words.mid(copied, start + 8 - copied)).append(u'.');
                copied = start + 9;
            });
            out.append(words.mid(copied));
        }
        heldSpace.append(part.sliced(end));
        if (final)
            out.append(u'\n');
        return used;
    };
}

// SubRip: blocks between empty lines, renumbered, with their timing rewritten;
// blocks without timing are dropped.
Pass srtPass()
{
    return [cues = 0](QStringView normal, bool final, QString& out) mutable {
        qsizetype from = 0;
        while (from <= normal.size()) {
            qsizetype blockEnd = from;
            while ((blockEnd = indexOfChar(normal, u'\n', blockEnd)) >= 0 &&
                   blockEnd + 1 < normal.size() && normal[blockEnd + 1] != u'\n')
                ++blockEnd;
            if (blockEnd < 0 || blockEnd + 1 >= normal.size()) {
                // Whether this block ends here, the next piece tells.
                if (!final)
                    return from;
                blockEnd = normal.size();
            }
            if (appendCue(out, cues + 1, normal.mid(from, blockEnd - from)))
                ++cues;
            from = blockEnd + 2;
        }
        out.append(u'\n');
        return normal.size();
    };
}

Pass shiftPass(double seconds)
{
    return [seconds](QStringView text, bool final, QString& out) {
        const qsizetype used = wholeLines(text, final);
        out.append(shiftText(text.first(used).toString(), seconds));
        return used;
    };
}

QString runOnText(const QString& text, const Pass& pass)
{
    QString out;
    out.reserve(text.size() + text.size() / 8);
    pass(text, true, out);
    return out;
}

// Runs `pass` over a file read piece by piece and writes what it makes as
// it goes, so that memory stays near the size of a piece, whatever the
// file's. With `normalise`, CR LF is read as LF and byte-order marks dropped.
QString runOnFile(const QString& file, const QString& wanted, bool normalise, const Pass& pass)
{
    return ResultGuard::make(wanted, [&](const QString& path) {
        TextWriter writer(path);
        QString pending;
        QString out;
        bool heldReturn = false; // a CR at a piece's end may start a CR LF
        const auto step = [&](bool final) {
            pending.remove(0, pass(pending, final, out));
            writer.write(out);
            out.clear();
        };
        TextFile::readInPieces(file, [&](QStringView text) {
            if (!normalise) {
                pending.append(text);
            } else {
                QString piece =
                    heldReturn ? QStringLiteral("\r") + text.toString() : text.toString();
                heldReturn = piece.endsWith(u'\r');
                if (heldReturn)
                    piece.chop(1);
                pending.append(normalisedLines(piece));
            }
            step(false);
        });
        if (heldReturn)
            pending.append(u'\r');
        step(true);
        writer.finish();
    });
}

} // namespace

QString toVTT(const QString& text)
{
    return runOnText(normalisedLines(text), vttPass());
}

QString toSRT(const QString& text)
{
    return runOnText(normalisedLines(text), srtPass());
}

QString shiftText(const QString& text, double seconds)
{
    // Written straight into the result's storage: a shifted stamp is at most
    // 40 characters, which the room kept free ahead allows for.
    constexpr qsizetype stampRoom = 40;
    QString result(text.size() + stampRoom, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(result.data());
    const auto room = [&](qsizetype needed) {
        const qsizetype used = out - reinterpret_cast<char16_t*>(result.data());
        if (used + needed > result.size()) {
            result.resize(std::max(result.size() * 2, used + needed));
            out = reinterpret_cast<char16_t*>(result.data()) + used;
        }
    };
    const auto* source = reinterpret_cast<const char16_t*>(text.constData());
    qsizetype copied = 0;
    forEachTimestamp(text, u",.", [&](qsizetype start) {
        room(start - copied + stampRoom);
        out = std::copy(source + copied, source + start, out);
        out = writeShifted(out, QStringView(text).mid(start, timestampLength), seconds);
        copied = start + timestampLength;
    });
    room(text.size() - copied);
    out = std::copy(source + copied, source + text.size(), out);
    result.truncate(out - reinterpret_cast<char16_t*>(result.data()));
    return result;
}

QString convert(const QString& file, const QString& format)
{
    return runOnFile(file, Output::candidate(file, QString(), format), true,
                     format == QLatin1String("vtt") ? vttPass() : srtPass());
}

QString shift(const QString& file, double seconds)
{
    return runOnFile(
        file,
        Output::candidate(file,
                          QLatin1Char(' ') + tr("synced", "added to the name of shifted subtitles"),
                          FileKind::ext(file)),
        false, shiftPass(seconds));
}

std::optional<double> parseSeconds(const QString& answer)
{
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    QString text = answer;
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    if (!number.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

ConverterFamily family()
{
    ConverterFamily family;
    family.kind = FileKind::subtitle;
    family.targets = [](const QString&) {
        return QStringList{QStringLiteral("srt"), QStringLiteral("vtt")};
    };
    family.convert = [](const QString& file, const QString& target) {
        return QStringList{convert(file, target)};
    };
    family.tools = [] { return tools() << ArchiveConverter::compressToZip(); };
    return family;
}

} // namespace SubtitleConverter
