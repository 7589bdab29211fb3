// Settings files inside floppy images, on images the test makes with
// mkfs.fat and mtools. A save must change nothing but the file's own
// clusters, its directory entry and the allocation table, and leave an image
// that fsck.fat finds clean; a bad image must stay as it was.
#include "floppy/FloppyImage.h"
#include "support/DiskTools.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace useropts;
using useropts::testing::tool;

namespace {

const QByteArray kSettings = "@echo off\r\nrem NETCARD=EL3C574\r\n";
const QByteArray kLonger = QByteArray("Set USERNAME=someone else\r\n").repeated(400); // 10.8 KB

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The byte ranges a save may change: the allocation tables and the root
// folder, from the boot sector, and the clusters the settings file holds.
struct Region
{
    qint64 from, to;
};

QList<Region> changeableRegions(const QString& image)
{
    const QByteArray b = contents(image);
    const auto u8 = [&](int at) { return qint64(static_cast<unsigned char>(b[at])); };
    const auto u16 = [&](int at) { return u8(at) | u8(at + 1) << 8; };
    const qint64 sector = u16(11);
    const qint64 perCluster = u8(13) * sector;
    const qint64 fatStart = u16(14) * sector;
    const qint64 rootStart = fatStart + u8(16) * u16(22) * sector;
    const qint64 dataStart = rootStart + u16(17) * 32;
    QList<Region> regions{{fatStart, dataStart}};
    QByteArray listing;
    tool("mshowfat", {"-i", image, "::USEROPTS.BAT"}, {}, &listing);
    static const QRegularExpression range("(\\d+)(?:-(\\d+))?");
    // "::/USEROPTS.BAT <3> <200-209>": every group after the name.
    const QString clusters = QString::fromLatin1(listing).section('<', 1);
    for (auto m = range.globalMatch(clusters); m.hasNext();) {
        const auto match = m.next();
        const qint64 first = match.captured(1).toLongLong();
        const qint64 last = match.captured(2).isEmpty() ? first : match.captured(2).toLongLong();
        regions.append({dataStart + (first - 2) * perCluster, dataStart + (last - 1) * perCluster});
    }
    return regions;
}

// Answers every run with the failure given, as a machine without mtools.
class MissingProgram final : public ProcessRunner
{
  public:
    Result<ProcessOutput> run(const ProcessRun& run) override
    {
        return Failure{QStringLiteral("%1 is not installed or cannot be started").arg(run.program)};
    }
};

} // namespace

class TestFloppyImage : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    SystemProcessRunner m_processes;

    QString pathOf(const QString& name) const { return m_dir->filePath(name); }

    // A fresh image of kilobytes KB; fat16 for a FAT16 one.
    QString makeImage(const QString& name, int kilobytes, bool fat16 = false)
    {
        const QString path = pathOf(name);
        QStringList arguments{"-C", "-n", "BOOTDISK"};
        if (fat16)
            arguments << "-F"
                      << "16";
        arguments << path << QString::number(kilobytes);
        if (tool("mkfs.fat", arguments) != 0)
            qFatal("mkfs.fat failed for %s", qPrintable(path));
        return path;
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
        QTest::addColumn<bool>("fat16");
        QTest::addColumn<QString>("entry"); // how the settings file is named in it; empty: none
        QTest::newRow("720 KB") << 720 << false << "USEROPTS.BAT";
        QTest::newRow("1.44 MB, lower-case entry") << 1440 << false << "useropts.bat";
        QTest::newRow("2.88 MB") << 2880 << false << "USEROPTS.BAT";
        QTest::newRow("FAT16") << 20480 << true << "UserOpts.Bat";
        QTest::newRow("1.44 MB without the file") << 1440 << false << QString();
    }

    void everyKindOfImage()
    {
        QFETCH(int, kilobytes);
        QFETCH(bool, fat16);
        QFETCH(QString, entry);
        const QString image = makeImage("disk.img", kilobytes, fat16);
        // Other files, a large one and one with a long name, around it.
        QCOMPARE(tool("mcopy", {"-i", image, "-", "::AUTOEXEC.BAT"}, "@echo off\r\n"), 0);
        if (!entry.isEmpty())
            QCOMPARE(tool("mcopy", {"-i", image, "-", "::" + entry}, kSettings), 0);
        QCOMPARE(tool("mcopy", {"-i", image, "-", "::Network drivers list.txt"},
                      QByteArray(200000, 'd')),
                 0);
        QCOMPARE(isFloppyImage(image).value(), true);

        const Result<QByteArray> read = readSettingsFromImage(m_processes, image);
        if (entry.isEmpty()) {
            QCOMPARE(read.failure().reason, "it has no USEROPTS.BAT in its root folder");
        } else {
            QCOMPARE(read.value(), kSettings);
        }

        const QByteArray before = contents(image);
        const QList<Region> oldFile = changeableRegions(image);
        const Result<> written = writeSettingsIntoImage(m_processes, image, kLonger);
        QVERIFY2(written.ok(), qPrintable(written.ok() ? "" : written.failure().reason));
        QCOMPARE(readSettingsFromImage(m_processes, image).value(), kLonger);
        QCOMPARE(tool("fsck.fat", {"-n", image}), 0);

        // Nothing else moved: the boot sector, the label, the other files.
        const QByteArray after = contents(image);
        QCOMPARE(after.size(), before.size());
        const QList<Region> allowed = oldFile + changeableRegions(image);
        for (qsizetype i = 0; i < after.size(); ++i) {
            if (after[i] == before[i])
                continue;
            const bool inside = std::any_of(allowed.begin(), allowed.end(), [&](const Region& r) {
                return i >= r.from && i < r.to;
            });
            QVERIFY2(inside, qPrintable(QString("byte %1 changed").arg(i)));
        }
        QByteArray listing;
        QCOMPARE(tool("mdir", {"-i", image, "::"}, {}, &listing), 0);
        QVERIFY(listing.contains("BOOTDISK") && listing.contains("Network drivers list.txt"));
    }

    void badImagesStayAsTheyWere_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("full") << "full"
                              << "the image is full";
        QTest::newRow("read-only") << "immutable"
                                   << "operation not permitted";
        QTest::newRow("cut short") << "truncated"
                                   << "it is a floppy image cut short";
        QTest::newRow("random bytes") << "random"
                                      << "it is named like a floppy image but holds no FAT";
        QTest::newRow("empty") << "empty"
                               << "it is named like a floppy image but is empty";
        QTest::newRow("no mtools") << "no mtools"
                                   << "(mcopy comes with the Debian package mtools)";
    }

    void badImagesStayAsTheyWere()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
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
        }
        const QByteArray before = contents(image);

        MissingProgram missing;
        ProcessRunner& processes =
            kind == "no mtools" ? static_cast<ProcessRunner&>(missing) : m_processes;
        const Result<> written = writeSettingsIntoImage(processes, image, kLonger);
        if (kind == "immutable")
            tool("chattr", {"-i", image});
        QVERIFY(!written.ok());
        QVERIFY2(
            written.failure().reason.startsWith("cannot write " + image + " (USEROPTS.BAT): ") &&
                written.failure().reason.contains(reason),
            qPrintable(written.failure().reason));
        QCOMPARE(contents(image), before);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"disk.img"});
    }

    // mtools must not keep the window waiting for ever.
    void slowProgramsAreStopped()
    {
        ProcessRun run;
        run.program = "sleep";
        run.arguments = {"10"};
        run.timeLimit = std::chrono::milliseconds(200);
        const Result<ProcessOutput> result = m_processes.run(run);
        QVERIFY(!result.ok());
        QCOMPARE(result.failure().reason,
                 "sleep did not finish within 0.2 seconds and was stopped");
    }
};

QTEST_GUILESS_MAIN(TestFloppyImage)
#include "tst_floppyimage.moc"
