#include "report/LocalPrintQueue.h"
#include "report/PagePrinter.h"
#include "report/PdfProbe.h"

#include <QPainter>
#include <QPrinterInfo>
#include <QtTest>

using namespace std::chrono_literals;
using namespace useropts;
using namespace useropts::testing;

// Prints through a real scheduler and a real queue, the way the editor does
// on a workstation: the page must reach the default printer as one job of
// one page.
class DefaultPrinterTest : public QObject
{
    Q_OBJECT

  private slots:
    void onePagePrintedOnTheDefaultPrinter();
};

void DefaultPrinterTest::onePagePrintedOnTheDefaultPrinter()
{
    LocalPrintQueue queue;
    if (const QString why = queue.start(); !why.isEmpty())
        QSKIP(qPrintable(QStringLiteral("No CUPS scheduler of the test's own: ") + why));

    QVERIFY(hasDefaultPrinter());
    QCOMPARE(QPrinterInfo::defaultPrinterName(), queue.queueName());

    QImage image(649, 534, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.fillRect(QRect(0, 0, 649, 139), QColor(0x00, 0x00, 0x80));
    painter.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("Menu Configuration Report"));
    painter.end();

    const PrintResult result = printOnDefaultPrinter(image);
    QVERIFY2(result.ok, qPrintable(result.errorText));

    QVERIFY2(queue.waitUntilIdle(40s), "the print job did not finish within 40 s");
    QCOMPARE(queue.completedJobs().size(), 1);
    const QStringList pages = queue.newOutputFiles();
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pdfPageCount(pages.first()), std::optional<int>(1));
    QVERIFY2(!inkBounds(renderFirstPage(pages.first(), 60)).isEmpty(), "the page is blank");
}

QTEST_MAIN(DefaultPrinterTest)
#include "tst_defaultprinter.moc"
