#pragma once

#include <QWidget>

class QVariantAnimation;
class WheelView;

// The floating window that carries the wheel: frameless, always on top,
// a translucent disc (masked to the disc without a compositor), taking the
// keyboard only in keyboard use.
class WheelPanel : public QWidget
{
    Q_OBJECT

public:
    explicit WheelPanel(QWidget* parent = nullptr);

    WheelView* wheel() const { return m_wheel; }

    // Shows the panel centred on `pointer`, kept inside the screen's
    // available area, and animates it in.
    void showAt(QPoint pointer, bool keyboard);
    // Where the panel goes for a pointer: centred, clamped to `available`.
    static QPoint origin(QPoint pointer, const QRect& available);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void animateIn();
    static bool reduceMotion();

    WheelView* m_wheel;
    QVariantAnimation* m_appear;
    bool m_opaque = false; // cut to its disc, with no compositor to blend it
};
