// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/FrameStyle.h"

#include <QPainter>
#include <QStyleOption>
#include <qdrawutil.h>

namespace useropts {

QRect FrameStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                 SubControl part, const QWidget* widget) const
{
    const auto* frame = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !frame)
        return QProxyStyle::subControlRect(control, option, part, widget);
    const QRect outer = frame->rect;
    const int captionHeight = frame->fontMetrics.height();
    switch (part) {
    case SC_GroupBoxLabel:
        if (frame->text.isEmpty())
            return {};
        return {outer.left() + kCaptionIndent, outer.top(),
                frame->fontMetrics.horizontalAdvance(frame->text) + 2 * kCaptionGap, captionHeight};
    case SC_GroupBoxFrame:
        return outer.adjusted(0, captionHeight / 2, 0, 0);
    case SC_GroupBoxContents:
        return outer.adjusted(kBorder, captionHeight, -kBorder, -kBorder);
    default:
        return QProxyStyle::subControlRect(control, option, part, widget);
    }
}

void FrameStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                    QPainter* painter, const QWidget* widget) const
{
    const auto* frame = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !frame) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const QRect caption = subControlRect(control, option, SC_GroupBoxLabel, widget);
    const QRect border = subControlRect(control, option, SC_GroupBoxFrame, widget);
    painter->save();
    painter->setClipRegion(QRegion(frame->rect).subtracted(caption));
    // An etched line, sunk into the window and lit from the top left.
    qDrawShadeRect(painter, border, frame->palette, true, 1, 0);
    painter->restore();
    drawItemText(painter, caption, Qt::AlignCenter | Qt::TextShowMnemonic, frame->palette,
                 frame->state & State_Enabled, frame->text, QPalette::WindowText);
}

} // namespace useropts
