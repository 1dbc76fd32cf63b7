#include "cli/ProgressBar.h"

#include <QString>
#include <algorithm>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// Short work finishes before a bar would help: it only flickers.
constexpr auto firstDraw = 500ms;
constexpr auto redraw = 200ms;

QString clockTime(double seconds)
{
    const auto whole = qint64(seconds + 0.5);
    if (whole >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(whole / 3600)
            .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(whole % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

ProgressBar::ProgressBar(const Job& job, int fileDescriptor) : m_job(job), m_fd(fileDescriptor)
{
    if (::isatty(m_fd))
        m_thread = std::thread([this] { drawUntilStopped(); });
}

ProgressBar::~ProgressBar()
{
    if (!m_thread.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

QByteArray ProgressBar::line(double done, std::optional<double> secondsLeft, int width)
{
    const int percent = int(std::clamp(done, 0.0, 1.0) * 100);
    QString tail = QStringLiteral("  %1 %").arg(percent, 3);
    if (secondsLeft)
        tail += QStringLiteral("  ") + tr("%1 left", "time left").arg(clockTime(*secondsLeft));
    const int barWidth = std::clamp(width - int(tail.size()) - 2, 0, 40);
    if (barWidth < 10)
        return tail.trimmed().toUtf8();
    const int filled = int(std::clamp(done, 0.0, 1.0) * barWidth);
    return (QLatin1Char('[') + QString(filled, QLatin1Char('#')) +
            QString(barWidth - filled, QLatin1Char('-')) + QLatin1Char(']') + tail)
        .toUtf8();
}

void ProgressBar::drawUntilStopped()
{
    std::unique_lock lock(m_mutex);
    if (m_wake.wait_for(lock, firstDraw, [this] { return m_stopping; }))
        return;
    while (!m_stopping) {
        const Job::State state = m_job.state();
        const auto done = state.overall();
        if (done && !state.asking)
            draw(line(*done, m_job.secondsLeft(), terminalWidth()));
        else
            draw({});
        m_wake.wait_for(lock, redraw, [this] { return m_stopping; });
    }
    draw({});
}

void ProgressBar::draw(const QByteArray& text)
{
    if (text == m_drawn)
        return;
    m_drawn = text;
    // Back to the line's start, the new text, the rest of the old one erased.
    const QByteArray bytes = '\r' + text + "\x1b[K";
    // A terminal that can't take the line now just misses one frame.
    [[maybe_unused]] const auto written = ::write(m_fd, bytes.constData(), size_t(bytes.size()));
}

int ProgressBar::terminalWidth() const
{
    winsize size{};
    if (::ioctl(m_fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col - 1;
    return 79;
}
