#include "ui/wheel/Catcher.h"

#include "core/FileUrls.h"
#include "core/Log.h"

#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

namespace {

// How long it waits for the drag to reach it: the pointer must move for
// the drag to enter a window that appeared under it.
constexpr int patienceMs = 8000;

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
}

void Catcher::catchDrag(WheelMode::Mode mode, Platform::WheelWindow kind)
{
    m_mode = mode;
    m_files.clear();
    m_caught = false;
    m_wheelArea = QRect();
    m_patience.start();
    qCInfo(lcApp, "waiting for the drag: %s", qUtf8Printable(WheelMode::rawValue(mode)));
    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    // Placed by us and never managed, unless the compositor offers drops
    // to managed windows only.
    if (kind == Platform::WheelWindow::unmanaged)
        flags |= Qt::X11BypassWindowManagerHint;
    setWindowFlags(flags);
    const QScreen* screen = QGuiApplication::primaryScreen();
    setGeometry(screen ? screen->virtualGeometry() : QRect(0, 0, 1920, 1080));
    show();
    raise();
    // With the keyboard, Escape closes it.
    activateWindow();
}

void Catcher::dismiss()
{
    m_patience.stop();
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
    if (m_caught || m_files.isEmpty())
        return;
    m_caught = true;
    m_patience.stop();
    Q_EMIT caught(m_mode, m_files, m_last);
}

void Catcher::dragLeaveEvent(QDragLeaveEvent*)
{
    // Into the wheel, which lies above: the drag goes on there.
    if (m_caught && m_wheelArea.adjusted(-8, -8, 8, 8).contains(m_last))
        return;
    dismiss();
}

void Catcher::dropEvent(QDropEvent* event)
{
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
