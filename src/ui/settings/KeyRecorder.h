#pragma once

#include <QPushButton>

// A button that records a key combination: clicked, it takes the keyboard
// until a key is pressed with its modifiers. Escape, or the focus going
// elsewhere, gives up.
class KeyRecorder : public QPushButton
{
    Q_OBJECT

public:
    explicit KeyRecorder(QWidget* parent = nullptr);

    bool isRecording() const { return m_recording; }

Q_SIGNALS:
    void recorded(int qtKey, Qt::KeyboardModifiers modifiers);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void start();
    void stop();

    bool m_recording = false;
};
