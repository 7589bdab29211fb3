// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <array>

class QLabel;
class QWidget;

namespace useropts {

class PlatformServices;

// What the window shows differently on paper: the report's title, the
// user's note and the stamp in three of its labels, and the command buttons,
// which have no place on a page, in the order they are hidden and shown.
struct ReportControls
{
    QLabel* subTitle;
    QLabel* note;
    QLabel* tip;
    std::array<QWidget*, 5> buttons;
};

// Asks for the note (noteDefault offered), dresses the window as the report,
// prints it as one page on the default printer without a dialog, and puts
// the window back as it was before anything else is said. Where no printer
// can be used it offers the same page as a PDF file beside settingsFile.
void printReport(QWidget& window, const ReportControls& report, PlatformServices& platform,
                 const QString& noteDefault, const QString& settingsFile);

} // namespace useropts
