// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/EditorFields.h"

#include <array>

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace useropts {

// The controls the window's handlers work with, as the builder made them. Each
// is bound to its row of the layout when the program is compiled; the named
// ones are never null.
struct EditorControls
{
    QWidget* PicHeader = nullptr;
    QLabel* lblSubTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblNote = nullptr;
    QLabel* Label2 = nullptr; // the web link
    QLabel* lblTip = nullptr;
    QAbstractButton* cmdNew = nullptr;
    QAbstractButton* cmdOpen = nullptr;
    QAbstractButton* cmdSave = nullptr;
    QAbstractButton* cmdPrint = nullptr;
    QAbstractButton* cmdQuit = nullptr;
    QAbstractButton* cmdGetCards = nullptr;
    // By Field: the line of each text setting, the list of each choice and of
    // the card; the other one of the two is null.
    std::array<QLineEdit*, kFieldCount> texts{};
    std::array<QComboBox*, kFieldCount> choices{};
};

// Gives window its caption, size, icon and default font, and creates every
// control of the editor layout in it, named after its entry in the layout.
EditorControls buildEditorLayout(QWidget* window);

} // namespace useropts
