#pragma once

#include <QImage>
#include <QString>

namespace useropts {

struct PrintResult
{
    bool ok = false;
    QString errorText; // why nothing was printed; empty on success
};

bool hasDefaultPrinter();

// One page holding image, scaled to fit with its aspect kept, on the system's
// default printer and without a dialog.
PrintResult printOnDefaultPrinter(const QImage& image);

// The same page as a PDF file.
PrintResult writePdf(const QImage& image, const QString& path);

} // namespace useropts
