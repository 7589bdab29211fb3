// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFrame>
#include <QLabel>

namespace useropts {

// The web link in the header. A class of its own, so that assistive
// technology meets it as a link from the moment it exists.
class WebLinkLabel final : public QLabel
{
    Q_OBJECT

  public:
    using QLabel::QLabel;
};

// A plain area that holds other controls, such as the header. Qt presents a
// bare frame as a frame, the role of a window, so that a screen reader would
// meet a second window inside the window; this one is a section of it.
class SectionArea final : public QFrame
{
    Q_OBJECT

  public:
    using QFrame::QFrame;
};

// Gives assistive technology what Qt's own accessible interfaces leave out
// here: a choice is named by the name it was given, as on other desktops,
// rather than by its current entry; the web link is a link whose press runs
// the first action added to it; a section area is a section; and a plain
// top-level widget is a window, so that screen readers follow the focus into
// it. Takes effect once per program, for the interfaces made after the first
// call.
void installEditorAccessibility();

} // namespace useropts
