#include "ui/wheel/LayerCatcher.h"

#include "core/FileUrls.h"
#include "core/Log.h"
#include "core/Plugins.h"

namespace {

constexpr char helperName[] = "flingdial-layer-catcher";
// How long it waits for the drag to reach it, as the X11 catcher does.
constexpr int patienceMs = 8000;

std::optional<QPoint> pointIn(const QList<QByteArray>& words)
{
    bool xValid = false;
    bool yValid = false;
    if (words.size() != 3)
        return std::nullopt;
    const QPoint point(words.at(1).toInt(&xValid), words.at(2).toInt(&yValid));
    return xValid && yValid ? std::optional(point) : std::nullopt;
}

} // namespace

LayerCatcher::LayerCatcher(QObject* parent) : QObject(parent)
{
    m_helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(&m_helper, &QProcess::readyReadStandardOutput, this, &LayerCatcher::readReports);
    connect(&m_helper, &QProcess::finished, this, &LayerCatcher::finished);
    connect(&m_helper, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finished();
    });
    m_patience.setSingleShot(true);
    m_patience.setInterval(patienceMs);
    connect(&m_patience, &QTimer::timeout, this, [this] {
        qCInfo(lcApp, "no drag reached the catcher");
        dismiss();
    });
}

LayerCatcher::~LayerCatcher()
{
    m_helper.disconnect(this);
    if (m_helper.state() != QProcess::NotRunning) {
        m_helper.kill();
        m_helper.waitForFinished(1000);
    }
}

bool LayerCatcher::isAvailable()
{
    return Plugins::helper(QString::fromLatin1(helperName)).has_value();
}

void LayerCatcher::catchDrag(WheelMode::Mode mode)
{
    m_mode = mode;
    qCInfo(lcApp, "waiting for the drag: %s", qUtf8Printable(WheelMode::rawValue(mode)));
    m_patience.start();
    if (m_helper.state() != QProcess::NotRunning)
        return;
    m_files.clear();
    m_pending.clear();
    m_caught = false;
    m_last.reset();
    const std::optional<QString> program = Plugins::helper(QString::fromLatin1(helperName));
    if (!program) {
        finished();
        return;
    }
    m_helper.start(*program, {});
}

void LayerCatcher::answerDrop(bool take)
{
    m_helper.write(take ? "take\n" : "refuse\n");
}

void LayerCatcher::dismiss()
{
    m_patience.stop();
    if (m_helper.state() != QProcess::NotRunning)
        m_helper.write("quit\n");
}

void LayerCatcher::readReports()
{
    m_pending += m_helper.readAllStandardOutput();
    for (qsizetype end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n')) {
        const QByteArray line = m_pending.left(end).trimmed();
        m_pending.remove(0, end + 1);
        report(line);
    }
}

void LayerCatcher::report(const QByteArray& line)
{
    const QList<QByteArray> words = line.split(' ');
    const QByteArray& what = words.constFirst();
    if (what == "files") {
        m_files = FileUrls::fromUriList(words.mid(1).join("\r\n"));
        qCInfo(lcApp, "drag entered the catcher, %lld file(s)",
               static_cast<long long>(m_files.size()));
        if (m_last)
            reportAt("move", *m_last);
    } else if (what == "escape") {
        dismiss();
    } else if (const std::optional<QPoint> pointer = pointIn(words)) {
        reportAt(what, *pointer);
    }
}

void LayerCatcher::reportAt(const QByteArray& what, QPoint pointer)
{
    m_last = pointer;
    if (what == "drop") {
        m_patience.stop();
        if (m_caught) {
            Q_EMIT dropped(pointer, m_files);
            return;
        }
        qCInfo(lcApp, "drop outside the wheel: refused");
        answerDrop(false);
    } else if (what == "move" && m_caught) {
        Q_EMIT moved(pointer);
    } else if (what == "move" && !m_files.isEmpty()) {
        m_caught = true;
        m_patience.stop();
        Q_EMIT caught(m_mode, m_files, pointer);
    }
}

void LayerCatcher::finished()
{
    m_patience.stop();
    if (m_helper.exitStatus() == QProcess::NormalExit && m_helper.exitCode() > 1)
        qCWarning(lcApp, "the layer catcher could not start (status %d)", m_helper.exitCode());
    qCInfo(lcApp, "the catcher closed");
    Q_EMIT closed();
}
