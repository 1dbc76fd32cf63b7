#include "ui/wheel/WheelController.h"

#include "platform/Platform.h"
#include "ui/actions/SliceSets.h"
#include "ui/wheel/WheelPanel.h"
#include "ui/wheel/WheelView.h"

#include <QApplication>
#include <QCursor>
#include <QTimer>

namespace {

constexpr int dragEndGraceMs = 250;

QList<quintptr> ownWindows()
{
    QList<quintptr> windows;
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->testAttribute(Qt::WA_WState_Created))
            windows.append(quintptr(widget->winId()));
    }
    return windows;
}

} // namespace

WheelController& WheelController::shared()
{
    static WheelController* controller = new WheelController(QCoreApplication::instance());
    return *controller;
}

WheelController::WheelController(QObject* parent) : QObject(parent) {}

WheelPanel* WheelController::panel()
{
    if (!m_panel) {
        m_panel = new WheelPanel;
        WheelView* wheel = m_panel->wheel();
        connect(wheel, &WheelView::chosen, this,
                [this, wheel](int index) { choose(wheel->slices().at(index)); });
        connect(wheel, &WheelView::dropped, this,
                [this, wheel](int index, const QStringList& dropped) {
                    if (index < wheel->slices().size())
                        choose(wheel->slices().at(index), dropped);
                });
        connect(wheel, &WheelView::nextModeRequested, this, &WheelController::showNextMode);
        connect(wheel, &WheelView::hideRequested, this, &WheelController::hide);
        m_panel->installEventFilter(this);
    }
    return m_panel;
}

bool WheelController::isVisible() const
{
    return m_panel && m_panel->isVisible();
}

void WheelController::show(WheelMode::Mode mode, const QStringList& files, bool keyboard)
{
    open(mode, files, keyboard, QCursor::pos());
}

void WheelController::showAt(WheelMode::Mode mode, const QStringList& files, QPoint pointer)
{
    open(mode, files, false, pointer);
}

void WheelController::open(WheelMode::Mode mode, const QStringList& files, bool keyboard,
                           QPoint pointer)
{
    m_files = files;
    m_mode = mode;
    m_keyboard = keyboard;
    WheelPanel* wheelPanel = panel();
    WheelView* wheel = wheelPanel->wheel();
    wheel->setKeyboardMode(keyboard);
    wheel->configure(mode, SliceSets::of(mode, files), files);

    if (keyboard)
        Platform::shared().rememberActiveWindow(ownWindows());
    if (!wheelPanel->isVisible()) {
        wheelPanel->showAt(pointer, keyboard);
        if (!keyboard)
            nudgePointer();
    }
    if (keyboard) {
        wheelPanel->activateWindow();
        wheelPanel->raise();
        wheel->setFocus();
    }
}

// A window that appears under a pointer that doesn't move gets no drag
// enter: the drag source picks its target only on motion.
void WheelController::nudgePointer()
{
    const QPoint at = QCursor::pos();
    QCursor::setPos(at + QPoint(1, 0));
    QCursor::setPos(at);
}

void WheelController::choose(const Operation& operation, const QStringList& files)
{
    const QStringList targets = files.isEmpty() ? m_files : files;
    hide();
    Q_EMIT chosen(operation, targets);
}

void WheelController::hide()
{
    m_keyboard = false;
    if (m_panel)
        m_panel->hide();
    Platform::shared().restoreActiveWindow();
}

void WheelController::dragEnded()
{
    if (m_keyboard)
        return;
    // Leaves time for a drop on the wheel to be handled first.
    QTimer::singleShot(dragEndGraceMs, this, [this] {
        if (!m_keyboard)
            hide();
    });
}

void WheelController::showNextMode()
{
    show(WheelMode::next(m_mode), m_files, m_keyboard);
}

bool WheelController::eventFilter(QObject* watched, QEvent* event)
{
    // In keyboard use, the wheel closes when it loses the keyboard.
    if (watched == m_panel && event->type() == QEvent::WindowDeactivate && m_keyboard)
        QTimer::singleShot(0, this, &WheelController::hide);
    return QObject::eventFilter(watched, event);
}
