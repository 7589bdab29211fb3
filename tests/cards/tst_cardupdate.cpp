// SPDX-License-Identifier: GPL-3.0-or-later
#include "tst_cardupdate.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>

using namespace useropts;
using namespace std::chrono_literals;
using namespace cardupdate;
using useropts::testing::LocalHttpServer;
using useropts::testing::ScriptedPlatform;

namespace cardupdate {

const QByteArray kOldFile = "EL3C574           3Com 3C574 PC Card\r\nNE2000            NE2000\r\n";
const QStringList kOldEntries{"EL3C574 - 3Com 3C574 PC Card", "NE2000 - NE2000"};
const QByteArray kNewList =
    "RTL8139           Realtek RTL8139 PCI\nE100B             Intel PRO/100\n";
const QStringList kNewEntries{"RTL8139 - Realtek RTL8139 PCI", "E100B - Intel PRO/100"};
const QString kQuestionTitle = QStringLiteral("Connect to www.corvane.example");
const QString kNotUpdated = QStringLiteral("CARDDATA.TXT Not Updated");

QByteArray reply(const QByteArray& body, const QByteArray& status, const QByteArray& headers)
{
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n" + headers + "\r\n" + body;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "<missing>";
}

} // namespace cardupdate

namespace {

const char kListUrl[] = "http://www.corvane.example/carddata.txt";
const QString kNotFound = QStringLiteral("CARDDATA.TXT Not Found");

} // namespace

QStringList TestCardUpdate::entries() const
{
    QStringList list;
    for (int i = 0; i < cards()->count(); ++i)
        list << cards()->itemText(i);
    return list;
}

void TestCardUpdate::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_server = std::make_unique<LocalHttpServer>();
    QVERIFY(m_server->listen());
    m_platform = std::make_unique<ScriptedPlatform>();
    m_platform->httpRedirectBase = m_server->baseUrl();
    m_platform->httpTimeoutsOverride = HttpTimeouts{500ms, 2s};
    m_window = std::make_unique<frmEditor>(*m_platform);
    m_window->setCardDirectory(m_dir->path());
}

void TestCardUpdate::cleanup()
{
    m_window.reset();
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void TestCardUpdate::update_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("text");    // after the question; only a part when not updated
    QTest::addColumn<QByteArray>("file"); // empty: the old file stays
    QTest::addColumn<QStringList>("expected");

    QByteArray crlf = kNewList;
    crlf.replace("\n", "\r\n");
    const QByteArray lfStored =
        "RTL8139           Realtek RTL8139 PCI\rE100B             Intel PRO/100\r\r\n";
    const QByteArray crlfStored =
        "RTL8139           Realtek RTL8139 PCI\r\rE100B             Intel PRO/100\r\r\r\n";

    const QByteArray chunkedHead = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    QTest::newRow("LF") << "answers" << reply(kNewList) << "Update Complete" << lfStored
                        << kNewEntries;
    QTest::newRow("CR LF") << "answers" << reply(crlf) << "Update Complete" << crlfStored
                           << kNewEntries;
    QTest::newRow("quotes removed")
        << "answers" << reply("\"RTL8139\"           \"Realtek\" RTL8139 PCI\n")
        << "Update Complete" << QByteArray("RTL8139           Realtek RTL8139 PCI\r\r\n")
        << QStringList{kNewEntries[0]};
    // A portal or proxy that answers with nothing must not cost the user the list.
    QTest::newRow("empty answer") << "answers" << reply({}) << "sent an empty answer"
                                  << QByteArray() << kOldEntries;
    QTest::newRow("empty chunked answer") << "answers" << chunkedHead + "0\r\n\r\n"
                                          << "sent an empty answer" << QByteArray() << kOldEntries;
    QTest::newRow("only blank lines") << "answers" << reply("\r\n   \r\n\n\t\"\"\n")
                                      << "sent only blank lines" << QByteArray() << kOldEntries;
    QTest::newRow("204") << "answers" << QByteArray("HTTP/1.1 204 No Content\r\n\r\n")
                         << "HTTP status 204 No Content instead of the card list" << QByteArray()
                         << kOldEntries;
    QTest::newRow("206") << "answers"
                         << reply(kNewList.first(20), "206 Partial Content",
                                  "Content-Range: bytes 0-19/70\r\n")
                         << "HTTP status 206 Partial Content" << QByteArray() << kOldEntries;
    QTest::newRow("404") << "answers" << reply("<html>gone</html>", "404 Not Found")
                         << "404 Not Found" << QByteArray() << kOldEntries;
    QTest::newRow("HTML page with 200")
        << "answers" << reply("\r\n  <!DOCTYPE html><html><body>Log in</body></html>") << "web page"
        << QByteArray() << kOldEntries;
    QTest::newRow("binary answer") << "answers" << reply(QByteArray("PK\x03\x04\0\0", 6))
                                   << "binary" << QByteArray() << kOldEntries;
    QTest::newRow("answer cut short")
        << "answers"
        << "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + kNewList
        << "ended after 70 of the 1000 bytes it announced" << QByteArray() << kOldEntries;
    QTest::newRow("chunked") << "answers"
                             << chunkedHead + "26\r\n" + kNewList.first(38) + "\r\n20;x=y\n" +
                                    kNewList.sliced(38) + "\n0\r\nX-Trailer: 1\r\n\r\n"
                             << "Update Complete" << lfStored << kNewEntries;
    // A bad chunk size must not leave the chunks before it passing as the whole list.
    QTest::newRow("bad first chunk size")
        << "answers" << chunkedHead + "ZZZ\r\n" + kNewList << "its chunks broke HTTP's framing"
        << QByteArray() << kOldEntries;
    QTest::newRow("bad chunk size after a good chunk")
        << "answers" << chunkedHead + "26\r\n" + kNewList.first(38) + "\r\nZZZ\r\n"
        << "its chunks broke HTTP's framing" << QByteArray() << kOldEntries;
    QTest::newRow("no last chunk") << "answers" << chunkedHead + "26\r\n" + kNewList.first(38)
                                   << "ended before its last chunk" << QByteArray() << kOldEntries;
    QTest::newRow("no length given")
        << "answers"
        << "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + kNewList
        << "did not say how long it was" << QByteArray() << kOldEntries;
    QTest::newRow("redirect elsewhere")
        << "answers" << reply({}, "302 Found", "Location: http://elsewhere.example/x\r\n")
        << "302 Found and pointed to http://elsewhere.example/x, which was not followed"
        << QByteArray() << kOldEntries;
    QTest::newRow("redirect to itself")
        << "answers" << reply({}, "301 Moved Permanently", "Location: /carddata.txt\r\n")
        << "pointed to /carddata.txt" << QByteArray() << kOldEntries;
    QTest::newRow("HTML page opening with text")
        << "answers"
        << reply("Please log in.\n<form action=\"/login\">", "200 OK",
                 "Content-Type: text/html; charset=utf-8\r\n")
        << "web page" << QByteArray() << kOldEntries;
    QTest::newRow("list labelled as HTML")
        << "answers" << reply(kNewList, "200 OK", "Content-Type: TEXT/HTML\r\n")
        << "Update Complete" << lfStored << kNewEntries;
    QTest::newRow("compressed") << "answers"
                                << reply("\x1f\x8b\x08garbage", "200 OK",
                                         "Content-Encoding: gzip\r\n")
                                << "came compressed (gzip)" << QByteArray() << kOldEntries;
    QTest::newRow("header flood") << "answers"
                                  << reply(kNewList, "200 OK",
                                           QByteArray("X-Filler: 0123456789\r\n").repeated(5000))
                                  << "began with more than 64 KB of headers" << QByteArray()
                                  << kOldEntries;
    QTest::newRow("never answers") << "silent" << QByteArray() << "sent nothing for 0.5 seconds"
                                   << QByteArray() << kOldEntries;
    // A byte every 50 ms never stalls the transfer: only the overall deadline ends it.
    QTest::newRow("trickles past the deadline")
        << "trickles" << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n")
        << "did not finish within 2 seconds" << QByteArray() << kOldEntries;
    QTest::newRow("refused") << "refused" << QByteArray() << "Connection refused" << QByteArray()
                             << kOldEntries;
    QTest::newRow("declined") << "declined" << QByteArray()
                              << "Please extract the CARDDATA.TXT from the FILES.UHA archive and "
                                 "place it in the same directory as this program."
                              << QByteArray() << kOldEntries;
}

void TestCardUpdate::update()
{
    QFETCH(QString, server);
    QFETCH(QByteArray, answer);
    QFETCH(QString, text);
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);

    const QString path = m_dir->filePath("CARDDATA.TXT");
    writeOldList(kOldFile);
    cards()->setEditText("NE2000");
    QCOMPARE(entries(), kOldEntries);

    const bool requested = server != "declined";
    if (!requested)
        m_platform->messageAnswers.enqueue(MessageAnswer::No);
    bool busyMeanwhile = false; // the whole window disabled, the wait cursor over it
    if (server == "refused") {
        m_server.reset(); // nothing listens on its port any more
    } else {
        m_server->answer = answer;
        m_server->trickle = server == "trickles";
        m_server->onRequest = [&] {
            busyMeanwhile = !m_window->isEnabled() && !button()->isEnabled() &&
                            m_window->cursor().shape() == Qt::WaitCursor;
        };
    }

    button()->click();

    QCOMPARE(m_platform->httpRequests, requested ? QList<QUrl>{QUrl(kListUrl)} : QList<QUrl>());
    if (m_server) // one request, whatever the answer said
        QCOMPARE(m_server->requests, requested ? 1 : 0);
    QCOMPARE(busyMeanwhile, requested && m_server);

    QCOMPARE(m_platform->messages.size(), 2);
    const MessageRequest& question = m_platform->messages[0];
    QCOMPARE(question.title, kQuestionTitle);
    QCOMPARE(question.text, "Do you want to connect to www.corvane.example via HTTP to download "
                            "the latest Network Card list?");
    QCOMPARE(question.buttons, MessageButtons::YesNo);
    QCOMPARE(question.defaultAnswer, MessageAnswer::Yes);
    QCOMPARE(question.icon, MessageIcon::Question);

    const MessageRequest& outcome = m_platform->messages[1];
    const bool updated = !file.isEmpty();
    QCOMPARE(outcome.title, updated ? "Update" : requested ? kNotUpdated : kNotFound);
    if (updated || !requested)
        QCOMPARE(outcome.text, text);
    else
        QVERIFY2(outcome.text.contains(text), qPrintable(outcome.text));
    QCOMPARE(outcome.buttons, MessageButtons::Ok);
    QCOMPARE(outcome.icon, updated ? MessageIcon::Information : MessageIcon::Warning);

    QCOMPARE(readFile(path), updated ? file : kOldFile);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"CARDDATA.TXT"});
    QCOMPARE(entries(), expected);
    QCOMPARE(cards()->currentText(), "NE2000"); // the user's card stays chosen
    QVERIFY(button()->isEnabled());
}

void TestCardUpdate::writeOldList(const QByteArray& bytes)
{
    QFile old(m_dir->filePath("CARDDATA.TXT"));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write(bytes) == bytes.size());
    old.close();
    m_window->ReadCardData();
}

QStringList TestCardUpdate::titles() const
{
    QStringList list;
    for (const MessageRequest& message : m_platform->messages)
        list << message.title;
    return list;
}

void TestCardUpdate::shorterList_data()
{
    QTest::addColumn<int>("oldCount");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("question"); // the counts it names; empty: none asked
    QTest::addColumn<bool>("replace");     // the answer, and whether the file changes

    const QByteArray card = "RTL8139           Realtek RTL8139 PCI\n";
    QTest::newRow("a portal's sentence, kept")
        << 12 << QByteArray("Service temporarily unavailable, try later\n")
        << "holds 1 card, far fewer than the 12 cards" << false;
    QTest::newRow("one card, taken")
        << 12 << card << "holds 1 card, far fewer than the 12 cards" << true;
    QTest::newRow("5 of 11, kept")
        << 11 << card.repeated(5) << "holds 5 cards, far fewer than the 11 cards" << false;
    QTest::newRow("half") << 12 << card.repeated(6) << QString() << true;
    QTest::newRow("grows") << 2 << card.repeated(3) << QString() << true;
    QTest::newRow("no list before") << 0 << card << QString() << true;
}

void TestCardUpdate::shorterList()
{
    QFETCH(int, oldCount);
    QFETCH(QByteArray, body);
    QFETCH(QString, question);
    QFETCH(bool, replace);
    const QByteArray old = QByteArray("OLDCARD           An old card\r\n").repeated(oldCount);
    if (oldCount > 0)
        writeOldList(old);
    m_server->answer = reply(body);
    m_platform->messageAnswers << MessageAnswer::Yes
                               << (replace ? MessageAnswer::Yes : MessageAnswer::No);

    m_window->cmdGetCards_Click();

    const QString file = m_dir->filePath(oldCount > 0 ? "CARDDATA.TXT" : "CardData.txt");
    QCOMPARE(readFile(file), replace ? QByteArray(body).replace('\n', '\r') + "\r\n" : old);
    QStringList expected{kQuestionTitle};
    if (!question.isEmpty())
        expected << "Replace the Card List?";
    if (replace)
        expected << "Update";
    QCOMPARE(titles(), expected);
    if (question.isEmpty())
        return;
    const MessageRequest& asked = m_platform->messages[1];
    QVERIFY2(asked.text.contains(question), qPrintable(asked.text));
    QCOMPARE(asked.buttons, MessageButtons::YesNo);
    QCOMPARE(asked.defaultAnswer, MessageAnswer::No);
    QCOMPARE(cards()->count(), replace ? body.count('\n') : oldCount);
}

void TestCardUpdate::missingFileAtStartup_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("declined") << false;
    QTest::newRow("downloaded") << true;
}

void TestCardUpdate::missingFileAtStartup()
{
    QFETCH(bool, accept);
    m_server->answer = reply(kNewList);
    m_platform->messageAnswers.enqueue(accept ? MessageAnswer::Yes : MessageAnswer::No);
    QStringList shown;
    bool askedBeforeOpenDialog = false;
    m_platform->onMessage = [&](const MessageRequest& request) {
        shown << request.title;
        if (request.title == kQuestionTitle)
            askedBeforeOpenDialog = m_platform->fileDialogs.isEmpty();
    };

    m_window->Form_Load();

    QVERIFY(askedBeforeOpenDialog);
    QCOMPARE(m_platform->fileDialogs.size(), 1); // start-up goes on to the open dialog
    QCOMPARE(shown, (QStringList{kQuestionTitle, accept ? "Update" : kNotFound}));
    QCOMPARE(entries(), accept ? kNewEntries : QStringList()); // once, not twice
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
             accept ? QStringList{"CardData.txt"} : QStringList());
}

void TestCardUpdate::unreadableFileReportsNumber_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("number");
    QTest::newRow("a folder of that name") << "folder" << 75;
#if defined(Q_OS_LINUX)
    // A file that opens but fails as soon as it is read.
    QTest::newRow("read error") << "read error" << 57;
#endif
}

void TestCardUpdate::unreadableFileReportsNumber()
{
    QFETCH(QString, kind);
    QFETCH(int, number);
    if (kind == "folder")
        QVERIFY(QDir().mkdir(m_dir->filePath("CARDDATA.TXT")));
    else
        QVERIFY(QFile::link("/proc/self/mem", m_dir->filePath("CARDDATA.TXT")));
    m_window->ReadCardData();
    QCOMPARE(m_platform->messages.size(), 1);
    const MessageRequest& error = m_platform->messages[0];
    QCOMPARE(error.title, "User Options Editor");
    QCOMPARE(error.text, "Error Reading CARDDATA.TXT - Error: " + QString::number(number));
    QCOMPARE(error.buttons, MessageButtons::Ok);
    QCOMPARE(error.icon, MessageIcon::None);
}

QTEST_MAIN(TestCardUpdate)
