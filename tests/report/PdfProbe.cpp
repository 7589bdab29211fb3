#include "report/PdfProbe.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace useropts::testing {

std::optional<int> pdfPageCount(const QString& path)
{
    QProcess pdfinfo;
    pdfinfo.start(QStringLiteral("pdfinfo"), {path});
    if (!pdfinfo.waitForFinished(10000) || pdfinfo.exitCode() != 0)
        return std::nullopt;
    static const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)\\s*$"),
                                          QRegularExpression::MultilineOption);
    const auto match = pages.match(QString::fromLocal8Bit(pdfinfo.readAllStandardOutput()));
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toInt();
}

QImage renderFirstPage(const QString& path, int dpi)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return {};
    const QString prefix = dir.filePath(QStringLiteral("page"));
    QProcess pdftoppm;
    pdftoppm.start(QStringLiteral("pdftoppm"),
                   {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi),
                    QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-singlefile"), path,
                    prefix});
    if (!pdftoppm.waitForFinished(10000) || pdftoppm.exitCode() != 0)
        return {};
    return QImage(prefix + QStringLiteral(".png"));
}

QRect inkBounds(const QImage& page)
{
    const QImage rgb = page.convertToFormat(QImage::Format_RGB32);
    int left = rgb.width(), top = rgb.height(), right = -1, bottom = -1;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == 0xFFFFFF)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0)
        return {};
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace useropts::testing
