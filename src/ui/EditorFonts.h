// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/EditorLayout.h"

#include <QFont>
#include <QString>

class QWidget;

namespace useropts {

// The families behind the layout's faces, looked up once for the window.
struct Families
{
    QString standard; // for the Window and Standard faces
    QString verdana;
};

Families fontFamilies();

QFont fontFor(const FontStyle& style, const Families& families);

// Gives widget the font and colours of its look.
void applyLook(QWidget* widget, const LookStyle& look, const Families& families);

} // namespace useropts
