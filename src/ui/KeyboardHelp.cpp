// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/KeyboardHelp.h"

#include "ui/FieldTip.h"

#include <QAbstractButton>
#include <QAction>
#include <QKeyEvent>
#include <QWidget>

namespace useropts {

KeyboardHelp::KeyboardHelp(QWidget* window) : QObject(window), m_tip(new FieldTip(window)) {}

void KeyboardHelp::pressOnKeys(QAbstractButton* button, QKeySequence::StandardKey keys)
{
    if (keys == QKeySequence::UnknownKey)
        return;
    QList<QKeySequence> shortcuts = QKeySequence::keyBindings(keys);
    // Where Qt cannot tell the desktop it takes the Windows keys, which have
    // none for Quit; Ctrl+Q quits there too, as on every Linux desktop.
    if (shortcuts.isEmpty() && keys == QKeySequence::Quit)
        shortcuts = {QKeySequence(Qt::CTRL | Qt::Key_Q)};
    auto* press = new QAction(button);
    press->setShortcuts(shortcuts);
    // Pressed as by its access key, shown pressed for a moment, so that the
    // user sees which command the keys gave.
    connect(press, &QAction::triggered, button, &QAbstractButton::animateClick);
    button->window()->addAction(press);
}

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
    return tipBesideField(watched, event);
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

bool KeyboardHelp::tipBesideField(QObject* watched, const QEvent* event)
{
    auto* control = qobject_cast<QWidget*>(watched);
    if (!control || control->toolTip().isEmpty())
        return false;
    switch (event->type()) {
    case QEvent::FocusIn: {
        const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
            reason == Qt::ShortcutFocusReason) {
            m_tip->showFor(control);
            m_tipForKeyboard = true;
        }
        return false;
    }
    case QEvent::FocusOut:
        m_tip->hideFor(control);
        return false;
    case QEvent::ToolTip: // the pointer rests on the control: in place of Qt's tip
        m_tip->showFor(control);
        m_tipForKeyboard = false;
        return true;
    case QEvent::Leave:
        if (!m_tipForKeyboard)
            m_tip->hideFor(control);
        return false;
    default:
        return false;
    }
}

} // namespace useropts
