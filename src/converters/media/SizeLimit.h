#pragma once

#include <QSize>
#include <QString>
#include <optional>
#include <variant>

// A size the user wants a result to fit in ("10 MB"), and how video and
// audio are fitted into one. Sizes are in decimal units, as file managers
// show them: 10 MB is 10,000,000 bytes, which also fits limits counted in
// binary megabytes.
namespace SizeLimit {

// "10 MB", "10mb", "9.5 MB", "9,5 MB", "500 KB", "2 GB", or a bare number
// of megabytes: the size in bytes, when the answer is one above zero.
std::optional<qint64> parse(const QString& answer);

// Asks once for the size every file should fit in. Throws Fail naming the
// answer when it isn't a size, Cancelled when the user gives none.
qint64 ask();

// "10 MB", "1.5 MB", "700 kB": a size as names and sentences say it.
QString spoken(qint64 bytes);
// The same rounded up, for a size that must be reached: what it says,
// typed back, is at least `bytes`.
QString spokenAtLeast(qint64 bytes);

// Throws Fail ("X is already smaller than 10 MB.") when the file fits.
void refuseWhenItFits(const QString& file, qint64 bytes);

// How a video is encoded to fit.
struct VideoPlan
{
    int videoKbps = 0;
    int audioKbps = 0; // 0: no audio
    int height = 0;    // of the picture; 0 keeps the source's
    double fps = 0;    // 0 keeps the source's
};

// The lowest picture height a video is made smaller to.
inline constexpr int lowestHeight = 240;
// The lowest audio bitrate, in kbit/s.
inline constexpr int lowestAudioKbps = 32;

// The plan that fits `seconds` of video of `picture` at `fps` into `bytes`:
// the audio's share taken out first, then the largest picture (down to
// 240p) that still gets a sensible bitrate for its pixels. When even 240p
// won't fit, the smallest size that would, in bytes.
std::variant<VideoPlan, qint64> planVideo(double seconds, QSize picture, double fps, bool hasAudio,
                                          qint64 bytes);

// The audio bitrate in kbit/s that fits `seconds` into `bytes`, or the
// smallest size that would at 32 kbit/s.
std::variant<int, qint64> planAudio(double seconds, qint64 bytes);

} // namespace SizeLimit
