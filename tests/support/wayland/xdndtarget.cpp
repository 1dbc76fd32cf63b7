// An X11 drop target for the Wayland tests, run under XWayland:
//   xdndtarget [--override] [--paste] [--watch] TITLE X Y WIDTH HEIGHT
// maps an XDND-aware window titled TITLE (override-redirect with
// --override, else managed by the window manager), takes copies, and prints
// one line for each of:
//   at X Y W H       where the window is, again whenever it moves
//   enter URL…       a drag came in, with the files it carries, read at once
//                    (sway hands them out only before the drop)
//   action NAME      the action the source proposes (copy, move, link), when it changes
//   modifiers NAMES  the modifiers X11 says are held during a drag over the
//                    window (shift, ctrl, alt, meta joined by +, or none), when
//                    they change; with --watch at any time, asked every 20 ms
//   leave
//   drop URL…        a drop, with the files it still carries
//   clipboard URL…   with --paste, the files on the clipboard each time the
//                    window becomes active, and again when the clipboard
//                    changes (XWayland may hand it over just after)
// URLs are percent-encoded, so a line splits on spaces.
#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cstdio>
#include <optional>

namespace {

void say(const QByteArray& line)
{
    std::printf("%s\n", line.constData());
    std::fflush(stdout);
}

QByteArray urlsOf(const QMimeData* data)
{
    QByteArray line;
    for (const QUrl& url : data ? data->urls() : QList<QUrl>())
        line += ' ' + url.toEncoded();
    return line;
}

QByteArray nameOf(Qt::DropAction action)
{
    switch (action) {
    case Qt::CopyAction:
        return "copy";
    case Qt::MoveAction:
        return "move";
    case Qt::LinkAction:
        return "link";
    default:
        return "none";
    }
}

QByteArray namesOf(Qt::KeyboardModifiers modifiers)
{
    QByteArrayList names;
    for (const auto& [modifier, name] : {std::pair{Qt::ShiftModifier, "shift"},
                                         {Qt::ControlModifier, "ctrl"},
                                         {Qt::AltModifier, "alt"},
                                         {Qt::MetaModifier, "meta"}}) {
        if (modifiers & modifier)
            names.append(name);
    }
    return names.isEmpty() ? "none" : names.join('+');
}

class Target : public QWidget
{
public:
    Target(bool paste, bool watch) : m_paste(paste)
    {
        if (watch) {
            auto* timer = new QTimer(this);
            connect(timer, &QTimer::timeout, this, &Target::tellModifiers);
            timer->start(20);
        }
        setAcceptDrops(true);
        setStyleSheet(QStringLiteral("background: #3366cc"));
        if (paste)
            connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
                if (isActiveWindow())
                    tellClipboard();
            });
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override
    {
        say("enter" + urlsOf(event->mimeData()));
        m_action = Qt::IgnoreAction;
        m_modifiers.reset();
        takeCopy(event);
    }
    void dragMoveEvent(QDragMoveEvent* event) override { takeCopy(event); }
    void dragLeaveEvent(QDragLeaveEvent*) override { say("leave"); }
    void dropEvent(QDropEvent* event) override
    {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        say("drop" + urlsOf(event->mimeData()));
    }
    void moveEvent(QMoveEvent*) override { tellWhere(); }
    void resizeEvent(QResizeEvent*) override { tellWhere(); }
    void changeEvent(QEvent* event) override
    {
        if (m_paste && event->type() == QEvent::ActivationChange && isActiveWindow())
            tellClipboard();
        QWidget::changeEvent(event);
    }

private:
    void takeCopy(QDragMoveEvent* event)
    {
        if (event->proposedAction() != m_action) {
            m_action = event->proposedAction();
            say("action " + nameOf(m_action));
        }
        tellModifiers();
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
    void tellModifiers()
    {
        // What XQueryPointer says, not the state Qt keeps from our own input.
        const Qt::KeyboardModifiers held = QGuiApplication::queryKeyboardModifiers();
        if (held != m_modifiers) {
            m_modifiers = held;
            say("modifiers " + namesOf(held));
        }
    }
    void tellClipboard() { say("clipboard" + urlsOf(QGuiApplication::clipboard()->mimeData())); }
    void tellWhere()
    {
        const QRect frame = geometry();
        say(QStringLiteral("at %1 %2 %3 %4")
                .arg(frame.x())
                .arg(frame.y())
                .arg(frame.width())
                .arg(frame.height())
                .toUtf8());
    }

    bool m_paste;
    Qt::DropAction m_action = Qt::IgnoreAction;
    std::optional<Qt::KeyboardModifiers> m_modifiers;
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const bool override = arguments.removeAll(QStringLiteral("--override")) > 0;
    const bool paste = arguments.removeAll(QStringLiteral("--paste")) > 0;
    const bool watch = arguments.removeAll(QStringLiteral("--watch")) > 0;
    if (arguments.size() != 5) {
        std::fprintf(stderr,
                     "usage: xdndtarget [--override] [--paste] [--watch] TITLE X Y WIDTH HEIGHT\n");
        return 2;
    }
    Target target(paste, watch);
    if (override)
        target.setWindowFlags(Qt::Window | Qt::X11BypassWindowManagerHint |
                              Qt::FramelessWindowHint);
    target.setWindowTitle(arguments.at(0));
    target.setGeometry(arguments.at(1).toInt(), arguments.at(2).toInt(), arguments.at(3).toInt(),
                       arguments.at(4).toInt());
    target.show();
    say("ready");
    return app.exec();
}
