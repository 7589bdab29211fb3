// SPDX-License-Identifier: GPL-3.0-or-later
// Files that are not what their names promise, disks that say no, and files
// that belong to someone else. Unless a save went through, the old bytes stay
// as they were; a file keeps its owner, mode and links; the user is told what
// happened; and the editor goes on working.
#include "settings/DefaultSettings.h"
#include "settings/SettingsWriter.h"
#include "support/ScriptedPlatform.h"
#include "support/SettingsFiles.h"
#include "ui/frmEditor.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#if defined(Q_OS_LINUX)
#include <pwd.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <memory>

using namespace useropts;
using namespace useropts::testing;

#if defined(Q_OS_LINUX)

namespace {

// Writes bytes where a full disk may refuse them.
bool tryWrite(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// A complete settings file whose user name tells where it came from.
QByteArray settingsFor(const QString& user)
{
    EditorFields fields = defaultSettings();
    fields.text(Field::UserName) = user;
    return writeSettings(fields).value();
}

struct stat statOf(const QString& path)
{
    struct stat st = {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

uid_t nobodyId()
{
    const passwd* nobody = ::getpwnam("nobody");
    return nobody ? nobody->pw_uid : 65534;
}

gid_t nobodyGroup()
{
    const passwd* nobody = ::getpwnam("nobody");
    return nobody ? nobody->pw_gid : 65534;
}

// Set in the copy of this binary that runs as "nobody": the folder that the
// parent prepared for it.
constexpr char kChildFolder[] = "USEROPTS_TEST_ORDINARY_USER_FOLDER";

constexpr mode_t kAllRead = S_IRUSR | S_IRGRP | S_IROTH;
constexpr mode_t kAllReadWrite = kAllRead | S_IWUSR | S_IWGRP | S_IWOTH;
constexpr mode_t kOpenFolder = kAllReadWrite | S_IXUSR | S_IXGRP | S_IXOTH;
constexpr mode_t kLockedFolder = kOpenFolder & ~(S_IWGRP | S_IWOTH);

} // namespace

class TestDiskFaults : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<frmEditor> m_window;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString pathOf(const QString& name) const { return m_dir->filePath(name); }
    QString user() const { return m_window->findChild<QLineEdit*>("txtUsername")->text(); }
    void setUser(const QString& name)
    {
        m_window->findChild<QLineEdit*>("txtUsername")->setText(name);
    }

    void open(const QString& path) { openThroughDialog(*m_platform, *m_window, path); }
    void save(const QString& path) { saveThroughDialog(*m_platform, *m_window, path); }

    QStringList titles() const
    {
        QStringList out;
        for (const MessageRequest& m : m_platform->messages)
            out << m.title;
        return out;
    }

    // The save went through: one box that says so, and the file holds the user.
    void expectSaved(const QString& path, const QString& name)
    {
        m_platform->clearRecords();
        setUser(name);
        save(path);
        QCOMPARE(titles(), QStringList{"USEROPTS.BAT Saved"});
        QCOMPARE(contents(path), settingsFor(name));
    }

    void expectRefusedSave(const QString& path, const QByteArray& old, const QString& reason = {})
    {
        m_platform->clearRecords();
        save(path);
        QCOMPARE(contents(path), old);
        QCOMPARE(titles(), QStringList{"USEROPTS.BAT NOT Saved"});
        const MessageRequest& warning = m_platform->messages.first();
        QCOMPARE(warning.icon, MessageIcon::Warning);
        QVERIFY2(warning.text.contains(QDir::toNativeSeparators(path)) &&
                     warning.text.contains(reason),
                 qPrintable(warning.text));
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
            if (!tryWrite(mountPoint + "/" + name, bytes))
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
        QVERIFY(tryWrite(pathOf("CardData.txt"), "EL3C574           Test card\r\n"));
        m_window->NewSettings();
    }

    void cleanup()
    {
        m_window.reset();
        m_platform.reset();
        m_dir.reset();
    }

    void openOddFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason"); // empty: read without a word
        QTest::newRow("named pipe") << "fifo"
                                    << "It is a named pipe, not a regular file.";
        QTest::newRow("link to a device")
            << "device"
            << "It links to /dev/zero, which is a device, not a regular file.";
        // Only the lines the file has settings on are read, whatever follows.
        QTest::newRow("huge file") << "huge" << QString();
        QTest::newRow("no line end in 20 MB") << "endless"
                                              << "Its first 23 lines are longer than 16 MB in all.";
        // A file that opens but fails as soon as it is read.
        QTest::newRow("read error") << "read error"
                                    << "Reading it failed part way: Input/output error.";
    }

    void openOddFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const QString path = pathOf("USEROPTS.BAT");
        const QByteArray path8 = QFile::encodeName(path);
        if (kind == "fifo") {
            QCOMPARE(::mkfifo(path8.constData(), 0600), 0);
        } else if (kind == "device") {
            QVERIFY(QFile::link("/dev/zero", path));
        } else if (kind == "read error") {
            QVERIFY(QFile::link("/proc/self/mem", path));
        } else {
            QVERIFY(tryWrite(path, kind == "huge" ? settingsFor("from a huge file") : ""));
            QCOMPARE(::truncate(path8.constData(), kind == "huge" ? 200 << 20 : 20 << 20), 0);
        }

        open(path);
        if (reason.isEmpty()) {
            QCOMPARE(titles(), QStringList());
            QCOMPARE(user(), "from a huge file");
        } else {
            QCOMPARE(titles(), QStringList{"Error Reading USEROPTS.BAT"});
            QVERIFY2(m_platform->messages.first().text.endsWith("editor.\r\r" + reason),
                     qPrintable(m_platform->messages.first().text));
            QCOMPARE(m_window->fields(), defaultSettings());
        }

        // The window goes on: the next file opens as usual.
        const QString next = pathOf("NEXT.BAT");
        QVERIFY(tryWrite(next, settingsFor("next")));
        m_platform->clearRecords();
        open(next);
        QCOMPARE(titles(), QStringList());
        QCOMPARE(user(), "next");
    }

    void saveToOddTarget_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("named pipe") << "fifo"
                                    << "named pipe, not a regular file";
        QTest::newRow("link to a device") << "device"
                                          << "/dev/null, which is a device";
        QTest::newRow("report PDF into a named pipe") << "pdf"
                                                      << "named pipe, not a regular file";
    }

    void saveToOddTarget()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const QString path = pathOf(kind == "pdf" ? "report.pdf" : "USEROPTS.BAT");
        if (kind == "device")
            QVERIFY(QFile::link("/dev/null", path));
        else
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);

        m_platform->clearRecords();
        if (kind == "pdf") {
            // No printer, so the report is offered as a PDF file.
            m_platform->printerAvailable = false;
            m_platform->promptAnswers.enqueue(QString("notes"));
            m_platform->saveAnswers.enqueue(path);
            m_window->cmdPrint_Click();
            QCOMPARE(titles(), (QStringList{"Print", "Print"}));
            QVERIFY2(m_platform->messages.last().text.startsWith(
                         "The configuration report was not saved.") &&
                         m_platform->messages.last().text.contains(reason),
                     qPrintable(m_platform->messages.last().text));
        } else {
            save(path);
            QCOMPARE(titles(), QStringList{"USEROPTS.BAT NOT Saved"});
            QVERIFY2(m_platform->messages.first().text.contains(reason),
                     qPrintable(m_platform->messages.first().text));
        }
        // Still what it was: nothing was put in its place.
        QCOMPARE(QFileInfo(path).isFile(), false);
        QCOMPARE(QFileInfo(path).isSymLink(), kind == "device");

        expectSaved(pathOf("OTHER.BAT"), "after an odd target");
    }

    void linksStay()
    {
        const QString first = pathOf("USEROPTS.BAT");
        const QString second = pathOf("SECOND.BAT");
        const QString symlink = pathOf("LINK.BAT");
        QVERIFY(tryWrite(first, "old\r\n"));
        QCOMPARE(
            ::link(QFile::encodeName(first).constData(), QFile::encodeName(second).constData()), 0);
        QVERIFY(QFile::link(first, symlink));

        // Through the second name, both names show the new content.
        expectSaved(second, "through a hard link");
        QCOMPARE(contents(first), settingsFor("through a hard link"));
        QCOMPARE(statOf(first).st_nlink, nlink_t(2));

        // Through a symbolic link, the link stays and its file changes.
        expectSaved(symlink, "through a symbolic link");
        QVERIFY(QFileInfo(symlink).isSymLink());
        QCOMPARE(contents(second), settingsFor("through a symbolic link"));
    }

    void otherUsersFileAsRoot()
    {
        if (geteuid() != 0)
            QSKIP("Needs root.");
        const QString path = pathOf("USEROPTS.BAT");
        QVERIFY(tryWrite(path, "theirs\r\n"));
        const QByteArray path8 = QFile::encodeName(path);
        QCOMPARE(::chown(path8.constData(), nobodyId(), nobodyGroup()), 0);
        QCOMPARE(::chmod(path8.constData(), 0640), 0);

        expectSaved(path, "saved by root");
        const struct stat st = statOf(path);
        QCOMPARE(st.st_uid, nobodyId());
        QCOMPARE(st.st_gid, nobodyGroup());
        QCOMPARE(st.st_mode & 07777, mode_t(0640));
    }

    void fullFileSystem_data()
    {
        QTest::addColumn<bool>("hardLink"); // a second name: rewritten in place
        QTest::newRow("one name") << false;
        QTest::newRow("second hard link") << true;
    }

    void fullFileSystem()
    {
        QFETCH(bool, hardLink);
        const QString mountPoint = pathOf("small");
        const QString path = mountPoint + "/USEROPTS.BAT";
        const QByteArray old = "old settings\r\n";
        const auto unmount = qScopeGuard([&] { umount2(qPrintable(mountPoint), MNT_DETACH); });
        if (!mountFullFileSystem(mountPoint, {{"USEROPTS.BAT", old}}))
            QSKIP("Mounting a small file system to fill needs root and a machine that allows it.");
        const QString other = mountPoint + "/OTHER.BAT";
        if (hardLink)
            QCOMPARE(
                ::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()),
                0);

        // Longer than the one page the old file holds, so it needs room.
        setUser(QString(8000, 'u'));
        expectRefusedSave(path, old, "no space left on device");
        QCOMPARE(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden).size(), hardLink ? 3 : 2);

        // Once there is room again the same save goes through.
        QVERIFY(QFile::remove(mountPoint + "/filler"));
        expectSaved(path, "after the disk filled up");
        if (hardLink)
            QCOMPARE(contents(other), settingsFor("after the disk filled up"));
    }

    void cardUpdateOnFullFileSystem()
    {
        const QString mountPoint = pathOf("program");
        const QByteArray oldList = "OLDCARD           The card we had\r\n";
        const auto unmount = qScopeGuard([&] { umount2(qPrintable(mountPoint), MNT_DETACH); });
        if (!mountFullFileSystem(mountPoint, {{"CardData.txt", oldList}}))
            QSKIP("Mounting a small file system to fill needs root and a machine that allows it.");
        m_window->setCardDirectory(mountPoint);
        m_window->ReadCardData();
        auto* cards = m_window->findChild<QComboBox*>("cboNIC");
        QCOMPARE(cards->count(), 1);

        const HttpAnswer answer{
            QByteArray("NEWCARD           A card from the site\n").repeated(200), "text/plain"};
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
        QCOMPARE(cards->count(), 200);
        QCOMPARE(cards->itemText(0), "NEWCARD - A card from the site");
    }

    // Root may write anything, so these saves run in a copy of this binary as
    // the unprivileged user "nobody", in folders prepared here:
    //   readonly/  nobody's own file, made read-only
    //   locked/    nobody's own file in a folder where nobody may not create files
    //   sticky/    root's 0666 file in a sticky folder open to all, as /tmp is
    //   program/   root's 0666 card list in a program folder nobody may not write
    void asOrdinaryUser()
    {
        if (qEnvironmentVariableIsSet(kChildFolder))
            QSKIP("Runs in the parent only.");
        if (geteuid() != 0)
            QSKIP("Switching to another user needs root.");
        const QString runuser = QStandardPaths::findExecutable("runuser");
        if (runuser.isEmpty())
            QSKIP("runuser is not installed.");

        const auto prepare = [&](const QString& folder, mode_t folderMode, const QString& name,
                                 const QByteArray& bytes, mode_t fileMode, uid_t owner) {
            const QString path = pathOf(folder + "/" + name);
            QVERIFY(QDir().mkpath(pathOf(folder)) && tryWrite(path, bytes));
            QCOMPARE(::chmod(QFile::encodeName(pathOf(folder)).constData(), folderMode), 0);
            QCOMPARE(::chmod(QFile::encodeName(path).constData(), fileMode), 0);
            QCOMPARE(::chown(QFile::encodeName(path).constData(), owner, owner ? nobodyGroup() : 0),
                     0);
        };
        QCOMPARE(::chmod(QFile::encodeName(m_dir->path()).constData(), kOpenFolder), 0);
        prepare("readonly", kOpenFolder, "USEROPTS.BAT", "read-only\r\n", kAllRead, nobodyId());
        prepare("locked", kLockedFolder, "USEROPTS.BAT", "locked\r\n", 0644, nobodyId());
        prepare("sticky", kOpenFolder | S_ISVTX, "USEROPTS.BAT", "sticky\r\n", kAllReadWrite, 0);
        prepare("program", kLockedFolder, "CardData.txt", "OLDCARD           Old\r\n",
                kAllReadWrite, 0);
        prepare("private", kOpenFolder, "CardData.txt", "OLDCARD           Old\r\n", 0600, 0);

        // A copy of this binary where nobody may run it: the build folder may
        // lie under a home that only root can enter.
        const QString copy = pathOf("tst_diskfaults");
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
        QCOMPARE(::chmod(QFile::encodeName(copy).constData(), 0555), 0);
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kChildFolder, m_dir->path());
        env.insert("XDG_RUNTIME_DIR", m_dir->path());
        child.setProcessEnvironment(env);
        const QStringList childSlots{"readOnlyFileChild", "lockedFolderChild", "stickyFolderChild",
                                     "lockedProgramFolderChild", "unreadableCardListChild"};
        child.start(runuser, QStringList{"-u", "nobody", "--", copy} + childSlots);
        QVERIFY(child.waitForFinished(60000));
        const QByteArray output = child.readAllStandardOutput() + child.readAllStandardError();
        if (output.contains("Permission denied") && !output.contains("Totals"))
            QSKIP("The user nobody cannot run a copy of this test binary here.");
        QVERIFY2(child.exitCode() == 0, output.constData());
        for (const QString& slot : childSlots) {
            QVERIFY2(output.contains("PASS   : TestDiskFaults::" + slot.toLatin1() + "()"),
                     output.constData());
        }

        // Each file is still its owner's, with its mode, and no stray file is left.
        QCOMPARE(contents(pathOf("readonly/USEROPTS.BAT")), "read-only\r\n");
        QCOMPARE(statOf(pathOf("locked/USEROPTS.BAT")).st_uid, nobodyId());
        const struct stat sticky = statOf(pathOf("sticky/USEROPTS.BAT"));
        QCOMPARE(sticky.st_uid, uid_t(0));
        QCOMPARE(sticky.st_mode & 07777, kAllReadWrite);
        QCOMPARE(statOf(pathOf("program/CardData.txt")).st_uid, uid_t(0));
        for (const char* folder : {"locked", "sticky", "program"})
            QCOMPARE(QDir(pathOf(folder)).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void readOnlyFileChild()
    {
        const QString folder = qEnvironmentVariable(kChildFolder);
        if (folder.isEmpty())
            QSKIP("Runs only in the copy that asOrdinaryUser starts.");
        const QString path = folder + "/readonly/USEROPTS.BAT";
        expectRefusedSave(path, contents(path), "permission denied");
        // The editor goes on: the next save to a writable place succeeds.
        expectSaved(folder + "/OTHER.BAT", "after a refusal");
    }

    void lockedFolderChild()
    {
        const QString folder = qEnvironmentVariable(kChildFolder);
        if (folder.isEmpty())
            QSKIP("Runs only in the copy that asOrdinaryUser starts.");
        expectSaved(folder + "/locked/USEROPTS.BAT", "in a locked folder");
    }

    void stickyFolderChild()
    {
        const QString folder = qEnvironmentVariable(kChildFolder);
        if (folder.isEmpty())
            QSKIP("Runs only in the copy that asOrdinaryUser starts.");
        expectSaved(folder + "/sticky/USEROPTS.BAT", "in a sticky folder");
    }

    void lockedProgramFolderChild()
    {
        const QString folder = qEnvironmentVariable(kChildFolder);
        if (folder.isEmpty())
            QSKIP("Runs only in the copy that asOrdinaryUser starts.");
        m_window->setCardDirectory(folder + "/program");
        m_platform->httpAnswers.enqueue({"NEWCARD           New\n", "text/plain"});
        m_platform->clearRecords();
        m_window->cmdGetCards_Click();
        QCOMPARE(titles(), (QStringList{"Connect to www.corvane.example", "Update"}));
        QCOMPARE(contents(folder + "/program/CardData.txt"), "NEWCARD           New\r\r\n");
        QCOMPARE(m_window->findChild<QComboBox*>("cboNIC")->itemText(0), "NEWCARD - New");
    }

    void unreadableCardListChild()
    {
        const QString folder = qEnvironmentVariable(kChildFolder);
        if (folder.isEmpty())
            QSKIP("Runs only in the copy that asOrdinaryUser starts.");
        m_window->setCardDirectory(folder + "/private");
        m_platform->clearRecords();
        m_window->ReadCardData();
        QCOMPARE(titles(), QStringList{"User Options Editor"});
        QCOMPARE(m_platform->messages.first().text, "Error Reading CARDDATA.TXT - Error: 70");
    }
};

#else

class TestDiskFaults : public QObject
{
    Q_OBJECT

  private slots:
    void notOnThisSystem()
    {
        QSKIP("Pipes, devices, owners, hard links and a small file system to fill are made the "
              "Linux way.");
    }
};

#endif

QTEST_MAIN(TestDiskFaults)
#include "tst_diskfaults.moc"
