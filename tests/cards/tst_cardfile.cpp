#include "cards/CardFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>
#include <unistd.h>

#include <functional>

using namespace useropts;

class tst_CardFile : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void findsFileWhateverItsCase_data();
    void findsFileWhateverItsCase();
    void unreadableFile_data();
    void unreadableFile();
    void replaceWritesExactBytes();
    void failedReplaceKeepsOldList_data();
    void failedReplaceKeepsOldList();

  private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

// A card list that tells which of several files was read.
QByteArray listNumber(qsizetype n)
{
    return "FILE" + QByteArray::number(n) + "\r\n";
}

} // namespace

void tst_CardFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_CardFile::findsFileWhateverItsCase_data()
{
    QTest::addColumn<QStringList>("onDisk");
    QTest::addColumn<QString>("chosen"); // empty: no card list file

    QTest::newRow("as an update creates it") << QStringList{"CardData.txt"} << "CardData.txt";
    QTest::newRow("as the archive holds it") << QStringList{"CARDDATA.TXT"} << "CARDDATA.TXT";
    QTest::newRow("lower case") << QStringList{"carddata.txt"} << "carddata.txt";
    QTest::newRow("mixed") << QStringList{"cardDATA.Txt"} << "cardDATA.Txt";
    QTest::newRow("update's name wins")
        << QStringList{"CARDDATA.TXT", "CardData.txt", "carddata.txt"} << "CardData.txt";
    QTest::newRow("lowest name otherwise")
        << QStringList{"carddata.txt", "CardDATA.txt", "CARDDATA.TXT"} << "CARDDATA.TXT";
    QTest::newRow("other names are not it")
        << QStringList{"CardData.txt.bak", "xCardData.txt", "CardData.tx", "CardData"} << QString();
}

void tst_CardFile::findsFileWhateverItsCase()
{
    QFETCH(QStringList, onDisk);
    QFETCH(QString, chosen);
    const QDir dir(m_dir->path());
    for (qsizetype i = 0; i < onDisk.size(); ++i)
        writeFile(dir.filePath(onDisk[i]), listNumber(i));

    const CardFileLoad load = loadCardFile(dir.path());
    if (chosen.isEmpty()) {
        QCOMPARE(load.status, CardFileLoad::Status::Missing);
        QVERIFY(load.entries.isEmpty());
        QCOMPARE(cardFileForUpdate(dir.path()), dir.filePath("CardData.txt"));
        return;
    }
    QCOMPARE(load.status, CardFileLoad::Status::Loaded);
    QCOMPARE(load.entries, QStringList{"FILE" + QString::number(onDisk.indexOf(chosen)) + " - "});

    // An update must replace the very file the next load reads, or the
    // program would go on offering the download.
    QCOMPARE(cardFileForUpdate(dir.path()), dir.filePath(chosen));
    QVERIFY(!replaceCardFile(cardFileForUpdate(dir.path()), "NEW\r\n"));
    QCOMPARE(loadCardFile(dir.path()).entries, QStringList{"NEW - "});
    QCOMPARE(QDir(dir).entryList(QDir::Files, QDir::Name).size(), onDisk.size());
}

void tst_CardFile::unreadableFile_data()
{
    QTest::addColumn<bool>("directory");
    QTest::addColumn<int>("errorNumber");

    QTest::newRow("a directory of that name") << true << 75;
    QTest::newRow("no permission to read") << false << 70;
}

void tst_CardFile::unreadableFile()
{
    QFETCH(bool, directory);
    QFETCH(int, errorNumber);
    const QString path = m_dir->filePath("CARDDATA.TXT");
    if (directory) {
        QVERIFY(QDir().mkdir(path));
    } else {
        if (geteuid() == 0)
            QSKIP("root reads files whatever their permissions");
        writeFile(path, "NE2000\r\n");
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    }
    const CardFileLoad load = loadCardFile(m_dir->path());
    QCOMPARE(load.status, CardFileLoad::Status::Failed);
    QCOMPARE(load.errorNumber, errorNumber);
    QVERIFY(load.entries.isEmpty());
}

void tst_CardFile::replaceWritesExactBytes()
{
    const QString path = m_dir->filePath("CardData.txt");
    writeFile(path, QByteArray(5000, 'x'));
    const QByteArray bytes = "NE2000            NE2000\r\r\n\r\n";
    QCOMPARE(replaceCardFile(path, bytes), std::nullopt);
    QCOMPARE(readFile(path), bytes);
    // No temporary file is left behind.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"CardData.txt"});
}

void tst_CardFile::failedReplaceKeepsOldList_data()
{
    QTest::addColumn<bool>("diskFull");
    QTest::newRow("disk full while writing") << true;
    QTest::newRow("directory takes no new file") << false;
}

void tst_CardFile::failedReplaceKeepsOldList()
{
    QFETCH(bool, diskFull);
    const bool root = geteuid() == 0;
    const QString dirPath = m_dir->filePath("place");
    QVERIFY(QDir().mkdir(dirPath));
    const QString path = dirPath + "/CardData.txt";
    const QByteArray old = QByteArray("EL3C574           3Com 3C574 PC Card\r\n").repeated(20);

    std::function<void()> undo;
    if (diskFull) {
        // A small file system filled to the brim: the new list is short
        // enough to sit in a write buffer, so only an unbuffered write
        // notices that it never reached the disk.
        if (!root || mount("tmpfs", qPrintable(dirPath), "tmpfs", 0, "size=64k") != 0)
            QSKIP("mounting a small file system needs root");
        undo = [&] { umount2(qPrintable(dirPath), MNT_DETACH); };
        writeFile(path, old);
        QFile filler(dirPath + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    } else {
        // Root ignores permissions, so it marks the directory immutable instead.
        writeFile(path, old);
        const bool locked =
            root ? QProcess::execute("chattr", {"+i", dirPath}) == 0
                 : QFile::setPermissions(dirPath, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (!locked)
            QSKIP("this file system cannot lock a directory");
        undo = [&] {
            if (root)
                QProcess::execute("chattr", {"-i", dirPath});
            else
                QFile::setPermissions(dirPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ExeOwner);
        };
    }
    const auto cleanUp = qScopeGuard([&] { undo(); });

    const auto failure = replaceCardFile(path, "NE2000\r\n");
    QVERIFY(failure.has_value());
    QVERIFY2(failure->contains(QDir::toNativeSeparators(path)), qPrintable(*failure));
    QCOMPARE(readFile(path), old);
}

QTEST_GUILESS_MAIN(tst_CardFile)
#include "tst_cardfile.moc"
