#include "report/PagePrinter.h"
#include "report/PdfProbe.h"
#include "support/ScriptedPlatform.h"
#include "ui/frmEditor.h"

#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace useropts;
using useropts::testing::ScriptedPlatform;

namespace {

const QStringList kCommandButtons = {"cmdNew", "cmdOpen", "cmdSave", "cmdPrint", "cmdQuit"};
const QStringList kOtherShown = {"cmdGetCards", "Label2"};

// What a person sees of the parts the report changes.
struct Look
{
    QString subTitle;
    QString note;
    QString tip;
    QStringList visible; // of the command buttons, the card button and the link

    bool operator==(const Look&) const = default;
};

char* toString(const Look& look)
{
    return QTest::toString(QStringLiteral("[%1 | %2 | %3 | %4]")
                               .arg(look.subTitle, look.note, look.tip, look.visible.join(u',')));
}

bool isUniform(const QImage& image)
{
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != first)
                return false;
        }
    }
    return true;
}

} // namespace

class PrintReportTest : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void pageShowsTheReportLook();
    void promptOffersTheFileNameAndFillsTheNote_data();
    void promptOffersTheFileNameAndFillsTheNote();
    void windowComesBackWhateverHappens_data();
    void windowComesBackWhateverHappens();

  private:
    QWidget* control(const QString& name) const;
    Look lookNow() const;
    QImage regionOf(const QImage& page, const QString& name) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<frmEditor> m_window;
};

QWidget* PrintReportTest::control(const QString& name) const
{
    QWidget* found = m_window->findChild<QWidget*>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

Look PrintReportTest::lookNow() const
{
    Look look;
    look.subTitle = qobject_cast<QLabel*>(control("lblSubTitle"))->text();
    look.note = qobject_cast<QLabel*>(control("lblNote"))->text();
    look.tip = qobject_cast<QLabel*>(control("lblTip"))->text();
    for (const QString& name : kCommandButtons + kOtherShown) {
        if (control(name)->isVisible())
            look.visible << name;
    }
    return look;
}

QImage PrintReportTest::regionOf(const QImage& page, const QString& name) const
{
    const QWidget* widget = control(name);
    const qreal ratio = page.devicePixelRatio();
    const QRect area(widget->mapTo(m_window.get(), QPoint(0, 0)), widget->size());
    return page.copy(
        QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio).toAlignedRect());
}

void PrintReportTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_platform = std::make_unique<ScriptedPlatform>();
    m_window = std::make_unique<frmEditor>(*m_platform);
    m_window->setCardDirectory(m_dir->path());
    // The defaults choose DHCP: the static address fields are disabled and
    // still hold addresses.
    m_window->NewSettings();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void PrintReportTest::cleanup()
{
    m_window.reset();
    m_platform.reset();
    m_dir.reset();
}

void PrintReportTest::pageShowsTheReportLook()
{
    const QImage normal = m_window->grab().toImage();
    m_platform->promptAnswers.enqueue(QStringLiteral("Site XYZ, room 4"));

    QImage windowAtPrint;
    Look atPrint;
    bool addressEnabled = true;
    QString address;
    m_platform->onPrint = [&](const QImage&) {
        windowAtPrint = m_window->grab().toImage();
        atPrint = lookNow();
        const auto* txtIP = qobject_cast<QLineEdit*>(control("txtIP"));
        addressEnabled = txtIP->isEnabled();
        address = txtIP->text();
    };
    const QDateTime before = QDateTime::currentDateTime();
    m_window->cmdPrint_Click();
    const QDateTime after = QDateTime::currentDateTime();

    QCOMPARE(m_platform->printedImages.size(), 1);
    const QImage page = m_platform->printedImages.first();
    // The whole client area, exactly as it looked while it was printed.
    QCOMPARE(page.size(), normal.size());
    QCOMPARE(page, windowAtPrint);

    QCOMPARE(atPrint.subTitle, QStringLiteral("Menu Configuration Report"));
    QCOMPARE(atPrint.note, QStringLiteral("Site XYZ, room 4"));
    QCOMPARE(atPrint.visible, kOtherShown);
    QVERIFY(!addressEnabled);
    QVERIFY(!address.isEmpty());

    static const QRegularExpression stampForm(
        QStringLiteral("^Printed at (.+) - (\\d\\d:\\d\\d)$"));
    const auto stamp = stampForm.match(atPrint.tip);
    QVERIFY2(stamp.hasMatch(), qPrintable(atPrint.tip));
    const QLocale locale = QLocale::system();
    QVERIFY2(stamp.captured(1) == locale.toString(before.date(), QLocale::LongFormat) ||
                 stamp.captured(1) == locale.toString(after.date(), QLocale::LongFormat),
             qPrintable(stamp.captured(1)));
    QVERIFY2(stamp.captured(2) == before.time().toString(QStringLiteral("HH:mm")) ||
                 stamp.captured(2) == after.time().toString(QStringLiteral("HH:mm")),
             qPrintable(stamp.captured(2)));

    // Where the command buttons stood, the page shows only the window's face.
    for (const QString& name : kCommandButtons) {
        const QImage printed = regionOf(page, name);
        QVERIFY2(isUniform(printed), qPrintable(name));
        QVERIFY2(printed != regionOf(normal, name), qPrintable(name));
    }
    // The report texts are on the page, not the window's usual ones.
    for (const char* name : {"lblSubTitle", "lblNote", "lblTip"})
        QVERIFY2(regionOf(page, name) != regionOf(normal, name), name);
    // Everything else as on screen, the disabled addresses included.
    for (const char* name : {"cmdGetCards", "Label2", "imgLogo", "txtIP", "txtSubnet", "cboDHCP"})
        QVERIFY2(regionOf(page, name) == regionOf(normal, name), name);
}

void PrintReportTest::promptOffersTheFileNameAndFillsTheNote_data()
{
    QTest::addColumn<std::optional<QString>>("answer"); // nullopt = Cancel; empty = the default
    QTest::addColumn<QString>("note");                  // empty = the default answer
    QTest::newRow("default accepted") << std::optional<QString>(QString()) << QString();
    QTest::newRow("own text") << std::optional<QString>(QStringLiteral("Lab 2, spare disks"))
                              << QStringLiteral("Lab 2, spare disks");
    QTest::newRow("cancelled") << std::optional<QString>() << QStringLiteral("");
}

void PrintReportTest::promptOffersTheFileNameAndFillsTheNote()
{
    QFETCH(std::optional<QString>, answer);
    QFETCH(QString, note);

    // A file saved under a lower-case name becomes the dialog's file name.
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("boot")));
    const QString settingsPath = m_dir->filePath(QStringLiteral("boot/useropts.bat"));
    m_platform->saveAnswers.enqueue(settingsPath);
    m_window->cmdSave_Click();
    QVERIFY(QFileInfo::exists(settingsPath));
    m_platform->clearRecords();

    const QString offered = QStringLiteral("Filename: ") + settingsPath.toUpper();
    const QString expectedNote = answer && answer->isEmpty() ? offered : note;
    QStringList notesPrinted;
    m_platform->onPrint = [&](const QImage&) {
        notesPrinted << qobject_cast<QLabel*>(control("lblNote"))->text();
    };
    // Every print asks afresh.
    for (int round = 0; round < 2; ++round)
        m_platform->promptAnswers.enqueue(answer && answer->isEmpty() ? offered : answer);
    m_window->cmdPrint_Click();
    m_window->cmdPrint_Click();

    QCOMPARE(m_platform->prompts.size(), 2);
    for (const PromptSpec& prompt : m_platform->prompts) {
        QCOMPARE(prompt.prompt, QStringLiteral("Notes to add to print-out:"));
        QCOMPARE(prompt.title, QStringLiteral("Print\r\reg: Settings for site XYZ, etc"));
        QCOMPARE(prompt.defaultAnswer, offered);
    }
    // Cancel does not stop the print.
    QCOMPARE(notesPrinted, QStringList({expectedNote, expectedNote}));
}

void PrintReportTest::windowComesBackWhateverHappens_data()
{
    QTest::addColumn<bool>("printer");
    QTest::addColumn<bool>("printOk");
    QTest::addColumn<MessageAnswer>("savePdf");
    QTest::addColumn<std::optional<QString>>(
        "saveAs");                                 // under the test directory; nullopt = Cancel
    QTest::addColumn<QList<MessageIcon>>("icons"); // of the messages shown, in order
    QTest::addColumn<QString>("pdfWritten");       // empty = none

    using I = MessageIcon;
    const std::optional<QString> cancel;
    QTest::newRow("printed") << true << true << MessageAnswer::No << cancel << QList<I>{}
                             << QString();
    QTest::newRow("printer error, PDF declined")
        << true << false << MessageAnswer::No << cancel << QList<I>{I::Warning} << QString();
    QTest::newRow("no printer, PDF declined")
        << false << false << MessageAnswer::No << cancel << QList<I>{I::Warning} << QString();
    QTest::newRow("no printer, save dialog cancelled")
        << false << false << MessageAnswer::Yes << cancel << QList<I>{I::Warning} << QString();
    QTest::newRow("no printer, PDF saved")
        << false << false << MessageAnswer::Yes << std::optional<QString>("report.pdf")
        << QList<I>{I::Warning, I::Information} << "report.pdf";
    QTest::newRow("printer error, PDF saved without extension")
        << true << false << MessageAnswer::Yes << std::optional<QString>("report")
        << QList<I>{I::Warning, I::Information} << "report.pdf";
    QTest::newRow("no printer, PDF cannot be written")
        << false << false << MessageAnswer::Yes << std::optional<QString>("missing/report.pdf")
        << QList<I>{I::Warning, I::Warning} << QString();
}

void PrintReportTest::windowComesBackWhateverHappens()
{
    QFETCH(bool, printer);
    QFETCH(bool, printOk);
    QFETCH(MessageAnswer, savePdf);
    QFETCH(std::optional<QString>, saveAs);
    QFETCH(QList<MessageIcon>, icons);
    QFETCH(QString, pdfWritten);

    const Look normal = lookNow();
    QCOMPARE(normal.visible, kCommandButtons + kOtherShown);
    m_platform->printerAvailable = printer;
    m_platform->printAnswer = {printOk, printOk ? QString() : QStringLiteral("Paper jam")};
    m_platform->messageAnswers.enqueue(savePdf);
    m_platform->saveAnswers.enqueue(saveAs ? std::optional(m_dir->filePath(*saveAs)) : saveAs);
    QList<Look> lookDuringMessages;
    m_platform->onMessage = [&](const MessageSpec&) { lookDuringMessages << lookNow(); };

    m_window->cmdPrint_Click();

    QCOMPARE(lookNow(), normal);
    // The window is back before anything is said about the outcome.
    for (const Look& look : lookDuringMessages)
        QCOMPARE(look, normal);

    QList<MessageIcon> shown;
    for (const MessageSpec& message : m_platform->messages)
        shown << message.icon;
    QCOMPARE(shown, icons);
    if (!icons.isEmpty()) {
        const MessageSpec& offer = m_platform->messages.first();
        QCOMPARE(offer.title, QStringLiteral("Print"));
        QCOMPARE(offer.buttons, MessageButtons::YesNo);
        if (printer)
            QVERIFY2(offer.text.contains(QStringLiteral("Paper jam")), qPrintable(offer.text));
    }
    if (savePdf == MessageAnswer::Yes && !printOk) {
        QCOMPARE(m_platform->fileDialogs.size(), 1);
        const auto& dialog = m_platform->fileDialogs.first();
        QVERIFY(dialog.save);
        QCOMPARE(dialog.spec.title, QStringLiteral("Save Report as PDF"));
        QCOMPARE(dialog.spec.filter, QStringLiteral("PDF files|*.pdf"));
    } else {
        QVERIFY(m_platform->fileDialogs.isEmpty());
    }

    const QStringList pdfs = QDir(m_dir->path()).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    if (pdfWritten.isEmpty()) {
        QCOMPARE(pdfs, QStringList());
        return;
    }
    QCOMPARE(pdfs, QStringList{pdfWritten});
    const QString path = m_dir->filePath(pdfWritten);
    QCOMPARE(testing::pdfPageCount(path), std::optional<int>(1));
    const QImage saved = testing::renderFirstPage(path, 60);
    QVERIFY2(!testing::inkBounds(saved).isEmpty(), "the saved page is blank");
    // The same report page that went to the printer, not the window as it is
    // once put back.
    QCOMPARE(m_platform->printedImages.size(), 1);
    const QString reference = m_dir->filePath(QStringLiteral("reference.pdf.out"));
    QVERIFY(writePdf(m_platform->printedImages.first(), reference).ok);
    QCOMPARE(saved, testing::renderFirstPage(reference, 60));
}

QTEST_MAIN(PrintReportTest)
#include "tst_printreport.moc"
