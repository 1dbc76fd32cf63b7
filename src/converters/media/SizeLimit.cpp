#include "converters/media/SizeLimit.h"

#include "base/Errors.h"
#include "base/Translate.h"
#include "core/Ask.h"

#include <QFileInfo>
#include <QList>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace SizeLimit {

FLINGDIAL_TR_CONTEXT(SizeLimit)

namespace {

// What the streams may take of the size: the rest is the container's, and
// a margin for encoders that land a little above their bitrate.
constexpr double streamShare = 0.97;
// Bits per pixel and frame below which H.264 turns to blocks.
constexpr double lowestBitsPerPixel = 0.04;
constexpr double highestPlannedFps = 30;
constexpr int audioShareKbps[] = {128, 96, 64, 48, 32};

double kbpsFor(qint64 bytes, double seconds)
{
    return double(bytes) * streamShare * 8 / seconds / 1000;
}

qint64 bytesFor(double kbps, double seconds)
{
    return qint64(std::ceil(kbps * 1000 * seconds / 8 / streamShare));
}

double pictureKbps(int height, double aspect, double fps)
{
    return lowestBitsPerPixel * height * aspect * height * fps / 1000;
}

// The heights to try, the source's first.
QList<int> heightsBelow(int source)
{
    QList<int> heights = {source};
    for (const int height : {2160, 1440, 1080, 720, 540, 480, 360, lowestHeight}) {
        if (height < source)
            heights.append(height);
    }
    return heights;
}

// The tallest picture whose bitrate is sensible at `fps`, if any.
std::optional<int> tallestFitting(int sourceHeight, double aspect, double fps, double videoKbps)
{
    for (const int height : heightsBelow(sourceHeight)) {
        if (pictureKbps(height, aspect, fps) <= videoKbps)
            return height;
    }
    return std::nullopt;
}

} // namespace

std::optional<qint64> parse(const QString& answer)
{
    static const QRegularExpression size(
        QStringLiteral("^\\s*(\\d+(?:[.,]\\d+)?)\\s*(k|kb|m|mb|g|gb)?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = size.match(answer);
    if (!match.hasMatch())
        return std::nullopt;
    const double value = match.captured(1).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
    const QString unit = match.captured(2).toLower();
    double scale = 1e6;
    if (unit.startsWith(QLatin1Char('k')))
        scale = 1e3;
    else if (unit.startsWith(QLatin1Char('g')))
        scale = 1e9;
    const double bytes = value * scale;
    if (bytes < 1 || bytes > 1e15)
        return std::nullopt;
    return qint64(bytes);
}

qint64 ask()
{
    const QString answer =
        Ask::text(tr("Compress to Size"),
                  tr("Largest size of each result (8, 10, 25 and 50 MB are common limits):"),
                  QStringLiteral("10 MB"));
    const auto bytes = parse(answer);
    if (!bytes)
        throw Fail(tr("“%1” isn’t a size. Write it like this: 10 MB.").arg(answer));
    return *bytes;
}

QString spoken(qint64 bytes)
{
    // A tenth is worth saying below 10 MB ("1.5 MB"), not for whole numbers.
    const QLocale locale;
    const bool whole = bytes % 1'000'000 == 0 || bytes < 1'000'000 || bytes >= 10'000'000;
    return locale.formattedDataSize(bytes, whole ? 0 : 1, QLocale::DataSizeSIFormat);
}

QString spokenAtLeast(qint64 bytes)
{
    // Up to the step spoken() shows at this size.
    const qint64 step = bytes < 1'000'000 ? 1'000 : bytes < 10'000'000 ? 100'000 : 1'000'000;
    return spoken((bytes + step - 1) / step * step);
}

void refuseWhenItFits(const QString& file, qint64 bytes)
{
    const QFileInfo info(file);
    if (info.size() <= bytes)
        throw Fail(tr("%1 is already smaller than %2.").arg(info.fileName(), spoken(bytes)));
}

std::variant<VideoPlan, qint64> planVideo(double seconds, QSize picture, double fps, bool hasAudio,
                                          qint64 bytes)
{
    const double total = kbpsFor(bytes, seconds);
    VideoPlan plan;
    if (hasAudio) {
        // The audio's share first: a tenth, within the usual steps.
        plan.audioKbps = lowestAudioKbps;
        for (const int kbps : audioShareKbps) {
            if (kbps <= total / 10) {
                plan.audioKbps = kbps;
                break;
            }
        }
    }
    const double video = total - plan.audioKbps;
    const double aspect = double(picture.width()) / std::max(1, picture.height());
    const int source = picture.height();
    const double plannedFps = std::min(fps, highestPlannedFps);
    auto height = tallestFitting(source, aspect, fps, video);
    // A fast picture rather gives up frames than lines.
    if (fps > highestPlannedFps && height.value_or(0) < source) {
        plan.fps = highestPlannedFps;
        height = tallestFitting(source, aspect, plannedFps, video);
    }
    if (!height) {
        const int lowest = std::min(source, lowestHeight);
        return bytesFor(pictureKbps(lowest, aspect, plannedFps) + plan.audioKbps, seconds);
    }
    plan.videoKbps = int(video);
    plan.height = *height == source ? 0 : *height;
    return plan;
}

std::variant<int, qint64> planAudio(double seconds, qint64 bytes)
{
    const double kbps = kbpsFor(bytes, seconds);
    if (kbps < lowestAudioKbps)
        return bytesFor(lowestAudioKbps, seconds);
    return int(kbps);
}

} // namespace SizeLimit
