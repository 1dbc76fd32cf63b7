#include "actions/Actions.h"
#include "core/Errors.h"
#include "core/NameReservations.h"
#include "core/Settings.h"
#include "support/TestSupport.h"

#include <QClipboard>
#include <QDir>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using TestSupport::ScopedEnv;
using TestSupport::writeFile;

class TestActions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void theSixActions();
    void movePrompts();
    void moveNeverOverwrites();
    void cancelledMoveMovesNothing();
    void moveFromTheCommandLine();
    void copyPathAndCopy();
    void copyPathFromTheCommandLine();
    void terminalFolders_data();
    void terminalFolders();
    void sendToDevice();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    QTemporaryDir m_config;
    std::unique_ptr<ScopedEnv> m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<NameReservations::Scope> m_names;
};

void TestActions::initTestCase()
{
    m_home = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    Settings::shared().registerDefaults();
}

void TestActions::init()
{
    m_names.reset();
    m_names = std::make_unique<NameReservations::Scope>();
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestActions::theSixActions()
{
    QStringList titles;
    for (const Operation& operation : Actions::all()) {
        titles.append(operation.title);
        QCOMPARE(operation.execution, Operation::Execution::immediate);
        QVERIFY(!operation.isConversion && !operation.unavailableReason);
    }
    QCOMPARE(titles,
             QStringList({"Send to Device", "Shelf", "Copy", "Move…", "Copy Path", "Terminal"}));
}

void TestActions::movePrompts()
{
    QCOMPARE(Actions::movePrompt({QStringLiteral("/a/photo.jpg")}),
             QStringLiteral("Move photo.jpg to:"));
    QCOMPARE(Actions::movePrompt({"/a", "/b", "/c", "/d", "/e"}),
             QStringLiteral("Move 5 items to:"));
}

void TestActions::moveNeverOverwrites()
{
    const QString photo = writeFile(path(QStringLiteral("photo.jpg")), "new");
    const QString notes = writeFile(path(QStringLiteral("notes.txt")), "notes");
    writeFile(path(QStringLiteral("Target/photo.jpg")), "old");
    const TestSupport::ScriptedAnswers answer(path(QStringLiteral("Target")).toUtf8() + '\n');
    const QStringList moved = Actions::moveFiles({photo, notes});
    QCOMPARE(moved, QStringList({path(QStringLiteral("Target/photo 2.jpg")),
                                 path(QStringLiteral("Target/notes.txt"))}));
    QVERIFY(!QFileInfo::exists(photo));
    QFile old(path(QStringLiteral("Target/photo.jpg")));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old"));
}

void TestActions::cancelledMoveMovesNothing()
{
    const QString photo = writeFile(path(QStringLiteral("photo.jpg")));
    const TestSupport::ScriptedAnswers answer("\n");
    QVERIFY_THROWS_EXCEPTION(Cancelled, Actions::moveFiles({photo}));
    QVERIFY(QFileInfo::exists(photo));
}

void TestActions::moveFromTheCommandLine()
{
    writeFile(path(QStringLiteral("photo.jpg")));
    writeFile(path(QStringLiteral("Target/photo.jpg")));
    QProcessEnvironment env = TestSupport::isolatedEnvironment(path(QStringLiteral("config")));
    env.remove(QStringLiteral("DISPLAY"));
    const auto result =
        TestSupport::runFlingdial({QStringLiteral("--run"), QStringLiteral("actions"),
                                   QStringLiteral("MOVE…"), QStringLiteral("photo.jpg")},
                                  env, m_dir->path(), "Target\n");
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, path(QStringLiteral("Target/photo 2.jpg")) + QLatin1Char('\n'));
}

void TestActions::copyPathAndCopy()
{
    const QStringList files = {path(QStringLiteral("a b.txt")), path(QStringLiteral("c.txt")),
                               path(QStringLiteral("é.txt"))};
    Actions::copyPaths(files);
    QCOMPARE(QGuiApplication::clipboard()->text(), files.join(QLatin1Char('\n')));

    Actions::copyFiles(files);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data->hasFormat(QStringLiteral("text/uri-list")));
    QList<QUrl> expected;
    for (const QString& file : files)
        expected.append(QUrl::fromLocalFile(file));
    QCOMPARE(data->urls(), expected);
    const QList<QByteArray> copied =
        data->data(QStringLiteral("x-special/gnome-copied-files")).split('\n');
    QCOMPARE(copied.first(), QByteArray("copy"));
    QCOMPARE(copied.mid(1), QList<QByteArray>({expected[0].toEncoded(), expected[1].toEncoded(),
                                               expected[2].toEncoded()}));
}

void TestActions::copyPathFromTheCommandLine()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server");
    QProcess program;
    program.setProcessEnvironment(TestSupport::isolatedEnvironment(path(QStringLiteral("config"))));
    program.setWorkingDirectory(m_dir->path());
    program.start(QStringLiteral(FLINGDIAL_BINARY),
                  {QStringLiteral("--run"), QStringLiteral("actions"), QStringLiteral("copy path"),
                   QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    // It keeps what it copied until another program takes the clipboard.
    QTRY_COMPARE_WITH_TIMEOUT(
        QGuiApplication::clipboard()->text(),
        QStringList({path("a"), path("b"), path("c")}).join(QLatin1Char('\n')), 5000);
    QVERIFY(program.state() == QProcess::Running);
    // Another program copies something.
    QProcess other;
    other.start(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("dragsource")),
                {QStringLiteral("copy"), path(QStringLiteral("d"))});
    QVERIFY(program.waitForFinished(5000));
    QCOMPARE(program.exitCode(), 0);
    other.kill();
    other.waitForFinished();
}

void TestActions::terminalFolders_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("folder");
    QTest::newRow("file") << "b/c.txt"
                          << "b";
    QTest::newRow("folder") << "b/"
                            << "b";
    QTest::newRow("package directory") << "b/Report.pages/"
                                       << "b";
}

void TestActions::terminalFolders()
{
    QFETCH(QString, item);
    QFETCH(QString, folder);
    const QString target = path(item);
    if (item.endsWith(QLatin1Char('/')))
        QDir().mkpath(target);
    else
        writeFile(target);
    const QString record = path(QStringLiteral("started-in"));
    const QString terminal = TestSupport::writeExecutable(path(QStringLiteral("fake-terminal")),
                                                          "pwd > '" + record.toUtf8() + "'\n");
    const ScopedEnv useIt("TERMINAL", terminal.toLocal8Bit());
    Actions::openTerminal({QDir::cleanPath(target), path(QStringLiteral("other.txt"))});
    QTRY_VERIFY(QFileInfo(record).size() > 0);
    QFile started(record);
    QVERIFY(started.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(started.readAll()).trimmed(), QDir(path(folder)).canonicalPath());
}

void TestActions::sendToDevice()
{
    const QString bin = path(QStringLiteral("bin"));
    const ScopedEnv tools("FLINGDIAL_TOOL_DIRS", bin.toLocal8Bit());
    const QString file = writeFile(path(QStringLiteral("a.pdf")));
    const auto expectUnreachable = [&] {
        try {
            Actions::sendToDevice({file});
            QFAIL("there is no device to send to");
        } catch (const Fail& fail) {
            QCOMPARE(fail.message(), QStringLiteral("No paired device is reachable right now."));
        }
    };
    expectUnreachable(); // no KDE Connect at all
    const QString shared = path(QStringLiteral("shared"));
    TestSupport::writeExecutable(
        bin + QStringLiteral("/kdeconnect-cli"),
        "if [ \"$1\" = --list-available ]; then cat '" + path("devices").toUtf8() +
            "' 2>/dev/null; exit 0; fi\necho \"$@\" >> '" + shared.toUtf8() + "'\n");
    expectUnreachable(); // paired with nothing reachable
    writeFile(path(QStringLiteral("devices")), "phone1\n");
    Actions::sendToDevice({file});
    QFile log(shared);
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(),
             "--device phone1 --share " + QUrl::fromLocalFile(file).toEncoded() + "\n");
}

QTEST_MAIN(TestActions)
#include "tst_Actions.moc"
