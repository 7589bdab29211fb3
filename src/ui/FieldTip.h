// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QPointer>

namespace useropts {

// A setting's tip, drawn as the desktop draws tool tips but placed beside
// its field rather than under the pointer: to the right where it fits on one
// line between the field and the window's right edge, otherwise above the
// field, wrapped at the window's width. Either way it leaves the field itself
// and every row below it in view, so the next field, where Tab goes, is never
// hidden.
class FieldTip final : public QLabel
{
    Q_OBJECT

  public:
    explicit FieldTip(QWidget* window);

    void showFor(QWidget* control);
    // Hides the tip if it is control's.
    void hideFor(const QWidget* control);
    QWidget* shownFor() const { return isVisible() ? m_control.data() : nullptr; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    // Where the tip goes for a field at field, all in screen coordinates.
    QRect placeBeside(const QRect& field, const QRect& window);

    QPointer<QWidget> m_control;
};

} // namespace useropts
