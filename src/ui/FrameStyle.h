// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProxyStyle>

namespace useropts {

// Draws the group frames the way the layout places their contents: the
// caption stands in the top border line, which is broken behind it, so the
// first row of controls, a caption's height below the frame's outer corner,
// sits inside the border. The desktop style draws the caption above a border
// that starts lower down, through that row. A style rather than a style
// sheet: it adds nothing to the start but the one object, and QGroupBox asks
// it for the caption's and the contents' places too. Everything else is the
// desktop style's own.
class FrameStyle final : public QProxyStyle
{
  public:
    using QProxyStyle::QProxyStyle;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override;

  private:
    static constexpr int kCaptionIndent = 6; // from the frame's left edge to the gap
    static constexpr int kCaptionGap = 2;    // line broken either side of the caption
    static constexpr int kBorder = 2;        // the etched line's width
};

} // namespace useropts
