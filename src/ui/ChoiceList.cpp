// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ChoiceList.h"

#include <QEvent>

namespace useropts {

void ChoiceList::showPopup()
{
    if (!m_listReady) {
        m_listReady = true;
        for (const QEvent::Type type : {QEvent::FontChange, QEvent::PaletteChange}) {
            QEvent change(type);
            QComboBox::changeEvent(&change);
        }
    }
    QComboBox::showPopup();
}

void ChoiceList::changeEvent(QEvent* event)
{
    const bool heldBack = !m_listReady && (event->type() == QEvent::FontChange ||
                                           event->type() == QEvent::PaletteChange);
    if (heldBack)
        QWidget::changeEvent(event);
    else
        QComboBox::changeEvent(event);
}

} // namespace useropts
