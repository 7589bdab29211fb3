// SPDX-License-Identifier: GPL-3.0-or-later
// Settings files inside floppy images, on images the test makes with
// mkfs.fat and mtools. A save must change nothing but the file's own
// clusters, its directory entry and the allocation table, keep the file's
// attributes, and leave an image that fsck.fat finds clean; a bad image must
// stay as it was, and only the entry DOS opens is ever read or written.
#include "floppy/FloppyImage.h"
#include "floppy/ImageChecks.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

using namespace useropts;
using namespace useropts::testing;

namespace {

const QByteArray kSettings = "@echo off\r\nrem NETCARD=EL3C574\r\n";
const QByteArray kLonger = QByteArray("Set USERNAME=someone else\r\n").repeated(400); // 10.8 KB

} // namespace

class TestFloppyImage : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    SystemProcessRunner m_processes;

    QString pathOf(const QString& name) const { return m_dir->filePath(name); }

    // A fresh image of kilobytes KB with a FAT of fatBits bits; with sparse,
    // its empty clusters are holes on disk.
    QString makeImage(const QString& name, int kilobytes, int fatBits = 12, bool sparse = false)
    {
        const QString path = pathOf(name);
        QStringList arguments{"-C", "-n", "BOOTDISK"};
        if (fatBits != 12)
            arguments << "-F" << QString::number(fatBits);
        arguments << path << QString::number(kilobytes);
        if (tool("mkfs.fat", arguments) != 0 ||
            (sparse && (tool("cp", {"--sparse=always", path, path + ".sparse"}) != 0 ||
                        !QFile::remove(path) || !QFile::rename(path + ".sparse", path))))
            qFatal("cannot make %s", qPrintable(path));
        return path;
    }

    // A folder of programs for PATH: links to the real ones named, and an
    // mcopy that runs onWrite in place of writing into an image.
    QString programs(const QStringList& links, const QByteArray& onWrite = {})
    {
        const QString folder = pathOf("bin");
        QDir().mkpath(folder);
        for (const QString& name : links)
            QFile::link(QStandardPaths::findExecutable(name), folder + '/' + name);
        if (!onWrite.isEmpty()) {
            const QString mcopy = folder + "/mcopy";
            writeFile(mcopy, "#!/bin/sh\nreal='" +
                                 QFile::encodeName(QStandardPaths::findExecutable("mcopy")) +
                                 "'\ncase \" $* \" in *\" -o \"*) " + onWrite +
                                 ";; esac\nexec \"$real\" \"$@\"\n");
            QFile::setPermissions(mcopy, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        }
        return folder;
    }

    // Other files, a large one and ones with long names, around the settings
    // file named entry; with manyNames enough long names before it to spread
    // a FAT32 root folder over clusters.
    bool fill(const QString& image, bool manyNames, const QString& entry, const QString& attributes)
    {
        const auto copy = [&](const QString& name, const QByteArray& bytes) {
            return tool("mcopy", {"-i", image, "-", "::" + name}, bytes) == 0;
        };
        bool made = copy("AUTOEXEC.BAT", "@echo off\r\n");
        for (int i = 0; manyNames && i < 40; ++i)
            made = made && copy(QString("Driver notes %1.txt").arg(i), "x");
        if (!entry.isEmpty())
            made = made && copy(entry, kSettings);
        if (!attributes.isEmpty())
            made = made && tool("mattrib", QStringList{"-i", image} + attributes.split(' ') +
                                               QStringList{"::USEROPTS.BAT"}) == 0;
        return made && copy("Network drivers list.txt", QByteArray(200000, 'd'));
    }

  private slots:
    void init()
    {
        if (QStandardPaths::findExecutable("mcopy").isEmpty() ||
            QStandardPaths::findExecutable("mkfs.fat").isEmpty())
            QSKIP("mtools and dosfstools are needed to make test images.");
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void everyKindOfImage_data()
    {
        QTest::addColumn<int>("kilobytes");
        QTest::addColumn<int>("fatBits");
        QTest::addColumn<QString>("entry");      // how the settings file is named; empty: none
        QTest::addColumn<QString>("attributes"); // given to it with mattrib
        QTest::addColumn<QString>("name"); // of the image; a decoy lies at what mtools makes of it
        // "fresh": written in place, as a new image is; "sparse": its empty
        // clusters holes on disk; "linked": with a second hard link.
        QTest::addColumn<QString>("how");
        const auto row = [](const char* tag, int kilobytes, int fatBits, const char* entry,
                            const char* attributes, const char* name, const char* how) {
            QTest::newRow(tag) << kilobytes << fatBits << QString(entry) << QString(attributes)
                               << QString(name) << QString(how);
        };
        row("720 KB", 720, 12, "USEROPTS.BAT", "", "disk.img", "");
        row("1.44 MB, lower-case entry", 1440, 12, "useropts.bat", "", "disk.img", "");
        row("2.88 MB", 2880, 12, "USEROPTS.BAT", "", "disk.img", "");
        row("FAT16", 20480, 16, "UserOpts.Bat", "", "disk.img", "");
        row("FAT32, root folder of many clusters", 34000, 32, "USEROPTS.BAT", "+h", "disk.img", "");
        row("1.44 MB without the file", 1440, 12, "", "", "disk.img", "");
        row("1.44 MB, sparse", 1440, 12, "USEROPTS.BAT", "", "disk.img", "sparse");
        row("sparse, second hard link", 1440, 12, "USEROPTS.BAT", "+h", "disk.img",
            "sparse, linked");
        row("read-only, hidden, system, no archive", 1440, 12, "USEROPTS.BAT", "+r +h +s -a",
            "disk.img", "");
        row("@@ in its name", 1440, 12, "USEROPTS.BAT", "", "disk.img@@0", "");
        row("shell syntax in its name", 1440, 12, "USEROPTS.BAT", "+s", "disk$(echo).img", "");
        row("fresh, read-only, @@ in its name", 1440, 12, "USEROPTS.BAT", "+r", "disk.img@@0",
            "fresh");
        row("fresh, without the file, shell syntax in its name", 1440, 12, "", "",
            "disk$(echo).img", "fresh");
    }

    void everyKindOfImage()
    {
        QFETCH(int, kilobytes);
        QFETCH(int, fatBits);
        QFETCH(QString, entry);
        QFETCH(QString, attributes);
        QFETCH(QString, name);
        QFETCH(QString, how);
        // Made under a name mtools takes as it is, then given the row's.
        const QString image = makeImage("made.img", kilobytes, fatBits, how.startsWith("sparse"));
        QVERIFY(fill(image, fatBits == 32, entry, attributes));
        const QByteArray attributesBefore = attributesOf(image);
        const QString decoy = pathOf(name.section("@@", 0, 0).remove("$(echo)"));
        if (decoy != pathOf(name)) {
            QVERIFY(QFile::copy(makeImage("decoy.img", 1440), decoy));
            QCOMPARE(tool("mcopy", {"-i", decoy, "-", "::USEROPTS.BAT"}, "decoy\r\n"), 0);
        }
        const QByteArray decoyBefore = contents(decoy);
        const QByteArray before = contents(image);
        const QList<Region> oldFile = changeableRegions(image);
        const QString named = pathOf(name);
        QVERIFY(QFile::rename(image, named));
        QCOMPARE(isFloppyImage(named).value(), true);
        if (how.endsWith("linked"))
            QCOMPARE(tool("ln", {named, pathOf("link.img")}), 0);
        const qint64 blocksBefore = blocksOf(named);

        const Result<QByteArray> read = readSettingsFromImage(m_processes, named);
        if (entry.isEmpty()) {
            QCOMPARE(read.failure().reason, "it has no USEROPTS.BAT in its root folder");
        } else {
            QCOMPARE(read.value(), kSettings);
        }
        const Result<> written = how == "fresh"
                                     ? writeSettingsIntoFreshImage(m_processes, named, kLonger)
                                     : writeSettingsIntoImage(m_processes, named, kLonger);
        QVERIFY2(written.ok(), qPrintable(written.ok() ? "" : written.failure().reason));
        QCOMPARE(readSettingsFromImage(m_processes, named).value(), kLonger);
        // Its holes stay holes: only the file's new clusters, a few 4 KB
        // blocks, take room on disk.
        if (how.startsWith("sparse"))
            QCOMPARE_LE(blocksOf(named), blocksBefore + 40);
        if (how.endsWith("linked"))
            QCOMPARE(contents(pathOf("link.img")), contents(named));
        if (decoy != named)
            QCOMPARE(contents(decoy), decoyBefore);
        QVERIFY(QFile::rename(named, image));
        QCOMPARE(tool("fsck.fat", {"-n", image}), 0);
        if (!entry.isEmpty())
            QCOMPARE(attributesOf(image), attributesBefore);

        // Nothing else moved: the boot sector, the label, the other files.
        const QByteArray after = contents(image);
        QCOMPARE(after.size(), before.size());
        QCOMPARE(changeOutside(before, after, oldFile + changeableRegions(image)), -1);
        QByteArray listing;
        QCOMPARE(tool("mdir", {"-i", image, "::"}, {}, &listing), 0);
        QVERIFY(listing.contains("BOOTDISK") && listing.contains("Network drivers list.txt"));
    }

    void badImagesStayAsTheyWere_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("readReason"); // empty: the settings read as they are
        const auto row = [](const char* tag, const char* kind, const QString& reason,
                            const QString& readReason) {
            QTest::newRow(tag) << QString(kind) << reason << readReason;
        };
        const QString ambiguous = "its root folder has two entries that answer to USEROPTS.BAT";
        const QString noFat = "it holds no FAT file system";
        const QString damaged = "its file system is damaged: fsck.fat -n finds \"";
        const QString repair = "; repair it with fsck.fat -r, then try again";
        row("full", "full", "the image is full", "");
        row("read-only", "immutable", "operation not permitted", "");
        row("cut short", "truncated", "it is a floppy image cut short", "");
        row("random bytes", "random", "it is named like a floppy image but holds no FAT", noFat);
        row("empty", "empty", "it is named like a floppy image but is empty", noFat);
        // The settings are read without any program; only a write needs mtools.
        row("no mtools", "no mtools",
            "mcopy is not installed or cannot be started (mcopy comes with the Debian package "
            "mtools)",
            "");
        row("no dosfstools", "no dosfstools",
            "its file system could not be checked: fsck.fat is not installed or cannot be "
            "started (fsck.fat comes with the Debian package dosfstools)",
            "");
        row("mcopy gives no reason", "mcopy silent",
            "mtools could not write into it: mcopy ended with exit code 3 and gave no reason", "");
        row("mcopy stores other bytes", "mcopy changes bytes",
            "mtools did not store the file whole", "");
        row("a long name on another file", "long name", ambiguous, ambiguous);
        row("two 8.3 entries", "twice", ambiguous, ambiguous);
        row("only a long name on another file", "only long name",
            "the long name USEROPTS.BAT in its root folder belongs to USEROP~1, which DOS does "
            "not open as USEROPTS.BAT",
            "belongs to USEROP~1");
        row("a folder", "folder", "USEROPTS.BAT is a folder", "USEROPTS.BAT is a folder");
        row("cross-linked clusters", "cross-linked",
            damaged +
                "/USEROPTS.BAT: File size is 32 bytes, cluster chain length is > 1024 "
                "bytes\" and 2 more" +
                repair,
            "");
        row("tables differ", "tables differ",
            damaged + "FATs differ but appear to be intact\"" + repair, "");
        row("chain into a free cluster", "free cluster",
            damaged + "/USEROPTS.BAT: Contains a free cluster (200)\"" + repair, "");
    }

    void badImagesStayAsTheyWere()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QFETCH(QString, readReason);
        QString image = makeImage("disk.img", 720);
        QCOMPARE(tool("mcopy", {"-i", image, "-", "::USEROPTS.BAT"}, kSettings), 0);
        QFile file(image);
        if (kind == "full") {
            QCOMPARE(tool("mcopy", {"-i", image, "-", "::FILLER.BIN"}, QByteArray(725000, 'f')), 0);
        } else if (kind == "truncated") {
            QVERIFY(file.resize(300 * 1024));
        } else if (kind == "random") {
            QVERIFY(file.open(QIODevice::WriteOnly));
            for (int i = 0; i < 4096; ++i)
                file.putChar(char(i * 7919 % 251));
            file.close();
        } else if (kind == "empty") {
            QVERIFY(file.resize(0));
        } else if (kind == "immutable") {
            if (tool("chattr", {"+i", image}) != 0)
                QSKIP("This file system cannot make a file immutable.");
        } else if (!kind.startsWith("mcopy") && !kind.startsWith("no ")) {
            QVERIFY(spoilImage(image, kind));
        }
        const QByteArray before = contents(image);

        std::unique_ptr<ProgramsOnPath> path;
        if (kind == "no mtools")
            path = std::make_unique<ProgramsOnPath>(programs({"fsck.fat"}), true);
        else if (kind == "no dosfstools")
            path = std::make_unique<ProgramsOnPath>(programs({"mcopy", "mattrib"}), true);
        else if (kind == "mcopy silent")
            path = std::make_unique<ProgramsOnPath>(programs({}, "exit 3"), false);
        else if (kind == "mcopy changes bytes")
            path = std::make_unique<ProgramsOnPath>(
                programs({}, "tr e E | \"$real\" \"$@\"; exit $?"), false);
        const Result<QByteArray> read = readSettingsFromImage(m_processes, image);
        const Result<> written = writeSettingsIntoImage(m_processes, image, kLonger);
        path.reset();
        if (kind == "immutable")
            tool("chattr", {"-i", image});
        if (readReason.isEmpty()) {
            QCOMPARE(read.value(), kSettings);
        } else {
            QVERIFY2(!read.ok() && read.failure().reason.contains(readReason),
                     qPrintable(read.ok() ? "read" : read.failure().reason));
        }
        QVERIFY(!written.ok());
        QVERIFY2(
            written.failure().reason.startsWith("cannot write " + image + " (USEROPTS.BAT): ") &&
                written.failure().reason.contains(reason),
            qPrintable(written.failure().reason));
        QCOMPARE(contents(image), before);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"disk.img"});
    }

    // A save stopped by a signal while mcopy works on the copy: the copy,
    // which holds the password, goes with the program.
    void stoppedSavesLeaveNoCopy_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }

    void stoppedSavesLeaveNoCopy()
    {
        QFETCH(int, signalNumber);
        const QString image = makeImage("site.img", 1440);
        QProcess made;
        made.start(USEROPTS_COMMAND, {"new", image});
        QVERIFY(made.waitForFinished() && made.exitCode() == 0);
        const QByteArray before = contents(image);
        const QString temporary = pathOf("tmp");
        QVERIFY(QDir().mkpath(temporary));
        // mcopy writing into the copy tells its process number and waits.
        const QString started = pathOf("started");
        const QString folder =
            programs({}, "echo $$ > '" + QFile::encodeName(started) + "'; exec sleep 60");

        QProcess save;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PATH", folder + ':' + environment.value("PATH"));
        environment.insert("TMPDIR", temporary);
        save.setProcessEnvironment(environment);
        save.start(USEROPTS_COMMAND, {"set", image, "PASSWORD=s3cret"});
        QTRY_VERIFY_WITH_TIMEOUT(!contents(started).isEmpty(), 20000);
        ::kill(pid_t(save.processId()), signalNumber);
        QVERIFY(save.waitForFinished());
        ::kill(pid_t(contents(started).trimmed().toInt()), SIGKILL);

        QCOMPARE(save.exitStatus(), QProcess::CrashExit);
        QCOMPARE(QDir(temporary).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
        QCOMPARE(QDir(m_dir->path()).entryList({"site*", ".site*"}, QDir::Files | QDir::Hidden),
                 QStringList{"site.img"});
        QCOMPARE(contents(image), before);
    }

    // What the user is told when a program fails: a time-out is not a
    // matter of installing a package; a missing program is.
    void failedRunsSayWhatHappened_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("reason");
        QTest::newRow("too slow") << "sleep"
                                  << "sleep did not finish within 0.2 seconds and was stopped";
        QTest::newRow("not installed")
            << "no-such-program"
            << "no-such-program is not installed or cannot be started (no-such-program comes "
               "with the Debian package dosfstools)";
    }

    void failedRunsSayWhatHappened()
    {
        QFETCH(QString, program);
        QFETCH(QString, reason);
        ProcessRun run;
        run.program = program;
        run.arguments = {"10"};
        run.timeLimit = std::chrono::milliseconds(200);
        run.package = "dosfstools";
        const Result<ProcessOutput> result = m_processes.run(run);
        QVERIFY(!result.ok());
        QCOMPARE(result.failure().reason, reason);
    }
};

QTEST_GUILESS_MAIN(TestFloppyImage)
#include "tst_floppyimage.moc"
