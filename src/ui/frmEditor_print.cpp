#include "ui/PlatformServices.h"
#include "ui/frmEditor.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QPicture>
#include <QScopeGuard>
#include <QTextLayout>

#include <array>

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

} // namespace

void frmEditor::cmdPrint_Click()
{
    QLabel* lblSubTitle = m_controls.lblSubTitle;
    QLabel* lblNote = m_controls.lblNote;
    QLabel* lblTip = m_controls.lblTip;
    // The buttons that have no place on paper, in the order they are hidden
    // and shown again.
    const std::array<QWidget*, 5> buttons{m_controls.cmdNew, m_controls.cmdOpen, m_controls.cmdSave,
                                          m_controls.cmdPrint, m_controls.cmdQuit};

    QPicture page;
    Result<> printed;
    {
        const QString subTitle = lblSubTitle->text();
        const QString note = lblNote->text();
        const QString tip = lblTip->text();
        // Whatever happens while the window wears its report look, it leaves
        // it again before anything else is said.
        const auto restore = qScopeGuard([&] {
            for (QWidget* button : buttons)
                button->show();
            lblNote->setText(note);
            lblSubTitle->setText(subTitle);
            lblTip->setText(tip);
        });

        lblSubTitle->setText(QStringLiteral("Menu Configuration Report"));
        const std::optional<QString> answer = m_platform.promptText(
            this,
            {QStringLiteral("Notes to add to print-out:"),
             kPrintTitle + QStringLiteral("\r\r") +
                 QStringLiteral("eg: Settings for site XYZ, etc"),
             QStringLiteral("Filename: ") + shownSettingsFile(CommonDialog1.fileName()).toUpper()});
        lblNote->setText(inWholeLines(*lblNote, answer.value_or(QString())));
        lblTip->setText(printedAtStamp());
        for (QWidget* button : buttons)
            button->hide();

        page = pictureOf(*this);
        // Without a default printer this fails with words of its own.
        printed = m_platform.printPage(page);
    }
    if (printed.ok())
        return;

    // The page exists already; offering it as a file keeps the user's notes
    // and the stamp exactly as they would have been printed.
    const MessageAnswer savePdf = m_platform.message(
        this, {kPrintTitle,
               QStringLiteral("No printer could be used, so the configuration report was not "
                              "printed.\n\n%1\n\nDo you want to save the same one-page report "
                              "as a PDF file instead?")
                   .arg(printed.failure().sentence()),
               MessageButtons::YesNo, MessageIcon::Warning, MessageAnswer::Yes});
    if (savePdf != MessageAnswer::Yes)
        return;

    const std::optional<QString> chosen = m_platform.saveFileName(
        this, {QStringLiteral("Save Report as PDF"), suggestedPdfName(strSettingsFile),
               QStringLiteral("PDF files|*.pdf")});
    if (!chosen || chosen->isEmpty())
        return;
    QString path = *chosen;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");

    const Result<> written = m_platform.writePdf(page, path);
    if (written.ok())
        m_platform.message(this, {kPrintTitle,
                                  QStringLiteral("The configuration report was saved to %1.")
                                      .arg(QDir::toNativeSeparators(path)),
                                  MessageButtons::Ok, MessageIcon::Information});
    else
        m_platform.message(this, {kPrintTitle,
                                  QStringLiteral("The configuration report was not saved.\n\n%1")
                                      .arg(written.failure().sentence()),
                                  MessageButtons::Ok, MessageIcon::Warning});
}

} // namespace useropts
