#include "ui/actions/Shelf.h"

#include "platform/Platform.h"
#include "platform/Thumbnails.h"
#include "ui/actions/ShareActions.h"
#include "ui/drawing/SymbolImages.h"
#include "ui/drawing/WindowShape.h"
#include <QImage>

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDrag>
#include <QFileInfo>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QThreadPool>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

namespace {

constexpr int pictureSide = 88;
constexpr int fadeMs = 150;
const QRect pictureRect(30, Shelf::height - 50 - pictureSide, pictureSide, pictureSide);
const QRect captionRect(10, Shelf::height - 12 - 30, Shelf::width - 20, 30);
const QRect closeRect(8, 8, 18, 18);

QImage iconFor(const QStringList& files)
{
    return files.size() == 1 ? SymbolImages::fileIcon(files.first(), pictureSide, 2.0)
                             : SymbolImages::fileStack(files, pictureSide, 2.0);
}

} // namespace

QList<QPointer<Shelf>>& Shelf::shelves()
{
    static QList<QPointer<Shelf>> list;
    return list;
}

QList<Shelf*> Shelf::open()
{
    QList<Shelf*> panels;
    for (const QPointer<Shelf>& panel : shelves()) {
        if (panel)
            panels.append(panel);
    }
    return panels;
}

Shelf* Shelf::show(const QStringList& files)
{
    auto* panel = new Shelf(files);
    shelves().append(panel);
    // The bottom-left corner sits 24 to the right of and 82 below the pointer.
    panel->move(QCursor::pos() + QPoint(24, 82 - height));
    panel->m_opaque = WindowShape::fitToPaintedArea(panel);
    panel->setWindowOpacity(0);
    // A helper of the program, not a window of its own in task lists.
    Platform::shared().prepareManagedWindow(panel->winId(), true);
    panel->QWidget::show();
    auto* fade = new QPropertyAnimation(panel, "windowOpacity", panel);
    fade->setDuration(fadeMs);
    fade->setEndValue(1.0);
    fade->start(QAbstractAnimation::DeleteWhenStopped);
    return panel;
}

Shelf::Shelf(const QStringList& files)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      m_files(files), m_picture(new QLabel(this)), m_label(new QLabel(this)),
      m_close(new QToolButton(this)), m_closeOpacity(new QGraphicsOpacityEffect(m_close))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(width, height);
    setWindowTitle(QStringLiteral("Flingdial Shelf"));

    m_picture->setGeometry(pictureRect);
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_picture->setPixmap(QPixmap::fromImage(iconFor(files)));

    QFont font = m_label->font();
    font.setPointSizeF(11 * 72.0 / logicalDpiY());
    m_label->setFont(font);
    m_label->setGeometry(captionRect);
    m_label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_label->setWordWrap(true);
    m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
    const QString text = caption();
    m_label->setText(
        QFontMetrics(font).elidedText(text, Qt::ElideMiddle, captionRect.width() * 2 - 8));
    m_label->setToolTip(text);

    m_close->setGeometry(closeRect);
    m_close->setAutoRaise(true);
    m_close->setToolTip(tr("Close"));
    m_close->setIcon(QPixmap::fromImage(SymbolImages::tinted(
        QStringLiteral("xmark.circle.fill"), 15, palette().color(QPalette::PlaceholderText), 2.0)));
    m_close->setIconSize(QSize(15, 15));
    m_closeOpacity->setOpacity(0);
    m_close->setGraphicsEffect(m_closeOpacity);
    connect(m_close, &QToolButton::clicked, this, &QWidget::close);

    if (files.size() == 1)
        loadThumbnail();
}

Shelf::~Shelf()
{
    // Here, while this is still a Shelf: by the time QObject::destroyed is
    // emitted it is only a QWidget, which the list's pointers can't be
    // compared with.
    shelves().removeIf(
        [this](const QPointer<Shelf>& panel) { return panel.isNull() || panel.data() == this; });
}

QString Shelf::caption() const
{
    return m_files.size() == 1 ? QFileInfo(m_files.first()).fileName()
                               : tr("%n items", nullptr, int(m_files.size()));
}

QImage Shelf::picture() const
{
    return m_picture->pixmap().toImage();
}

qreal Shelf::closeButtonOpacity() const
{
    return m_closeOpacity->opacity();
}

QRect Shelf::pictureArea()
{
    return pictureRect;
}

void Shelf::loadThumbnail()
{
    const QPointer<Shelf> self(this);
    const QString file = m_files.first();
    const qreal ratio = devicePixelRatioF();
    Thumbnails* thumbnails = Platform::shared().thumbnails();
    if (!thumbnails)
        return;
    QThreadPool::globalInstance()->start([self, file, ratio, thumbnails] {
        QImage thumbnail = thumbnails->of(file, int(pictureSide * ratio));
        if (thumbnail.isNull())
            return;
        thumbnail.setDevicePixelRatio(ratio);
        QMetaObject::invokeMethod(qApp, [self, thumbnail] {
            if (self)
                self->m_picture->setPixmap(QPixmap::fromImage(thumbnail));
        });
    });
}

void Shelf::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor background = palette().color(QPalette::Window);
    if (m_opaque)
        painter.fillRect(rect(), background); // the window is cut to the rounded shape
    else
        background.setAlphaF(0.94);
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.setBrush(background);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 16, 16);
}

void Shelf::fadeCloseButton(qreal to)
{
    auto* fade = new QPropertyAnimation(m_closeOpacity, "opacity", this);
    fade->setDuration(fadeMs);
    fade->setEndValue(to);
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

void Shelf::enterEvent(QEnterEvent*)
{
    fadeCloseButton(1);
}

void Shelf::leaveEvent(QEvent*)
{
    fadeCloseButton(0);
}

void Shelf::mousePressEvent(QMouseEvent* event)
{
    m_downPoint = event->position().toPoint();
    m_dragging = false;
}

void Shelf::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || m_dragging)
        return;
    if (pictureRect.adjusted(-6, -6, 6, 6).contains(m_downPoint)) {
        if ((event->position().toPoint() - m_downPoint).manhattanLength() >=
            QApplication::startDragDistance())
            dragFiles();
        return;
    }
    // Anywhere else the shelf itself moves.
    move(event->globalPosition().toPoint() - m_downPoint);
}

void Shelf::mouseDoubleClickEvent(QMouseEvent*)
{
    for (const QString& file : m_files)
        QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

void Shelf::dragFiles()
{
    m_dragging = true;
    // The drag outlives the shelf: a move closes the shelf while the window
    // system may still ask the drag for its data.
    auto* drag = new QDrag(qApp);
    drag->setMimeData(ShareActions::filesMimeData(m_files).release());
    QPixmap stack(pictureSide + 4 * int(std::min<qsizetype>(m_files.size() - 1, 4)),
                  pictureSide + 4 * int(std::min<qsizetype>(m_files.size() - 1, 4)));
    stack.fill(Qt::transparent);
    {
        QPainter painter(&stack);
        const QPixmap image =
            m_picture->pixmap().scaled(pictureSide, pictureSide, Qt::KeepAspectRatio);
        for (int i = 0; i < std::min<qsizetype>(m_files.size(), 5); ++i)
            painter.drawPixmap(4 * i, 4 * i, image);
    }
    drag->setPixmap(stack);
    drag->setHotSpot(m_downPoint - pictureRect.topLeft());
    Platform::shared().setOwnDragFiles(m_files);
    const Qt::DropAction result =
        drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
    Platform::shared().setOwnDragFiles({});
    m_dragging = false;
    QTimer::singleShot(60000, drag, &QObject::deleteLater);
    if (result == Qt::MoveAction || !anyFileLeft())
        close();
}

bool Shelf::anyFileLeft() const
{
    return std::any_of(m_files.cbegin(), m_files.cend(),
                       [](const QString& file) { return QFileInfo::exists(file); });
}
