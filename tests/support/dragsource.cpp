// A window that stands in for a file manager in end-to-end tests.
//   dragsource drag FILE…   starts a drag of the files on mouse press and
//                           prints the drop action ("copy", "move", "none")
//   dragsource text         the same with plain text instead of files
//   dragsource copy FILE…   puts the files on the clipboard as file
//                           managers do, and keeps it
//   dragsource drop copy|move
//                           takes drops with that action and prints
//                           "dropped <file>…"
// It prints "ready <window id>" once shown, and "key <name>" for keys it gets.
#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
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

QMimeData* fileData(const QStringList& files)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    QByteArray gnome = "copy";
    for (const QString& file : files) {
        urls.append(QUrl::fromLocalFile(file));
        gnome += "\n" + QUrl::fromLocalFile(file).toEncoded();
    }
    data->setUrls(urls);
    data->setData(QStringLiteral("x-special/gnome-copied-files"), gnome);
    return data;
}

class Source : public QWidget
{
public:
    Source(QString mode, QStringList files) : m_mode(std::move(mode)), m_files(std::move(files))
    {
        setWindowTitle(QStringLiteral("Drag Source"));
        setGeometry(40, 40, 200, 200);
        if (m_mode == QLatin1String("drop")) {
            setWindowTitle(QStringLiteral("Drop Target"));
            setGeometry(700, 100, 200, 200);
            setAcceptDrops(true);
        }
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override
    {
        event->setDropAction(action());
        event->accept();
    }
    void dragMoveEvent(QDragMoveEvent* event) override
    {
        event->setDropAction(action());
        event->accept();
    }
    void dropEvent(QDropEvent* event) override
    {
        event->setDropAction(action());
        event->accept();
        QByteArray line = "dropped";
        for (const QUrl& url : event->mimeData()->urls())
            line += ' ' + url.toLocalFile().toUtf8();
        say(line);
    }
    Qt::DropAction action() const
    {
        return m_files.value(0) == QLatin1String("move") ? Qt::MoveAction : Qt::CopyAction;
    }

    void mousePressEvent(QMouseEvent*) override
    {
        if (m_mode == QLatin1String("copy") || m_mode == QLatin1String("drop"))
            return;
        auto* drag = new QDrag(this);
        if (m_mode == QLatin1String("text")) {
            auto* data = new QMimeData;
            data->setText(QStringLiteral("just some words"));
            drag->setMimeData(data);
        } else {
            drag->setMimeData(fileData(m_files));
        }
        const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
        say(action == Qt::CopyAction ? "copy" : action == Qt::MoveAction ? "move" : "none");
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        static const QList<int> modifiers = {Qt::Key_Control, Qt::Key_Alt, Qt::Key_Shift,
                                             Qt::Key_Meta, Qt::Key_Super_L};
        if (modifiers.contains(event->key()))
            return;
        say("key " + QKeySequence(event->key() | event->modifiers()).toString().toUtf8());
    }

private:
    QString m_mode;
    QStringList m_files;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const QString mode = arguments.isEmpty() ? QStringLiteral("drag") : arguments.takeFirst();
    Source source(mode, arguments);
    if (mode == QLatin1String("copy"))
        QGuiApplication::clipboard()->setMimeData(fileData(arguments));
    source.show();
    source.activateWindow();
    say("ready " + QByteArray::number(quint64(source.winId())));
    return app.exec();
}
