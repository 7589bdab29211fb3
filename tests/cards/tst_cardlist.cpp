// SPDX-License-Identifier: GPL-3.0-or-later
#include "cards/CardFile.h"

#include "support/SettingsFiles.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <QTest>

using namespace useropts;

class TestCardList : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void entries_data();
    void entries();
    void findsFileWhateverItsCase_data();
    void findsFileWhateverItsCase();
    void installedCopyReadsTheUsersListFirst_data();
    void installedCopyReadsTheUsersListFirst();

  private:
    void writeFile(const QString& name, const QByteArray& bytes);

    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

const QByteArray kThreeCom = "EL3C574           3Com 3C574 PC Card";
const QByteArray kNe2000 = "NE2000            NE2000 Compatible";
const QStringList kTwoCards{"EL3C574 - 3Com 3C574 PC Card", "NE2000 - NE2000 Compatible"};

} // namespace

void TestCardList::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestCardList::writeFile(const QString& name, const QByteArray& bytes)
{
    useropts::testing::writeFile(m_dir->filePath(name), bytes);
}

void TestCardList::entries_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("CR") << kThreeCom + '\r' + kNe2000 + '\r' << kTwoCards;
    QTest::newRow("CR LF") << kThreeCom + "\r\n" + kNe2000 + "\r\n" << kTwoCards;
    QTest::newRow("CR CR LF, as an update stores CR LF lists")
        << kThreeCom + "\r\r\n" + kNe2000 + "\r\r\n"
        << kTwoCards;
    QTest::newRow("blank lines skipped, last line unended")
        << "\r\n   \r" + kThreeCom + "\r\n \r\n" + kNe2000 << kTwoCards;
    QTest::newRow("only blank lines") << QByteArray("  \r\r\n      \r") << QStringList();
    // With LF alone the whole text is one line; columns count across the LFs.
    QTest::newRow("lone LF is an ordinary character")
        << QByteArray("AAA\nBBB           desc\nCCC\n") << QStringList{"AAA\nBBB - desc\nCCC\n"};
    QTest::newRow("short lines") << QByteArray("abc\rNE2000  xx\rNE2000            NE")
                                 << QStringList{"ABC - ", "NE2000 - ", "NE2000 - NE"};
    QTest::newRow("lower-case code, outer blanks removed, inner kept")
        << "  ne2k  " + QByteArray(10, ' ') + " Two  Words " << QStringList{"NE2K - Two  Words"};
    QTest::newRow("blank code") << QByteArray("                  A Card")
                                << QStringList{" - A Card"};
    QTest::newRow("a line of tabs is not blank")
        << QByteArray(10, '\t') << QStringList{QString(8, u'\t') + " - "};
    QTest::newRow("columns 9 to 18 and past 40 ignored")
        << QByteArray("CODE1234IGNOREDXXX0123456789012345678901OVERFLOW")
        << QStringList{"CODE1234 - 0123456789012345678901"};
    QTest::newRow("duplicates kept")
        << kNe2000 + "\r\n" + kNe2000 << QStringList{kTwoCards[1], kTwoCards[1]};
    // Upper case stays inside the file's character set, or the code could not be saved back.
    QTest::newRow("non-ASCII code letters")
        << "\xE9t\xB5\x9A\xFF" + QByteArray(13, ' ') + "\xE9t\xE9 \x80"
        << QStringList{QStringLiteral(u"\u00C9T\u00B5\u0160\u0178 - \u00E9t\u00E9 \u20AC")};
}

void TestCardList::entries()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);
    writeFile("CARDDATA.TXT", file);
    QStringList entries;
    QVERIFY(loadCardFile(m_dir->path(), entries).ok());
    QCOMPARE(entries, expected);
}

void TestCardList::findsFileWhateverItsCase_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("found");

    QTest::newRow("as the archive holds it") << "CARDDATA.TXT" << true;
    QTest::newRow("mixed") << "cardDATA.Txt" << true;
    QTest::newRow("another name") << "CardData.txt.bak" << false;
}

void TestCardList::findsFileWhateverItsCase()
{
    QFETCH(QString, name);
    QFETCH(bool, found);
    writeFile(name, "NE2000\r\n");

    QStringList entries;
    const Result<> load = loadCardFile(m_dir->path(), entries);
    QCOMPARE(!load.ok() && load.failure().kind == FailureKind::Missing, !found);
    QCOMPARE(entries, found ? QStringList{"NE2000 - "} : QStringList());
    // An update must replace the very file the next load reads, or the
    // program would go on offering the download.
    QCOMPARE(cardFileForUpdate(m_dir->path()), m_dir->filePath(found ? name : "CardData.txt"));
}

void TestCardList::installedCopyReadsTheUsersListFirst_data()
{
    QTest::addColumn<bool>("own");     // the user has a list of their own
    QTest::addColumn<bool>("shipped"); // the installed copy ships one
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("the user's own list") << true << true << QStringList{"OWN - "};
    QTest::newRow("the shipped list") << false << true << QStringList{"SHIPPED - "};
    QTest::newRow("none anywhere: the download is offered") << false << false << QStringList();
}

void TestCardList::installedCopyReadsTheUsersListFirst()
{
    QFETCH(bool, own);
    QFETCH(bool, shipped);
    QFETCH(QStringList, expected);
    // The user's data folder does not exist before the first update.
    const CardPlaces places{m_dir->filePath("home/data"), m_dir->filePath("share")};
    QVERIFY(QDir(m_dir->path()).mkdir("share"));
    if (own)
        QVERIFY(storeCardList(places.own, "OWN\r\n").ok());
    if (shipped)
        writeFile("share/CardData.txt", "SHIPPED\r\n");

    QStringList entries;
    const Result<> load = loadCardFile(cardFolderToRead(places), entries);
    QCOMPARE(entries, expected);
    QCOMPARE(!load.ok() && load.failure().kind == FailureKind::Missing, expected.isEmpty());

    // An update always stores the user's own list; the shipped one stays.
    QVERIFY(storeCardList(places.own, "NEW\r\n").ok());
    QVERIFY(loadCardFile(cardFolderToRead(places), entries).ok());
    QCOMPARE(entries, QStringList{"NEW - "});
    QCOMPARE(QFile::exists(m_dir->filePath("share/CardData.txt")), shipped);
    // A data folder that cannot be made is said so.
    writeFile("blocked", "a file where the folder should be");
    const Result<> blocked = storeCardList(m_dir->filePath("blocked/data"), "X\r\n");
    QVERIFY(!blocked.ok() && blocked.failure().reason.startsWith("cannot create the folder"));
}

QTEST_GUILESS_MAIN(TestCardList)
#include "tst_cardlist.moc"
