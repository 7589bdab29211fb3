// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/FieldTip.h"

#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QStylePainter>
#include <QToolTip>

#include <algorithm>

namespace useropts {

namespace {

constexpr int kGap = 2; // between the field and its tip

QRect onScreen(const QWidget* widget)
{
    return {widget->mapToGlobal(QPoint(0, 0)), widget->size()};
}

} // namespace

FieldTip::FieldTip(QWidget* window) : QLabel(window, Qt::ToolTip | Qt::BypassGraphicsProxyWidget)
{
    // Qt's own tip label is known by this name to style sheets and to
    // assistive technology, which announce this one as a tip too.
    setObjectName(QStringLiteral("qtooltip_label"));
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setPalette(QToolTip::palette());
    setFont(QToolTip::font());
    ensurePolished();
    setMargin(1 + style()->pixelMetric(QStyle::PM_ToolTipLabelFrameWidth, nullptr, this));
    setFrameStyle(QFrame::NoFrame);
    setAlignment(Qt::AlignLeft);
    setIndent(1);
    setTextFormat(Qt::PlainText);
    setWindowOpacity(style()->styleHint(QStyle::SH_ToolTipLabel_Opacity, nullptr, this) / 255.0);
}

void FieldTip::showFor(QWidget* control)
{
    m_control = control;
    setText(control->toolTip());
    setGeometry(placeBeside(onScreen(control), onScreen(control->window())));
    show();
}

void FieldTip::hideFor(const QWidget* control)
{
    if (m_control == control)
        hide();
}

QRect FieldTip::placeBeside(const QRect& field, const QRect& window)
{
    setWordWrap(false);
    const QSize line = sizeHint();
    QRect tip(QPoint(field.right() + 1 + kGap, field.top()), line);
    // A tip taller than its field grows upwards, away from the next row.
    if (tip.height() > field.height())
        tip.moveBottom(field.bottom());
    if (tip.right() > window.right()) {
        setWordWrap(true);
        const int width = std::min(line.width(), window.width());
        tip = QRect(0, 0, width, heightForWidth(width));
        tip.moveBottom(field.top() - 1 - kGap);
        tip.moveLeft(std::clamp(field.left(), window.left(), window.right() + 1 - width));
    }
    // Where the window stands partly off the screen, the tip stays on it.
    if (const QScreen* screen = m_control->screen()) {
        const QRect room = screen->availableGeometry();
        tip.moveLeft(std::clamp(tip.left(), room.left(),
                                std::max(room.left(), room.right() + 1 - tip.width())));
        tip.moveTop(std::clamp(tip.top(), room.top(),
                               std::max(room.top(), room.bottom() + 1 - tip.height())));
    }
    return tip;
}

void FieldTip::paintEvent(QPaintEvent* event)
{
    QStylePainter painter(this);
    QStyleOptionFrame panel;
    panel.initFrom(this);
    painter.drawPrimitive(QStyle::PE_PanelTipLabel, panel);
    painter.end();
    QLabel::paintEvent(event);
}

} // namespace useropts
