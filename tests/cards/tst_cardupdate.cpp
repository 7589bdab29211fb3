#include "LocalHttpServer.h"
#include "support/ScriptedPlatform.h"

#include "ui/frmEditor.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace useropts;
using namespace std::chrono_literals;
using useropts::testing::LocalHttpServer;
using useropts::testing::ScriptedPlatform;

class tst_CardUpdate : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void update_data();
    void update();
    void missingFileAtStartup_data();
    void missingFileAtStartup();
    void unreadableFileReportsNumber_data();
    void unreadableFileReportsNumber();

  private:
    QComboBox* cards() const { return m_window->findChild<QComboBox*>("cboNIC"); }
    QAbstractButton* button() const { return m_window->findChild<QAbstractButton*>("cmdGetCards"); }
    QStringList entries() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<LocalHttpServer> m_server;
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<frmEditor> m_window;
};

namespace {

const QByteArray kOldFile = "EL3C574           3Com 3C574 PC Card\r\nNE2000            NE2000\r\n";
const QStringList kOldEntries{"EL3C574 - 3Com 3C574 PC Card", "NE2000 - NE2000"};
const QByteArray kNewList =
    "RTL8139           Realtek RTL8139 PCI\nE100B             Intel PRO/100\n";
const QStringList kNewEntries{"RTL8139 - Realtek RTL8139 PCI", "E100B - Intel PRO/100"};
const char kListUrl[] = "http://www.corvane.example/carddata.txt";
const QString kQuestionTitle = QStringLiteral("Connect to www.corvane.example");
const QString kNotFound = QStringLiteral("CARDDATA.TXT Not Found");
const QString kNotUpdated = QStringLiteral("CARDDATA.TXT Not Updated");

// A whole answer, ended by closing the connection.
QByteArray reply(const QByteArray& body, const QByteArray& status = "200 OK",
                 const QByteArray& headers = {})
{
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n" + headers + "\r\n" + body;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "<missing>";
}

} // namespace

QStringList tst_CardUpdate::entries() const
{
    QStringList list;
    for (int i = 0; i < cards()->count(); ++i)
        list << cards()->itemText(i);
    return list;
}

void tst_CardUpdate::init()
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

void tst_CardUpdate::cleanup()
{
    m_window.reset();
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void tst_CardUpdate::update_data()
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

    QTest::newRow("LF") << "answers" << reply(kNewList) << "Update Complete" << lfStored
                        << kNewEntries;
    QTest::newRow("CR LF") << "answers" << reply(crlf) << "Update Complete" << crlfStored
                           << kNewEntries;
    QTest::newRow("quotes removed")
        << "answers" << reply("\"RTL8139\"           \"Realtek\" RTL8139 PCI\n")
        << "Update Complete" << QByteArray("RTL8139           Realtek RTL8139 PCI\r\r\n")
        << QStringList{kNewEntries[0]};
    QTest::newRow("empty answer is an empty list")
        << "answers" << reply({}) << "Update Complete" << QByteArray("\r\n") << QStringList();
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
    const QByteArray chunkedHead = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    QTest::newRow("chunked") << "answers"
                             << chunkedHead + "26\r\n" + kNewList.first(38) + "\r\n20;x=y\n" +
                                    kNewList.sliced(38) + "\n0\r\nX-Trailer: 1\r\n\r\n"
                             << "Update Complete" << lfStored << kNewEntries;
    // A bad chunk size must not leave the chunks before it passing as the whole list.
    QTest::newRow("bad first chunk size")
        << "answers" << chunkedHead + "ZZZ\r\n" + kNewList << "a chunk size line read \"ZZZ\""
        << QByteArray() << kOldEntries;
    QTest::newRow("bad chunk size after a good chunk")
        << "answers" << chunkedHead + "26\r\n" + kNewList.first(38) + "\r\nZZZ\r\n"
        << "a chunk size line read \"ZZZ\"" << QByteArray() << kOldEntries;
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

void tst_CardUpdate::update()
{
    QFETCH(QString, server);
    QFETCH(QByteArray, answer);
    QFETCH(QString, text);
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);

    // The list as the archive names it: an update must replace this very file.
    const QString path = m_dir->filePath("CARDDATA.TXT");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write(kOldFile) == kOldFile.size());
    old.close();
    m_window->ReadCardData();
    cards()->setEditText("NE2000");
    QCOMPARE(entries(), kOldEntries);

    const bool requested = server != "declined";
    if (!requested)
        m_platform->messageAnswers.enqueue(MessageAnswer::No);
    bool busyMeanwhile = false; // the button disabled and the wait cursor shown
    if (server == "refused") {
        m_server.reset(); // nothing listens on its port any more
    } else {
        m_server->answer = answer;
        m_server->trickle = server == "trickles";
        m_server->onRequest = [&] {
            const QCursor* cursor = QApplication::overrideCursor();
            busyMeanwhile = !button()->isEnabled() && cursor && cursor->shape() == Qt::WaitCursor;
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

void tst_CardUpdate::missingFileAtStartup_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("declined") << false;
    QTest::newRow("downloaded") << true;
}

void tst_CardUpdate::missingFileAtStartup()
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

void tst_CardUpdate::unreadableFileReportsNumber_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("number");
    QTest::newRow("a folder of that name") << "folder" << 75;
#if defined(Q_OS_LINUX)
    // A file that opens but fails as soon as it is read.
    QTest::newRow("read error") << "read error" << 57;
#endif
}

void tst_CardUpdate::unreadableFileReportsNumber()
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

QTEST_MAIN(tst_CardUpdate)
#include "tst_cardupdate.moc"
