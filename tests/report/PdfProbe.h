// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <optional>

// What poppler, and so a reader or a printer, makes of a PDF file.
namespace useropts::testing {

// Nothing when poppler cannot open the file as a PDF.
inline std::optional<int> pdfPageCount(const QString& path)
{
    QProcess pdfinfo;
    pdfinfo.start("pdfinfo", {path});
    if (!pdfinfo.waitForFinished(10000) || pdfinfo.exitCode() != 0)
        return std::nullopt;
    static const QRegularExpression pages(R"(^Pages:\s+(\d+)\s*$)",
                                          QRegularExpression::MultilineOption);
    const auto match = pages.match(pdfinfo.readAllStandardOutput());
    return match.hasMatch() ? std::optional(match.captured(1).toInt()) : std::nullopt;
}

// The first page at 60 dpi; a null image when it cannot be rendered.
inline QImage renderFirstPage(const QString& path)
{
    QTemporaryDir dir;
    QProcess pdftoppm;
    pdftoppm.start("pdftoppm", {"-png", "-r", "60", "-singlefile", path, dir.filePath("page")});
    if (!dir.isValid() || !pdftoppm.waitForFinished(10000) || pdftoppm.exitCode() != 0)
        return {};
    return QImage(dir.filePath("page.png"));
}

// The text of the first page as a reader's search sees it, character for
// character (a ligature such as "ﬁ" stays one character, which a search for
// "fi" misses); empty when poppler cannot read it.
inline QString pdfText(const QString& path)
{
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-l", "1", path, "-"});
    if (!pdftotext.waitForFinished(10000) || pdftotext.exitCode() != 0)
        return {};
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

// The smallest rectangle holding every pixel that is not white; empty when blank.
inline QRect inkBounds(const QImage& page)
{
    QRect ink;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if ((page.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

} // namespace useropts::testing
