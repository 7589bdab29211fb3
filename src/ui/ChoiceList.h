// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>

namespace useropts {

// A two-entry choice that builds its list window only when it is first opened.
// QComboBox builds that window as soon as its font or palette changes, and the
// builder gives every choice both, so a start would otherwise build eight list
// windows that may never be opened. The changes held back are handed on just
// before the list first shows, so it looks as it always did. (The card choice
// is a plain QComboBox: being editable, it has its list window from the start,
// and its palette change also reaches its line.)
class ChoiceList final : public QComboBox
{
  public:
    using QComboBox::QComboBox;

    void showPopup() override;

  protected:
    void changeEvent(QEvent* event) override;

  private:
    bool m_listReady = false;
};

} // namespace useropts
