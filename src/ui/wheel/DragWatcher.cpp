#include "ui/wheel/DragWatcher.h"

#include "core/Log.h"
#include "core/Settings.h"

namespace {

constexpr int pollIntervalMs = 1000 / 30;
// Longer than a drag lasts, shorter than the time until the next one.
constexpr qint64 quietTimeMs = 30'000;

// Super and Alt held when a drag begins don't open the wheel until they are
// pressed again; Shift and Ctrl held then open it at once.
constexpr ModifierKey::Flags seededAtStart =
    ModifierKey::flag(ModifierKey::super) | ModifierKey::flag(ModifierKey::alt);

} // namespace

DragWatcher::DragWatcher(std::unique_ptr<DragSource> pasteboard, QObject* parent)
    : QObject(parent), m_dragSource(std::move(pasteboard))
{
    if (m_dragSource)
        m_lastChangeCount = m_dragSource->changeCount();
    m_timer.setInterval(pollIntervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &DragWatcher::tick);
}

void DragWatcher::start()
{
    if (m_dragSource)
        m_timer.start();
}

void DragWatcher::tick()
{
    const DragSource::Pointer pointer = m_dragSource->pointer();
    if (m_dragging)
        whileDragging(pointer);
    else
        whileIdle(pointer);
}

bool DragWatcher::hasRecentDrag() const
{
    return m_dragging || (m_sinceDragStart.isValid() && m_sinceDragStart.elapsed() < quietTimeMs);
}

QStringList DragWatcher::dragFiles() const
{
    return m_dragSource ? m_dragSource->files() : QStringList();
}

void DragWatcher::forgetDrag()
{
    m_sinceDragStart.invalidate();
}

void DragWatcher::whileIdle(const DragSource::Pointer& pointer)
{
    const quint64 previous = m_lastChangeCount;
    m_lastChangeCount = m_dragSource->changeCount();
    if (m_lastChangeCount == previous) {
        whileButtonUnseen(pointer);
        return;
    }
    m_sinceDragStart.start();
    m_shownMode.reset();
    m_previousFlags = pointer.modifiers & seededAtStart;
    if (!pointer.leftButton) {
        // A Wayland session shows X11 clients no button: the drag is marked only.
        qCInfo(lcApp, "a drag started");
        return;
    }
    const QStringList files = m_dragSource->files();
    const QStringList types = m_dragSource->types();
    qCInfo(lcApp, "drag started, %lld file(s), types: %s", static_cast<long long>(files.size()),
           types.isEmpty() ? "-" : qUtf8Printable(types.join(QLatin1Char(','))));
    if (files.isEmpty())
        return;
    m_dragging = true;
    m_files = files;
}

void DragWatcher::whileDragging(const DragSource::Pointer& pointer)
{
    if (!pointer.leftButton) {
        m_dragging = false;
        // This drag is seen to end: a trigger after it is not for it.
        forgetDrag();
        if (m_shownMode)
            Q_EMIT dragEnded();
        m_shownMode.reset();
        return;
    }
    const auto mode = newTrigger(pointer.modifiers);
    if (!mode)
        return;
    qCInfo(lcApp, "showing wheel: %s", qUtf8Printable(WheelMode::title(*mode)));
    Q_EMIT showWheel(*mode, m_files);
}

void DragWatcher::whileButtonUnseen(const DragSource::Pointer& pointer)
{
    // A drag started and its button never showed: the keys are all there
    // is to go by (a Wayland session may let X11 clients see them).
    if (pointer.leftButton || !hasRecentDrag()) {
        m_previousFlags = pointer.modifiers;
        return;
    }
    const auto mode = newTrigger(pointer.modifiers);
    if (!mode)
        return;
    qCInfo(lcApp, "trigger key during a drag: %s", qUtf8Printable(WheelMode::title(*mode)));
    Q_EMIT triggerPressed(*mode);
}

std::optional<WheelMode::Mode> DragWatcher::newTrigger(ModifierKey::Flags modifiers)
{
    const ModifierKey::Flags newlyPressed = modifiers & ~m_previousFlags;
    m_previousFlags = modifiers;
    if (!newlyPressed)
        return std::nullopt; // most polls: no settings to read
    const auto mode = Settings::shared().modeFor(newlyPressed);
    if (!mode || mode == m_shownMode)
        return std::nullopt;
    m_shownMode = mode;
    return mode;
}
