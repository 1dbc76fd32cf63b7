#include "support/TestPlatform.h"
#include "catalog/Catalog.h"
#include "support/TestSupport.h"
#include "support/WindowPixels.h"
#include "ui/RenderCommands.h"
#include "ui/actions/SliceSets.h"
#include "ui/drawing/SymbolImages.h"
#include "ui/wheel/WheelPanel.h"
#include "ui/wheel/WheelView.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtMath>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QList<Operation> operations(int count)
{
    QList<Operation> list;
    for (int i = 0; i < count; ++i)
        list.append(
            Operation(u"Slice %1"_s.arg(i), [](const QStringList&) { return QStringList(); }));
    return list;
}

QPointF atAngle(qreal clockwiseFromTwelve, qreal radius)
{
    const qreal radians = qDegreesToRadians(90 - clockwiseFromTwelve);
    return QPointF(radius * qCos(radians), radius * qSin(radians));
}

// Widget coordinates (y down) of a point given from the centre with y up.
QPoint widgetPoint(QPointF fromCentre)
{
    return QPoint(qRound(186 + fromCentre.x()), qRound(186 - fromCentre.y()));
}

void press(QWidget& widget, int key, const QString& text = {})
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&widget, &event);
}

void move(QWidget& widget, QPoint to)
{
    QMouseEvent event(QEvent::MouseMove, to, widget.mapToGlobal(to), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

int grey(const QImage& image, int x, int y)
{
    return qGray(image.pixel(x, y));
}

class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class TestWheelView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void hitTesting_data();
    void hitTesting();
    void everyAngleFindsItsSector();
    void keys();
    void numbersChooseOrPassOn();
    void pointer();
    void oneTickPerHighlightChange();
    void labelsShrinkAndWrap();
    void redrawsOnlyOnChange();
    void snapshots_data();
    void snapshots();
    void everySliceHasAnIcon();
    void noDividerCrossesText_data();
    void noDividerCrossesText();
    void withoutCompositorThePanelIsCutToItsDisc_data();
    void withoutCompositorThePanelIsCutToItsDisc();

private:
    int m_ticks = 0;
    TestPlatform* m_platform = nullptr;
};

void TestWheelView::init()
{
    if (!m_platform)
        m_platform = &TestPlatform::install();
    m_ticks = 0;
}

void TestWheelView::hitTesting_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<int>("slice"); // -1: none
    QTest::newRow("one slice, top") << 1 << atAngle(0, 100) << 0;
    QTest::newRow("one slice, bottom") << 1 << atAngle(180, 190) << 0;
    QTest::newRow("no slices") << 0 << atAngle(0, 100) << -1;
    QTest::newRow("dead zone edge") << 6 << atAngle(0, 58) << -1;
    QTest::newRow("just outside the dead zone") << 6 << atAngle(0, 58.01) << 0;
    QTest::newRow("outer edge") << 6 << atAngle(0, 194) << -1;
    QTest::newRow("just inside the outer edge") << 6 << atAngle(0, 193.9) << 0;
    QTest::newRow("two o'clock") << 6 << atAngle(60, 120) << 1;
    QTest::newRow("boundary goes clockwise") << 6 << atAngle(30, 120) << 1;
    QTest::newRow("just before the boundary") << 6 << atAngle(29.9, 120) << 0;
    QTest::newRow("left of twelve") << 6 << atAngle(-10, 120) << 0;
    QTest::newRow("last slice") << 6 << atAngle(300, 120) << 5;
}

void TestWheelView::hitTesting()
{
    QFETCH(int, count);
    QFETCH(QPointF, point);
    QFETCH(int, slice);
    QCOMPARE(WheelView::sliceAt(count, point).value_or(-1), slice);
}

void TestWheelView::everyAngleFindsItsSector()
{
    for (int count = 1; count <= 24; ++count) {
        const qreal width = 360.0 / count;
        for (qreal angle = 0.25; angle < 360; angle += 0.5) {
            const int slice = WheelView::sliceAt(count, atAngle(angle, 120)).value_or(-1);
            QVERIFY(slice >= 0 && slice < count);
            // The angle lies within half a slice of that slice's centre.
            const qreal offset = std::fmod(angle - slice * width + 540.0, 360.0) - 180.0;
            QVERIFY2(qAbs(offset) <= width / 2 + 1e-9,
                     qPrintable(u"%1 slices, angle %2 → %3"_s.arg(count).arg(angle).arg(slice)));
        }
    }
}

void TestWheelView::keys()
{
    WheelView view;
    view.configure(WheelMode::convert, operations(4), {u"/tmp/a.png"_s});
    QSignalSpy chosen(&view, &WheelView::chosen);
    QSignalSpy nextMode(&view, &WheelView::nextModeRequested);
    QSignalSpy hide(&view, &WheelView::hideRequested);

    press(view, Qt::Key_Return);
    QCOMPARE(chosen.count(), 0);
    press(view, Qt::Key_Left);
    QCOMPARE(view.highlighted(), 3);
    press(view, Qt::Key_Right);
    QCOMPARE(view.highlighted(), 0); // wraps
    press(view, Qt::Key_Down);
    QCOMPARE(view.highlighted(), 1);
    press(view, Qt::Key_Enter);
    QCOMPARE(chosen.takeFirst().at(0).toInt(), 1);
    press(view, Qt::Key_Tab);
    QCOMPARE(nextMode.count(), 1);
    press(view, Qt::Key_Escape);
    QCOMPARE(hide.count(), 1);

    WheelView fresh;
    fresh.configure(WheelMode::convert, operations(4), {});
    press(fresh, Qt::Key_Right);
    QCOMPARE(fresh.highlighted(), 0);
    WheelView keyboard;
    keyboard.setKeyboardMode(true);
    keyboard.configure(WheelMode::tools, operations(3), {});
    QCOMPARE(keyboard.highlighted(), 0);
}

void TestWheelView::numbersChooseOrPassOn()
{
    WheelView view;
    view.configure(WheelMode::convert, operations(4), {});
    QSignalSpy chosen(&view, &WheelView::chosen);
    for (const auto& [text, slice] :
         {std::pair{"1", 0}, {"4", 3}, {"0", -1}, {"5", -1}, {"x", -1}}) {
        QKeyEvent event(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                        QString::fromLatin1(text));
        QApplication::sendEvent(&view, &event);
        // Keys the wheel doesn't use go on to the platform's handling.
        QCOMPARE(event.isAccepted(), slice >= 0);
        QCOMPARE(chosen.isEmpty() ? -1 : chosen.takeFirst().at(0).toInt(), slice);
    }
}

void TestWheelView::pointer()
{
    WheelView view;
    view.configure(WheelMode::convert, operations(6), {});
    QSignalSpy chosen(&view, &WheelView::chosen);
    QSignalSpy nextMode(&view, &WheelView::nextModeRequested);
    QSignalSpy hide(&view, &WheelView::hideRequested);
    move(view, widgetPoint(atAngle(60, 120)));
    QCOMPARE(view.highlighted(), 1);
    QTest::mouseClick(&view, Qt::LeftButton, {}, widgetPoint(atAngle(60, 120)));
    QCOMPARE(chosen.takeFirst().at(0).toInt(), 1);
    QTest::mouseClick(&view, Qt::LeftButton, {}, widgetPoint(atAngle(0, 58)));
    QCOMPARE(nextMode.count(), 1);
    QTest::mouseClick(&view, Qt::LeftButton, {}, widgetPoint(atAngle(45, 186 * 1.35)));
    QCOMPARE(hide.count(), 1);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&view, &leave);
    QCOMPARE(view.highlighted(), std::nullopt);
    view.setKeyboardMode(true);
    view.configure(WheelMode::convert, operations(6), {});
    QApplication::sendEvent(&view, &leave);
    QCOMPARE(view.highlighted(), 0);
}

void TestWheelView::oneTickPerHighlightChange()
{
    WheelView view;
    connect(&view, &WheelView::sliceHighlighted, this, [this] { ++m_ticks; });
    view.configure(WheelMode::convert, operations(6), {});
    move(view, widgetPoint(atAngle(0, 100)));
    move(view, widgetPoint(atAngle(5, 110)));
    QCOMPARE(m_ticks, 1);
    move(view, widgetPoint(atAngle(60, 110)));
    QCOMPARE(m_ticks, 2);
    move(view, widgetPoint(atAngle(0, 10)));
    QCOMPARE(m_ticks, 2); // clearing the highlight is silent
}

void TestWheelView::labelsShrinkAndWrap()
{
    const QImage device(10, 10, QImage::Format_ARGB32);
    const qreal size = WheelView::labelFontSize(u"Remove Background"_s, 12, &device);
    QVERIFY2(size < 11 && size >= 9, qPrintable(QString::number(size)));
    QVERIFY(WheelView::labelLines(u"Remove Background"_s, 12, &device).size() <= 2);
    QCOMPARE(WheelView::labelFontSize(u"PNG"_s, 9, &device), 11.0);
    const QStringList long_ = WheelView::labelLines(
        u"A title far too long to fit on two lines of a narrow slice"_s, 12, &device);
    QCOMPARE(long_.size(), 2);
    QVERIFY(long_.last().endsWith(QChar(0x2026)));

    // "Needs install" appears under an entry that can't run yet.
    Operation missing(u"MP4"_s, [](const QStringList&) { return QStringList(); });
    const QImage plain =
        RenderCommands::wheelPicture(WheelMode::convert, false, {missing, missing}, {});
    missing.unavailableReason = u"FFmpeg is missing.\nInstall it with:  sudo apt install ffmpeg"_s;
    const QImage marked =
        RenderCommands::wheelPicture(WheelMode::convert, false, {missing, missing}, {});
    // Below the bottom slice's title, where only the note can be.
    const QRect note(216 - 40, 216 + 116 + 20, 80, 14);
    QVERIFY(plain.copy(note) != marked.copy(note));
    // It reads as text does, in both appearances.
    for (const bool dark : {false, true}) {
        const QImage shown =
            RenderCommands::wheelPicture(WheelMode::convert, dark, {missing, missing}, {});
        const QRgb background = shown.pixel(note.center().x(), note.top() - 30);
        double strongest = 1;
        for (int y = note.top(); y <= note.bottom(); ++y) {
            for (int x = note.left(); x <= note.right(); ++x)
                strongest =
                    std::max(strongest, TestSupport::contrast(shown.pixel(x, y), background));
        }
        QVERIFY2(strongest >= 4.5, qPrintable(u"%1: %2"_s.arg(dark).arg(strongest)));
    }
}

void TestWheelView::redrawsOnlyOnChange()
{
    WheelView view;
    view.configure(WheelMode::convert, operations(6), {});
    PaintCounter counter;
    view.installEventFilter(&counter);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QTest::qWait(50);
    const int afterShow = counter.paints;
    QTest::mouseMove(&view, widgetPoint(atAngle(0, 100)));
    QTest::qWait(50);
    QCOMPARE(counter.paints, afterShow + 1);
    QTest::mouseMove(&view, widgetPoint(atAngle(3, 104)));
    QTest::mouseMove(&view, widgetPoint(atAngle(6, 108)));
    QTest::qWait(50);
    QCOMPARE(counter.paints, afterShow + 1);
    view.configure(WheelMode::tools, operations(3), {});
    QTest::qWait(50);
    QCOMPARE(counter.paints, afterShow + 2);
}

void TestWheelView::snapshots_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("dark");
    for (const WheelMode::Mode mode : WheelMode::all())
        for (const bool dark : {false, true})
            QTest::addRow("%s %s", qPrintable(WheelMode::rawValue(mode)), dark ? "dark" : "light")
                << int(mode) << dark;
}

void TestWheelView::snapshots()
{
    QFETCH(int, mode);
    QFETCH(bool, dark);
    QTemporaryDir dir;
    const QString photo = TestSupport::writeFile(dir.filePath(u"photo.heic"_s));
    const QString png = dir.filePath(u"wheel.png"_s);
    const auto result =
        TestSupport::runFlingdial({u"--snapshot"_s, png, WheelMode::rawValue(WheelMode::Mode(mode)),
                                   dark ? u"dark"_s : u"light"_s, photo},
                                  TestSupport::isolatedEnvironment(dir.filePath(u"config"_s)));
    QCOMPARE(result.status, 0);
    const QImage image(png);
    QCOMPARE(image.size(), QSize(432, 432));
    QVERIFY(qAbs(grey(image, 2, 2) - (dark ? 46 : 209)) <= 2);
    QVERIFY(qAbs(grey(image, 216, 216 + 165) - (dark ? 41 : 246)) <= 3);
    const QColor accent = image.pixelColor(216, 216 - 152);
    QVERIFY2(accent.blue() > 200 && accent.red() < 80, qPrintable(accent.name()));
}

void TestWheelView::everySliceHasAnIcon()
{
    QTemporaryDir dir;
    QStringList names = {"a.png",  "a.gif", "a.mov", "a.wav", "a.pdf", "a.docx",
                         "a.pptx", "a.csv", "a.srt", "a.zip", "a.xyz"};
    for (const QString& name : names) {
        const QStringList files = {TestSupport::writeFile(dir.filePath(name))};
        for (const WheelMode::Mode mode : WheelMode::all()) {
            for (const Operation& operation : SliceSets::of(mode, files)) {
                QVERIFY2(operation.symbol, qPrintable(operation.title));
                QVERIFY2(!SymbolImages::tinted(*operation.symbol, 19, Qt::black).isNull(),
                         qPrintable(*operation.symbol + u" for "_s + operation.title));
            }
        }
    }
    for (const QString& symbol : SymbolImages::knownSymbols())
        QVERIFY2(!SymbolImages::tinted(symbol, 19, Qt::black).isNull(), qPrintable(symbol));
}

void TestWheelView::noDividerCrossesText_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("dark");
    for (const int count : {5, 9, 12}) {
        QTest::addRow("%d slices, light", count) << count << false;
        QTest::addRow("%d slices, dark", count) << count << true;
    }
}

// The wheel drawn twice: with long titles that need installing, and with
// slices that show nothing. No divider the first one draws touches its text.
void TestWheelView::noDividerCrossesText()
{
    QFETCH(int, count);
    QFETCH(bool, dark);
    const QStringList titles = {u"Extract Audio"_s, u"Speed 2×"_s, u"Remove Background"_s,
                                u"Frame"_s,         u"Trim…"_s,    u"Merge into PDF"_s};
    QList<Operation> labelled;
    QList<Operation> blank;
    for (int i = 0; i < count; ++i) {
        Operation item(titles.at(i % titles.size()),
                       [](const QStringList&) { return QStringList(); });
        item.symbol = u"film"_s;
        item.unavailableReason = u"FFmpeg is missing."_s;
        labelled.append(item);
        blank.append(Operation(QString(), [](const QStringList&) { return QStringList(); }));
    }
    const QImage withText = RenderCommands::wheelPicture(WheelMode::tools, dark, labelled, {});
    const QImage dividersOnly = RenderCommands::wheelPicture(WheelMode::tools, dark, blank, {});
    const QRgb background = dividersOnly.pixel(216, 216 + 150); // inside the ring, off any divider
    const qreal slice = 360.0 / count;
    // A divider's pixel shows as it does without text; text is what shows
    // where there is nothing without it.
    const auto drawsDivider = [&](int x, int y) {
        return dividersOnly.pixel(x, y) != background &&
               withText.pixel(x, y) == dividersOnly.pixel(x, y);
    };
    const auto drawsText = [&](int x, int y) {
        return dividersOnly.pixel(x, y) == background && withText.pixel(x, y) != background;
    };
    int crossings = 0;
    for (int y = 0; y < withText.height(); ++y) {
        for (int x = 0; x < withText.width(); ++x) {
            // Only the band the dividers span, outside the lit first slice.
            const QPointF fromCentre(x - 216, 216 - y);
            const qreal radius = std::hypot(fromCentre.x(), fromCentre.y());
            const qreal clockwise = qRadiansToDegrees(std::atan2(fromCentre.x(), fromCentre.y()));
            if (radius < 78 || radius > 150 || std::abs(clockwise) < slice / 2 + 4)
                continue;
            if (!drawsDivider(x, y))
                continue;
            bool textNextToIt = false;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx)
                    textNextToIt = textNextToIt || drawsText(x + dx, y + dy);
            }
            crossings += textNextToIt ? 1 : 0;
        }
    }
    // A glyph's edge pixel may by chance match the divider's colour there;
    // a divider drawn through text touches it dozens of times.
    QVERIFY2(crossings <= 2, qPrintable(QString::number(crossings)));
}

void TestWheelView::withoutCompositorThePanelIsCutToItsDisc_data()
{
    QTest::addColumn<bool>("dark");
    QTest::newRow("light") << false;
    QTest::newRow("dark") << true;
}

// Xvfb has no compositing manager: the panel is cut to its disc, and every
// pixel of the disc is painted in full, all the way round (no dark fringe).
void TestWheelView::withoutCompositorThePanelIsCutToItsDisc()
{
    QFETCH(bool, dark);
    WheelPanel panel;
    QPalette palette = panel.palette();
    palette.setColor(QPalette::Window, dark ? Qt::black : Qt::white);
    panel.setPalette(palette);
    panel.showAt(QPoint(600, 500), true);
    const QRegion disc = panel.mask();
    QVERIFY(!disc.isEmpty());
    QVERIFY(!disc.contains(QPoint(40, 40)) && !disc.contains(QPoint(331, 331)));
    const QRect box = disc.boundingRect();
    // As far out on the right and bottom as on the left and top.
    QVERIFY2(
        qAbs((box.left() - 0) - (panel.width() - 1 - box.right())) <= 1 &&
            qAbs((box.top() - 0) - (panel.height() - 1 - box.bottom())) <= 1,
        qPrintable(u"%1,%2 %3×%4"_s.arg(box.x()).arg(box.y()).arg(box.width()).arg(box.height())));
    QVERIFY(WindowPixels::seeThroughInsideShape(&panel).isEmpty());
}

QTEST_MAIN(TestWheelView)
#include "tst_WheelView.moc"
