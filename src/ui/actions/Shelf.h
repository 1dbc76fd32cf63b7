#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>

class QLabel;
class QToolButton;
class QGraphicsOpacityEffect;

// A shelf: a small floating window that holds files until they are dragged
// somewhere else. Any number can be open; each owns its file list.
class Shelf : public QWidget
{
    Q_OBJECT

public:
    static constexpr int width = 148;
    static constexpr int height = 164;

    // Opens a new shelf for the files near the pointer.
    static Shelf* show(const QStringList& files);
    // The shelves on screen.
    static QList<Shelf*> open();

    explicit Shelf(const QStringList& files);
    ~Shelf() override;

    const QStringList& files() const { return m_files; }
    QString caption() const;
    QImage picture() const;
    qreal closeButtonOpacity() const;
    // The picture's area: drags from here carry the files, elsewhere move the shelf.
    static QRect pictureArea();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void fadeCloseButton(qreal to);
    void loadThumbnail();
    void dragFiles();
    bool anyFileLeft() const;

    static QList<QPointer<Shelf>>& shelves();

    QStringList m_files;
    QLabel* m_picture;
    QLabel* m_label;
    QToolButton* m_close;
    QGraphicsOpacityEffect* m_closeOpacity;
    QPoint m_downPoint;
    bool m_dragging = false;
    bool m_opaque = false; // cut to its shape, with no compositor to blend it
};
