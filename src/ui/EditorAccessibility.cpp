// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/EditorAccessibility.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QAction>
#include <QComboBox>
#include <QKeySequence>
#include <QLineEdit>

namespace useropts {

namespace {

// A combo box as Qt presents one, with its list and its edit line as
// children and its popup as the action, except for its name. On Linux Qt
// names a combo box by its current entry and leaves the caption to a label
// relation; a combo box given a name here is announced by that name, as on
// the other desktops. Its entry is its value, and also its text: that is
// where a screen reader reads the entry of a combo box whose list does not
// report what is selected, as Qt's lists do not here. One that can be typed
// in shows there what its edit line holds.
class NamedChoice final : public QAccessibleWidget, public QAccessibleTextInterface
{
  public:
    explicit NamedChoice(QComboBox* choice) : QAccessibleWidget(choice, QAccessible::ComboBox)
    {
        // A new entry is told as a change of that text, which screen readers
        // speak for the control that has the focus.
        QObject::connect(choice, &QComboBox::currentTextChanged, choice,
                         [choice, shown = choice->currentText()](const QString& entry) mutable {
                             if (choice->isEditable() || entry == shown)
                                 return;
                             QAccessibleTextUpdateEvent update(choice, 0, shown, entry);
                             shown = entry;
                             QAccessible::updateAccessibility(&update);
                         });
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override
    {
        QString text;
        switch (kind) {
        case QAccessible::Name:
            text = choice()->accessibleName();
            if (!text.isEmpty())
                break;
            [[fallthrough]];
        case QAccessible::Value:
            text = choice()->isEditable() ? choice()->lineEdit()->text() : choice()->currentText();
            break;
        case QAccessible::Accelerator:
            text = QKeySequence(Qt::Key_Down).toString(QKeySequence::NativeText);
            break;
        default:
            break;
        }
        return text.isEmpty() ? QAccessibleWidget::text(kind) : text;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = choice()->view()->isVisible();
        state.editable = choice()->isEditable();
        return state;
    }

    // The list first, then the edit line of a choice that can be typed into.
    int childCount() const override { return choice()->isEditable() ? 2 : 1; }

    QAccessibleInterface* child(int index) const override
    {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(choice()->view());
        if (index == 1 && choice()->isEditable())
            return QAccessible::queryAccessibleInterface(choice()->lineEdit());
        return nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (child->object() == choice()->view())
            return 0;
        if (choice()->isEditable() && child->object() == choice()->lineEdit())
            return 1;
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QLineEdit* line = choice()->isEditable() ? choice()->lineEdit() : nullptr;
        if (line && QRect(line->mapToGlobal(QPoint(0, 0)), line->size()).contains(x, y))
            return child(1);
        return nullptr;
    }

    // The edit line never takes the focus itself, but it is what is typed in.
    QAccessibleInterface* focusChild() const override
    {
        return choice()->isEditable() ? child(1) : nullptr;
    }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }

    QString localizedActionDescription(const QString& action) const override
    {
        if (action == showMenuAction() || action == pressAction())
            return QComboBox::tr("Open the combo box selection popup");
        return {};
    }

    void doAction(const QString& action) override
    {
        if (action != showMenuAction() && action != pressAction())
            return;
        if (choice()->view()->isVisible())
            choice()->hidePopup();
        else
            choice()->showPopup();
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    // The entry as read-only text, with the cursor at its start.
    QString text(int startOffset, int endOffset) const override
    {
        return choice()->currentText().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(choice()->currentText().size()); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    int selectionCount() const override { return 0; }
    void selection(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
    }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }

  private:
    QComboBox* choice() const { return static_cast<QComboBox*>(widget()); }
};

// A label that is a link: it is pressed through the first action added to
// it, and offers that action's shortcut as the key that presses it.
class WebLink final : public QAccessibleWidget
{
  public:
    explicit WebLink(QLabel* label) : QAccessibleWidget(label, QAccessible::Link) {}

    QString text(QAccessible::Text kind) const override
    {
        const auto* label = static_cast<const QLabel*>(widget());
        if (kind == QAccessible::Name && label->accessibleName().isEmpty())
            return label->text();
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.linked = true;
        return state;
    }

    QStringList actionNames() const override
    {
        return action() ? QStringList{pressAction()} : QStringList{};
    }

    void doAction(const QString& name) override
    {
        if (QAction* press = action(); press && name == pressAction())
            press->trigger();
    }

    QStringList keyBindingsForAction(const QString& name) const override
    {
        const QAction* press = action();
        if (!press || name != pressAction() || press->shortcut().isEmpty())
            return {};
        return {press->shortcut().toString(QKeySequence::NativeText)};
    }

  private:
    QAction* action() const
    {
        const QList<QAction*> actions = widget()->actions();
        return actions.isEmpty() ? nullptr : actions.first();
    }
};

// Consulted before Qt's own interfaces, for each class of the object from the
// most derived up, until one of them gives an interface.
QAccessibleInterface* editorInterface(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("QComboBox"))
        return new NamedChoice(static_cast<QComboBox*>(widget));
    if (className == QLatin1String(WebLinkLabel::staticMetaObject.className()))
        return new WebLink(static_cast<QLabel*>(widget));
    if (className == QLatin1String(SectionArea::staticMetaObject.className()))
        return new QAccessibleWidget(widget, QAccessible::Section);
    // Reached only for a class no interface is made for, such as the editor's
    // own window; Qt would make that a plain client area, which screen
    // readers do not take for a window and so follow no focus into.
    if (className == QLatin1String("QWidget") && widget->windowType() == Qt::Window)
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

} // namespace

void installEditorAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(editorInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace useropts
