// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeySequence>
#include <QObject>

class QAbstractButton;
class QKeyEvent;
class QWidget;

namespace useropts {

class FieldTip;

// What the window does for those who work it from the keyboard beyond what
// Qt's controls do: Return and keypad Enter press a focused command button,
// as Space does; the desktop's standard keys for a command (Ctrl+S to save)
// press its button as its access key does; and a setting's tip shows when
// the keyboard brings the focus to it, until the focus moves on, as well as
// under the pointer. Either way the tip stands beside its field, never over
// the field below.
class KeyboardHelp final : public QObject
{
    Q_OBJECT

  public:
    explicit KeyboardHelp(QWidget* window);

    void pressOnEnter(QAbstractButton* button);
    // Nothing for QKeySequence::UnknownKey.
    void pressOnKeys(QAbstractButton* button, QKeySequence::StandardKey keys);
    void showTipOnFocus(QWidget* control);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Return or Enter on a button: presses it; true if taken.
    bool pressedOnEnter(QObject* watched, const QKeyEvent* key);
    // Shows or hides the tip of the control watched; true if the event is taken.
    bool tipBesideField(QObject* watched, const QEvent* event);

    FieldTip* m_tip;
    bool m_tipForKeyboard = false; // else for the pointer, and gone when it leaves
};

} // namespace useropts
