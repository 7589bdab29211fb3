// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/EditorFonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>
#include <QToolButton>
#include <QWidget>

namespace useropts {

// The first of the families that is installed, or an empty string. Only a
// family's own name counts, not another that fontconfig would put in its place.
namespace {

QString installed(std::initializer_list<const char*> families)
{
    for (const char* family : families) {
        const QString name = QString::fromLatin1(family);
        if (!QFontDatabase::styles(name).isEmpty())
            return name;
    }
    return {};
}

} // namespace

Families fontFamilies()
{
    // The layout was drawn for the classic dialog face, whose widths Liberation
    // Sans (and Arimo, its twin) share, so every caption and entry fits the
    // room the table gives it. The desktop's own face, wider as a rule, is
    // the last resort: fitCaption then widens what would be cut off. Verdana's
    // stand-in is of the same wide build and metrics and present on every
    // desktop here; Verdana itself serves where it is missing. Naming one
    // family rather than a list spares a fontconfig query for the list's
    // fallbacks, which costs about as much as loading a font.
    QString standard = installed({"Liberation Sans", "Arimo", "Arial"});
    if (standard.isEmpty())
        standard = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    QString verdana = installed({"DejaVu Sans"});
    if (verdana.isEmpty())
        verdana = QStringLiteral("Verdana");
    return {standard, verdana};
}

QFont fontFor(const FontStyle& style, const Families& families)
{
    QFont font;
    font.setFamily(style.face == FontFace::Verdana ? families.verdana : families.standard);
    font.setPixelSize(style.pixelSize > 0 ? style.pixelSize : kWindowFontPixels);
    font.setBold(style.bold);
    font.setUnderline(style.underline);
    return font;
}

namespace {

// Fixes a colour role in every state. Without it a label inside a frame would
// take on the frame caption's colour.
void setRole(QPalette& palette, QPalette::ColorRole role, const QBrush& brush)
{
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setBrush(group, role, brush);
}

} // namespace

void applyLook(QWidget* widget, const LookStyle& look, const Families& families)
{
    widget->setFont(fontFor(look.font, families));
    QPalette palette = widget->palette();
    const QPalette standard = QApplication::palette(widget);
    // Only labels and frame captions are coloured, and they draw in WindowText.
    if (look.textColour)
        setRole(palette, QPalette::WindowText, QColor(QString::fromLatin1(look.textColour)));
    else
        setRole(palette, QPalette::WindowText, standard.brush(QPalette::WindowText));
    if (look.backColour) {
        const QColor colour(QString::fromLatin1(look.backColour));
        setRole(palette, QPalette::Window, colour);
        setRole(palette, QPalette::Button, colour);
        if (!qobject_cast<QToolButton*>(widget))
            widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
}

} // namespace useropts
