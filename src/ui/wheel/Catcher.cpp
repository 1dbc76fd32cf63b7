#include "ui/wheel/Catcher.h"

#include "core/FileUrls.h"
#include "core/Log.h"
#include "ui/wheel/WheelView.h"

#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

namespace {

// How long it waits for the drag to reach it: the pointer must move for
// the drag to enter a window that appeared under it.
constexpr int patienceMs = 8000;
// A drag moving between the catcher and the wheel enters one soon after
// leaving the other (a wheel that has just appeared may take a moment).
constexpr int handoverMs = 1500;

} // namespace

Catcher::Catcher(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Flingdial"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAcceptDrops(true);
    m_patience.setSingleShot(true);
    m_patience.setInterval(patienceMs);
    connect(&m_patience, &QTimer::timeout, this, [this] {
        qCInfo(lcApp, "no drag reached the catcher");
        dismiss();
    });
    m_handover.setSingleShot(true);
    m_handover.setInterval(handoverMs);
    connect(&m_handover, &QTimer::timeout, this, [this] {
        qCInfo(lcApp, "the drag left the catcher and the wheel");
        dismiss();
    });
}

void Catcher::catchDrag(WheelMode::Mode mode, Platform::WheelWindow kind)
{
    m_mode = mode;
    m_files.clear();
    m_caught = false;
    m_wheelArea = QRect();
    m_heldOver = nullptr;
    const bool managed = kind == Platform::WheelWindow::managed;
    m_patience.start();
    qCInfo(lcApp, "waiting for the drag: %s", qUtf8Printable(WheelMode::rawValue(mode)));
    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    // Placed by us and never managed, unless the compositor offers drops
    // to managed windows only.
    if (!managed)
        flags |= Qt::X11BypassWindowManagerHint;
    if (windowFlags() != flags)
        setWindowFlags(flags);
    const QScreen* screen = QGuiApplication::primaryScreen();
    setGeometry(screen ? screen->virtualGeometry() : QRect(0, 0, 1920, 1080));
    // Over the whole screen and above the rest, the wheel too, without a
    // taskbar entry.
    if (managed)
        Platform::shared().prepareManagedWindow(winId(), true);
    show();
    raise();
    // With the keyboard, Escape closes it.
    activateWindow();
}

void Catcher::holdOverWheel(WheelView* wheel)
{
    m_heldOver = wheel;
    raise();
}

void Catcher::wheelEntered()
{
    m_handover.stop();
}

void Catcher::wheelLeft()
{
    if (isVisible())
        m_handover.start();
}

void Catcher::dismiss()
{
    m_patience.stop();
    m_handover.stop();
    if (!isVisible())
        return;
    hide();
    qCInfo(lcApp, "the catcher closed");
    Q_EMIT closed();
}

void Catcher::dragEnterEvent(QDragEnterEvent* event)
{
    const QStringList files = FileUrls::fromMimeData(event->mimeData());
    if (!files.isEmpty())
        m_files = files;
    m_handover.stop();
    qCInfo(lcApp, "drag entered the catcher, %lld file(s)", static_cast<long long>(m_files.size()));
    // Accepted, or no moves follow; each move refuses the drop itself.
    event->accept();
    dragMoveEvent(event);
}

void Catcher::dragMoveEvent(QDragMoveEvent* event)
{
    m_last = mapToGlobal(event->position().toPoint());
    // Taken here so that the drop comes to dropEvent, which refuses it: a
    // target that refuses moves never hears of the drop and would stay.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (m_heldOver && m_wheelArea.contains(m_last))
        m_heldOver->dragOverFromAbove(m_heldOver->mapFromGlobal(QPointF(m_last)));
    if (m_caught || m_files.isEmpty())
        return;
    m_caught = true;
    m_patience.stop();
    Q_EMIT caught(m_mode, m_files, m_last);
}

void Catcher::dragLeaveEvent(QDragLeaveEvent*)
{
    qCInfo(lcApp, "drag left the catcher at %d,%d", m_last.x(), m_last.y());
    // Over the wheel, where the wheel's own window lies above (unmanaged
    // windows): the drag goes on there, unless it ended (a leave is all
    // the window system says of a cancelled drag). The handover closes the
    // catcher when neither window has the drag soon.
    if (m_caught && m_wheelArea.adjusted(-8, -8, 8, 8).contains(m_last)) {
        m_handover.start();
        return;
    }
    dismiss();
}

void Catcher::dropEvent(QDropEvent* event)
{
    const QPoint at = mapToGlobal(event->position().toPoint());
    if (m_heldOver && m_wheelArea.contains(at)) {
        const QStringList files = FileUrls::fromMimeData(event->mimeData());
        if (m_heldOver->dropFromAbove(m_heldOver->mapFromGlobal(QPointF(at)),
                                      files.isEmpty() ? m_files : files)) {
            event->setDropAction(Qt::CopyAction);
            event->accept();
            return;
        }
    }
    qCInfo(lcApp, "drop outside the wheel: refused");
    event->setDropAction(Qt::IgnoreAction);
    event->ignore();
    dismiss();
}

void Catcher::mousePressEvent(QMouseEvent*)
{
    dismiss();
}

void Catcher::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        dismiss();
    else
        QWidget::keyPressEvent(event);
}
