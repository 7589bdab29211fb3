#include "report/PagePrinter.h"
#include "report/PdfProbe.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/mount.h>

using namespace useropts;
using namespace useropts::testing;

namespace {

// Grey with a dark frame and some text, so every part of it shows on paper.
QImage sampleImage(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0xC0, 0xC0, 0xC0));
    QPainter painter(&image);
    painter.setPen(QPen(QColor(0x00, 0x00, 0x80), 2));
    painter.drawRect(image.rect().adjusted(1, 1, -2, -2));
    painter.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("Menu Configuration Report"));
    return image;
}

} // namespace

class PagePrinterTest : public QObject
{
    Q_OBJECT

  private slots:
    void init();

    void pdfHoldsTheWholeImageOnOnePage_data();
    void pdfHoldsTheWholeImageOnOnePage();
    void pdfReplacesAnExistingFile();
    void failedPdfLeavesNoFile_data();
    void failedPdfLeavesNoFile();
    void pdfOnAFullDiskKeepsTheOldFile();

    void printingWithoutADefaultPrinterFails();

  private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void PagePrinterTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void PagePrinterTest::pdfHoldsTheWholeImageOnOnePage_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("window-sized") << QSize(649, 534);
    QTest::newRow("wide strip") << QSize(1600, 200);
    QTest::newRow("tall strip") << QSize(200, 1600);
    QTest::newRow("small, enlarged to fit") << QSize(64, 48);
}

void PagePrinterTest::pdfHoldsTheWholeImageOnOnePage()
{
    QFETCH(QSize, size);
    const QString path = m_dir->filePath(QStringLiteral("report.pdf"));

    const PrintResult result = writePdf(sampleImage(size), path);
    QVERIFY2(result.ok, qPrintable(result.errorText));
    QCOMPARE(pdfPageCount(path), std::optional<int>(1));

    const QImage page = renderFirstPage(path, 60);
    QVERIFY(!page.isNull());
    const QRect ink = inkBounds(page);
    QVERIFY2(!ink.isEmpty(), "the page is blank");

    // Inside the page with a margin all round: nothing cut off at an edge.
    QVERIFY(ink.left() > 0 && ink.top() > 0);
    QVERIFY(ink.right() < page.width() - 1 && ink.bottom() < page.height() - 1);
    // Neither stretched nor squeezed.
    const double wanted = double(size.width()) / size.height();
    const double printed = double(ink.width()) / ink.height();
    QVERIFY2(qAbs(printed / wanted - 1.0) < 0.04,
             qPrintable(QStringLiteral("aspect %1 printed as %2").arg(wanted).arg(printed)));
    // As large as the page allows in one direction.
    const double fill =
        std::max(double(ink.width()) / page.width(), double(ink.height()) / page.height());
    QVERIFY2(fill > 0.85, qPrintable(QStringLiteral("fills only %1 of the page").arg(fill)));
}

void PagePrinterTest::pdfReplacesAnExistingFile()
{
    const QString path = m_dir->filePath(QStringLiteral("report.pdf"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older file of the same name, much longer than nothing at all");
    }
    const PrintResult result = writePdf(sampleImage({649, 534}), path);
    QVERIFY2(result.ok, qPrintable(result.errorText));
    QCOMPARE(pdfPageCount(path), std::optional<int>(1));
}

void PagePrinterTest::failedPdfLeavesNoFile_data()
{
    QTest::addColumn<QString>("relativePath"); // under the test directory; empty = no name
    QTest::addColumn<bool>("nullImage");
    QTest::addColumn<bool>("namesTheFile");
    QTest::newRow("missing directory") << "no-such-dir/report.pdf" << false << true;
    QTest::newRow("parent is a plain file") << "plain/report.pdf" << false << true;
    QTest::newRow("no file name") << QString() << false << false;
    QTest::newRow("no picture") << "report.pdf" << true << false;
}

void PagePrinterTest::failedPdfLeavesNoFile()
{
    QFETCH(QString, relativePath);
    QFETCH(bool, nullImage);
    QFETCH(bool, namesTheFile);
    {
        QFile plain(m_dir->filePath(QStringLiteral("plain")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
    }
    const QString path = relativePath.isEmpty() ? QString() : m_dir->filePath(relativePath);

    const PrintResult result = writePdf(nullImage ? QImage() : sampleImage({649, 534}), path);
    QVERIFY(!result.ok);
    QVERIFY(!result.errorText.isEmpty());
    if (namesTheFile)
        QVERIFY2(result.errorText.contains(QDir::toNativeSeparators(path)),
                 qPrintable(result.errorText));
    if (!path.isEmpty())
        QVERIFY(!QFileInfo::exists(path));
    const QStringList left = QDir(m_dir->path()).entryList(QDir::Files | QDir::NoDotAndDotDot);
    QCOMPARE(left, QStringList{QStringLiteral("plain")});
}

void PagePrinterTest::pdfOnAFullDiskKeepsTheOldFile()
{
    const QString mountPoint = m_dir->filePath(QStringLiteral("small"));
    QVERIFY(QDir().mkpath(mountPoint));
    if (mount("tmpfs", qPrintable(mountPoint), "tmpfs", 0, "size=64k") != 0)
        QSKIP("a small file system cannot be mounted here (this needs root)");
    const auto unmount = qScopeGuard([&] { umount2(qPrintable(mountPoint), MNT_DETACH); });

    const QString path = mountPoint + QStringLiteral("/report.pdf");
    const QByteArray old = "the report saved last week";
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(old), old.size());
    }
    // Noise does not compress: its page is far larger than the space left.
    QImage noise(649, 534, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y) {
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, QRandomGenerator::global()->generate());
    }

    const PrintResult result = writePdf(noise, path);
    QVERIFY(!result.ok);
    QVERIFY2(result.errorText.contains(QDir::toNativeSeparators(path)),
             qPrintable(result.errorText));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), old);
    QCOMPARE(QDir(mountPoint).entryList(QDir::Files), QStringList{QStringLiteral("report.pdf")});
}

void PagePrinterTest::printingWithoutADefaultPrinterFails()
{
    if (hasDefaultPrinter())
        QSKIP("a default printer is set up here; this test needs a machine without one");
    const PrintResult result = printOnDefaultPrinter(sampleImage({649, 534}));
    QVERIFY(!result.ok);
    QVERIFY(!result.errorText.isEmpty());
}

QTEST_MAIN(PagePrinterTest)
#include "tst_pageprinter.moc"
