#include "support/TestPlatform.h"
#include "base/Errors.h"
#include "core/NameReservations.h"
#include "core/Settings.h"
#include "support/TestSupport.h"
#include "ui/actions/ShareActions.h"

#include <QClipboard>
#include <QDir>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

using TestSupport::ScopedEnv;
using TestSupport::writeFile;

class TestShareActions : public QObject
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
    void moveToAMissingFolderSaysSo();
    void moveWithinItsOwnFolderChangesNothing();
    void moveToAnotherDisk();
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

void TestShareActions::initTestCase()
{
    TestPlatform::install();
    m_home = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    Settings::shared().registerDefaults();
}

void TestShareActions::init()
{
    m_names.reset();
    m_names = std::make_unique<NameReservations::Scope>();
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestShareActions::theSixActions()
{
    QStringList titles;
    for (const Operation& operation : ShareActions::all()) {
        titles.append(operation.title);
        QCOMPARE(operation.execution, Operation::Execution::immediate);
        QVERIFY(!operation.isConversion && !operation.unavailableReason);
    }
    QCOMPARE(titles,
             QStringList({"Send to Device", "Shelf", "Copy", "Move…", "Copy Path", "Terminal"}));
}

void TestShareActions::movePrompts()
{
    QCOMPARE(ShareActions::movePrompt({u"/a/photo.jpg"_s}), u"Move photo.jpg to:"_s);
    QCOMPARE(ShareActions::movePrompt({"/a", "/b", "/c", "/d", "/e"}), u"Move 5 items to:"_s);
}

void TestShareActions::moveNeverOverwrites()
{
    const QString photo = writeFile(path(u"photo.jpg"_s), "new");
    const QString notes = writeFile(path(u"notes.txt"_s), "notes");
    writeFile(path(u"Target/photo.jpg"_s), "old");
    const TestSupport::ScriptedAnswers answer(path(u"Target"_s).toUtf8() + '\n');
    const QStringList moved = ShareActions::moveFiles({photo, notes});
    QCOMPARE(moved, QStringList({path(u"Target/photo 2.jpg"_s), path(u"Target/notes.txt"_s)}));
    QVERIFY(!QFileInfo::exists(photo));
    QFile old(path(u"Target/photo.jpg"_s));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old"));
}

void TestShareActions::cancelledMoveMovesNothing()
{
    const QString photo = writeFile(path(u"photo.jpg"_s));
    const TestSupport::ScriptedAnswers answer("\n");
    QVERIFY_THROWS_EXCEPTION(Cancelled, ShareActions::moveFiles({photo}));
    QVERIFY(QFileInfo::exists(photo));
}

void TestShareActions::moveFromTheCommandLine()
{
    writeFile(path(u"photo.jpg"_s));
    writeFile(path(u"Target/photo.jpg"_s));
    QProcessEnvironment env = TestSupport::isolatedEnvironment(path(u"config"_s));
    env.remove(u"DISPLAY"_s);
    const auto result = TestSupport::runFlingdial(
        {u"--run"_s, u"actions"_s, u"MOVE…"_s, u"photo.jpg"_s}, env, m_dir->path(), "Target\n");
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, path(u"Target/photo 2.jpg"_s) + QLatin1Char('\n'));
}

void TestShareActions::moveToAMissingFolderSaysSo()
{
    const QString photo = writeFile(path(u"photo.jpg"_s));
    const TestSupport::ScriptedAnswers answer("Nowhere\n");
    QCOMPARE(TestSupport::failureOf([&] { ShareActions::moveFiles({photo}); }),
             u"The folder “Nowhere” doesn’t exist."_s);
    QVERIFY(QFileInfo::exists(photo));
}

void TestShareActions::moveWithinItsOwnFolderChangesNothing()
{
    const QString photo = writeFile(path(u"photo.jpg"_s));
    const TestSupport::ScriptedAnswers answer(".\n");
    QCOMPARE(ShareActions::moveFiles({photo}), QStringList{photo});
    QCOMPARE(TestSupport::namesIn(m_dir->path()), QStringList{u"photo.jpg"_s});
}

void TestShareActions::moveToAnotherDisk()
{
    const TestSupport::SmallDisk disk(path(u"small"_s), 128 * 1024);
    if (!disk.isMounted())
        QSKIP("can't mount a small tmpfs here (that needs root): no other disk to move to");
    const QString big = writeFile(path(u"big.bin"_s), QByteArray(300 * 1024, 'b'));
    const QString folder = writeFile(path(u"notes/a.txt"_s), "a");
    writeFile(path(u"notes/deeper/b.txt"_s), "b");
    const QString notes = QFileInfo(folder).absolutePath();

    // Too big for the disk: nothing arrives, and the original stays whole.
    {
        const TestSupport::ScriptedAnswers answer((disk.path() + u"\n"_s).toUtf8());
        QVERIFY_THROWS_EXCEPTION(Error, ShareActions::moveFiles({big}));
    }
    QCOMPARE(TestSupport::namesIn(disk.path()), QStringList());
    QCOMPARE(QFileInfo(big).size(), 300 * 1024);

    // A folder that fits arrives whole, and only then leaves.
    const TestSupport::ScriptedAnswers answer((disk.path() + u"\n"_s).toUtf8());
    QCOMPARE(ShareActions::moveFiles({notes}), QStringList{disk.path() + u"/notes"_s});
    QVERIFY(!QFileInfo::exists(notes));
    QCOMPARE(TestSupport::readFile(disk.path() + u"/notes/deeper/b.txt"_s), QByteArray("b"));
    QCOMPARE(TestSupport::namesIn(disk.path()), QStringList{u"notes"_s});
}

void TestShareActions::copyPathAndCopy()
{
    const QStringList files = {path(u"a b.txt"_s), path(u"c.txt"_s), path(u"é.txt"_s)};
    ShareActions::copyPaths(files);
    QCOMPARE(QGuiApplication::clipboard()->text(), files.join(QLatin1Char('\n')));

    ShareActions::copyFiles(files);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data->hasFormat(u"text/uri-list"_s));
    QList<QUrl> expected;
    for (const QString& file : files)
        expected.append(QUrl::fromLocalFile(file));
    QCOMPARE(data->urls(), expected);
    const QList<QByteArray> copied = data->data(u"x-special/gnome-copied-files"_s).split('\n');
    QCOMPARE(copied.first(), QByteArray("copy"));
    QCOMPARE(copied.mid(1), QList<QByteArray>({expected[0].toEncoded(), expected[1].toEncoded(),
                                               expected[2].toEncoded()}));
}

void TestShareActions::copyPathFromTheCommandLine()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server");
    QProcess program;
    program.setProcessEnvironment(TestSupport::isolatedEnvironment(path(u"config"_s)));
    program.setWorkingDirectory(m_dir->path());
    program.start(QStringLiteral(FLINGDIAL_BINARY),
                  {u"--run"_s, u"actions"_s, u"copy path"_s, u"a"_s, u"b"_s, u"c"_s});
    // It keeps what it copied until another program takes the clipboard.
    QTRY_COMPARE_WITH_TIMEOUT(
        QGuiApplication::clipboard()->text(),
        QStringList({path("a"), path("b"), path("c")}).join(QLatin1Char('\n')), 5000);
    QVERIFY(program.state() == QProcess::Running);
    // Another program copies something.
    QProcess other;
    other.start(QDir(QCoreApplication::applicationDirPath()).filePath(u"dragsource"_s),
                {u"copy"_s, path(u"d"_s)});
    QVERIFY(program.waitForFinished(5000));
    QCOMPARE(program.exitCode(), 0);
    other.kill();
    other.waitForFinished();
}

void TestShareActions::terminalFolders_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("folder");
    QTest::newRow("file") << u"b/c.txt"_s << u"b"_s;
    QTest::newRow("folder") << u"b/"_s << u"b"_s;
    QTest::newRow("package directory") << u"b/Report.pages/"_s << u"b"_s;
}

void TestShareActions::terminalFolders()
{
    QFETCH(QString, item);
    QFETCH(QString, folder);
    const QString target = path(item);
    if (item.endsWith(QLatin1Char('/')))
        QDir().mkpath(target);
    else
        writeFile(target);
    const QString record = path(u"started-in"_s);
    const QString terminal =
        TestSupport::writeExecutable(path(u"fake-terminal"_s), "pwd > '" + record.toUtf8() + "'\n");
    const ScopedEnv useIt("TERMINAL", terminal.toLocal8Bit());
    ShareActions::openTerminal({QDir::cleanPath(target), path(u"other.txt"_s)});
    QTRY_VERIFY(QFileInfo(record).size() > 0);
    QFile started(record);
    QVERIFY(started.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(started.readAll()).trimmed(), QDir(path(folder)).canonicalPath());
}

void TestShareActions::sendToDevice()
{
    const QString bin = path(u"bin"_s);
    const ScopedEnv tools("FLINGDIAL_TOOL_DIRS", bin.toLocal8Bit());
    const QString file = writeFile(path(u"a.pdf"_s));
    const auto expectUnreachable = [&] {
        QCOMPARE(TestSupport::failureOf([&] { ShareActions::sendToDevice({file}); }),
                 u"No paired device is reachable right now."_s);
    };
    QCOMPARE(
        TestSupport::failureOf([&] { ShareActions::sendToDevice({file}); }),
        u"Sending to a device needs KDE Connect.\nInstall it with:  sudo apt install kdeconnect"_s);
    const QString shared = path(u"shared"_s);
    TestSupport::writeExecutable(
        bin + u"/kdeconnect-cli"_s,
        "if [ \"$1\" = --list-available ]; then cat '" + path("devices").toUtf8() +
            "' 2>/dev/null; exit 0; fi\necho \"$@\" >> '" + shared.toUtf8() + "'\n");
    expectUnreachable(); // paired with nothing reachable
    writeFile(path(u"devices"_s), "phone1\n");
    ShareActions::sendToDevice({file});
    QFile log(shared);
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(),
             "--device phone1 --share " + QUrl::fromLocalFile(file).toEncoded() + "\n");
}

QTEST_MAIN(TestShareActions)
#include "tst_ShareActions.moc"
