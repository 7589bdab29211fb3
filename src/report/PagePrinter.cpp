// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/PagePrinter.h"

#include "common/Messages.h"
#include "files/WholeFileWriter.h"

#include <QBuffer>
#include <QDir>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

namespace useropts {

namespace {

const QString kDocumentName = QStringLiteral("Menu Configuration Report");

// The window as large as the page's printable area allows, its aspect kept,
// centred across the page and starting at the top like a printed form.
QRectF placeOnPage(const QSize& window, const QRect& paintRect)
{
    const QSizeF fitted = QSizeF(window).scaled(QSizeF(paintRect.size()), Qt::KeepAspectRatio);
    const qreal left = (paintRect.width() - fitted.width()) / 2.0;
    return {QPointF(left, 0), fitted};
}

// Paints into an open painter whose origin is the top-left corner of the
// printable area, which is how both QPrinter and QPdfWriter set it up.
void paintPage(QPainter& painter, const QPicture& page, const QRect& paintRect)
{
    const QRect source = page.boundingRect();
    const QRectF target = placeOnPage(source.size(), paintRect);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(target.topLeft());
    painter.scale(target.width() / source.width(), target.height() / source.height());
    painter.translate(-source.topLeft());
    // A picture plays back enlarged by the device's resolution over the
    // screen's, to keep its size in inches; the page has a size of its own.
    const QPaintDevice& device = *painter.device();
    painter.scale(qreal(page.logicalDpiX()) / device.logicalDpiX(),
                  qreal(page.logicalDpiY()) / device.logicalDpiY());
    painter.drawPicture(0, 0, page);
}

bool isBlank(const QPicture& page)
{
    return page.isNull() || page.boundingRect().isEmpty();
}

QPageSize localPaperSize()
{
    return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem
               ? QPageSize(QPageSize::Letter)
               : QPageSize(QPageSize::A4);
}

} // namespace

QPicture pictureOf(QWidget& widget)
{
    QPicture picture;
    QPainter painter(&picture);
    widget.render(&painter);
    painter.end();
    // Placed on the page by the widget's own size, whatever it drew.
    picture.setBoundingRect(widget.rect());
    return picture;
}

Result<> printOnDefaultPrinter(const QPicture& page)
{
    if (isBlank(page))
        return Failure{QStringLiteral("there is no picture of the window to print")};

    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return Failure{QStringLiteral("no default printer is set up on this computer")};

    const auto failed = [&](const QString& form) { return Failure{form.arg(info.printerName())}; };
    QPrinter printer(info, QPrinter::HighResolution);
    if (!printer.isValid())
        return failed(QStringLiteral("the default printer \"%1\" cannot be used"));
    printer.setDocName(kDocumentName);
    printer.setCopyCount(1);
    printer.setPageOrientation(QPageLayout::Portrait);

    QPainter painter;
    if (!painter.begin(&printer))
        return failed(QStringLiteral("the default printer \"%1\" did not accept the page"));
    paintPage(painter, page, printer.pageLayout().paintRectPixels(printer.resolution()));
    const bool ended = painter.end();
    if (!ended || printer.printerState() == QPrinter::Error)
        return failed(QStringLiteral("the page could not be sent to the default printer \"%1\""));
    return {};
}

Result<> writePdf(const QPicture& page, const QString& path)
{
    if (isBlank(page))
        return Failure{QStringLiteral("there is no picture of the window to save")};
    if (path.isEmpty())
        return Failure{QStringLiteral("no file name was given for the PDF file")};

    // The page is made in memory first; the file is then replaced as a whole
    // or not at all, so a full disk never leaves a cut-off report behind under
    // the chosen name, nor reports one as saved.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    QPdfWriter writer(&pdf);
    writer.setTitle(kDocumentName);
    writer.setCreator(QStringLiteral("User Options Editor"));
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(localPaperSize(), QPageLayout::Portrait,
                                     QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));

    const auto failed = [&](const QString& why) {
        return Failure{cannotWrite(QDir::toNativeSeparators(path), why)};
    };
    QPainter painter;
    if (!painter.begin(&writer))
        return failed(QStringLiteral("the PDF page could not be started"));
    paintPage(painter, page, writer.pageLayout().paintRectPixels(writer.resolution()));
    if (!painter.end())
        return failed(QStringLiteral("the PDF page could not be finished"));
    return writeWholeFile(path, pdf.data());
}

} // namespace useropts
