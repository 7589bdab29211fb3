#include "cards/CardDownload.h"
#include "cards/CardList.h"

#include <QTest>

using namespace useropts;

class tst_CardList : public QObject
{
    Q_OBJECT

  private slots:
    void entries_data();
    void entries();
    void recognisesWhatIsNoCardList_data();
    void recognisesWhatIsNoCardList();
};

namespace {

const QByteArray kThreeCom = "EL3C574           3Com 3C574 PC Card";
const QByteArray kNe2000 = "NE2000            NE2000 Compatible";
const QStringList kTwoCards{QStringLiteral("EL3C574 - 3Com 3C574 PC Card"),
                            QStringLiteral("NE2000 - NE2000 Compatible")};

} // namespace

void tst_CardList::entries_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("CR") << kThreeCom + '\r' + kNe2000 + '\r' << kTwoCards;
    QTest::newRow("CR LF") << kThreeCom + "\r\n" + kNe2000 + "\r\n" << kTwoCards;
    QTest::newRow("CR CR LF, as an update stores CR LF lists")
        << kThreeCom + "\r\r\n" + kNe2000 + "\r\r\n"
        << kTwoCards;
    QTest::newRow("last line without line end") << kThreeCom + "\r\n" + kNe2000 << kTwoCards;
    QTest::newRow("blank lines between")
        << "\r\n   \r" + kThreeCom + "\r\n \r\n" + kNe2000 + "\r  " << kTwoCards;
    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("only blank lines") << QByteArray("  \r\r\n      \r") << QStringList();

    // With LF alone the whole text is one line; columns count across the LFs.
    QTest::newRow("lone LF is an ordinary character")
        << QByteArray("AAA\nBBB           desc\nCCC\n") << QStringList{"AAA\nBBB - desc\nCCC\n"};

    QTest::newRow("lower-case code")
        << QByteArray("abc               A Card  \r\n") << QStringList{"ABC - A Card"};
    QTest::newRow("code alone") << QByteArray("abc") << QStringList{"ABC - "};
    QTest::newRow("blank code") << QByteArray("                  A Card")
                                << QStringList{" - A Card"};
    QTest::newRow("tabs are not blanks")
        << QByteArray("\t\t\t\t\t\t\t\t\t\t") << QStringList{"\t\t\t\t\t\t\t\t - "};
    QTest::newRow("tab in the description")
        << QByteArray("X                 \tTab") << QStringList{"X - \tTab"};
    QTest::newRow("columns 9 to 18 and past 40 ignored")
        << QByteArray("CODE1234IGNOREDXXX0123456789012345678901OVERFLOW")
        << QStringList{"CODE1234 - 0123456789012345678901"};
    QTest::newRow("line ends inside columns 9 to 18")
        << QByteArray("NE2000  xx") << QStringList{"NE2000 - "};
    QTest::newRow("line ends inside the description")
        << QByteArray("NE2000            NE") << QStringList{"NE2000 - NE"};
    QTest::newRow("outer blanks removed, inner kept")
        << "  ne2k  " + QByteArray(12, ' ') + "Two  Words" + QByteArray(10, ' ') + "x"
        << QStringList{"NE2K - Two  Words"};
    QTest::newRow("duplicates kept") << kNe2000 + "\r\n" + kNe2000 + "\r\n"
                                     << QStringList{kTwoCards[1], kTwoCards[1]};

    // Upper case must stay inside the file's character set, or the code
    // could not be saved back; descriptions keep their case.
    QTest::newRow("non-ASCII code letters")
        << "\xE9t\xB5\x9A\xFF" + QByteArray(13, ' ') + "\xE9t\xE9 \x80"
        << QStringList{QStringLiteral(u"\u00C9T\u00B5\u0160\u0178 - \u00E9t\u00E9 \u20AC")};
}

void tst_CardList::entries()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);
    QCOMPARE(cardEntries(file), expected);
}

void tst_CardList::recognisesWhatIsNoCardList_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("isList");

    QTest::newRow("card list") << kThreeCom + "\r\n" << true;
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("markup later in a line") << QByteArray("HTML      <b>Card</b>\n") << true;
    QTest::newRow("lone angle bracket") << QByteArray("<") << true;
    QTest::newRow("angle bracket and blank") << QByteArray("< 5 cards\n") << true;
    QTest::newRow("NUL byte") << kThreeCom + '\0' + kNe2000 << false;
    QTest::newRow("HTML page") << QByteArray("<html><body>Not here</body></html>") << false;
    QTest::newRow("doctype in capitals") << QByteArray("<!DOCTYPE HTML PUBLIC>") << false;
    QTest::newRow("XML declaration") << QByteArray("<?xml version=\"1.0\"?>") << false;
    QTest::newRow("page after white space and BOM")
        << QByteArray("\xEF\xBB\xBF \r\n\t<head><title>Error</title>") << false;
}

void tst_CardList::recognisesWhatIsNoCardList()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, isList);
    const auto reason = notACardList(body);
    QCOMPARE(!reason.has_value(), isList);
    if (reason)
        QVERIFY(!reason->isEmpty());
}

QTEST_GUILESS_MAIN(tst_CardList)
#include "tst_cardlist.moc"
