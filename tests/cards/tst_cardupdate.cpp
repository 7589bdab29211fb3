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
    void whileUpdating();
    void declineFromButton();
    void missingFileAtStartup_data();
    void missingFileAtStartup();
    void unreadableFileReportsNumber();
    void failedWriteKeepsChoice();

  private:
    QString cardFile() const { return m_dir->filePath("CardData.txt"); }
    QComboBox* cards() const { return m_window->findChild<QComboBox*>("cboNIC"); }
    QAbstractButton* updateButton() const
    {
        return m_window->findChild<QAbstractButton*>("cmdGetCards");
    }
    QStringList entries() const;
    void startWithOldList();

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
const QString kHost = QStringLiteral("www.corvane.example");
const QString kQuestionTitle = "Connect to " + kHost;
const QString kNotFoundTitle = QStringLiteral("CARDDATA.TXT Not Found");

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
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
    m_window = std::make_unique<frmEditor>(*m_platform);
    m_window->setCardDirectory(m_dir->path());
}

void tst_CardUpdate::cleanup()
{
    m_window.reset();
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void tst_CardUpdate::startWithOldList()
{
    writeFile(cardFile(), kOldFile);
    m_window->ReadCardData();
    cards()->setEditText("NE2000");
    QCOMPARE(entries(), kOldEntries);
    m_platform->clearRecords();
}

void tst_CardUpdate::update_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("file"); // empty: the old file stays
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("mentioned"); // in a warning; empty: success

    const auto ok = [](const QByteArray& body, const QByteArray& type = "text/plain") {
        return LocalHttpServer::response(200, "OK", body, type);
    };
    QByteArray crlf = kNewList;
    crlf.replace("\n", "\r\n");

    QTest::newRow("LF") << "answers" << ok(kNewList)
                        << QByteArray("RTL8139           Realtek RTL8139 PCI\rE100B             "
                                      "Intel PRO/100\r\r\n")
                        << kNewEntries << QString();
    QTest::newRow("CR LF") << "answers" << ok(crlf)
                           << QByteArray("RTL8139           Realtek RTL8139 PCI\r\rE100B           "
                                         "  Intel PRO/100\r\r\r\n")
                           << kNewEntries << QString();
    QTest::newRow("quotes") << "answers" << ok("\"RTL8139\"           \"Realtek\" RTL8139 PCI\n")
                            << QByteArray("RTL8139           Realtek RTL8139 PCI\r\r\n")
                            << QStringList{kNewEntries[0]} << QString();
    QTest::newRow("empty answer is an empty list")
        << "answers" << ok({}) << QByteArray("\r\n") << QStringList() << QString();
    QTest::newRow("404") << "answers"
                         << LocalHttpServer::response(404, "Not Found", "<html>gone</html>",
                                                      "text/html")
                         << QByteArray() << kOldEntries << "404 Not Found";
    QTest::newRow("HTML page with 200")
        << "answers" << ok("<!DOCTYPE html><html><body>Log in first</body></html>", "text/html")
        << QByteArray() << kOldEntries << "web page";
    QTest::newRow("binary answer") << "answers" << ok(QByteArray("PK\x03\x04\0\0", 6))
                                   << QByteArray() << kOldEntries << "binary";
    QTest::newRow("never answers") << "silent" << QByteArray() << QByteArray() << kOldEntries
                                   << "sent nothing for 0.3 seconds";
    QTest::newRow("refused") << "refused" << QByteArray() << QByteArray() << kOldEntries
                             << "Connection refused";
}

void tst_CardUpdate::update()
{
    QFETCH(QString, server);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);
    QFETCH(QString, mentioned);

    startWithOldList();
    if (server == "answers") {
        m_server->answerRaw(answer);
    } else if (server == "silent") {
        m_server->staySilent();
        m_platform->httpTimeoutsOverride = HttpTimeouts{300ms, 10s};
    } else {
        QUrl refusing = m_server->baseUrl();
        refusing.setPort(LocalHttpServer::unusedPort());
        m_platform->httpRedirectBase = refusing;
    }

    updateButton()->click();

    // One GET of the list's path on the maker's site, after one question.
    QCOMPARE(m_platform->httpRequests,
             QList<QUrl>{QUrl("http://www.corvane.example/carddata.txt")});
    QCOMPARE(m_platform->messages.size(), 2);
    const MessageSpec& question = m_platform->messages[0];
    QCOMPARE(question.title, kQuestionTitle);
    QCOMPARE(question.text, "Do you want to connect to " + kHost +
                                " via HTTP to download the latest Network Card list?");
    QCOMPARE(question.buttons, MessageButtons::YesNo);
    QCOMPARE(question.defaultAnswer, MessageAnswer::Yes);
    QCOMPARE(question.icon, MessageIcon::Question);

    const MessageSpec& outcome = m_platform->messages[1];
    if (mentioned.isEmpty()) {
        QCOMPARE(outcome.title, "Update");
        QCOMPARE(outcome.text, "Update Complete");
        QCOMPARE(outcome.icon, MessageIcon::Information);
        QCOMPARE(readFile(cardFile()), file);
    } else {
        QCOMPARE(outcome.icon, MessageIcon::Warning);
        QVERIFY2(outcome.text.contains(mentioned), qPrintable(outcome.text));
        QCOMPARE(readFile(cardFile()), kOldFile);
    }
    QCOMPARE(outcome.buttons, MessageButtons::Ok);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"CardData.txt"});
    QCOMPARE(entries(), expected);
    QCOMPARE(cards()->currentText(), "NE2000"); // the user's card stays chosen
    QVERIFY(updateButton()->isEnabled());
}

void tst_CardUpdate::whileUpdating()
{
    startWithOldList();
    m_server->answer(200, "OK", kNewList);
    bool buttonEnabled = true;
    Qt::CursorShape cursor = Qt::ArrowCursor;
    connect(m_server.get(), &LocalHttpServer::requestReceived, this, [&] {
        buttonEnabled = updateButton()->isEnabled();
        if (const QCursor* shown = QApplication::overrideCursor())
            cursor = shown->shape();
    });
    // "Update Complete" is read while the old list still shows.
    QStringList whileShown;
    m_platform->onMessage = [&](const MessageSpec& spec) {
        if (spec.text == "Update Complete")
            whileShown = entries();
    };

    m_window->cmdGetCards_Click();
    QVERIFY(!buttonEnabled);
    QCOMPARE(cursor, Qt::WaitCursor);
    QCOMPARE(whileShown, kOldEntries);
    QCOMPARE(entries(), kNewEntries);
}

void tst_CardUpdate::declineFromButton()
{
    startWithOldList();
    m_platform->messageAnswers.enqueue(MessageAnswer::No);
    updateButton()->click();

    QCOMPARE(m_platform->messages.size(), 2);
    const MessageSpec& warning = m_platform->messages[1];
    QCOMPARE(warning.title, kNotFoundTitle);
    QCOMPARE(warning.text, "Please extract the CARDDATA.TXT from the FILES.UHA archive and place "
                           "it in the same directory as this program.");
    QCOMPARE(warning.buttons, MessageButtons::Ok);
    QCOMPARE(warning.icon, MessageIcon::Warning);
    QVERIFY(m_platform->httpRequests.isEmpty());
    QCOMPARE(readFile(cardFile()), kOldFile);
    QCOMPARE(entries(), kOldEntries);
    QCOMPARE(cards()->currentText(), "NE2000");
    QVERIFY(updateButton()->isEnabled());
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
    m_server->answer(200, "OK", kNewList);
    m_platform->messageAnswers.enqueue(accept ? MessageAnswer::Yes : MessageAnswer::No);
    QStringList shown;
    bool askedBeforeOpenDialog = false;
    m_platform->onMessage = [&](const MessageSpec& spec) {
        shown << spec.title;
        if (spec.title == kQuestionTitle)
            askedBeforeOpenDialog = m_platform->fileDialogs.isEmpty();
    };

    m_window->Form_Load();

    QVERIFY(askedBeforeOpenDialog);
    QCOMPARE(m_platform->fileDialogs.size(), 1); // start-up goes on to the open dialog
    if (accept) {
        QCOMPARE(shown, (QStringList{kQuestionTitle, "Update"}));
        QCOMPARE(entries(), kNewEntries); // once, not twice
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"CardData.txt"});
    } else {
        QCOMPARE(shown, (QStringList{kQuestionTitle, kNotFoundTitle}));
        QVERIFY(entries().isEmpty());
        QVERIFY(QDir(m_dir->path()).entryList(QDir::Files).isEmpty());
    }
}

void tst_CardUpdate::unreadableFileReportsNumber()
{
    QVERIFY(QDir().mkdir(m_dir->filePath("CARDDATA.TXT")));
    m_window->ReadCardData();
    QCOMPARE(m_platform->messages.size(), 1);
    const MessageSpec& error = m_platform->messages[0];
    QCOMPARE(error.title, "User Options Editor");
    QCOMPARE(error.text, "Error Reading CARDDATA.TXT - Error: 75");
    QCOMPARE(error.buttons, MessageButtons::Ok);
    QCOMPARE(error.icon, MessageIcon::None);
    QVERIFY(m_platform->httpRequests.isEmpty());
}

void tst_CardUpdate::failedWriteKeepsChoice()
{
    startWithOldList();
    m_window->setCardDirectory(m_dir->filePath("gone"));
    m_server->answer(200, "OK", kNewList);
    m_window->cmdGetCards_Click();

    const MessageSpec& warning = m_platform->messages.last();
    QCOMPARE(warning.icon, MessageIcon::Warning);
    QVERIFY2(warning.text.contains(QDir::toNativeSeparators(m_dir->filePath("gone/CardData.txt"))),
             qPrintable(warning.text));
    QCOMPARE(entries(), kOldEntries);
    QVERIFY(updateButton()->isEnabled());
}

QTEST_MAIN(tst_CardUpdate)
#include "tst_cardupdate.moc"
