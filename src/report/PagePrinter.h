#pragma once

#include "common/Result.h"

#include <QImage>
#include <QString>

namespace useropts {

// One page holding image, scaled to fit with its aspect kept, on the system's
// default printer and without a dialog.
Result<> printOnDefaultPrinter(const QImage& image);

// The same page as a PDF file.
Result<> writePdf(const QImage& image, const QString& path);

} // namespace useropts
