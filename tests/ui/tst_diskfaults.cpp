// Writing when the disk says no: a settings file or a card list update on a
// full file system, and a read-only settings file as an ordinary user. The
// old file must stay byte for byte, the user must be told, and the editor
// must go on working.
#include "support/ScriptedPlatform.h"
#include "ui/frmEditor.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>
#include <unistd.h>

#include <memory>

using namespace useropts;
using useropts::testing::ScriptedPlatform;

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// The environment variable that makes this binary act as the unprivileged
// child of readOnlyFileAsOrdinaryUser.
constexpr char kChildTarget[] = "USEROPTS_TEST_READONLY_TARGET";

} // namespace

class TestDiskFaults : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<frmEditor> m_window;
    std::unique_ptr<QTemporaryDir> m_dir;

    // Saves the current fields to path through the dialog, as the user would.
    void save(const QString& path)
    {
        m_platform->saveAnswers.enqueue(path);
        m_window->cmdSave_Click();
    }

    QStringList titles() const
    {
        QStringList out;
        for (const MessageRequest& m : m_platform->messages)
            out << m.title;
        return out;
    }

    void expectRefusedSave(const QString& path, const QByteArray& old)
    {
        m_platform->clearRecords();
        save(path);
        QCOMPARE(contents(path), old);
        QCOMPARE(titles(), QStringList{"USEROPTS.BAT NOT Saved"});
        QCOMPARE(m_platform->messages.first().icon, MessageIcon::Warning);
        QVERIFY2(m_platform->messages.first().text.contains(QDir::toNativeSeparators(path)),
                 qPrintable(m_platform->messages.first().text));
    }

    // A 64 KiB tmpfs at mountPoint holding files, then filled to the last
    // byte. False when this machine does not allow it.
    static bool mountFullFileSystem(const QString& mountPoint,
                                    const QList<QPair<QString, QByteArray>>& files)
    {
        if (geteuid() != 0 || !QDir().mkpath(mountPoint) ||
            mount("tmpfs", qPrintable(mountPoint), "tmpfs", 0, "size=64k") != 0)
            return false;
        for (const auto& [name, bytes] : files) {
            if (!writeFile(mountPoint + "/" + name, bytes))
                return false;
        }
        QFile filler(mountPoint + "/filler");
        if (!filler.open(QIODevice::WriteOnly))
            return false;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        return true;
    }

  private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_platform = std::make_unique<ScriptedPlatform>();
        m_window = std::make_unique<frmEditor>(*m_platform);
        m_window->setCardDirectory(m_dir->path());
        QVERIFY(writeFile(m_dir->filePath("CardData.txt"), "EL3C574           Test card\r\n"));
        m_window->NewSettings();
    }

    void cleanup()
    {
        m_window.reset();
        m_platform.reset();
        m_dir.reset();
    }

    void fullFileSystem()
    {
        const QString mountPoint = m_dir->filePath("small");
        const QString path = mountPoint + "/USEROPTS.BAT";
        const QByteArray old = QByteArray("old settings\r\n").repeated(20);
        const auto unmount = qScopeGuard([&] { umount2(qPrintable(mountPoint), MNT_DETACH); });
        if (!mountFullFileSystem(mountPoint, {{"USEROPTS.BAT", old}}))
            QSKIP("Mounting a small file system to fill needs root and a machine that allows it.");

        m_window->findChild<QLineEdit*>("txtUsername")->setText("after the disk filled up");
        expectRefusedSave(path, old);

        // Once there is room again the same save goes through.
        QVERIFY(QFile::remove(mountPoint + "/filler"));
        m_platform->clearRecords();
        save(path);
        QCOMPARE(titles(), QStringList{"USEROPTS.BAT Saved"});
        QVERIFY(contents(path).contains("Set USERNAME=after the disk filled up\r\n"));
    }

    void cardUpdateOnFullFileSystem()
    {
        const QString mountPoint = m_dir->filePath("program");
        const QByteArray oldList = "OLDCARD           The card we had\r\n";
        const auto unmount = qScopeGuard([&] { umount2(qPrintable(mountPoint), MNT_DETACH); });
        if (!mountFullFileSystem(mountPoint, {{"CardData.txt", oldList}}))
            QSKIP("Mounting a small file system to fill needs root and a machine that allows it.");
        m_window->setCardDirectory(mountPoint);
        m_window->ReadCardData();
        auto* cards = m_window->findChild<QComboBox*>("cboNIC");
        QCOMPARE(cards->count(), 1);

        HttpResult answer;
        answer.status = 200;
        answer.body = QByteArray("NEWCARD           A card from the site\n").repeated(100);
        m_platform->httpAnswers.enqueue(answer);
        m_platform->clearRecords();
        m_window->cmdGetCards_Click();

        QCOMPARE(contents(mountPoint + "/CardData.txt"), oldList);
        QCOMPARE(titles(),
                 (QStringList{"Connect to www.corvane.example", "CARDDATA.TXT Not Updated"}));
        QCOMPARE(m_platform->messages.last().icon, MessageIcon::Warning);
        QCOMPARE(cards->count(), 1);
        QCOMPARE(cards->itemText(0), "OLDCARD - The card we had");
        QVERIFY(m_window->findChild<QWidget*>("cmdGetCards")->isEnabled());

        // With room again, the same update goes through.
        QVERIFY(QFile::remove(mountPoint + "/filler"));
        m_platform->httpAnswers.enqueue(answer);
        m_window->cmdGetCards_Click();
        QCOMPARE(cards->count(), 100);
        QCOMPARE(cards->itemText(0), "NEWCARD - A card from the site");
    }

    void readOnlyFileAsOrdinaryUser()
    {
        // Root may write anything, so the save runs in a child process as
        // the unprivileged user "nobody".
        if (qEnvironmentVariableIsSet(kChildTarget))
            QSKIP("Runs in the parent only.");
        if (geteuid() != 0)
            QSKIP("Switching to another user needs root.");
        const QString runuser = QStandardPaths::findExecutable("runuser");
        if (runuser.isEmpty())
            QSKIP("runuser is not installed.");

        QVERIFY(QFile::setPermissions(m_dir->path(),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                          QFileDevice::WriteOther | QFileDevice::ExeOther));
        const QString path = m_dir->filePath("USEROPTS.BAT");
        const QByteArray old = "read-only settings\r\n";
        QVERIFY(writeFile(path, old));
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadOther));
        QVERIFY(writeFile(m_dir->filePath("CardData.txt"), "EL3C574           Test card\r\n"));

        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kChildTarget, path);
        env.insert("XDG_RUNTIME_DIR", m_dir->path());
        child.setProcessEnvironment(env);
        // A copy of this binary where nobody may run it: the build folder may
        // lie under a home that only root can enter.
        const QString copy = m_dir->filePath("tst_diskfaults");
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
        QVERIFY(QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                QFileDevice::ReadOther | QFileDevice::ExeOther));
        child.start(runuser, {"-u", "nobody", "--", copy, "readOnlyFileChild"});
        QVERIFY(child.waitForFinished(60000));
        const QByteArray output = child.readAllStandardOutput() + child.readAllStandardError();
        if (output.contains("Permission denied") && !output.contains("Totals"))
            QSKIP("The user nobody cannot run a copy of this test binary here.");
        QVERIFY2(child.exitCode() == 0, output.constData());
        QVERIFY2(output.contains("PASS   : TestDiskFaults::readOnlyFileChild()"),
                 output.constData());
        QCOMPARE(contents(path), old);
    }

    void readOnlyFileChild()
    {
        const QString path = qEnvironmentVariable(kChildTarget);
        if (path.isEmpty())
            QSKIP("Runs only as the child of readOnlyFileAsOrdinaryUser.");
        QVERIFY(geteuid() != 0);
        const QByteArray old = contents(path);
        expectRefusedSave(path, old);

        // The editor goes on: the next save to a writable place succeeds.
        m_platform->clearRecords();
        const QString other = QFileInfo(path).absolutePath() + "/OTHER.BAT";
        save(other);
        QCOMPARE(titles(), QStringList{"USEROPTS.BAT Saved"});
        QVERIFY(contents(other).startsWith("@echo off\r\n"));
    }
};

QTEST_MAIN(TestDiskFaults)
#include "tst_diskfaults.moc"
