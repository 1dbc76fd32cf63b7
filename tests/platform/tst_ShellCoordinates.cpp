#include "platform/gnome/GnomeShellExtension.h"
#include "platform/gnome/ShellCoordinates.h"

#include <QtTest>

using Screen = ShellCoordinates::Screen;
using State = DesktopExtension::State;

// Where a point GNOME Shell gives lands on the program's screens, and what
// the Shell's numbers for an extension's state mean.
class TestShellCoordinates : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toGlobal_data();
    void toGlobal();
    void fromShellState_data();
    void fromShellState();
};

void TestShellCoordinates::toGlobal_data()
{
    QTest::addColumn<QList<Screen>>("screens");
    QTest::addColumn<QSize>("stage");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QPoint>("expected");

    const QList<Screen> plain{{QRect(0, 0, 1280, 720), 1}};
    QTest::newRow("one screen at 100 %")
        << plain << QSize(1280, 720) << QPoint(760, 380) << QPoint(760, 380);
    // GNOME 43-46 at 150 %: XWayland's screen is the logical one.
    QTest::newRow("fractional, X11 scaled as pictures")
        << plain << QSize(1280, 720) << QPoint(1279, 719) << QPoint(1279, 719);
    // GNOME 47 and later with X11 at the screen's scale: XWayland has
    // 1920 × 1080, Qt divides by 1.5 (Xft.dpi 144).
    QTest::newRow("fractional, X11 at the screen's scale")
        << QList<Screen>{{QRect(0, 0, 1280, 720), 1.5}} << QSize(1280, 720) << QPoint(760, 380)
        << QPoint(760, 380);
    QTest::newRow("whole scale 2, X11 at the screen's scale")
        << QList<Screen>{{QRect(0, 0, 960, 540), 2}} << QSize(960, 540) << QPoint(100, 50)
        << QPoint(100, 50);
    // A second screen at 200 % right of one at 100 %: its corner stays where
    // X11 puts it, its inside is halved.
    const QList<Screen> mixed{{QRect(0, 0, 1920, 1080), 1}, {QRect(1920, 0, 1280, 720), 2}};
    QTest::newRow("second screen, scaled")
        << mixed << QSize(4480, 1440) << QPoint(3000, 100) << QPoint(2460, 50);
    QTest::newRow("first screen of two")
        << mixed << QSize(4480, 1440) << QPoint(500, 600) << QPoint(500, 600);
    // Below the short first screen, left of the tall second one: the nearer
    // screen's scale applies.
    QTest::newRow("off every screen")
        << mixed << QSize(4480, 1440) << QPoint(500, 1200) << QPoint(500, 1200);
    QTest::newRow("off every screen, nearer the second")
        << mixed << QSize(4480, 1440) << QPoint(1900, 1430) << QPoint(1910, 715);
    QTest::newRow("no stage size") << plain << QSize() << QPoint(10, 20) << QPoint(10, 20);
    QTest::newRow("no screens") << QList<Screen>() << QSize(1280, 720) << QPoint(10, 20)
                                << QPoint(10, 20);
}

void TestShellCoordinates::toGlobal()
{
    QFETCH(QList<Screen>, screens);
    QFETCH(QSize, stage);
    QFETCH(QPoint, point);
    QFETCH(QPoint, expected);
    QCOMPARE(ShellCoordinates::toGlobal(point, stage, screens), expected);
}

void TestShellCoordinates::fromShellState_data()
{
    QTest::addColumn<int>("shell");
    QTest::addColumn<State>("expected");
    QTest::newRow("enabled / active") << 1 << State::on;
    QTest::newRow("disabled / inactive") << 2 << State::off;
    QTest::newRow("error") << 3 << State::failed;
    QTest::newRow("out of date") << 4 << State::outdated;
    QTest::newRow("initialized") << 6 << State::off;
    QTest::newRow("deactivating") << 7 << State::off;
    QTest::newRow("activating") << 8 << State::on;
    QTest::newRow("uninstalled") << 99 << State::missing;
}

void TestShellCoordinates::fromShellState()
{
    QFETCH(int, shell);
    QFETCH(State, expected);
    QCOMPARE(GnomeShellExtension::fromShellState(shell), expected);
}

QTEST_GUILESS_MAIN(TestShellCoordinates)
#include "tst_ShellCoordinates.moc"
