#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <optional>

namespace useropts::testing {

// Page count as poppler reads it; nothing when the file is not a PDF it can open.
std::optional<int> pdfPageCount(const QString& path);

// The first page rendered at dpi; a null image when it cannot be rendered.
QImage renderFirstPage(const QString& path, int dpi);

// The smallest rectangle holding every pixel that is not white; empty for a
// blank page.
QRect inkBounds(const QImage& page);

} // namespace useropts::testing
