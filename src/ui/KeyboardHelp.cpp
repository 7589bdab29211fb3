#include "ui/KeyboardHelp.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QToolTip>
#include <QWidget>

namespace useropts {

KeyboardHelp::KeyboardHelp(QObject* parent) : QObject(parent) {}

void KeyboardHelp::pressOnEnter(QAbstractButton* button)
{
    button->installEventFilter(this);
}

void KeyboardHelp::showTipOnFocus(QWidget* control)
{
    if (!control->toolTip().isEmpty())
        control->installEventFilter(this);
}

bool KeyboardHelp::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress &&
        pressedOnEnter(watched, static_cast<const QKeyEvent*>(event)))
        return true;
    tipOnKeyboardFocus(watched, event);
    return QObject::eventFilter(watched, event);
}

bool KeyboardHelp::pressedOnEnter(QObject* watched, const QKeyEvent* key)
{
    // Qt's buttons take Return and Enter only in dialogs; here they press a
    // focused button as Space does, shown pressed for a moment like a button
    // pressed by its access key. Only the buttons given are watched.
    auto* button = qobject_cast<QAbstractButton*>(watched);
    const Qt::KeyboardModifiers others =
        key->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier);
    if (!button || (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
        others.toInt() != 0)
        return false;
    if (!key->isAutoRepeat())
        button->animateClick();
    return true;
}

void KeyboardHelp::tipOnKeyboardFocus(QObject* watched, QEvent* event)
{
    auto* control = qobject_cast<QWidget*>(watched);
    if (!control || control->toolTip().isEmpty())
        return;
    switch (event->type()) {
    case QEvent::FocusIn: {
        const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
            reason == Qt::ShortcutFocusReason)
            m_tipAfterKey = control;
        break;
    }
    case QEvent::KeyRelease: {
        // A tip hides at any key but a modifier, so it waits for the key that
        // moved the focus to come up; that reaches the control now focused.
        const auto* key = static_cast<const QKeyEvent*>(event);
        const bool modifier = key->key() >= Qt::Key_Shift && key->key() <= Qt::Key_ScrollLock;
        if (m_tipAfterKey == control && !modifier && !key->isAutoRepeat()) {
            m_tipAfterKey = nullptr;
            m_keyboardTip = control;
            // Where a pointer resting on the control's lower left corner shows it.
            QToolTip::showText(control->mapToGlobal(QPoint(0, control->height())),
                               control->toolTip(), control);
        }
        break;
    }
    case QEvent::FocusOut:
        if (m_keyboardTip == control && QToolTip::text() == control->toolTip())
            QToolTip::hideText();
        if (m_keyboardTip == control)
            m_keyboardTip = nullptr;
        if (m_tipAfterKey == control)
            m_tipAfterKey = nullptr;
        break;
    default:
        break;
    }
}

} // namespace useropts
