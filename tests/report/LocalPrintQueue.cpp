#include "report/LocalPrintQueue.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextStream>
#include <QThread>

#include <csignal>
#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace useropts::testing {

namespace {

const QString kPdfBackend = QStringLiteral("/usr/lib/cups/backend/cups-pdf");
const QString kPdfDriver = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
const QString kPdfBackendConfig = QStringLiteral("/etc/cups/cups-pdf.conf");
const QString kQueuePrefix = QStringLiteral("useropts_test_");
const QString kDefaultSocket = QStringLiteral("/run/cups/cups.sock");

QString findTool(const QString& name)
{
    const QString inSbin = QStandardPaths::findExecutable(
        name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"), QStringLiteral("/usr/bin")});
    return inSbin.isEmpty() ? QStandardPaths::findExecutable(name) : inSbin;
}

// The PDF backend files a job under the printing user's directory, named by
// the "Out" line of its configuration.
QString pdfOutputDir()
{
    const passwd* user = getpwuid(geteuid());
    const QString home = user ? QString::fromLocal8Bit(user->pw_dir) : QDir::homePath();
    const QString name = user ? QString::fromLocal8Bit(user->pw_name) : QString();
    QString out = QStringLiteral("${HOME}/PDF");
    QFile config(kPdfBackendConfig);
    if (config.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream in(&config);
        static const QRegularExpression outLine(QStringLiteral("^\\s*Out\\s+(\\S.*?)\\s*$"));
        while (!in.atEnd()) {
            const auto match = outLine.match(in.readLine());
            if (match.hasMatch())
                out = match.captured(1);
        }
    }
    out.replace(QStringLiteral("${HOME}"), home).replace(QStringLiteral("${USER}"), name);
    return out;
}

} // namespace

LocalPrintQueue::LocalPrintQueue()
    : m_cupsd(findTool(QStringLiteral("cupsd"))), m_lpadmin(findTool(QStringLiteral("lpadmin"))),
      m_lpstat(findTool(QStringLiteral("lpstat"))),
      m_queue(kQueuePrefix + QString::number(QCoreApplication::applicationPid())),
      m_outputDir(pdfOutputDir())
{
    // Only the local scheduler may be asked, whatever the environment says,
    // and no personal choice may stand in for the system's default printer.
    qputenv("CUPS_SERVER", kDefaultSocket.toLocal8Bit());
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");
}

LocalPrintQueue::~LocalPrintQueue()
{
    if (m_queueAdded) {
        run(m_lpadmin, {QStringLiteral("-x"), m_queue});
        if (!m_previousDefault.isEmpty())
            run(m_lpadmin, {QStringLiteral("-d"), m_previousDefault});
    }
    stopScheduler();
    for (const QString& file : newOutputFiles())
        QFile::remove(file);
    if (!m_outputDirExisted && m_outputDir.exists())
        m_outputDir.rmdir(m_outputDir.absolutePath());
}

QString LocalPrintQueue::whyNotPossible() const
{
    if (geteuid() != 0)
        return QStringLiteral("starting a CUPS scheduler of its own needs root, and this test "
                              "runs as an ordinary user");
    if (m_cupsd.isEmpty() || m_lpadmin.isEmpty() || m_lpstat.isEmpty())
        return QStringLiteral("CUPS (cupsd, lpadmin, lpstat) is not installed");
    if (!QFileInfo::exists(kPdfBackend) || !QFileInfo::exists(kPdfDriver))
        return QStringLiteral("the cups-pdf printer driver is not installed");
    if (schedulerRunning())
        return QStringLiteral("a CUPS scheduler is already running on %1; the test only prints "
                              "through one it has started itself")
            .arg(kDefaultSocket);
    return {};
}

QString LocalPrintQueue::start()
{
    if (const QString why = whyNotPossible(); !why.isEmpty())
        return why;

    m_outputDirExisted = m_outputDir.exists();
    if (m_outputDirExisted) {
        const QStringList existing = m_outputDir.entryList(QDir::Files);
        m_filesBefore = QSet<QString>(existing.begin(), existing.end());
    }

    m_scheduler.setProcessChannelMode(QProcess::MergedChannels);
    // Should the test itself be killed, the scheduler goes with it.
    m_scheduler.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_scheduler.start(m_cupsd, {QStringLiteral("-f")});
    if (!m_scheduler.waitForStarted(5000))
        return QStringLiteral("cupsd could not be started: %1").arg(m_scheduler.errorString());

    const QDeadlineTimer ready(10000);
    while (!schedulerRunning()) {
        if (m_scheduler.state() == QProcess::NotRunning)
            return QStringLiteral("cupsd stopped at once: %1")
                .arg(QString::fromLocal8Bit(m_scheduler.readAll()).trimmed());
        if (ready.hasExpired())
            return QStringLiteral("cupsd did not answer within 10 s");
        QThread::msleep(50);
    }

    // A run that was killed outright cannot have removed its queue; nobody
    // else uses these names, and one of them must not come back as default.
    const QStringList destinations =
        run(m_lpstat, {QStringLiteral("-e")}).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& name : destinations) {
        if (name.startsWith(kQueuePrefix))
            run(m_lpadmin, {QStringLiteral("-x"), name.trimmed()});
    }

    const QString defaultLine = run(m_lpstat, {QStringLiteral("-d")});
    static const QRegularExpression defaultName(
        QStringLiteral("system default destination:\\s*(\\S+)"));
    m_previousDefault = defaultName.match(defaultLine).captured(1);

    bool added = false;
    run(m_lpadmin,
        {QStringLiteral("-p"), m_queue, QStringLiteral("-v"), QStringLiteral("cups-pdf:/"),
         QStringLiteral("-E"), QStringLiteral("-P"), kPdfDriver},
        &added);
    m_queueAdded = added;
    bool madeDefault = false;
    if (added)
        run(m_lpadmin, {QStringLiteral("-d"), m_queue}, &madeDefault);
    if (!added || !madeDefault)
        return QStringLiteral("the scheduler refused the test queue %1").arg(m_queue);
    return {};
}

bool LocalPrintQueue::schedulerRunning() const
{
    const QString answer = run(m_lpstat, {QStringLiteral("-r")});
    return answer.contains(QStringLiteral("is running"));
}

bool LocalPrintQueue::waitUntilIdle(std::chrono::milliseconds deadline) const
{
    const QDeadlineTimer timer(deadline);
    while (!timer.hasExpired()) {
        bool ok = false;
        const QString pending = run(m_lpstat, {QStringLiteral("-o"), m_queue}, &ok);
        if (ok && pending.trimmed().isEmpty())
            return true;
        QThread::msleep(100);
    }
    return false;
}

QStringList LocalPrintQueue::completedJobs() const
{
    const QString listing = run(m_lpstat, {QStringLiteral("-W"), QStringLiteral("completed"),
                                           QStringLiteral("-o"), m_queue});
    return listing.split(u'\n', Qt::SkipEmptyParts);
}

QStringList LocalPrintQueue::newOutputFiles() const
{
    QStringList added;
    if (!m_outputDir.exists())
        return added;
    const QStringList pdfs = m_outputDir.entryList({QStringLiteral("*.pdf")}, QDir::Files);
    for (const QString& file : pdfs) {
        if (!m_filesBefore.contains(file))
            added << m_outputDir.filePath(file);
    }
    return added;
}

QString LocalPrintQueue::run(const QString& program, const QStringList& arguments, bool* ok) const
{
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForFinished(10000);
    if (!finished)
        process.kill();
    if (ok)
        *ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

void LocalPrintQueue::stopScheduler()
{
    if (m_scheduler.state() == QProcess::NotRunning)
        return;
    m_scheduler.terminate();
    if (!m_scheduler.waitForFinished(10000)) {
        m_scheduler.kill();
        m_scheduler.waitForFinished(5000);
    }
}

} // namespace useropts::testing
