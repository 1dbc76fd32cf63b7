// An X11 drop target for the Wayland tests, run under XWayland:
//   xdndtarget [--override] [--paste] TITLE X Y WIDTH HEIGHT
// maps an XDND-aware window titled TITLE (override-redirect with
// --override, else managed by the window manager), takes copies, and prints
// one line for each of:
//   at X Y W H       where the window is, again whenever it moves
//   enter URL…       a drag came in, with the files it carries, read at once
//                    (sway hands them out only before the drop)
//   action NAME      the action the source proposes (copy, move, link), when it changes
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
#include <QUrl>
#include <QWidget>
#include <cstdio>

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

class Target : public QWidget
{
public:
    explicit Target(bool paste) : m_paste(paste)
    {
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
        event->setDropAction(Qt::CopyAction);
        event->accept();
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
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const bool override = arguments.removeAll(QStringLiteral("--override")) > 0;
    const bool paste = arguments.removeAll(QStringLiteral("--paste")) > 0;
    if (arguments.size() != 5) {
        std::fprintf(stderr, "usage: xdndtarget [--override] [--paste] TITLE X Y WIDTH HEIGHT\n");
        return 2;
    }
    Target target(paste);
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
