#pragma once

#include <QObject>
#include <QPointer>

class QAbstractButton;
class QKeyEvent;
class QWidget;

namespace useropts {

// What the window does for those who work it from the keyboard beyond what
// Qt's controls do: Return and keypad Enter press a focused command button,
// as Space does, and a setting's tip shows when the keyboard brings the
// focus to it, not only under the pointer, until the focus moves on.
class KeyboardHelp final : public QObject
{
    Q_OBJECT

  public:
    explicit KeyboardHelp(QObject* parent = nullptr);

    void pressOnEnter(QAbstractButton* button);
    void showTipOnFocus(QWidget* control);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Return or Enter on a button: presses it; true if taken.
    bool pressedOnEnter(QObject* watched, const QKeyEvent* key);
    void tipOnKeyboardFocus(QObject* watched, QEvent* event);

    QPointer<QWidget> m_tipAfterKey; // focused by a key; its tip shows when the key comes up
    QPointer<QWidget> m_keyboardTip; // showing its tip for the keyboard
};

} // namespace useropts
