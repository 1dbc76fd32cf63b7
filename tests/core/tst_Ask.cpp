#include "base/Errors.h"
#include "core/Ask.h"
#include "platform/headless/ConsolePrompter.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>
#include <thread>

using namespace Qt::StringLiterals;

using ScriptedInput = TestSupport::ScriptedAnswers;

class TestAsk : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void textAnswers_data();
    void textAnswers();
    void folderAnswers();
    void workerPromptsRunOnTheMainThread();
    void mainThreadPromptsRunDirectly();
};

void TestAsk::textAnswers_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("answer"); // empty: cancelled
    QTest::newRow("plain") << QByteArray("800\n") << u"800"_s;
    QTest::newRow("spaces around") << QByteArray("   800  \n") << u"800"_s;
    QTest::newRow("tabs around") << QByteArray("\t0:05 - 1:30\t\n") << u"0:05 - 1:30"_s;
    QTest::newRow("inner spaces kept") << QByteArray("8 00\n") << u"8 00"_s;
    QTest::newRow("windows line end") << QByteArray("-1.5\r\n") << u"-1.5"_s;
    QTest::newRow("no line end") << QByteArray("abc") << u"abc"_s;
    QTest::newRow("spaces only") << QByteArray("    \n") << u""_s;
    QTest::newRow("empty line") << QByteArray("\n") << u""_s;
    QTest::newRow("end of input") << QByteArray() << u""_s;
}

void TestAsk::textAnswers()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, answer);
    const ScriptedInput scripted(input);
    try {
        const QString text = Ask::text(u"Resize Images"_s, u"Longest side in pixels:"_s, u"1600"_s);
        QCOMPARE(text, answer);
    } catch (const Cancelled&) {
        QVERIFY2(answer.isEmpty(), "only an empty answer cancels");
    }
}

void TestAsk::folderAnswers()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(u"Target"_s);
    {
        const ScriptedInput scripted("Target\n");
        QCOMPARE(Ask::folder(u"Move 2 items to:"_s, dir.path()), dir.filePath(u"Target"_s));
    }
    {
        // Whether it exists is for the operation to say, naming it.
        const ScriptedInput scripted("Missing\n");
        QCOMPARE(Ask::folder(u"Move to:"_s, dir.path()), dir.filePath(u"Missing"_s));
    }
    {
        const ScriptedInput scripted("\n");
        QVERIFY_THROWS_EXCEPTION(Cancelled, Ask::folder(u"Move to:"_s, dir.path()));
    }
}

void TestAsk::workerPromptsRunOnTheMainThread()
{
    QThread* promptThread = nullptr;
    QString answer;
    std::atomic<bool> done = false;
    std::thread worker([&] {
        answer = Ask::onMainForModal([&] {
            promptThread = QThread::currentThread();
            return u"from main"_s;
        });
        done = true;
    });
    // The main thread keeps handling events while the worker waits.
    QTRY_VERIFY(done.load());
    worker.join();
    QCOMPARE(promptThread, QCoreApplication::instance()->thread());
    QCOMPARE(answer, u"from main"_s);
}

void TestAsk::mainThreadPromptsRunDirectly()
{
    // Through a queued hand-off this would wait for itself forever.
    const int value = Ask::onMainForModal([] { return 42; });
    QCOMPARE(value, 42);
}

QTEST_GUILESS_MAIN(TestAsk)
#include "tst_Ask.moc"
