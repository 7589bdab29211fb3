// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/PagePrinter.h"
#include "report/PdfProbe.h"
#include "support/ScriptedPlatform.h"
#include "ui/frmEditor.h"

#include <QLineEdit>
#include <QPainter>
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

// A scheduler that keeps everything in dir: its socket, queue, spool and
// logs. It keeps each job's document after printing, so the test can read
// what the program handed over rather than the driver's picture of it.
bool writeSchedulerConfig(const QDir& dir)
{
    const auto write = [&](const char* name, const QString& text) {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0;
    };
    return write("cupsd.conf", QString("Listen %1/cups.sock\nBrowsing No\nPreserveJobFiles Yes\n"
                                       "<Location />\nOrder allow,deny\nAllow all\n</Location>\n")
                                   .arg(dir.path())) &&
           write("cups-files.conf",
                 QString("ServerRoot %1\nRequestRoot %1/spool\nTempDir %1/spool/tmp\n"
                         "CacheDir %1/cache\nStateDir %1/state\nErrorLog %1/error_log\n"
                         "AccessLog %1/access_log\nPageLog %1/page_log\nSystemGroup root\n")
                     .arg(dir.path()));
}

} // namespace
#endif

class TestDefaultPrinter : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void noDefaultPrinterIsNeverASuccess();
    void reportPrintedOnTheDefaultPrinter();

  private:
    QTemporaryDir m_scheduler;
};

void TestDefaultPrinter::initTestCase()
{
    // Only the test's own scheduler is asked, from the first question on, as
    // the printing library keeps the server it first asked; and no personal
    // choice of printer stands in for that scheduler's default.
    QVERIFY(m_scheduler.isValid());
    qputenv("CUPS_SERVER", QFile::encodeName(m_scheduler.filePath("cups.sock")));
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");
}

void TestDefaultPrinter::noDefaultPrinterIsNeverASuccess()
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        QSKIP("a default printer is set up");
    QPicture page;
    QPainter(&page).drawText(10, 20, "Logon");
    const Result<> result = printOnDefaultPrinter(page);
    QVERIFY(!result.ok());
    QVERIFY(!result.failure().reason.isEmpty());
}

// The Print button's report through a scheduler and a queue of the test's
// own, the way the editor prints on a workstation. Whatever happens, the
// scheduler stops.
void TestDefaultPrinter::reportPrintedOnTheDefaultPrinter()
{
#if defined(Q_OS_LINUX)
    const auto tool = [](const char* name) {
        return QStandardPaths::findExecutable(name, {"/usr/sbin", "/usr/bin", "/sbin"});
    };
    const QString cupsd = tool("cupsd"), lpadmin = tool("lpadmin"), lpstat = tool("lpstat");
    if (geteuid() != 0)
        QSKIP("the PDF printer's backend runs only for a scheduler started as root");
    if (cupsd.isEmpty() || lpadmin.isEmpty() || lpstat.isEmpty() || !QFile::exists(kDriver))
        QSKIP("CUPS with the cups-pdf driver is not installed");
    const QDir dir(m_scheduler.path());
    // The printer's filters run as another user and read the jobs from here.
    QVERIFY(QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther |
                                                  QFile::ExeGroup));
    QVERIFY(writeSchedulerConfig(dir) && dir.mkpath("spool/tmp"));
    const auto schedulerAnswers = [&] { return run({lpstat, "-r"}).contains("is running"); };

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
    const auto takeDown = qScopeGuard([&] {
        if (scheduler.state() != QProcess::NotRunning) {
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
    scheduler.start(
        cupsd, {"-f", "-c", dir.filePath("cupsd.conf"), "-s", dir.filePath("cups-files.conf")});
    scheduler.waitForStarted(5000);
    for (const QDeadlineTimer ready(10000); !schedulerAnswers();) {
        if (scheduler.waitForFinished(50) || scheduler.state() != QProcess::Running ||
            ready.hasExpired())
            QFAIL(qPrintable("cupsd did not come up: " + scheduler.readAll()));
    }
    bool added = false, madeDefault = false;
    run({lpadmin, "-p", kQueue, "-v", "cups-pdf:/", "-E", "-P", kDriver}, &added);
    run({lpadmin, "-d", kQueue}, &madeDefault);
    QVERIFY2(added && madeDefault, "the scheduler refused the test queue");
    QCOMPARE(QPrinterInfo::defaultPrinterName(), kQueue);

    ScriptedPlatform platform;
    frmEditor window(platform);
    window.NewSettings();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    platform.promptAnswers.enqueue(QString("Site XYZ, room 4"));
    Result<> result = Failure{"nothing was printed"};
    platform.onPrint = [&](const QPicture& page) { result = printOnDefaultPrinter(page); };
    window.cmdPrint_Click();
    QVERIFY2(result.ok(), qPrintable(result.ok() ? QString() : result.failure().reason));

    const QDeadlineTimer done(40000);
    for (bool ok = false; !run({lpstat, "-o", kQueue}, &ok).isEmpty() || !ok; QThread::msleep(100))
        QVERIFY2(!done.hasExpired(), "the print job did not finish within 40 s");
    const QString completed = run({lpstat, "-W", "completed", "-o", kQueue});
    QCOMPARE(completed.count(u'\n'), 1);

    // The page's words are text in the document the program handed over.
    const int job = completed.section(u' ', 0, 0).section(u'-', -1).toInt();
    const QString sent =
        pdfText(dir.filePath(QString("spool/d%1-001").arg(job, 5, 10, QChar(u'0'))));
    for (const QString& words :
         {QString("Menu Configuration Report"), QString("Site XYZ, room 4"),
          QString("Workgroup/Domain:"), window.findChild<QLineEdit*>("txtDomain")->text()})
        QVERIFY2(sent.contains(words), qPrintable(words + " is not in:\n" + sent));

    const QStringList pages = newFiles();
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pdfPageCount(pages.first()), std::optional(1));
    QVERIFY2(!inkBounds(renderFirstPage(pages.first())).isEmpty(), "the page is blank");
#else
    QSKIP("the scheduler of the test's own is started and tied to the test the Linux way");
#endif
}

QTEST_MAIN(TestDefaultPrinter)
#include "tst_defaultprinter.moc"
