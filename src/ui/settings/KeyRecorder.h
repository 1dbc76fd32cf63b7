#pragma once

#include <QPushButton>

// A button that records a key combination: clicked, it takes the keyboard
// until a key is pressed with its modifiers. Escape, the focus going
// elsewhere or the window closing gives up.
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
    // The window closed mid-recording: the keyboard goes back.
    void hideEvent(QHideEvent* event) override;

private:
    void start();
    void stop();

    bool m_recording = false;
};
