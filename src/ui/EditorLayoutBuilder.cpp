#include "ui/EditorLayoutBuilder.h"

#include "ui/EditorLayout.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>
#include <limits>
#include <tuple>

namespace useropts {

namespace {

constexpr int kNoLengthLimit = std::numeric_limits<int>::max();
constexpr QSize kDefaultPictureSize(24, 23);

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

    void showPopup() override
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

  protected:
    void changeEvent(QEvent* event) override
    {
        const bool heldBack = !m_listReady && (event->type() == QEvent::FontChange ||
                                               event->type() == QEvent::PaletteChange);
        if (heldBack)
            QWidget::changeEvent(event);
        else
            QComboBox::changeEvent(event);
    }

  private:
    bool m_listReady = false;
};

// The class each kind of control is made as, in the order of ControlKind.
using WidgetClasses = std::tuple<QFrame, QLabel, QLabel, QGroupBox, QToolButton, QPushButton,
                                 QLineEdit, QComboBox, QComboBox>;
static_assert(std::tuple_size_v<WidgetClasses> == std::size_t(ControlKind::EditableChoice) + 1);
template <ControlKind Kind>
using Widget = std::tuple_element_t<static_cast<std::size_t>(Kind), WidgetClasses>;

// The families behind the layout's faces, looked up once for the window.
struct Families
{
    QString standard; // the desktop's, for the Window and Standard faces
    QString verdana;
};

Families fontFamilies()
{
    // Verdana's stand-in is of the same wide build and metrics and present on
    // every desktop here; Verdana itself serves where it is missing. Naming
    // one family rather than both as a list spares a fontconfig query for the
    // list's fallbacks, which costs about as much as loading a font.
    const QString standIn = QStringLiteral("DejaVu Sans");
    return {QFontDatabase::systemFont(QFontDatabase::GeneralFont).family(),
            QFontDatabase::styles(standIn).isEmpty() ? QStringLiteral("Verdana") : standIn};
}

QFont fontFor(const FontStyle& style, const Families& families)
{
    QFont font;
    font.setFamily(style.face == FontFace::Verdana ? families.verdana : families.standard);
    font.setPixelSize(style.pixelSize > 0 ? style.pixelSize : kWindowFontPixels);
    font.setBold(style.bold);
    font.setUnderline(style.underline);
    return font;
}

// Fixes a colour role in every state. Without it a label inside a frame would
// take on the frame caption's colour.
void setRole(QPalette& palette, QPalette::ColorRole role, const QBrush& brush)
{
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setBrush(group, role, brush);
}

void applyLook(QWidget* widget, const LookStyle& look, const Families& families)
{
    widget->setFont(fontFor(look.font, families));
    QPalette palette = widget->palette();
    const QPalette standard = QApplication::palette(widget);
    // Only labels and frame captions are coloured, and they draw in WindowText.
    if (look.textColour)
        setRole(palette, QPalette::WindowText, QColor(QString::fromLatin1(look.textColour)));
    else
        setRole(palette, QPalette::WindowText, standard.brush(QPalette::WindowText));
    if (look.backColour) {
        const QColor colour(QString::fromLatin1(look.backColour));
        setRole(palette, QPalette::Window, colour);
        setRole(palette, QPalette::Button, colour);
        if (!qobject_cast<QToolButton*>(widget))
            widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
}

// Our artwork is PNG. Naming the format, and no other, keeps Qt from loading
// every image plugin to ask whether it reads the file. Null if it is missing.
QPixmap artwork(const char* path)
{
    QImageReader reader(QString::fromLatin1(path), QByteArrayLiteral("png"));
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

Widget<ControlKind::Label>* makeLabel(const ControlRow& row, const LookStyle& look, QWidget* parent)
{
    auto* label = new QLabel(parent);
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

// The captions were laid out for narrower faces than the substitutes. One
// that would be cut off takes the room it needs on the side its alignment
// leaves open: a right-aligned caption, which ends where its field begins, to
// the left; a centred one to both sides. A centred caption also gets room for
// its bold form, which the web link takes under the pointer.
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

Widget<ControlKind::Image>* makeImage(const ControlRow& row, QWidget* parent)
{
    auto* image = new QLabel(parent);
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (const QPixmap picture = artwork(row.picture); !picture.isNull())
        image->setPixmap(picture);
    return image;
}

Widget<ControlKind::PictureButton>* makePictureButton(const ControlRow& row, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setText(QString::fromLatin1(row.caption));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIconSize(kDefaultPictureSize);
    if (const QPixmap picture = artwork(row.picture); !picture.isNull()) {
        button->setIcon(QIcon(picture));
        button->setIconSize(picture.size());
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
    choice->setEditText(QString::fromLatin1(row.caption));
    return choice;
}

Widget<ControlKind::TextField>* makeTextField(QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setMaxLength(kNoLengthLimit);
    return field;
}

QWidget* makeControl(const ControlRow& row, const LookStyle& look, QWidget* parent)
{
    switch (row.kind) {
    case ControlKind::PictureArea: {
        auto* area = new Widget<ControlKind::PictureArea>(parent);
        area->setFrameStyle(QFrame::NoFrame);
        return area;
    }
    case ControlKind::Image:
        return makeImage(row, parent);
    case ControlKind::Label:
        return makeLabel(row, look, parent);
    case ControlKind::Frame:
        return new Widget<ControlKind::Frame>(QString::fromLatin1(row.caption), parent);
    case ControlKind::PictureButton:
        return makePictureButton(row, parent);
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

QIcon windowIcon()
{
    QIcon icon;
    for (const char* file : kWindowIconFiles) {
        if (const QPixmap picture = artwork(file); !picture.isNull())
            icon.addPixmap(picture);
    }
    return icon;
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
constexpr auto kFieldRows =
    rowsOf<kFieldCount>([](std::size_t field) { return kFieldControls[field].name; });

using MadeControls = std::array<QWidget*, kEditorControls.size()>;

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
    // The layout lists the settings in Field order, each in a text field or a
    // choice.
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
    const Families families = fontFamilies();
    window->setWindowTitle(QString::fromLatin1(kWindowCaption));
    window->setFixedSize(twipsToPixels(kClientWidthTwips), twipsToPixels(kClientHeightTwips));
    window->setWindowIcon(windowIcon());
    window->setFont(fontFor(FontStyle{}, families));

    MadeControls controls{};
    for (std::size_t row = 0; row < kEditorControls.size(); ++row) {
        const ControlRow& entry = kEditorControls[row];
        QWidget* parent = kParentRows[row] == kNoRow ? window : controls[kParentRows[row]];
        const LookStyle& look = lookStyle(entry.look);
        QWidget* control = makeControl(entry, look, parent);
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
