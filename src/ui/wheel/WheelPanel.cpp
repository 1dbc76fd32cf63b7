#include "ui/wheel/WheelPanel.h"

#include "core/Log.h"
#include "platform/Platform.h"
#include "ui/drawing/WindowShape.h"
#include "ui/wheel/WheelView.h"

#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QVariantAnimation>

namespace {

constexpr int side = int(WheelView::side);
constexpr int half = side / 2;
const QRect disc(16, 16, 340, 340);

} // namespace

WheelPanel::WheelPanel(QWidget* parent)
    : QWidget(parent), m_wheel(new WheelView(this)), m_appear(new QVariantAnimation(this))
{
    setFixedSize(side, side);
    setWindowTitle(QStringLiteral("Flingdial Wheel"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_appear->setDuration(220);
    m_appear->setStartValue(0.0);
    m_appear->setEndValue(1.0);
    connect(m_appear, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        const qreal progress = value.toReal();
        // The fade takes the first 0.14 s; the scale overshoots and settles.
        setWindowOpacity(std::min(1.0, progress * 220.0 / 140.0));
        m_wheel->setScale(0.88 +
                          0.12 * QEasingCurve(QEasingCurve::OutBack).valueForProgress(progress));
    });
}

QPoint WheelPanel::origin(QPoint pointer, const QRect& available)
{
    const int x =
        std::min(std::max(available.left(), pointer.x() - half), available.right() + 1 - side);
    const int y =
        std::min(std::max(available.top(), pointer.y() - half), available.bottom() + 1 - side);
    return {x, y};
}

void WheelPanel::showAt(QPoint pointer, bool keyboard)
{
    // During a drag the panel must not take the focus or wait for the
    // window manager (unless the compositor offers drops to managed windows
    // only); in keyboard use it needs the keys.
    const bool managed =
        keyboard || Platform::shared().wheelWindow() == Platform::WheelWindow::managed;
    // A managed drag wheel lies under the catcher, which is kept above all
    // and hands it the drag: KWin doesn't always move a drag on to a window
    // that has just appeared under it. Not a tool window either, which
    // window managers keep above the program's other windows.
    const bool underCatcher = managed && !keyboard;
    Qt::WindowFlags flags = (underCatcher ? Qt::Window : Qt::Tool) | Qt::FramelessWindowHint;
    if (!underCatcher)
        flags |= Qt::WindowStaysOnTopHint;
    if (!keyboard)
        flags |= Qt::WindowDoesNotAcceptFocus;
    if (!managed)
        flags |= Qt::X11BypassWindowManagerHint;
    if (windowFlags() != flags)
        setWindowFlags(flags);
    if (managed)
        Platform::shared().prepareManagedWindow(winId(), !underCatcher);
    setAttribute(Qt::WA_ShowWithoutActivating, !keyboard);
    m_opaque = false; // the shape is taken from the translucent disc
    m_opaque = WindowShape::fitToPaintedArea(this);

    const QScreen* screen = QGuiApplication::screenAt(pointer);
    move(screen ? origin(pointer, screen->availableGeometry()) : pointer - QPoint(half, half));
    qCInfo(lcApp, "wheel centred at %d,%d", x() + half, y() + half);
    setWindowOpacity(0);
    show();
    raise();
    animateIn();
}

void WheelPanel::animateIn()
{
    if (reduceMotion()) {
        m_wheel->setScale(1);
        m_appear->setDuration(140);
        m_appear->start();
        return;
    }
    m_appear->setDuration(220);
    m_appear->start();
}

bool WheelPanel::reduceMotion()
{
    if (qEnvironmentVariable("FLINGDIAL_REDUCE_MOTION") == QLatin1String("1"))
        return true;
    // The desktop's animation switch, read once.
    static const bool desktopOff = [] {
        QProcess gsettings;
        gsettings.start(QStringLiteral("gsettings"),
                        {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.interface"),
                         QStringLiteral("enable-animations")});
        return gsettings.waitForFinished(500) &&
               gsettings.readAllStandardOutput().trimmed() == "false";
    }();
    return desktopOff;
}

void WheelPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool dark = palette().color(QPalette::Window).lightness() < 128;
    QColor body =
        dark ? QColor::fromRgbF(0.16f, 0.16f, 0.16f) : QColor::fromRgbF(0.97f, 0.97f, 0.97f);
    if (m_opaque) {
        painter.fillRect(rect(), body); // the window is cut to the disc
        return;
    }
    body.setAlphaF(0.96f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(body);
    painter.drawEllipse(disc);
}
