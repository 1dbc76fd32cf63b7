#include "ui/settings/KeyRecorder.h"

#include <QKeyEvent>

namespace {

bool isModifier(int key)
{
    switch (key) {
    case Qt::Key_Control:
    case Qt::Key_Shift:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        return true;
    default:
        return false;
    }
}

} // namespace

KeyRecorder::KeyRecorder(QWidget* parent) : QPushButton(tr("Change…"), parent)
{
    connect(this, &QPushButton::clicked, this, [this] {
        if (!m_recording)
            start();
    });
}

void KeyRecorder::start()
{
    m_recording = true;
    setText(tr("Press the keys…"));
    setFocus(Qt::OtherFocusReason);
    // Keys the desktop or other programs take for themselves come here too.
    grabKeyboard();
}

void KeyRecorder::stop()
{
    if (!m_recording)
        return;
    m_recording = false;
    releaseKeyboard();
    setText(tr("Change…"));
}

void KeyRecorder::keyPressEvent(QKeyEvent* event)
{
    if (!m_recording) {
        QPushButton::keyPressEvent(event);
        return;
    }
    event->accept();
    const int key = event->key();
    if (isModifier(key) || event->isAutoRepeat())
        return; // the combination isn't complete yet
    stop();
    if (key == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        return;
    // The keypad's modifier says where the key is, not what was held.
    Q_EMIT recorded(key, event->modifiers() & ~Qt::KeypadModifier);
}

void KeyRecorder::focusOutEvent(QFocusEvent* event)
{
    stop();
    QPushButton::focusOutEvent(event);
}

void KeyRecorder::hideEvent(QHideEvent* event)
{
    stop();
    QPushButton::hideEvent(event);
}
