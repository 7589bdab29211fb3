#include "report/PagePrinter.h"

#include <QPrinterInfo>

namespace useropts {

// Placeholder until the printed report is built.
bool hasDefaultPrinter() { return !QPrinterInfo::defaultPrinter().isNull(); }

PrintResult printOnDefaultPrinter(const QImage&)
{
    return {false, QStringLiteral("Printing is not available yet.")};
}

PrintResult writePdf(const QImage&, const QString&)
{
    return {false, QStringLiteral("Writing a PDF file is not available yet.")};
}

} // namespace useropts
