// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/PagePrinter.h"
#include "report/PdfProbe.h"
#include "support/ScriptedPlatform.h"
#include "ui/QtPlatformServices.h"
#include "ui/frmEditor.h"

#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QtTest>

#include <algorithm>
#include <cmath>

using namespace useropts;
using namespace useropts::testing;

namespace {

const QStringList kCommandButtons = {"cmdNew", "cmdOpen", "cmdSave", "cmdPrint", "cmdQuit"};
const QStringList kOnPaper = {"cmdGetCards", "Label2"};

// The three captions the report changes, then the buttons and the link on show.
QStringList lookOf(const frmEditor& window)
{
    QStringList look;
    for (const char* name : {"lblSubTitle", "lblNote", "lblTip"})
        look << window.findChild<QLabel*>(name)->text();
    for (const QString& name : kCommandButtons + kOnPaper) {
        if (window.findChild<QWidget*>(name)->isVisible())
            look << name;
    }
    return look;
}

QByteArray bytesOf(const QPicture& picture)
{
    return QByteArray(picture.data(), picture.size());
}

// WCAG's relative luminance.
double luminance(QRgb colour)
{
    const auto linear = [](int c) {
        const double v = c / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(colour)) + 0.7152 * linear(qGreen(colour)) +
           0.0722 * linear(qBlue(colour));
}

// A field on the page drawn twice the window's size, so that its letters
// have cores of their own colour: the colour most of it has, and its darkest.
struct Ink
{
    QRgb paper;
    QRgb ink;
};
Ink inkOf(const QPicture& page, const QWidget& field)
{
    QImage image(page.boundingRect().size() * 2, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(2, 2);
    painter.drawPicture(0, 0, page);
    painter.end();
    const QRect area(field.mapTo(field.window(), QPoint(2, 2)) * 2,
                     (field.size() - QSize(4, 4)) * 2);
    QHash<QRgb, int> counts;
    QRgb ink = 0xFFFFFFFF;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            ++counts[pixel];
            if (luminance(pixel) < luminance(ink))
                ink = pixel;
        }
    }
    const auto most = std::max_element(counts.begin(), counts.end());
    return {most.key(), ink};
}

} // namespace

class TestPrintReport : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void pageShowsTheReportLook_data();
    void pageShowsTheReportLook();
    void windowComesBackAndOffersAPdf_data();
    void windowComesBackAndOffersAPdf();
    void pdfHoldsTheReportAsText_data();
    void pdfHoldsTheReportAsText();
    void realPromptShowsPrintAndTheExample();

  private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<frmEditor> m_window;
};

void TestPrintReport::init()
{
    m_window.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    m_platform = std::make_unique<ScriptedPlatform>();
    m_window = std::make_unique<frmEditor>(*m_platform);
    m_window->setCardDirectory(m_dir->path());
    // DHCP by default: the static address fields are disabled but hold addresses.
    m_window->NewSettings();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestPrintReport::pageShowsTheReportLook_data()
{
    QTest::addColumn<std::optional<QString>>("note"); // nullopt: Cancel
    QTest::newRow("note typed") << std::optional<QString>("Site XYZ, room 4");
    QTest::newRow("prompt cancelled") << std::optional<QString>();
}

void TestPrintReport::pageShowsTheReportLook()
{
    QFETCH(std::optional<QString>, note);
    const QString settingsPath = m_dir->filePath("useropts.bat");
    m_platform->saveAnswers.enqueue(settingsPath);
    m_window->cmdSave_Click();
    const auto* txtIP = m_window->findChild<QLineEdit*>("txtIP");
    const QString address = txtIP->text();
    QVERIFY(!address.isEmpty());

    m_platform->promptAnswers.enqueue(note);
    QPicture windowAtPrint;
    QStringList lookAtPrint;
    QString addressAtPrint;
    m_platform->onPrint = [&](const QPicture&) {
        windowAtPrint = pictureOf(*m_window);
        lookAtPrint = lookOf(*m_window);
        addressAtPrint = txtIP->isEnabled() ? "(enabled)" : txtIP->text();
    };
    const QDate dayBefore = QDate::currentDate();
    m_window->cmdPrint_Click();

    QCOMPARE(m_platform->prompts.size(), 1);
    QCOMPARE(m_platform->prompts[0].defaultAnswer, "Filename: " + settingsPath.toUpper());
    QCOMPARE(m_platform->printedPages.size(), 1);
    QCOMPARE(bytesOf(m_platform->printedPages[0]), bytesOf(windowAtPrint));
    QCOMPARE(lookAtPrint[0], "Menu Configuration Report");
    QCOMPARE(lookAtPrint[1], note.value_or(""));
    QCOMPARE(lookAtPrint.mid(3), kOnPaper);
    QCOMPARE(addressAtPrint, address);
    // A disabled field still looks disabled on paper, but can be read there:
    // its text stands at 3:1 or more against it.
    const QPicture& page = m_platform->printedPages[0];
    const Ink disabled = inkOf(page, *txtIP);
    const Ink enabled = inkOf(page, *m_window->findChild<QLineEdit*>("txtUsername"));
    const double contrast = (luminance(disabled.paper) + 0.05) / (luminance(disabled.ink) + 0.05);
    QVERIFY2(contrast >= 3.0, qPrintable(QString::number(contrast)));
    QVERIFY(disabled.paper != enabled.paper && luminance(disabled.ink) > luminance(enabled.ink));
    static const QRegularExpression stampForm(R"(^Printed at (.+) - \d\d:\d\d$)");
    const QString day = stampForm.match(lookAtPrint[2]).captured(1);
    QVERIFY2(day == QLocale::system().toString(dayBefore, QLocale::LongFormat) ||
                 day == QLocale::system().toString(QDate::currentDate(), QLocale::LongFormat),
             qPrintable(lookAtPrint[2]));
}

void TestPrintReport::windowComesBackAndOffersAPdf_data()
{
    QTest::addColumn<QString>("printer");
    QTest::addColumn<MessageAnswer>("savePdf");
    QTest::addColumn<std::optional<QString>>("saveAs"); // nullopt: Cancel
    QTest::addColumn<QList<MessageIcon>>("icons");      // of the messages, in order
    QTest::addColumn<QString>("pdfWritten");

    using I = MessageIcon;
    using Name = std::optional<QString>;
    const auto no = MessageAnswer::No, yes = MessageAnswer::Yes;
    QTest::newRow("printed") << "works" << no << Name() << QList<I>{} << "";
    QTest::newRow("no printer, PDF declined") << "none" << no << Name() << QList{I::Warning} << "";
    QTest::newRow("no printer, save cancelled")
        << "none" << yes << Name() << QList{I::Warning} << "";
    QTest::newRow("no printer, PDF saved")
        << "none" << yes << Name("r.pdf") << QList{I::Warning, I::Information} << "r.pdf";
    QTest::newRow("paper jam, PDF saved without extension")
        << "jams" << yes << Name("r") << QList{I::Warning, I::Information} << "r.pdf";
    QTest::newRow("no printer, PDF cannot be written")
        << "none" << yes << Name("missing/r.pdf") << QList{I::Warning, I::Warning} << "";
}

void TestPrintReport::windowComesBackAndOffersAPdf()
{
    QFETCH(QString, printer);
    QFETCH(MessageAnswer, savePdf);
    QFETCH(std::optional<QString>, saveAs);
    QFETCH(QList<MessageIcon>, icons);
    QFETCH(QString, pdfWritten);

    const QStringList normal = lookOf(*m_window);
    QCOMPARE(normal.mid(3), kCommandButtons + kOnPaper);
    m_window->findChild<QWidget*>("cmdGetCards")->setFocus(); // no blinking cursor
    const QImage onScreen = m_window->grab().toImage();
    m_platform->printerAvailable = printer != "none";
    m_platform->printAnswer =
        printer == "works" ? Result<>() : Result<>(Failure{printer == "jams" ? "paper jam" : ""});
    m_platform->messageAnswers.enqueue(savePdf);
    const QString savePath = m_dir->filePath(saveAs.value_or(""));
    m_platform->saveAnswers.enqueue(saveAs ? std::optional(savePath) : saveAs);
    QList<QStringList> lookDuringMessages;
    m_platform->onMessage = [&](const MessageRequest&) { lookDuringMessages << lookOf(*m_window); };

    m_window->cmdPrint_Click();

    // Back before anything is said about the outcome.
    QCOMPARE(lookDuringMessages, QList<QStringList>(icons.size(), normal));
    QCOMPARE(lookOf(*m_window), normal);
    QCOMPARE(m_window->grab().toImage(), onScreen); // the screen's letters and colours back
    QList<MessageIcon> shown;
    for (const MessageRequest& message : m_platform->messages)
        shown << message.icon;
    QCOMPARE(shown, icons);
    if (!icons.isEmpty()) {
        const MessageRequest& offer = m_platform->messages.first();
        QCOMPARE(offer.buttons, MessageButtons::YesNo);
        QVERIFY2(offer.text.contains("PDF"), qPrintable(offer.text));
        QVERIFY2(printer != "jams" || offer.text.contains("Paper jam"), qPrintable(offer.text));
    }
    if (icons == QList{MessageIcon::Warning, MessageIcon::Warning}) {
        const QString failure = m_platform->messages.last().text;
        QVERIFY2(failure.contains(QDir::toNativeSeparators(savePath)), qPrintable(failure));
    }

    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
             pdfWritten.isEmpty() ? QStringList() : QStringList{pdfWritten});
    if (pdfWritten.isEmpty())
        return;
    const QString path = m_dir->filePath(pdfWritten);
    QCOMPARE(pdfPageCount(path), std::optional(1));
    const QImage saved = renderFirstPage(path);
    const QRect ink = inkBounds(saved);
    QVERIFY2(!ink.isEmpty(), "the saved page is blank");
    // Whole: neither cut off nor stretched.
    const QSize report = m_platform->printedPages[0].boundingRect().size();
    QVERIFY(saved.rect().adjusted(1, 1, -1, -1).contains(ink));
    const double aspect = double(ink.width()) / ink.height() * report.height() / report.width();
    QVERIFY2(qAbs(aspect - 1.0) < 0.04, qPrintable(QString::number(aspect)));
    // The report page, not the window as it is once put back.
    const QString reference = m_dir->filePath("reference.pdf");
    QVERIFY(writePdf(m_platform->printedPages[0], reference).ok());
    QCOMPARE(saved, renderFirstPage(reference));
}

void TestPrintReport::pdfHoldsTheReportAsText_data()
{
    QTest::addColumn<QString>("note");
    QTest::newRow("short note") << "Site XYZ, room 4";
    // Letter pairs that shaping would set as one glyph.
    QTest::newRow("note with ff, fi and fl") << "Office floppy, fifth filing";
    QStringList words;
    for (int word = 1; word <= 60; ++word)
        words << QString("remark%1").arg(word);
    QTest::newRow("note longer than its label") << words.join(u' ');
}

// Text a reader can search and copy, letter by letter as typed, and a note
// in whole lines: one that does not fit ends with the last line the note's
// label has room for, and no line is cut through.
void TestPrintReport::pdfHoldsTheReportAsText()
{
    QFETCH(QString, note);
    const auto* lblNote = m_window->findChild<QLabel*>("lblNote");
    const int room = lblNote->height() / lblNote->fontMetrics().lineSpacing();
    m_platform->printerAvailable = false;
    m_platform->promptAnswers.enqueue(note);
    const QString path = m_dir->filePath("report.pdf");
    m_platform->saveAnswers.enqueue(path);
    m_window->cmdPrint_Click();

    const QString text = pdfText(path);
    for (const QString& words : {QString("Menu Configuration Report"), QString("IP Address:"),
                                 m_window->findChild<QLineEdit*>("txtIP")->text()})
        QVERIFY2(text.contains(words), qPrintable(words + " is not in:\n" + text));
    QStringList noteLines;
    for (const QString& line : text.split(u'\n')) {
        if (line.size() > 5 && note.contains(line))
            noteLines << line;
    }
    const QString printed = noteLines.join(u' ');
    QVERIFY2(note.startsWith(printed) && !printed.isEmpty(), qPrintable(text));
    if (printed == note)
        return;
    QCOMPARE(noteLines.size(), room);
    QVERIFY2(note.at(printed.size()) == u' ', qPrintable(printed));
}

// The prompt the editor asks for, in the real dialog, closed from a timer.
void TestPrintReport::realPromptShowsPrintAndTheExample()
{
    m_window->cmdPrint_Click();
    QCOMPARE(m_platform->prompts.size(), 1);
    QString title, label;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&] {
        if (auto* dialog = m_window->findChild<QInputDialog*>(); dialog && dialog->isVisible()) {
            title = dialog->windowTitle();
            label = dialog->labelText();
            dialog->accept();
        }
    });
    closer.start(10);
    QtPlatformServices real;
    const std::optional<QString> answer = real.promptText(m_window.get(), m_platform->prompts[0]);

    QCOMPARE(title, "Print");
    QVERIFY2(label.startsWith("Notes to add to print-out:") && !label.contains(u'\r') &&
                 label.contains("eg: Settings for site XYZ, etc"),
             qPrintable(label));
    QCOMPARE(answer, std::optional(m_platform->prompts[0].defaultAnswer));
}

QTEST_MAIN(TestPrintReport)
#include "tst_printreport.moc"
