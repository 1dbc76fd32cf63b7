#include "support/TestPlatform.h"
#include "converters/image/ImageConverter.h"
#include "core/NameReservations.h"
#include "core/Settings.h"
#include "support/TestSupport.h"
#include "support/WindowPixels.h"
#include "ui/actions/Shelf.h"

#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

void sendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// The box around the pixels of `image` that are at least half opaque, in
// device-independent pixels.
QRectF paintedBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) >= 128)
                box |= QRect(x, y, 1, 1);
        }
    }
    const qreal ratio = image.devicePixelRatio();
    return {box.x() / ratio, box.y() / ratio, box.width() / ratio, box.height() / ratio};
}

} // namespace

class TestShelf : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void onePdfShowsItsFirstPage();
    void severalFilesShowTheirCount();
    void closeButtonShowsOnHover();
    void withoutCompositorTheShelfIsCutToItsShape();
    void marginMovesTheShelf();
    void shelvesAreIndependent();
    void draggingTheFiles_data();
    void draggingTheFiles();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString runDrop(Shelf* shelf, const QString& action);

    QTemporaryDir m_config;
    std::unique_ptr<TestSupport::ScopedEnv> m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestShelf::initTestCase()
{
    TestPlatform::install();
    m_home =
        std::make_unique<TestSupport::ScopedEnv>("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    Settings::shared().registerDefaults();
}

void TestShelf::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestShelf::cleanup()
{
    for (Shelf* shelf : Shelf::open())
        shelf->close();
    QTRY_VERIFY(Shelf::open().isEmpty());
}

void TestShelf::onePdfShowsItsFirstPage()
{
    QImage red(300, 400, QImage::Format_RGB32);
    red.fill(QColor(220, 20, 20));
    QVERIFY(red.save(path(u"red.png"_s)));
    const NameReservations::Scope names;
    const QString pdf = ImageConverter::mergeToPdf({path(u"red.png"_s)});
    Shelf* shelf = Shelf::show({pdf});
    QCOMPARE(shelf->caption(), u"red.pdf"_s);
    QTRY_VERIFY_WITH_TIMEOUT(
        shelf->picture().pixelColor(shelf->picture().rect().center()).red() > 180 &&
            shelf->picture().pixelColor(shelf->picture().rect().center()).green() < 60,
        5000);
}

void TestShelf::severalFilesShowTheirCount()
{
    QStringList files;
    for (int i = 0; i < 5; ++i)
        files.append(TestSupport::writeFile(path(u"f%1.txt"_s.arg(i))));
    Shelf* shelf = Shelf::show(files);
    QCOMPARE(shelf->caption(), u"5 items"_s);
    QVERIFY(!shelf->picture().isNull());
    QCOMPARE(shelf->size(), QSize(148, 164));
    // A stack of their icons fills the picture's square, as one file's icon does.
    const QRectF stack = paintedBox(shelf->picture());
    QVERIFY2(stack.width() >= 0.7 * 88 && stack.height() >= 0.7 * 88,
             qPrintable(u"%1 × %2"_s.arg(stack.width()).arg(stack.height())));
}

// Xvfb has no compositing manager: see-through pixels would show black.
void TestShelf::withoutCompositorTheShelfIsCutToItsShape()
{
    Shelf* shelf = Shelf::show({TestSupport::writeFile(path(u"a.txt"_s))});
    const QRegion shape = shelf->mask();
    QVERIFY(!shape.isEmpty());
    for (const QPoint corner : {QPoint(0, 0), QPoint(147, 0), QPoint(0, 163), QPoint(147, 163)})
        QVERIFY2(!shape.contains(corner), qPrintable(u"%1,%2"_s.arg(corner.x()).arg(corner.y())));
    QVERIFY(shape.contains(QPoint(74, 8)) && shape.contains(QPoint(8, 82)));
    // Every pixel the window shows is fully painted: no dark fringe.
    QVERIFY(WindowPixels::seeThroughInsideShape(shelf).isEmpty());
}

void TestShelf::closeButtonShowsOnHover()
{
    Shelf* shelf = Shelf::show({TestSupport::writeFile(path(u"a.txt"_s))});
    QVERIFY(QTest::qWaitForWindowExposed(shelf));
    QCOMPARE(shelf->closeButtonOpacity(), 0.0);
    QEnterEvent enter(QPointF(70, 70), QPointF(70, 70), shelf->mapToGlobal(QPointF(70, 70)));
    QApplication::sendEvent(shelf, &enter);
    QTRY_COMPARE(shelf->closeButtonOpacity(), 1.0);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(shelf, &leave);
    QTRY_COMPARE(shelf->closeButtonOpacity(), 0.0);
}

void TestShelf::marginMovesTheShelf()
{
    Shelf* shelf = Shelf::show({TestSupport::writeFile(path(u"a.txt"_s))});
    QVERIFY(QTest::qWaitForWindowExposed(shelf));
    shelf->move(300, 300);
    QTRY_COMPARE(shelf->pos(), QPoint(300, 300));
    const QPoint margin(140, 150); // outside the picture
    QVERIFY(!Shelf::pictureArea().adjusted(-6, -6, 6, 6).contains(margin));
    sendMouse(shelf, QEvent::MouseButtonPress, margin, Qt::LeftButton);
    sendMouse(shelf, QEvent::MouseMove, margin + QPoint(50, 30), Qt::LeftButton);
    sendMouse(shelf, QEvent::MouseButtonRelease, margin + QPoint(50, 30), Qt::NoButton);
    QTRY_COMPARE(shelf->pos(), QPoint(350, 330));
    QCOMPARE(Shelf::open().size(), 1);
}

void TestShelf::shelvesAreIndependent()
{
    Shelf* first = Shelf::show({TestSupport::writeFile(path(u"a.txt"_s))});
    Shelf* second = Shelf::show({TestSupport::writeFile(path(u"b.txt"_s))});
    QCOMPARE(Shelf::open().size(), 2);
    first->findChild<QAbstractButton*>()->click();
    QTRY_COMPARE(Shelf::open(), QList<Shelf*>{second});
    QCOMPARE(second->files(), QStringList{path(u"b.txt"_s)});
}

QString TestShelf::runDrop(Shelf* shelf, const QString& action)
{
    QProcess target;
    target.start(QDir(QCoreApplication::applicationDirPath()).filePath(u"dragsource"_s),
                 {u"drop"_s, action});
    target.waitForReadyRead(5000);
    target.readLine(); // ready
    QTest::qWait(300);
    shelf->move(200, 300);
    QTest::qWait(200);
    const QPoint picture = QPoint(200, 300) + Shelf::pictureArea().center();
    // The drag runs inside the shelf's event handling, so the pointer is
    // driven from outside.
    QProcess::startDetached(
        u"sh"_s,
        {u"-c"_s, QStringLiteral(
                      "xdotool mousemove %1 %2 mousedown 1; sleep 0.2; xdotool mousemove %3 %4; "
                      "sleep 0.2; xdotool mousemove 780 180; sleep 0.3; xdotool mousemove 800 200; "
                      "sleep 0.3; xdotool mouseup 1")
                      .arg(picture.x())
                      .arg(picture.y())
                      .arg(picture.x() + 20)
                      .arg(picture.y() + 20)});
    QElapsedTimer clock;
    clock.start();
    while (!target.canReadLine() && clock.elapsed() < 8000)
        QTest::qWait(50);
    const QString dropped = QString::fromUtf8(target.readLine()).trimmed();
    target.kill();
    target.waitForFinished();
    return dropped;
}

void TestShelf::draggingTheFiles_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("deleteFirst");
    QTest::addColumn<bool>("staysOpen");
    QTest::newRow("copy leaves it") << u"copy"_s << false << true;
    QTest::newRow("move closes it") << u"move"_s << false << false;
    QTest::newRow("copy of vanished files closes it") << u"copy"_s << true << false;
}

void TestShelf::draggingTheFiles()
{
    QFETCH(QString, action);
    QFETCH(bool, deleteFirst);
    QFETCH(bool, staysOpen);
    if (QStandardPaths::findExecutable(u"xdotool"_s).isEmpty() ||
        qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server and xdotool");
    const QString file = TestSupport::writeFile(path(u"shelved.txt"_s), "x");
    Shelf* shelf = Shelf::show({file});
    QVERIFY(QTest::qWaitForWindowExposed(shelf));
    if (deleteFirst)
        QFile::remove(file);
    QCOMPARE(runDrop(shelf, action), u"dropped "_s + file);
    QTRY_COMPARE(Shelf::open().size(), staysOpen ? 1 : 0);
}

QTEST_MAIN(TestShelf)
#include "tst_Shelf.moc"
