// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PrintedReport.h"

#include "common/Messages.h"
#include "report/PagePrinter.h"
#include "ui/PlatformServices.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QPalette>
#include <QPicture>
#include <QScopeGuard>
#include <QTextLayout>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace useropts {

namespace {

const QString kPrintTitle = QStringLiteral("Print");

// The stamp's date in the user's long form, its time from a second reading
// of the clock, 24-hour hours and minutes.
QString printedAtStamp()
{
    const QDate date = QDate::currentDate();
    const QTime time = QTime::currentTime();
    return QStringLiteral("Printed at ") + QLocale::system().toString(date, QLocale::LongFormat) +
           QStringLiteral(" - ") + time.toString(QStringLiteral("HH:mm"));
}

// Beside the current settings file when there is one, named after it.
QString suggestedPdfName(const QString& settingsFileName)
{
    const QFileInfo settings(settingsFileName);
    const QString base = settings.completeBaseName().isEmpty() ? QStringLiteral("USEROPTS")
                                                               : settings.completeBaseName();
    const QString name = base + QStringLiteral(" Report.pdf");
    return settings.isAbsolute() ? QDir::toNativeSeparators(settings.dir().filePath(name)) : name;
}

// As much of text as label shows in whole lines. A note too long for the
// label ends where its last whole line ends, without an ellipsis: the page
// holds every word the label's area has room for, in the user's own words,
// and only the half line that would be cut through is left out.
QString inWholeLines(const QLabel& label, const QString& text)
{
    const QRect area = label.contentsRect();
    const int flags = int(label.alignment()) | Qt::TextWordWrap | Qt::TextExpandTabs;
    const auto fits = [&](const QString& shown) {
        return label.fontMetrics().boundingRect(area, flags, shown).height() <= area.height();
    };
    if (fits(text))
        return text;

    // Lines broken as the label breaks them; a start of the text that ends
    // where one of them ends is laid out in the same lines.
    QString laidOut = text;
    laidOut.replace(u'\n', QChar::LineSeparator);
    QTextLayout layout(laidOut, label.font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QString shown;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(area.width());
        const QString upToLine = text.left(line.textStart() + line.textLength());
        if (!fits(upToLine))
            break;
        shown = upToLine;
    }
    layout.endLayout();
    return shown;
}

// WCAG's relative luminance and contrast ratio.
double luminance(const QColor& colour)
{
    const auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double contrast(const QColor& one, const QColor& other)
{
    const double a = luminance(one);
    const double b = luminance(other);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// The screen's disabled text (#BEBEBE on #EFEFEF with the Fusion style,
// 1.6:1) all but vanishes from a printed page. On paper it is mixed with the
// enabled text colour, no further than needed to stand at 3:1 against its
// field, so that it stays grey: the field still reads as disabled.
QColor disabledTextOnPaper(const QPalette& screen)
{
    constexpr double kLeast = 3.0;
    constexpr int kSteps = 16;
    const QColor base = screen.color(QPalette::Disabled, QPalette::Base);
    const QColor from = screen.color(QPalette::Disabled, QPalette::Text);
    const QColor to = screen.color(QPalette::Active, QPalette::Text);
    QColor mixed = from;
    for (int step = 1; step <= kSteps && contrast(mixed, base) < kLeast; ++step) {
        const double t = double(step) / kSteps;
        mixed = QColor::fromRgbF(float(from.redF() + t * (to.redF() - from.redF())),
                                 float(from.greenF() + t * (to.greenF() - from.greenF())),
                                 float(from.blueF() + t * (to.blueF() - from.blueF())));
    }
    return mixed;
}

// The window as it goes on paper, for as long as this lives. Its text is
// laid out without shaping, and so without the ligatures Qt's shaping puts in
// (the "fi" of "Configuration" as one glyph, which a PDF reader's search for
// "fi" does not find): every word is on the page as typed. Disabled text is
// darkened as above. Both reach every control through the window's font and
// palette, which none of them overrides for this; the screen gets its own
// back at the end.
class PaperLook
{
  public:
    explicit PaperLook(QWidget& window)
        : m_window(window), m_font(window.font()), m_palette(window.palette()),
          m_ownFont(window.testAttribute(Qt::WA_SetFont)),
          m_ownPalette(window.testAttribute(Qt::WA_SetPalette))
    {
        QFont paperFont = m_font;
        paperFont.setStyleStrategy(QFont::PreferNoShaping);
        window.setFont(paperFont);
        QPalette paper = m_palette;
        paper.setColor(QPalette::Disabled, QPalette::Text, disabledTextOnPaper(m_palette));
        window.setPalette(paper);
    }
    ~PaperLook()
    {
        m_window.setFont(m_ownFont ? m_font : QFont());
        m_window.setPalette(m_ownPalette ? m_palette : QPalette());
    }
    PaperLook(const PaperLook&) = delete;
    PaperLook& operator=(const PaperLook&) = delete;

  private:
    QWidget& m_window;
    const QFont m_font;
    const QPalette m_palette;
    const bool m_ownFont;
    const bool m_ownPalette;
};

struct PrintedPage
{
    QPicture page;
    Result<> printed;
};

// The window in its report look, recorded as the page and printed, and put
// back as it was before anything else is said.
PrintedPage printDressed(QWidget& window, const ReportControls& report, PlatformServices& platform,
                         const QString& noteDefault)
{
    const QString subTitle = report.subTitle->text();
    const QString note = report.note->text();
    const QString tip = report.tip->text();
    const auto restore = qScopeGuard([&] {
        for (QWidget* button : report.buttons)
            button->show();
        report.note->setText(note);
        report.subTitle->setText(subTitle);
        report.tip->setText(tip);
    });

    report.subTitle->setText(QStringLiteral("Menu Configuration Report"));
    const std::optional<QString> answer =
        platform.promptText(&window, {QStringLiteral("Notes to add to print-out:"),
                                      kPrintTitle + QStringLiteral("\r\r") +
                                          QStringLiteral("eg: Settings for site XYZ, etc"),
                                      noteDefault});
    // From here to the page the window is not drawn on screen; the note is
    // measured in the letters it is printed in.
    const PaperLook paper(window);
    report.note->setText(inWholeLines(*report.note, answer.value_or(QString())));
    report.tip->setText(printedAtStamp());
    for (QWidget* button : report.buttons)
        button->hide();
    QPicture page = pictureOf(window);
    // Without a default printer this fails with words of its own.
    Result<> printed = platform.printPage(page);
    return {std::move(page), std::move(printed)};
}

// The page exists already; offering it as a file keeps the user's notes and
// the stamp exactly as they would have been printed.
void offerPdf(QWidget& window, const QPicture& page, const Failure& why, PlatformServices& platform,
              const QString& settingsFile)
{
    const MessageAnswer savePdf = platform.message(
        &window, {kPrintTitle,
                  QStringLiteral("No printer could be used, so the configuration report was not "
                                 "printed.%1%2%1Do you want to save the same one-page report as a "
                                 "PDF file instead?")
                      .arg(kParagraphBreak, why.sentence()),
                  MessageButtons::YesNo, MessageIcon::Warning, MessageAnswer::Yes});
    if (savePdf != MessageAnswer::Yes)
        return;

    const std::optional<QString> chosen = platform.saveFileName(
        &window, {QStringLiteral("Save Report as PDF"), suggestedPdfName(settingsFile),
                  QStringLiteral("PDF files|*.pdf")});
    if (!chosen || chosen->isEmpty())
        return;
    QString path = *chosen;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");

    const Result<> written = platform.writePdf(page, path);
    if (written.ok())
        platform.message(&window, {kPrintTitle,
                                   QStringLiteral("The configuration report was saved to %1.")
                                       .arg(QDir::toNativeSeparators(path)),
                                   MessageButtons::Ok, MessageIcon::Information});
    else
        platform.message(&window, {kPrintTitle,
                                   QStringLiteral("The configuration report was not saved.%1%2")
                                       .arg(kParagraphBreak, written.failure().sentence()),
                                   MessageButtons::Ok, MessageIcon::Warning});
}

} // namespace

void printReport(QWidget& window, const ReportControls& report, PlatformServices& platform,
                 const QString& noteDefault, const QString& settingsFile)
{
    const PrintedPage page = printDressed(window, report, platform, noteDefault);
    if (!page.printed.ok())
        offerPdf(window, page.page, page.printed.failure(), platform, settingsFile);
}

} // namespace useropts
