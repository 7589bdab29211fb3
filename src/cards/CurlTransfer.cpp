// SPDX-License-Identifier: GPL-3.0-or-later
#include "cards/CurlTransfer.h"

#include "cards/CurlLibrary.h"

#include <QSocketNotifier>

#include <climits>

namespace useropts {

namespace {

const CurlLibrary& curl()
{
    return CurlLibrary::get();
}

void drop(QSocketNotifier*& notifier)
{
    // It may be the one whose signal is being handled right now.
    if (notifier) {
        notifier->setEnabled(false);
        notifier->deleteLater();
        notifier = nullptr;
    }
}

} // namespace

CurlTransfer::CurlTransfer(Setup setup, QObject* parent)
    : QObject(parent), m_setup(std::move(setup))
{
    m_curlTimer.setSingleShot(true);
    connect(&m_curlTimer, &QTimer::timeout, this, [this] { act(CURL_SOCKET_TIMEOUT, 0); });
}

CurlTransfer::~CurlTransfer()
{
    release();
}

void CurlTransfer::start()
{
    if (!curl().failure.isEmpty()) {
        m_outcome.libraryFailure = curl().failure;
        QTimer::singleShot(0, this, [this] {
            m_outcome.code = CURLE_FAILED_INIT;
            emit ended();
        });
        return;
    }
    static const CURLcode initialised = curl().global_init(CURL_GLOBAL_DEFAULT);
    m_multi = curl().multi_init();
    m_easy = curl().easy_init();
    if (initialised != CURLE_OK || !m_multi || !m_easy) {
        // Reported from the event loop, as every other end is.
        QTimer::singleShot(0, this, [this] {
            finish(CURLE_FAILED_INIT);
            emit ended();
        });
        return;
    }
    curl().multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, &CurlTransfer::onSocket);
    curl().multi_setopt(m_multi, CURLMOPT_SOCKETDATA, this);
    curl().multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, &CurlTransfer::onTimer);
    curl().multi_setopt(m_multi, CURLMOPT_TIMERDATA, this);
    configure();
    curl().multi_add_handle(m_multi, m_easy);
}

void CurlTransfer::configure()
{
    const QByteArray url = m_setup.url.toEncoded();
    curl().easy_setopt(m_easy, CURLOPT_URL, url.constData()); // libcurl keeps a copy
    curl().easy_setopt(m_easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl().easy_setopt(m_easy, CURLOPT_HTTPGET, 1L);
    // The one step to https is ours to decide; nothing else is followed.
    curl().easy_setopt(m_easy, CURLOPT_FOLLOWLOCATION, 0L);
    // HTTP/1.1, whose framing (a length or chunks) our rules are about.
    curl().easy_setopt(m_easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl().easy_setopt(m_easy, CURLOPT_USERAGENT, m_setup.userAgent.constData());
    // The list as it is: nothing to undo, and a compressed answer is refused.
    m_headers = curl().slist_append(nullptr, "Accept-Encoding: identity");
    curl().easy_setopt(m_easy, CURLOPT_HTTPHEADER, m_headers);
    curl().easy_setopt(m_easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl().easy_setopt(m_easy, CURLOPT_SSL_VERIFYHOST, 2L);
    curl().easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L);
    // A cancel during a slow name lookup must not wait for it to end.
    curl().easy_setopt(m_easy, CURLOPT_QUICK_EXIT, 1L);
    curl().easy_setopt(m_easy, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl().easy_setopt(m_easy, CURLOPT_HEADERFUNCTION, &CurlTransfer::onHeader);
    curl().easy_setopt(m_easy, CURLOPT_HEADERDATA, this);
    curl().easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &CurlTransfer::onBody);
    curl().easy_setopt(m_easy, CURLOPT_WRITEDATA, this);
    curl().easy_setopt(m_easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    useProxy();
}

void CurlTransfer::useProxy()
{
    // The proxy was chosen as the desktop would choose it: libcurl must not
    // choose again from the environment.
    curl().easy_setopt(m_easy, CURLOPT_NOPROXY, "");
    const QNetworkProxy& proxy = m_setup.proxy;
    QUrl address;
    switch (proxy.type()) {
    case QNetworkProxy::HttpProxy:
    case QNetworkProxy::HttpCachingProxy:
        address.setScheme(QStringLiteral("http"));
        break;
    case QNetworkProxy::Socks5Proxy:
        address.setScheme(proxy.capabilities().testFlag(QNetworkProxy::HostNameLookupCapability)
                              ? QStringLiteral("socks5h")
                              : QStringLiteral("socks5"));
        break;
    default:
        curl().easy_setopt(m_easy, CURLOPT_PROXY, "");
        return;
    }
    address.setHost(proxy.hostName());
    address.setPort(proxy.port());
    curl().easy_setopt(m_easy, CURLOPT_PROXY, address.toEncoded().constData());
    if (!proxy.user().isEmpty()) {
        curl().easy_setopt(m_easy, CURLOPT_PROXYUSERNAME, proxy.user().toUtf8().constData());
        curl().easy_setopt(m_easy, CURLOPT_PROXYPASSWORD, proxy.password().toUtf8().constData());
        // Whatever the proxy asks for: Basic, Digest, NTLM or Negotiate.
        curl().easy_setopt(m_easy, CURLOPT_PROXYAUTH, CURLAUTH_ANY);
    }
}

void CurlTransfer::stop()
{
    release();
}

size_t CurlTransfer::onHeader(char* data, size_t size, size_t count, void* self)
{
    const size_t bytes = size * count;
    return static_cast<CurlTransfer*>(self)->headerLine(QByteArrayView(data, qsizetype(bytes)))
               ? bytes
               : 0;
}

size_t CurlTransfer::onBody(char* data, size_t size, size_t count, void* self)
{
    const size_t bytes = size * count;
    return static_cast<CurlTransfer*>(self)->bodyBytes(QByteArrayView(data, qsizetype(bytes)))
               ? bytes
               : 0;
}

bool CurlTransfer::refuse(const QString& reason)
{
    m_outcome.refusal = reason;
    return false; // libcurl ends the transfer
}

bool CurlTransfer::headerLine(QByteArrayView line)
{
    m_bytesSeen += line.size();
    const bool trailer = m_stage == Stage::Body;
    qsizetype& used = trailer ? m_trailerBytes : m_headBytes;
    used += line.size();
    if (used > kMaxHeadBytes) {
        return refuse(trailer ? QStringLiteral("sent more than %1 of header lines after its last "
                                               "chunk")
                                    .arg(describeSize(kMaxHeadBytes))
                              : QStringLiteral("began with more than %1 of headers")
                                    .arg(describeSize(kMaxHeadBytes)));
    }
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    if (trailer)
        return true;
    // A new answer: the final one after an interim answer, or the one a
    // proxy gives once it has its password.
    if (line.startsWith("HTTP/")) {
        m_stage = Stage::Head;
        return m_head.statusLine(line) || refuse(QStringLiteral("was not an HTTP answer"));
    }
    if (m_stage != Stage::Head)
        return true;
    if (line.isEmpty())
        return headEnded();
    return m_head.headerLine(line) ||
           refuse(
               QStringLiteral("was malformed: a header line read \"%1\"").arg(printableText(line)));
}

bool CurlTransfer::headEnded()
{
    const int status = m_head.status();
    m_stage = Stage::Skipped;
    // An interim answer, or a proxy's request for its password that libcurl
    // may answer itself: the next answer tells.
    if (status < 200 || status == 407)
        return true;
    // For any other status, the status is all there is to know.
    if (status != 200) {
        m_outcome.headOnly = true;
        return false;
    }
    const Result<> rules = m_head.bodyRules();
    if (!rules.ok())
        return refuse(rules.failure().reason);
    m_stage = Stage::Body;
    return true;
}

bool CurlTransfer::bodyBytes(QByteArrayView bytes)
{
    m_bytesSeen += bytes.size();
    if (m_stage != Stage::Body)
        return true; // a proxy's page asking for a password, say
    if (m_body.size() + bytes.size() > kMaxBodyBytes) {
        return refuse(QStringLiteral("grew beyond %1, far more than any card list")
                          .arg(describeSize(kMaxBodyBytes)));
    }
    m_body.append(bytes);
    return true;
}

int CurlTransfer::onSocket(CURL*, curl_socket_t fd, int what, void* self, void*)
{
    static_cast<CurlTransfer*>(self)->watch(fd, what);
    return 0;
}

int CurlTransfer::onTimer(CURLM*, long ms, void* self)
{
    // Never act from inside libcurl: the timer fires from the event loop.
    QTimer& timer = static_cast<CurlTransfer*>(self)->m_curlTimer;
    if (ms < 0)
        timer.stop();
    else
        timer.start(int(qMin<long>(ms, INT_MAX)));
    return 0;
}

void CurlTransfer::watch(curl_socket_t fd, int what)
{
    Watch& sockets = m_watches[fd];
    if (what == CURL_POLL_REMOVE) {
        drop(sockets.read);
        drop(sockets.write);
        m_watches.remove(fd);
        return;
    }
    const auto wanted = [&](QSocketNotifier*& notifier, QSocketNotifier::Type type, bool on,
                            int event) {
        if (on && !notifier) {
            notifier = new QSocketNotifier(fd, type, this);
            connect(notifier, &QSocketNotifier::activated, this,
                    [this, fd, event] { act(fd, event); });
        }
        if (notifier)
            notifier->setEnabled(on);
    };
    wanted(sockets.read, QSocketNotifier::Read, what & CURL_POLL_IN, CURL_CSELECT_IN);
    wanted(sockets.write, QSocketNotifier::Write, what & CURL_POLL_OUT, CURL_CSELECT_OUT);
}

void CurlTransfer::act(curl_socket_t fd, int events)
{
    if (!m_multi)
        return;
    const qint64 seen = m_bytesSeen;
    int running = 0;
    curl().multi_socket_action(m_multi, fd, events, &running);
    int left = 0;
    while (CURLMsg* message = curl().multi_info_read(m_multi, &left)) {
        if (message->msg == CURLMSG_DONE) {
            finish(message->data.result);
            emit ended();
            return;
        }
    }
    if (m_bytesSeen != seen)
        emit progressed();
}

void CurlTransfer::finish(CURLcode code)
{
    m_outcome.code = code;
    m_outcome.libraryText = QString::fromLocal8Bit(m_errorBuffer).trimmed();
    if (m_outcome.libraryText.isEmpty())
        m_outcome.libraryText = QString::fromLocal8Bit(curl().easy_strerror(code));
    if (m_easy) {
        curl().easy_getinfo(m_easy, CURLINFO_OS_ERRNO, &m_outcome.osError);
        curl().easy_getinfo(m_easy, CURLINFO_HTTP_CONNECTCODE, &m_outcome.proxyStatus);
    }
    release();
}

void CurlTransfer::release()
{
    m_curlTimer.stop();
    if (m_multi && m_easy)
        curl().multi_remove_handle(m_multi, m_easy);
    if (m_easy)
        curl().easy_cleanup(m_easy);
    if (m_multi)
        curl().multi_cleanup(m_multi);
    if (m_headers)
        curl().slist_free_all(m_headers);
    m_easy = nullptr;
    m_multi = nullptr;
    m_headers = nullptr;
    for (Watch& sockets : m_watches) {
        drop(sockets.read);
        drop(sockets.write);
    }
    m_watches.clear();
}

} // namespace useropts
