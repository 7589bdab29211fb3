#include "ui/EditorLayoutBuilder.h"

#include "ui/EditorAccessibility.h"
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

// Draws the group frames the way the layout places their contents: the
// caption stands in the top border line, which is broken behind it, so the
// first row of controls, a caption's height below the frame's outer corner,
// sits inside the border. The desktop style draws the caption above a border
// that starts lower down, through that row. A style rather than a style
// sheet: it adds nothing to the start but the one object, and QGroupBox asks
// it for the caption's and the contents' places too. Everything else is the
// desktop style's own.
class FrameStyle final : public QProxyStyle
{
  public:
    using QProxyStyle::QProxyStyle;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override
    {
        const auto* frame = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        if (control != CC_GroupBox || !frame)
            return QProxyStyle::subControlRect(control, option, part, widget);
        const QRect outer = frame->rect;
        const int captionHeight = frame->fontMetrics.height();
        switch (part) {
        case SC_GroupBoxLabel:
            if (frame->text.isEmpty())
                return {};
            return {outer.left() + kCaptionIndent, outer.top(),
                    frame->fontMetrics.horizontalAdvance(frame->text) + 2 * kCaptionGap,
                    captionHeight};
        case SC_GroupBoxFrame:
            return outer.adjusted(0, captionHeight / 2, 0, 0);
        case SC_GroupBoxContents:
            return outer.adjusted(kBorder, captionHeight, -kBorder, -kBorder);
        default:
            return QProxyStyle::subControlRect(control, option, part, widget);
        }
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override
    {
        const auto* frame = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        if (control != CC_GroupBox || !frame) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        const QRect caption = subControlRect(control, option, SC_GroupBoxLabel, widget);
        const QRect border = subControlRect(control, option, SC_GroupBoxFrame, widget);
        painter->save();
        painter->setClipRegion(QRegion(frame->rect).subtracted(caption));
        // An etched line, sunk into the window and lit from the top left.
        qDrawShadeRect(painter, border, frame->palette, true, 1, 0);
        painter->restore();
        drawItemText(painter, caption, Qt::AlignCenter | Qt::TextShowMnemonic, frame->palette,
                     frame->state & State_Enabled, frame->text, QPalette::WindowText);
    }

  private:
    static constexpr int kCaptionIndent = 6; // from the frame's left edge to the gap
    static constexpr int kCaptionGap = 2;    // line broken either side of the caption
    static constexpr int kBorder = 2;        // the etched line's width
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
    QString standard; // for the Window and Standard faces
    QString verdana;
};

// The first of the families that is installed, or an empty string. Only a
// family's own name counts, not another that fontconfig would put in its place.
QString installed(std::initializer_list<const char*> families)
{
    for (const char* family : families) {
        const QString name = QString::fromLatin1(family);
        if (!QFontDatabase::styles(name).isEmpty())
            return name;
    }
    return {};
}

Families fontFamilies()
{
    // The layout was drawn for the classic dialog face, whose widths Liberation
    // Sans (and Arimo, its twin) share, so every caption and entry fits the
    // room the table gives it. The desktop's own face, wider as a rule, is
    // the last resort: fitCaption then widens what would be cut off. Verdana's
    // stand-in is of the same wide build and metrics and present on every
    // desktop here; Verdana itself serves where it is missing. Naming one
    // family rather than a list spares a fontconfig query for the list's
    // fallbacks, which costs about as much as loading a font.
    QString standard = installed({"Liberation Sans", "Arimo", "Arial"});
    if (standard.isEmpty())
        standard = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    QString verdana = installed({"DejaVu Sans"});
    if (verdana.isEmpty())
        verdana = QStringLiteral("Verdana");
    return {standard, verdana};
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

// Each picture is drawn at one, two and three device pixels to the pixel;
// a screen gets the next one up from its own ratio.
int artworkScale(qreal devicePixelRatio)
{
    return std::clamp(static_cast<int>(std::ceil(devicePixelRatio - 0.01)), 1, 3);
}

// Our artwork is PNG. Naming the format, and no other, keeps Qt from loading
// every image plugin to ask whether it reads the file. Null if it is missing.
QImage readPng(const QString& path)
{
    QImageReader reader(path, QByteArrayLiteral("png"));
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

// The picture at path (the name of its one-to-one form) for a screen of the
// given ratio, reading only the one form that suits it. Between two scales
// it is shrunk once here, smoothly, to the screen's own pixels: drawn as it
// is, the painter would shrink it at every paint and unevenly. Its size in
// pixels is that of the one-to-one form either way.
QPixmap artwork(const char* path, qreal devicePixelRatio)
{
    const int scale = artworkScale(devicePixelRatio);
    QString file = QString::fromLatin1(path);
    if (scale > 1)
        file.insert(file.lastIndexOf(u'.'), QStringLiteral("@%1x").arg(scale));
    QImage image = readPng(file);
    if (image.isNull())
        return {};
    if (!qFuzzyCompare(devicePixelRatio, qreal(scale))) {
        // Smooth scaling blends colours, which a picture with a palette has
        // no room for (and Qt 6.4 crashes trying).
        const QSizeF pixels = QSizeF(image.size() / scale) * devicePixelRatio;
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                    .scaled(pixels.toSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    image.setDevicePixelRatio(devicePixelRatio);
    return QPixmap::fromImage(std::move(image));
}

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
        auto* area = new Widget<ControlKind::PictureArea>(parent);
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

// Each size once, in the screen's pixels, and no others: the window system is
// handed every size the icon holds, in full, when the window first shows.
QIcon windowIcon(qreal devicePixelRatio)
{
    const int scale = artworkScale(devicePixelRatio);
    QIcon icon;
    for (const int size : kWindowIconSizes) {
        const auto file = std::find_if(kWindowIconFileSizes.begin(), kWindowIconFileSizes.end() - 1,
                                       [&](int fileSize) { return fileSize >= size * scale; });
        const QImage picture = readPng(QString::fromLatin1(kWindowIconFile).arg(*file));
        if (!picture.isNull())
            icon.addPixmap(QPixmap::fromImage(picture));
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

constexpr auto kSpokenControlRows =
    rowsOf<kSpokenCaptions.size()>([](std::size_t i) { return kSpokenCaptions[i].control; });
constexpr auto kSpokenCaptionRows =
    rowsOf<kSpokenCaptions.size()>([](std::size_t i) { return kSpokenCaptions[i].caption; });
constexpr auto kSpokenNoteRows =
    rowsOf<kSpokenCaptions.size()>([](std::size_t i) { return kSpokenCaptions[i].note; });
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
    for (std::size_t i = 0; i < kSpokenCaptions.size(); ++i) {
        QWidget* control = controls[kSpokenControlRows[i]];
        QWidget* caption = controls[kSpokenCaptionRows[i]];
        const QString name = spokenCaption(caption);
        const QString description =
            kSpokenNoteRows[i] == kNoRow
                ? control->toolTip()
                : static_cast<Widget<ControlKind::Label>*>(controls[kSpokenNoteRows[i]])->text();
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
