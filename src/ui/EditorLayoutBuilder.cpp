// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/EditorLayoutBuilder.h"

#include "ui/ChoiceList.h"
#include "ui/EditorAccessibility.h"
#include "ui/EditorArtwork.h"
#include "ui/EditorFonts.h"
#include "ui/EditorLayout.h"
#include "ui/FrameStyle.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOption>
#include <QToolButton>
#include <qdrawutil.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

namespace useropts {

namespace {

constexpr int kNoLengthLimit = std::numeric_limits<int>::max();
constexpr QSize kDefaultPictureSize(24, 23);

// The class each kind of control is made as, in the order of ControlKind.
using WidgetClasses = std::tuple<QFrame, QLabel, QLabel, QGroupBox, QToolButton, QPushButton,
                                 QLineEdit, QComboBox, QComboBox>;
static_assert(std::tuple_size_v<WidgetClasses> == std::size_t(ControlKind::EditableChoice) + 1);
template <ControlKind Kind>
using Widget = std::tuple_element_t<static_cast<std::size_t>(Kind), WidgetClasses>;

Widget<ControlKind::Label>* makeLabel(const ControlRow& row, const LookStyle& look, QWidget* parent)
{
    // The web link is of a class of its own, which assistive technology
    // meets as a link.
    auto* label = look.look == Look::WebLink ? new WebLinkLabel(parent) : new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(QString::fromLatin1(row.caption));
    label->setAlignment(look.alignment);
    label->setWordWrap(look.wordWrap);
    if (look.border) {
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        label->setLineWidth(1);
    }
    return label;
}

// With the faces the layout was drawn for every caption fits its room, but
// for the web link's bold form, which it takes under the pointer; where only
// a wider face is installed, other captions would be cut off too. One that
// would be cut off takes the room it needs on the side its alignment leaves
// open: a right-aligned caption, which ends where its field begins, to the
// left; a centred one to both sides.
void fitCaption(QLabel* label)
{
    if (label->wordWrap())
        return;
    const Qt::Alignment alignment = label->alignment();
    const bool centred = alignment & Qt::AlignHCenter;
    int needed = QFontMetrics(label->font()).horizontalAdvance(label->text());
    if (centred) {
        QFont bold = label->font();
        bold.setBold(true);
        needed = std::max(needed, QFontMetrics(bold).horizontalAdvance(label->text()));
    }
    QRect box = label->geometry();
    const int extra = needed + 2 * label->frameWidth() + 1 - box.width();
    if (extra <= 0)
        return;
    if (alignment & Qt::AlignRight)
        box.setLeft(std::max(0, box.left() - extra));
    else if (centred)
        box.adjust(-(extra + 1) / 2, 0, (extra + 1) / 2, 0);
    else
        box.setRight(box.right() + extra);
    label->setGeometry(box);
}

Widget<ControlKind::Image>* makeImage(const ControlRow& row, qreal devicePixelRatio,
                                      QWidget* parent)
{
    auto* image = new QLabel(parent);
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (const QPixmap picture = artwork(row.picture, devicePixelRatio); !picture.isNull())
        image->setPixmap(picture);
    return image;
}

Widget<ControlKind::PictureButton>* makePictureButton(const ControlRow& row, qreal devicePixelRatio,
                                                      QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setText(QString::fromLatin1(row.caption));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIconSize(kDefaultPictureSize);
    if (const QPixmap picture = artwork(row.picture, devicePixelRatio); !picture.isNull()) {
        button->setIcon(QIcon(picture));
        button->setIconSize(picture.deviceIndependentSize().toSize());
    }
    return button;
}

Widget<ControlKind::Choice>* makeChoice(const ControlRow& row, QWidget* parent)
{
    auto* choice = new ChoiceList(parent);
    const auto texts = entryTexts(row.entries);
    for (int datum = 0; datum < 2; ++datum) {
        if (texts[static_cast<std::size_t>(datum)])
            choice->addItem(QString::fromLatin1(texts[static_cast<std::size_t>(datum)]), datum);
    }
    // Nothing is selected until a file or the defaults say what.
    choice->setCurrentIndex(-1);
    return choice;
}

Widget<ControlKind::EditableChoice>* makeEditableChoice(const ControlRow& row, QWidget* parent)
{
    auto* choice = new QComboBox(parent);
    choice->setEditable(true);
    // The list holds the card list file and nothing else, and what the user
    // types is what is saved: no entries added on Enter, no completion.
    choice->setInsertPolicy(QComboBox::NoInsert);
    choice->setCompleter(nullptr);
    choice->lineEdit()->setMaxLength(kNoLengthLimit);
    choice->lineEdit()->setAcceptDrops(false);
    choice->setEditText(QString::fromLatin1(row.caption));
    return choice;
}

Widget<ControlKind::TextField>* makeTextField(QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setMaxLength(kNoLengthLimit);
    field->setAcceptDrops(false); // a setting never changes by a drop
    return field;
}

QWidget* makeControl(const ControlRow& row, const LookStyle& look, qreal devicePixelRatio,
                     QWidget* parent)
{
    switch (row.kind) {
    case ControlKind::PictureArea: {
        // Of a class of its own, which assistive technology meets as a section.
        auto* area = new SectionArea(parent);
        area->setFrameStyle(QFrame::NoFrame);
        return area;
    }
    case ControlKind::Image:
        return makeImage(row, devicePixelRatio, parent);
    case ControlKind::Label:
        return makeLabel(row, look, parent);
    case ControlKind::Frame:
        return new Widget<ControlKind::Frame>(QString::fromLatin1(row.caption), parent);
    case ControlKind::PictureButton:
        return makePictureButton(row, devicePixelRatio, parent);
    case ControlKind::Button:
        return new Widget<ControlKind::Button>(QString::fromLatin1(row.caption), parent);
    case ControlKind::TextField:
        return makeTextField(parent);
    case ControlKind::Choice:
        return makeChoice(row, parent);
    case ControlKind::EditableChoice:
        return makeEditableChoice(row, parent);
    }
    return nullptr;
}

// The rows of the controls that name(i) names for each i below N, found when
// the program is compiled; kNoRow where it names none.
template <std::size_t N, typename Name> consteval std::array<std::size_t, N> rowsOf(Name name)
{
    std::array<std::size_t, N> rows{};
    for (std::size_t i = 0; i < N; ++i)
        rows[i] = name(i) ? controlRow(name(i)) : kNoRow;
    return rows;
}

// Each control's container; kNoRow for the window itself.
constexpr auto kParentRows =
    rowsOf<kEditorControls.size()>([](std::size_t row) { return kEditorControls[row].parent; });
constexpr auto kTabOrderRows =
    rowsOf<kEditorTabOrder.size()>([](std::size_t i) { return kEditorTabOrder[i]; });
// By Field: each setting's control, its caption and its note.
constexpr auto kFieldRows =
    rowsOf<kFieldCount>([](std::size_t field) { return kSettingControls[field].control; });
constexpr auto kCaptionRows =
    rowsOf<kFieldCount>([](std::size_t field) { return kSettingControls[field].caption; });
constexpr auto kNoteRows =
    rowsOf<kFieldCount>([](std::size_t field) { return kSettingControls[field].note; });
constexpr auto kSpokenPictureRows =
    rowsOf<kSpokenPictures.size()>([](std::size_t i) { return kSpokenPictures[i].control; });

using MadeControls = std::array<QWidget*, kEditorControls.size()>;

// What a screen reader says for a caption: a label's text without the colon
// that leads to its field, or a frame's title.
QString spokenCaption(QWidget* caption)
{
    if (const auto* frame = qobject_cast<QGroupBox*>(caption))
        return frame->title();
    QString text = static_cast<QLabel*>(caption)->text();
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text;
}

// Names each setting for assistive technology by its caption and describes
// it by its tip or note; the card choice's edit line, which is what is typed
// in, alike. A caption label is linked to its field, so that screen readers
// also find it as the field's label; the captions have no access key, so
// nothing drawn changes.
void nameForScreenReaders(const MadeControls& controls)
{
    for (std::size_t field = 0; field < kFieldRows.size(); ++field) {
        QWidget* control = controls[kFieldRows[field]];
        QWidget* caption = controls[kCaptionRows[field]];
        const QString name = spokenCaption(caption);
        const QString description =
            kNoteRows[field] == kNoRow
                ? control->toolTip()
                : static_cast<Widget<ControlKind::Label>*>(controls[kNoteRows[field]])->text();
        if (auto* label = qobject_cast<QLabel*>(caption))
            label->setBuddy(control);
        QList<QWidget*> spoken{control};
        if (auto* choice = qobject_cast<QComboBox*>(control); choice && choice->lineEdit())
            spoken.append(choice->lineEdit());
        for (QWidget* widget : spoken) {
            widget->setAccessibleName(name);
            widget->setAccessibleDescription(description);
        }
    }
    for (std::size_t i = 0; i < kSpokenPictures.size(); ++i)
        controls[kSpokenPictureRows[i]]->setAccessibleName(
            QString::fromLatin1(kSpokenPictures[i].name));
}

// Assistive technology lists a container's controls in the order of its
// children, which is their stacking order. The window's own are restacked in
// the order Tab visits them, the header first and the tip bar last, so that a
// screen reader lists the frames and fields as Tab goes through them. None of
// them overlaps another, so nothing drawn changes.
void stackInTabOrder(const MadeControls& controls)
{
    const auto topLevel = [](std::size_t row) {
        while (kParentRows[row] != kNoRow)
            row = kParentRows[row];
        return row;
    };
    std::array<bool, kEditorControls.size()> stacked{};
    for (const std::size_t row : kTabOrderRows) {
        const std::size_t top = topLevel(row);
        if (!stacked[top])
            controls[top]->raise();
        stacked[top] = true;
    }
    // What Tab never reaches stays first if it comes first in the layout, as
    // the header does, and goes last otherwise.
    const std::size_t firstStacked =
        std::size_t(std::find(stacked.begin(), stacked.end(), true) - stacked.begin());
    for (std::size_t row = firstStacked; row < kEditorControls.size(); ++row) {
        if (kParentRows[row] == kNoRow && !stacked[row])
            controls[row]->raise();
    }
}

// A row's control as the class its kind is made as, so that binding a row to a
// member of another class does not compile.
template <std::size_t Row> Widget<kEditorControls[Row].kind>* made(const MadeControls& controls)
{
    return static_cast<Widget<kEditorControls[Row].kind>*>(controls[Row]);
}

EditorControls handlerControls(const MadeControls& controls)
{
    EditorControls c;
    c.PicHeader = made<controlRow("PicHeader")>(controls);
    c.lblSubTitle = made<controlRow("lblSubTitle")>(controls);
    c.lblVersion = made<controlRow("lblVersion")>(controls);
    c.lblNote = made<controlRow("lblNote")>(controls);
    c.Label2 = made<controlRow("Label2")>(controls);
    c.lblTip = made<controlRow("lblTip")>(controls);
    c.cmdNew = made<controlRow("cmdNew")>(controls);
    c.cmdOpen = made<controlRow("cmdOpen")>(controls);
    c.cmdSave = made<controlRow("cmdSave")>(controls);
    c.cmdPrint = made<controlRow("cmdPrint")>(controls);
    c.cmdQuit = made<controlRow("cmdQuit")>(controls);
    c.cmdGetCards = made<controlRow("cmdGetCards")>(controls);
    // Each setting in a text field or a choice, as checked when compiled.
    for (std::size_t field = 0; field < kFieldRows.size(); ++field) {
        const std::size_t row = kFieldRows[field];
        if (kEditorControls[row].kind == ControlKind::TextField)
            c.texts[field] = static_cast<Widget<ControlKind::TextField>*>(controls[row]);
        else
            c.choices[field] = static_cast<Widget<ControlKind::Choice>*>(controls[row]);
    }
    return c;
}

} // namespace

EditorControls buildEditorLayout(QWidget* window)
{
    installEditorAccessibility();
    const Families families = fontFamilies();
    // The screen the window opens on; the pictures are read for its ratio.
    const qreal devicePixelRatio = window->devicePixelRatio();
    window->setWindowTitle(QString::fromLatin1(kWindowCaption));
    window->setFixedSize(twipsToPixels(kClientWidthTwips), twipsToPixels(kClientHeightTwips));
    window->setWindowIcon(windowIcon(devicePixelRatio));
    window->setFont(fontFor(FontStyle{}, families));
    // A style of the application's kind to draw all but the frames; where it
    // cannot be made again by name, the proxy takes the desktop's.
    auto* frameStyle = new FrameStyle(QStyleFactory::create(QApplication::style()->name()));

    MadeControls controls{};
    for (std::size_t row = 0; row < kEditorControls.size(); ++row) {
        const ControlRow& entry = kEditorControls[row];
        QWidget* parent = kParentRows[row] == kNoRow ? window : controls[kParentRows[row]];
        const LookStyle& look = lookStyle(entry.look);
        QWidget* control = makeControl(entry, look, devicePixelRatio, parent);
        if (entry.kind == ControlKind::Frame)
            control->setStyle(frameStyle);
        control->setObjectName(QString::fromLatin1(entry.name));
        control->setGeometry(twipsToPixels(entry.left), twipsToPixels(entry.top),
                             twipsToPixels(entry.width), twipsToPixels(entry.height));
        applyLook(control, look, families);
        if (auto* label = qobject_cast<QLabel*>(control))
            fitCaption(label);
        if (entry.tip)
            control->setToolTip(QString::fromLatin1(entry.tip));
        controls[row] = control;
    }
    nameForScreenReaders(controls);
    stackInTabOrder(controls);
    // Made the window's last child only now, so that it outlives the frames.
    frameStyle->setParent(window);

    QWidget* previous = nullptr;
    for (const std::size_t row : kTabOrderRows) {
        QWidget* next = controls[row];
        if (previous)
            QWidget::setTabOrder(previous, next);
        else
            next->setFocus();
        previous = next;
    }
    return handlerControls(controls);
}

} // namespace useropts
