#include "ui/EditorLayoutBuilder.h"

#include "ui/EditorLayout.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>
#include <limits>

namespace useropts {

namespace {

constexpr int kNoLengthLimit = std::numeric_limits<int>::max();
constexpr QSize kDefaultPictureSize(24, 23);

QFont fontFor(const FontStyle& row)
{
    QFont font;
    switch (row.face) {
    case FontFace::Window:
    case FontFace::Standard:
        font.setFamily(QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
        break;
    case FontFace::Verdana:
        // Of the same wide build and metrics, and present on every desktop here.
        font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Verdana")});
        break;
    }
    font.setPixelSize(row.pixelSize > 0 ? row.pixelSize : kWindowFontPixels);
    font.setBold(row.bold);
    font.setUnderline(row.underline);
    return font;
}

// Fixes a colour role in every state. Without it a label inside a frame would
// take on the frame caption's colour.
void setRole(QPalette& palette, QPalette::ColorRole role, const QBrush& brush)
{
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setBrush(group, role, brush);
}

void applyLook(QWidget* widget, const LookStyle& look)
{
    widget->setFont(fontFor(look.font));
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

QWidget* makeLabel(const ControlRow& row, const LookStyle& look, QWidget* parent)
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

QWidget* makeImage(const ControlRow& row, QWidget* parent)
{
    auto* image = new QLabel(parent);
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (row.picture && QFile::exists(QString::fromLatin1(row.picture)))
        image->setPixmap(QPixmap(QString::fromLatin1(row.picture)));
    return image;
}

QWidget* makePictureButton(const ControlRow& row, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setText(QString::fromLatin1(row.caption));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIconSize(kDefaultPictureSize);
    if (row.picture && QFile::exists(QString::fromLatin1(row.picture))) {
        const QPixmap picture(QString::fromLatin1(row.picture));
        button->setIcon(QIcon(picture));
        button->setIconSize(picture.size());
    }
    return button;
}

QWidget* makeChoice(const ControlRow& row, QWidget* parent)
{
    auto* choice = new QComboBox(parent);
    const auto texts = entryTexts(row.entries);
    for (int datum = 0; datum < 2; ++datum) {
        if (texts[static_cast<std::size_t>(datum)])
            choice->addItem(QString::fromLatin1(texts[static_cast<std::size_t>(datum)]), datum);
    }
    // Nothing is selected until a file or the defaults say what.
    choice->setCurrentIndex(-1);
    return choice;
}

QWidget* makeEditableChoice(const ControlRow& row, QWidget* parent)
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

QWidget* makeControl(const ControlRow& row, const LookStyle& look, QWidget* parent)
{
    switch (row.kind) {
    case ControlKind::PictureArea: {
        auto* area = new QFrame(parent);
        area->setFrameStyle(QFrame::NoFrame);
        return area;
    }
    case ControlKind::Image:
        return makeImage(row, parent);
    case ControlKind::Label:
        return makeLabel(row, look, parent);
    case ControlKind::Frame:
        return new QGroupBox(QString::fromLatin1(row.caption), parent);
    case ControlKind::PictureButton:
        return makePictureButton(row, parent);
    case ControlKind::Button:
        return new QPushButton(QString::fromLatin1(row.caption), parent);
    case ControlKind::TextField: {
        auto* field = new QLineEdit(parent);
        field->setMaxLength(kNoLengthLimit);
        return field;
    }
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
        if (QFile::exists(QString::fromLatin1(file)))
            icon.addFile(QString::fromLatin1(file));
    }
    return icon;
}

} // namespace

void buildEditorLayout(QWidget* window)
{
    window->setWindowTitle(QString::fromLatin1(kWindowCaption));
    window->setFixedSize(twipsToPixels(kClientWidthTwips), twipsToPixels(kClientHeightTwips));
    window->setWindowIcon(windowIcon());
    window->setFont(fontFor(FontStyle{}));

    for (const ControlRow& row : editorControls()) {
        QWidget* parent =
            row.parent ? window->findChild<QWidget*>(QString::fromLatin1(row.parent)) : window;
        Q_ASSERT(parent);
        const LookStyle& look = lookStyle(row.look);
        QWidget* control = makeControl(row, look, parent);
        control->setObjectName(QString::fromLatin1(row.name));
        control->setGeometry(twipsToPixels(row.left), twipsToPixels(row.top),
                             twipsToPixels(row.width), twipsToPixels(row.height));
        applyLook(control, look);
        if (auto* label = qobject_cast<QLabel*>(control))
            fitCaption(label);
        if (row.tip)
            control->setToolTip(QString::fromLatin1(row.tip));
    }

    QWidget* previous = nullptr;
    for (const char* name : editorTabOrder()) {
        QWidget* next = window->findChild<QWidget*>(QString::fromLatin1(name));
        Q_ASSERT(next);
        if (previous)
            QWidget::setTabOrder(previous, next);
        else
            next->setFocus();
        previous = next;
    }
}

} // namespace useropts
