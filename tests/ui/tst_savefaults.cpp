// Saving when the disk says no: a full file system and a read-only file as
// an ordinary user. The old file must stay byte for byte, the user must be
// told, and the editor must go on working.
#include "support/ScriptedPlatform.h"
#include "ui/frmEditor.h"

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

class TestSaveFaults : public QObject
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
        for (const MessageSpec& m : m_platform->messages)
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
        if (geteuid() != 0)
            QSKIP("Mounting a small file system to fill needs root.");
        const QString mountPoint = m_dir->filePath("small");
        QVERIFY(QDir().mkpath(mountPoint));
        if (mount("tmpfs", qPrintable(mountPoint), "tmpfs", 0, "size=64k") != 0)
            QSKIP("This machine does not allow mounting a tmpfs here.");
        const auto unmount = qScopeGuard([&] { umount2(qPrintable(mountPoint), MNT_DETACH); });

        const QString path = mountPoint + "/USEROPTS.BAT";
        const QByteArray old = QByteArray("old settings\r\n").repeated(20);
        QVERIFY(writeFile(path, old));
        // Fill what is left, so that a new copy of the file cannot be written.
        QFile filler(mountPoint + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();

        m_window->findChild<QLineEdit*>("txtUsername")->setText("after the disk filled up");
        expectRefusedSave(path, old);

        // Once there is room again the same save goes through.
        QVERIFY(QFile::remove(mountPoint + "/filler"));
        m_platform->clearRecords();
        save(path);
        QCOMPARE(titles(), QStringList{"USEROPTS.BAT Saved"});
        QVERIFY(contents(path).contains("Set USERNAME=after the disk filled up\r\n"));
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
        child.start(runuser, {"-u", "nobody", "--", QCoreApplication::applicationFilePath(),
                              "readOnlyFileChild"});
        QVERIFY(child.waitForFinished(60000));
        const QByteArray output = child.readAllStandardOutput() + child.readAllStandardError();
        if (output.contains("Permission denied") && !output.contains("Totals"))
            QSKIP("The user nobody cannot run this test binary from its folder.");
        QVERIFY2(child.exitCode() == 0, output.constData());
        QVERIFY2(output.contains("PASS   : TestSaveFaults::readOnlyFileChild()"),
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

QTEST_MAIN(TestSaveFaults)
#include "tst_savefaults.moc"
