// SPDX-License-Identifier: GPL-3.0-or-later
// The rows that need a process of their own: https against an authority that
// only the test trusts, in a private mount and network namespace where the
// site's name is 127.0.0.1; a close while the download stalls, which must
// end the program itself; and an update where libcurl, which a program loads
// once, is missing.
#include "tst_cardupdate.h"

#include "cards/CurlLibrary.h"
#include "ui/QtPlatformServices.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QSslKey>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <qpa/qwindowsysteminterface.h>

#include <cstdio>
#include <unistd.h>

using namespace useropts;
using namespace cardupdate;
using useropts::testing::LocalHttpServer;

namespace {

// Set in the copies of this program that the tests start: the folder they share.
constexpr char kTlsFolder[] = "USEROPTS_TEST_TLS_FOLDER";
constexpr char kCloseFolder[] = "USEROPTS_TEST_CLOSE_FOLDER";
constexpr char kCloseHow[] = "USEROPTS_TEST_CLOSE_HOW";
constexpr char kNoLibcurl[] = "USEROPTS_TEST_NO_LIBCURL";

bool openssl(const QString& folder, const QStringList& arguments)
{
    QProcess run;
    run.setWorkingDirectory(folder);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QStringLiteral("openssl"), arguments);
    const bool done = run.waitForFinished(60000) && run.exitStatus() == QProcess::NormalExit &&
                      run.exitCode() == 0;
    if (!done)
        qWarning("openssl %s: %s", qPrintable(arguments.join(u' ')), run.readAll().constData());
    return done;
}

const QStringList kNewKey{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};

bool makeAuthority(const QString& folder, const QString& name)
{
    return openssl(folder, QStringList{"req", "-x509"} + kNewKey +
                               QStringList{"-keyout", name + ".key", "-out", name + ".crt", "-days",
                                           "2", "-subj", "/CN=" + name});
}

bool writeText(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A certificate made out for host and issued by authority.
bool makeCertificate(const QString& folder, const QString& name, const QString& host,
                     const QString& authority)
{
    return writeText(folder + '/' + name + ".ext", "subjectAltName=DNS:" + host.toLatin1()) &&
           openssl(folder, QStringList{"req", "-new"} + kNewKey +
                               QStringList{"-keyout", name + ".key", "-out", name + ".csr", "-subj",
                                           "/CN=" + host}) &&
           openssl(folder, {"x509", "-req", "-in", name + ".csr", "-CA", authority + ".crt",
                            "-CAkey", authority + ".key", "-CAcreateserial", "-days", "2",
                            "-extfile", name + ".ext", "-out", name + ".crt"});
}

QSslConfiguration serverTls(const QString& folder, const QString& name)
{
    QFile certificate(folder + '/' + name + ".crt");
    QFile key(folder + '/' + name + ".key");
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    if (certificate.open(QIODevice::ReadOnly) && key.open(QIODevice::ReadOnly)) {
        tls.setLocalCertificate(QSslCertificate(&certificate, QSsl::Pem));
        tls.setPrivateKey(QSslKey(&key, QSsl::Ec, QSsl::Pem));
    }
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    return tls;
}

// The copies go direct, whatever proxy this run was given.
QProcessEnvironment childEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"http_proxy", "https_proxy", "no_proxy", "all_proxy", "HTTP_PROXY",
                             "HTTPS_PROXY", "NO_PROXY", "ALL_PROXY"})
        environment.remove(QString::fromLatin1(name));
    return environment;
}

} // namespace

void TestCardUpdate::httpsInPrivateStore()
{
    if (qEnvironmentVariableIsSet(kTlsFolder))
        QSKIP("Runs in the parent only.");
    if (geteuid() != 0)
        QSKIP("A private mount and network namespace needs root.");
    const QString unshare = QStandardPaths::findExecutable("unshare");
    QVERIFY2(!unshare.isEmpty() && !QStandardPaths::findExecutable("openssl").isEmpty(),
             "unshare (util-linux) and openssl are needed");

    const QString folder = m_dir->path();
    QVERIFY(makeAuthority(folder, "authority") && makeAuthority(folder, "stranger"));
    QVERIFY(makeCertificate(folder, "site", "www.corvane.example", "authority"));
    QVERIFY(makeCertificate(folder, "other", "other.example", "authority"));
    QVERIFY(makeCertificate(folder, "strange", "www.corvane.example", "stranger"));
    // libcurl reads /etc/ssl/certs/ca-certificates.crt and the folder around
    // it: in the copy, that folder holds the test's authority alone.
    QVERIFY(QDir(folder).mkdir("store"));
    QVERIFY(QFile::copy(folder + "/authority.crt", folder + "/store/ca-certificates.crt"));
    QVERIFY(writeText(folder + "/hosts", "127.0.0.1 localhost www.corvane.example\n"));

    QProcess child;
    QProcessEnvironment environment = childEnvironment();
    environment.insert(kTlsFolder, folder);
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(unshare, {"--mount", "--net", "--", "sh", "-c",
                          "ip link set lo up && mount --bind \"$1/store\" /etc/ssl/certs && "
                          "mount --bind \"$1/hosts\" /etc/hosts && exec \"$2\" https",
                          "sh", folder, QCoreApplication::applicationFilePath()});
    QVERIFY(child.waitForFinished(120000));
    const QByteArray output = child.readAll();
    QVERIFY2(child.exitCode() == 0 &&
                 output.contains("PASS   : TestCardUpdate::https(same host on https)"),
             output.constData());
}

void TestCardUpdate::https_data()
{
    QTest::addColumn<QByteArray>("location"); // where the plain answer points
    QTest::addColumn<QString>("certificate");
    QTest::addColumn<QByteArray>("secureAnswer"); // empty: the list
    QTest::addColumn<QString>("text");            // "Update Complete", or a part of the warning

    const QByteArray same = "https://www.corvane.example/carddata.txt";
    const QString notFollowed = QStringLiteral("pointed to %1, which was not followed");
    QTest::newRow("same host on https") << same << "site" << QByteArray() << "Update Complete";
    for (const char* elsewhere :
         {"https://other.example/carddata.txt", "https://www.corvane.example/cards/carddata.txt",
          "https://www.corvane.example:8443/carddata.txt", "https://www.corvane.example/"}) {
        QTest::newRow(elsewhere) << QByteArray(elsewhere) << "site" << QByteArray()
                                 << notFollowed.arg(elsewhere);
    }
    QTest::newRow("a second redirect")
        << same << "site" << reply({}, "302 Found", "Location: " + same + "\r\n")
        << "https://www.corvane.example/carddata.txt was answered with HTTP status 302 Found and " +
               notFollowed.arg(QString::fromLatin1(same));
    QTest::newRow("unverifiable certificate")
        << same << "strange" << QByteArray()
        << "The certificate of www.corvane.example could not be verified: unable to get local "
           "issuer certificate.";
    QTest::newRow("name mismatch") << same << "other" << QByteArray()
                                   << "The certificate of www.corvane.example could not be "
                                      "verified: no alternative certificate subject name matches "
                                      "target host name 'www.corvane.example'.";
}

void TestCardUpdate::https()
{
    const QString folder = qEnvironmentVariable(kTlsFolder);
    if (folder.isEmpty())
        QSKIP("Runs only in the private namespace that httpsInPrivateStore makes.");
    QFETCH(QByteArray, location);
    QFETCH(QString, certificate);
    QFETCH(QByteArray, secureAnswer);
    QFETCH(QString, text);
    writeOldList(kOldFile);
    LocalHttpServer plain;
    LocalHttpServer secure;
    secure.useTls(serverTls(folder, certificate));
    QVERIFY(plain.listen(80) && secure.listen(443));
    plain.answer = reply({}, "301 Moved Permanently", "Location: " + location + "\r\n");
    secure.answer = secureAnswer.isEmpty() ? reply(kNewList) : secureAnswer;
    m_platform->httpRedirectBase = QUrl("http://www.corvane.example"); // the site's own address

    m_window->cmdGetCards_Click();

    const bool updated = text == "Update Complete";
    QCOMPARE(plain.requests, 1);
    QCOMPARE(secure.requests, updated || !secureAnswer.isEmpty() ? 1 : 0);
    const MessageRequest& outcome = m_platform->messages.last();
    QCOMPARE(outcome.title, updated ? "Update" : kNotUpdated);
    QVERIFY2(outcome.text.contains(text), qPrintable(outcome.text));
    QCOMPARE(entries(), updated ? kNewEntries : kOldEntries);
}

void TestCardUpdate::closeDuringStall_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("the window's close button") << "close";
    QTest::newRow("Quit") << "quit";
    // Before the application's event loop has begun, with no list yet.
    QTest::newRow("closed at start-up") << "start-up";
}

void TestCardUpdate::closeDuringStall()
{
    if (qEnvironmentVariableIsSet(kCloseFolder))
        QSKIP("Runs in the parent only.");
    QFETCH(QString, how);
    const bool startup = how == "start-up";
    if (!startup)
        writeOldList(kOldFile);
    QProcess child;
    QProcessEnvironment environment = childEnvironment();
    environment.insert(kCloseFolder, m_dir->path());
    environment.insert(kCloseHow, how);
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {"closeDuringStallChild"});

    // The copy says when it closes, its download stalled.
    QByteArray output;
    while (!output.contains("closing\n") && child.waitForReadyRead(20000))
        output += child.readAllStandardOutput();
    QVERIFY2(output.contains("closing\n"), output.constData());
    QVERIFY2(child.waitForFinished(2000), "the program still ran 2 s after it was closed");
    output += child.readAllStandardOutput() + child.readAllStandardError();
    QVERIFY2(child.exitCode() == 0 &&
                 output.contains("PASS   : TestCardUpdate::closeDuringStallChild()"),
             output.constData());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
             startup ? QStringList() : QStringList{"CARDDATA.TXT"});
    if (!startup)
        QCOMPARE(readFile(m_dir->filePath("CARDDATA.TXT")), kOldFile);
}

void TestCardUpdate::closeDuringStallChild()
{
    const QString folder = qEnvironmentVariable(kCloseFolder);
    if (folder.isEmpty())
        QSKIP("Runs only in the copy that closeDuringStall starts.");
    const QString how = qEnvironmentVariable(kCloseHow);
    m_window->setCardDirectory(folder);
    QtPlatformServices desktop;
    m_platform->realDownloadBox = &desktop;
    m_platform->httpTimeoutsOverride.reset(); // the real 30 s, far past the 2 s the parent waits
    m_server->onRequest = [&] {               // and the server says nothing
        QTimer::singleShot(200, m_window.get(), [&] {
            std::fputs("closing\n", stdout);
            std::fflush(stdout);
            // As the window manager's close button and the desktop's Quit do it.
            if (how == "quit")
                QCoreApplication::quit();
            else
                QWindowSystemInterface::handleCloseEvent(m_window->windowHandle());
        });
    };
    if (how == "start-up") {
        m_window->Form_Load(); // offers the download, as no list is there
    } else {
        m_window->ReadCardData();
        m_window->show();
        QTimer::singleShot(0, m_window.get(), [&] { m_window->cmdGetCards_Click(); });
    }
    QApplication::exec();
    QVERIFY(!m_window->isVisible());
    QVERIFY(m_platform->fileDialogs.isEmpty()); // start-up went no further
}

void TestCardUpdate::withoutLibcurl()
{
    if (qEnvironmentVariableIsSet(kNoLibcurl))
        QSKIP("Runs in the parent only.");
    if (geteuid() != 0)
        QSKIP("A private mount namespace needs root.");
    // The file this program loaded is the one the copy will not find.
    QVERIFY(CurlLibrary::get().failure.isEmpty());
    QFile maps(QStringLiteral("/proc/self/maps"));
    QVERIFY(maps.open(QIODevice::ReadOnly));
    QString library;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        if (line.contains("/libcurl.so"))
            library = QString::fromLocal8Bit(line.mid(line.indexOf('/')));
    }
    QVERIFY(!library.isEmpty());
    QProcess child;
    QProcessEnvironment environment = childEnvironment();
    environment.insert(kNoLibcurl, "1");
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("unshare"),
                {"--mount", "--", "sh", "-c",
                 "mount --bind /dev/null \"$1\" && exec \"$2\" withoutLibcurlChild", "sh", library,
                 QCoreApplication::applicationFilePath()});
    QVERIFY(child.waitForFinished(60000));
    const QByteArray output = child.readAll();
    QVERIFY2(child.exitCode() == 0 &&
                 output.contains("PASS   : TestCardUpdate::withoutLibcurlChild()"),
             output.constData());
}

void TestCardUpdate::withoutLibcurlChild()
{
    if (!qEnvironmentVariableIsSet(kNoLibcurl))
        QSKIP("Runs only in the copy that withoutLibcurl starts.");
    writeOldList(kOldFile);
    m_server->answer = reply(kNewList);

    m_window->cmdGetCards_Click();

    QCOMPARE(m_server->requests, 0);
    const MessageRequest& outcome = m_platform->messages.last();
    QCOMPARE(outcome.title, kNotUpdated);
    QVERIFY2(outcome.text.contains("it comes with the Debian package libcurl4") &&
                 outcome.text.contains("The card list was left as it was."),
             qPrintable(outcome.text));
    QCOMPARE(readFile(m_dir->filePath("CARDDATA.TXT")), kOldFile);
    QCOMPARE(entries(), kOldEntries);
}
