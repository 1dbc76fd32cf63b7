#include "converters/subtitle/SubtitleConverter.h"

#include "converters/archive/ArchiveConverter.h"
#include "core/Ask.h"
#include "core/Errors.h"
#include "core/FileKind.h"
#include "core/Output.h"
#include "core/TextFile.h"

#include <QRegularExpression>
#include <QVarLengthArray>
#include <cmath>

namespace SubtitleConverter {

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
        throw Fail(QStringLiteral("A shift of %1 seconds is too large.").arg(seconds));
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
        Ask::text(QStringLiteral("Shift Subtitles"),
                  QStringLiteral("Seconds to shift (negative = earlier):"), QStringLiteral("-1.5"));
    const std::optional<double> seconds = parseSeconds(answer);
    if (!seconds)
        throw Fail(QStringLiteral("“%1” isn’t a number.").arg(answer));
    return Operation::eachFile(files, [&](const QString& file) { return shift(file, *seconds); });
}

} // namespace

QList<Operation> tools()
{
    return {Operation(QStringLiteral("Shift Timing…"), shiftTiming)
                .withSymbol(QStringLiteral("clock.arrow.2.circlepath"))};
}

QString toVTT(const QString& text)
{
    const QString normal = normalisedLines(text);
    const QStringView body = QStringView(normal).trimmed();
    QString vtt;
    vtt.reserve(body.size() + 9);
    vtt.append(u"WEBVTT\n\n");
    qsizetype copied = 0;
    forEachTimestamp(body, u",", [&](qsizetype start) {
        vtt.append(body.mid(copied, start + 8 - copied)).append(u'.');
        copied = start + 9;
    });
    vtt.append(body.mid(copied)).append(u'\n');
    return vtt;
}

QString toSRT(const QString& text)
{
    const QString normal = normalisedLines(text);
    QString out;
    out.reserve(normal.size() + normal.size() / 8);
    int cues = 0;
    qsizetype from = 0;
    while (from <= normal.size()) {
        qsizetype blockEnd = from;
        while ((blockEnd = indexOfChar(normal, u'\n', blockEnd)) >= 0 &&
               blockEnd + 1 < normal.size() && normal[blockEnd + 1] != u'\n')
            ++blockEnd;
        if (blockEnd < 0 || blockEnd + 1 >= normal.size())
            blockEnd = normal.size();
        if (appendCue(out, cues + 1, QStringView(normal).mid(from, blockEnd - from)))
            ++cues;
        from = blockEnd + 2;
    }
    out.append(u'\n');
    return out;
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
    const QString text = TextFile::readText(file);
    const QString converted = format == QLatin1String("vtt") ? toVTT(text) : toSRT(text);
    return TextFile::writeResult(Output::candidate(file, QString(), format), converted);
}

QString shift(const QString& file, double seconds)
{
    const QString shifted = shiftText(TextFile::readText(file), seconds);
    return TextFile::writeResult(
        Output::candidate(file, QStringLiteral(" synced"), FileKind::ext(file)), shifted);
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
