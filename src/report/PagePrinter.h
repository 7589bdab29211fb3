// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QPicture>
#include <QString>

class QWidget;

namespace useropts {

// The widget as it looks now, kept as drawing commands rather than pixels:
// a printer or a PDF file draws it again at its own resolution, with its
// text as text. The picture's bounding rectangle is the widget's.
QPicture pictureOf(QWidget& widget);

// One page holding the picture, scaled to fit with its aspect kept, on the
// system's default printer and without a dialog.
Result<> printOnDefaultPrinter(const QPicture& page);

// The same page as a PDF file.
Result<> writePdf(const QPicture& page, const QString& path);

} // namespace useropts
