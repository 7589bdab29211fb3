#include "report/PagePrinter.h"
#include "report/PdfProbe.h"

#include <QPrinterInfo>
#include <QtTest>

#if defined(Q_OS_LINUX)
#include <csignal>
#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>
#endif

using namespace useropts;
using namespace useropts::testing;

#if defined(Q_OS_LINUX)
namespace {

const QString kQueue = "useropts_test";
const QString kDriver = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";

// The output of a CUPS tool; ok tells whether it succeeded.
QString run(const QStringList& command, bool* ok = nullptr)
{
    QProcess process;
    process.start(command.first(), command.mid(1));
    const bool finished = process.waitForFinished(10000);
    if (!finished)
        process.kill();
    if (ok)
        *ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// Where the PDF backend files this user's jobs: the "Out" line of its configuration.
QDir pdfOutputDir()
{
    QFile config("/etc/cups/cups-pdf.conf");
    static const QRegularExpression outLine(R"(^\s*Out\s+(\S.*?)\s*$)",
                                            QRegularExpression::MultilineOption);
    const auto match = outLine.match(config.open(QIODevice::ReadOnly) ? config.readAll() : "");
    QString out = match.hasMatch() ? match.captured(1) : "${HOME}/PDF";
    const passwd* user = getpwuid(geteuid());
    return QDir(out.replace("${HOME}", user->pw_dir).replace("${USER}", user->pw_name));
}

} // namespace
#endif

class DefaultPrinterTest : public QObject
{
    Q_OBJECT

  private slots:
    void noDefaultPrinterIsNeverASuccess();
    void onePagePrintedOnTheDefaultPrinter();
};

void DefaultPrinterTest::noDefaultPrinterIsNeverASuccess()
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        QSKIP("this machine has a default printer");
    const Result<> result = printOnDefaultPrinter(QImage(64, 48, QImage::Format_RGB32));
    QVERIFY(!result.ok());
    QVERIFY(!result.failure().reason.isEmpty());
}

// Through a scheduler and a queue of the test's own, the way the editor
// prints on a workstation. Whatever happens, the queue goes and the scheduler
// stops.
void DefaultPrinterTest::onePagePrintedOnTheDefaultPrinter()
{
#if defined(Q_OS_LINUX)
    const auto tool = [](const char* name) {
        return QStandardPaths::findExecutable(name, {"/usr/sbin", "/usr/bin", "/sbin"});
    };
    const QString cupsd = tool("cupsd"), lpadmin = tool("lpadmin"), lpstat = tool("lpstat");
    if (geteuid() != 0)
        QSKIP("starting a CUPS scheduler of its own needs root");
    if (cupsd.isEmpty() || lpadmin.isEmpty() || lpstat.isEmpty() || !QFile::exists(kDriver))
        QSKIP("CUPS with the cups-pdf driver is not installed");
    // Only the local scheduler is asked, and no personal choice of printer
    // stands in for the system's default.
    qputenv("CUPS_SERVER", "/run/cups/cups.sock");
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");
    const auto schedulerAnswers = [&] { return run({lpstat, "-r"}).contains("is running"); };
    if (schedulerAnswers())
        QSKIP("a CUPS scheduler is already running; this test prints only through its own");

    const QDir out = pdfOutputDir();
    const bool outExisted = out.exists();
    const QStringList filesBefore = out.entryList(QDir::Files);
    const auto newFiles = [&] {
        QStringList added;
        for (const QString& name : out.entryList({"*.pdf"}, QDir::Files)) {
            if (!filesBefore.contains(name))
                added << out.filePath(name);
        }
        return added;
    };
    QProcess scheduler;
    // Should the test be killed outright, the scheduler goes with it.
    scheduler.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    QString previousDefault;
    const auto takeDown = qScopeGuard([&] {
        if (scheduler.state() != QProcess::NotRunning) {
            run({lpadmin, "-x", kQueue});
            if (!previousDefault.isEmpty())
                run({lpadmin, "-d", previousDefault});
            scheduler.terminate();
            if (!scheduler.waitForFinished(10000))
                scheduler.kill();
            scheduler.waitForFinished(5000);
        }
        for (const QString& file : newFiles())
            QFile::remove(file);
        if (!outExisted)
            out.rmdir(out.absolutePath());
    });

    scheduler.setProcessChannelMode(QProcess::MergedChannels);
    scheduler.start(cupsd, {"-f"});
    scheduler.waitForStarted(5000);
    for (const QDeadlineTimer ready(10000); !schedulerAnswers();) {
        if (scheduler.waitForFinished(50) || scheduler.state() != QProcess::Running ||
            ready.hasExpired())
            QFAIL(qPrintable("cupsd did not come up: " + scheduler.readAll()));
    }
    previousDefault = run({lpstat, "-d"}).section("system default destination:", 1).trimmed();
    // A run killed before it could clean up left the queue and its jobs behind.
    run({lpadmin, "-x", kQueue});
    bool added = false, madeDefault = false;
    run({lpadmin, "-p", kQueue, "-v", "cups-pdf:/", "-E", "-P", kDriver}, &added);
    run({lpadmin, "-d", kQueue}, &madeDefault);
    QVERIFY2(added && madeDefault, "the scheduler refused the test queue");
    QCOMPARE(QPrinterInfo::defaultPrinterName(), kQueue);

    QImage image(649, 534, QImage::Format_RGB32);
    image.fill(Qt::gray);
    const Result<> result = printOnDefaultPrinter(image);
    QVERIFY2(result.ok(), qPrintable(result.ok() ? QString() : result.failure().reason));

    const QDeadlineTimer done(40000);
    for (bool ok = false; !run({lpstat, "-o", kQueue}, &ok).isEmpty() || !ok; QThread::msleep(100))
        QVERIFY2(!done.hasExpired(), "the print job did not finish within 40 s");
    QCOMPARE(run({lpstat, "-W", "completed", "-o", kQueue}).count(u'\n'), 1);
    const QStringList pages = newFiles();
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pdfPageCount(pages.first()), std::optional(1));
    QVERIFY2(!inkBounds(renderFirstPage(pages.first())).isEmpty(), "the page is blank");
#else
    QSKIP("the scheduler of the test's own is started and tied to the test the Linux way");
#endif
}

QTEST_MAIN(DefaultPrinterTest)
#include "tst_defaultprinter.moc"
