#include "LocalHttpServer.h"

#include "cards/HttpFetch.h"

#include <QTest>

using namespace useropts;
using namespace std::chrono_literals;
using useropts::testing::LocalHttpServer;

Q_DECLARE_METATYPE(HttpResult::Error)

// The window's tests cover the common answers and failures; these are the
// corners of the client itself.
class tst_HttpFetch : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void outcomes_data();
    void outcomes();
    void oneGetOfThePath();
    void slowButSteadyAnswerArrives();

  private:
    QUrl listUrl() const { return m_server->baseUrl().resolved(QUrl("/carddata.txt")); }

    std::unique_ptr<LocalHttpServer> m_server;
};

namespace {

const QByteArray kList = "EL3C574           3Com 3C574 PC Card\nNE2000            NE2000\n";

} // namespace

void tst_HttpFetch::init()
{
    m_server = std::make_unique<LocalHttpServer>();
    QVERIFY(m_server->listen());
}

void tst_HttpFetch::outcomes_data()
{
    QTest::addColumn<QByteArray>("response");             // empty: the server hangs up
    QTest::addColumn<std::chrono::milliseconds>("pause"); // > 0: the body trickles
    QTest::addColumn<HttpResult::Error>("error");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("mentioned"); // in the error text

    const std::chrono::milliseconds atOnce{0};
    QTest::newRow("body ended by closing, bytes kept")
        << "HTTP/1.0 200 OK\r\n\r\n" + kList + QByteArray("\0\xFF", 2) << atOnce
        << HttpResult::Error::None << kList + QByteArray("\0\xFF", 2) << QString();
    QTest::newRow("not modified is no list")
        << LocalHttpServer::response(304, "Not Modified", {}) << atOnce
        << HttpResult::Error::HttpStatus << QByteArray() << "HTTP status 304 Not Modified";
    QTest::newRow("answer cut short")
        << "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + kList << atOnce
        << HttpResult::Error::Network << QByteArray() << "could not be downloaded";
    QTest::newRow("no HTTP at all")
        << QByteArray("SSH-2.0-x\r\n") << atOnce << HttpResult::Error::Network << QByteArray()
        << "could not be downloaded";
    QTest::newRow("hangs up") << QByteArray() << atOnce << HttpResult::Error::Network
                              << QByteArray() << "could not be downloaded";
    // A byte every 50 ms never stalls, so only the overall limit ends it.
    QTest::newRow("trickles for ever")
        << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n") << 50ms
        << HttpResult::Error::Timeout << QByteArray() << "did not finish within 0.6 seconds";
}

void tst_HttpFetch::outcomes()
{
    QFETCH(QByteArray, response);
    QFETCH(std::chrono::milliseconds, pause);
    QFETCH(HttpResult::Error, error);
    QFETCH(QByteArray, body);
    QFETCH(QString, mentioned);

    if (response.isEmpty())
        m_server->hangUp();
    else if (pause > 0ms)
        m_server->trickle(response, QByteArray(100000, 'x'), pause);
    else
        m_server->answerRaw(response);
    const HttpResult result = httpGetBlocking(listUrl(), {2s, 600ms});
    QCOMPARE(result.error, error);
    QCOMPARE(result.body, body);
    QCOMPARE(result.errorText.isEmpty(), mentioned.isEmpty());
    QVERIFY2(result.errorText.contains(mentioned), qPrintable(result.errorText));
}

void tst_HttpFetch::oneGetOfThePath()
{
    m_server->answer(200, "OK", kList);
    QVERIFY(httpGetBlocking(listUrl(), {}).ok());
    QCOMPARE(m_server->requests().size(), 1);
    const QByteArray& request = m_server->requests().first();
    QVERIFY2(request.startsWith("GET /carddata.txt HTTP/1.1\r\n"), request.constData());
    QVERIFY(request.endsWith("\r\n\r\n")); // nothing after the head: no body
    QVERIFY(!request.contains("Content-Length"));
}

void tst_HttpFetch::slowButSteadyAnswerArrives()
{
    // The stall limit is about silence, not about the time the whole answer takes.
    m_server->trickle("HTTP/1.1 200 OK\r\nContent-Length: 30\r\n\r\n",
                      "NE2000            NE2000 ISA\r\n", 50ms);
    const HttpResult result = httpGetBlocking(listUrl(), {300ms, 10s});
    QVERIFY2(result.ok(), qPrintable(result.errorText));
    QCOMPARE(result.body, QByteArray("NE2000            NE2000 ISA\r\n"));
}

QTEST_GUILESS_MAIN(tst_HttpFetch)
#include "tst_httpfetch.moc"
