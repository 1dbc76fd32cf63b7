#include "support/TestSupport.h"

#include <QImage>
#include <QTemporaryDir>
#include <QtMath>
#include <QtTest>

using namespace Qt::StringLiterals;

using TestSupport::runFlingdial;

class TestRendering : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void iconSizes_data();
    void iconSizes();
    void iconBodyKeepsItsProportions();
    void menuBarLightsTwoOClock();
    void snapshotModeWordIsExact();

private:
    TestSupport::Result run(const QStringList& arguments);
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestRendering::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

TestSupport::Result TestRendering::run(const QStringList& arguments)
{
    return runFlingdial(arguments, TestSupport::isolatedEnvironment(path(u"config"_s)),
                        m_dir->path());
}

void TestRendering::iconSizes_data()
{
    QTest::addColumn<QStringList>("size");
    QTest::addColumn<int>("pixels"); // 0: refused
    QTest::newRow("default") << QStringList() << 1024;
    QTest::newRow("64") << QStringList{"64"} << 64;
    QTest::newRow("plus sign") << QStringList{"+32"} << 32;
    QTest::newRow("not a number") << QStringList{"big"} << 1024;
    QTest::newRow("extra arguments ignored") << QStringList{"16", "more"} << 16;
    QTest::newRow("zero") << QStringList{"0"} << 0;
    QTest::newRow("negative") << QStringList{"-5"} << 0;
    QTest::newRow("absurd") << QStringList{"99999999"} << 0;
    QTest::newRow("beyond an int") << QStringList{"99999999999999"} << 0;
}

void TestRendering::iconSizes()
{
    QFETCH(QStringList, size);
    QFETCH(int, pixels);
    for (const QString& option : {u"--render-icon"_s, u"--render-menubar"_s}) {
        const auto result = run(QStringList{option, u"icon.png"_s} + size);
        if (pixels == 0) {
            QCOMPARE(result.status, 1);
            QVERIFY2(result.err.contains(QLatin1String("error: ")), qPrintable(result.err));
            QVERIFY(!QFileInfo::exists(path(u"icon.png"_s)));
            continue;
        }
        QCOMPARE(result.status, 0);
        QCOMPARE(result.out, QString());
        QCOMPARE(QImage(path(u"icon.png"_s)).size(), QSize(pixels, pixels));
    }
    const auto unwritable = run({u"--render-icon"_s, path(u"missing/icon.png"_s)});
    QCOMPARE(unwritable.status, 1);
    QVERIFY(unwritable.err.contains(QLatin1String("error: ")));
}

void TestRendering::iconBodyKeepsItsProportions()
{
    QCOMPARE(run({u"--render-icon"_s, u"icon.png"_s, u"64"_s}).status, 0);
    const QImage icon(path(u"icon.png"_s));
    // The body spans 100/1024 … 924/1024 of the side, centred.
    int first = -1;
    int last = -1;
    for (int x = 0; x < 64; ++x) {
        if (qAlpha(icon.pixel(x, 32)) > 128) {
            if (first < 0)
                first = x;
            last = x;
        }
    }
    QVERIFY2(qAbs(first - 6.25) <= 1 && qAbs(last + 1 - 57.75) <= 1,
             qPrintable(u"%1…%2"_s.arg(first).arg(last)));
}

void TestRendering::menuBarLightsTwoOClock()
{
    QCOMPARE(run({u"--render-menubar"_s, u"bar.png"_s, u"180"_s}).status, 0);
    const QImage bar(path(u"bar.png"_s));
    const auto alphaAt = [&](qreal clockwise) {
        const qreal radians = qDegreesToRadians(90 - clockwise);
        return qAlpha(bar.pixel(qRound(90 + 60 * qCos(radians)), qRound(90 - 60 * qSin(radians))));
    };
    QVERIFY(alphaAt(60) > 240);
    for (const qreal other : {0.0, 120.0, 180.0, 240.0, 300.0})
        QVERIFY(qAbs(alphaAt(other) - 97) <= 6);
}

void TestRendering::snapshotModeWordIsExact()
{
    const QString file = TestSupport::writeFile(path(u"a.png"_s));
    QCOMPARE(run({u"--snapshot"_s, u"capital.png"_s, u"Tools"_s, u"light"_s, file}).status, 0);
    QCOMPARE(run({u"--snapshot"_s, u"convert.png"_s, u"convert"_s, u"light"_s, file}).status, 0);
    QCOMPARE(run({u"--snapshot"_s, u"tools.png"_s, u"tools"_s, u"light"_s, file}).status, 0);
    const QImage capital(path(u"capital.png"_s));
    QCOMPARE(capital, QImage(path(u"convert.png"_s)));
    QVERIFY(capital != QImage(path(u"tools.png"_s)));
}

QTEST_MAIN(TestRendering)
#include "tst_Rendering.moc"
