#pragma once

#include <Qt>

#include <array>
#include <span>

namespace useropts {

// What the editor window holds, where and how it looks, as plain data. The
// positions are in twips (1/1440 inch) as the window was designed; at 96 dots
// per inch 15 twips make one pixel.

inline constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    return twips / kTwipsPerPixel;
}

inline constexpr char kWindowCaption[] = "User Options Editor";
inline constexpr int kClientWidthTwips = 9735;
inline constexpr int kClientHeightTwips = 8010;
inline constexpr std::array<const char*, 3> kWindowIconFiles = {
    ":/artwork/floppy-16.png", ":/artwork/floppy-32.png", ":/artwork/floppy-64.png"};

enum class ControlKind
{
    PictureArea,    // a plain area that holds other controls
    Image,          // a fixed picture
    Label,          // text only
    Frame,          // a group frame with its caption in the top border
    PictureButton,  // a small picture above the caption
    Button,         // a plain push button
    TextField,      // one line of free text
    Choice,         // a drop-down list of two entries; no typing
    EditableChoice, // a drop-down list whose text can also be typed
};

enum class FontFace
{
    Window,   // the window's default font
    Standard, // the desktop's standard user-interface face
    Verdana,  // a wide, very legible sans serif
};

struct FontStyle
{
    FontFace face = FontFace::Window;
    int pixelSize = 0; // 0: the window font's size
    bool bold = false;
    bool underline = false;
};

// The font size of the window's own default font, 8.25 points.
inline constexpr int kWindowFontPixels = 11;

// Appearance shared by several controls.
enum class Look
{
    Plain,
    HeaderArea,
    HeaderTitle,
    HeaderSubTitle,
    HeaderVersion,
    HeaderNote,
    WebLink,
    PictureButton,
    FrameCaption,
    FieldCaption,
    TextField,
    CardNote,
    TipBar,
};

struct LookStyle
{
    Look look;
    FontStyle font;
    const char* textColour; // "#RRGGBB"; nullptr keeps the system's colour
    const char* backColour; // likewise; a label without one is transparent
    Qt::Alignment alignment;
    bool wordWrap;
    bool border; // a thin flat line around the control
};

// The two entries of a choice; entry 0 carries the item datum 0, entry 1 the 1.
enum class Entries
{
    None,
    DhcpOrStatic,
    BasicOrFull,
    NoOrYes
};

struct ControlRow
{
    const char* name;
    ControlKind kind;
    const char* parent; // nullptr: the window itself
    int left;           // twips from the container's top-left corner
    int top;
    int width;
    int height;
    const char* caption; // the text shown; an '&' marks a button's access key
    Look look;
    Entries entries;
    const char* tip;     // shown while the pointer rests on the control
    const char* picture; // resource path of a button's or an image's picture
};

std::span<const ControlRow> editorControls();
const LookStyle& lookStyle(Look look);
std::array<const char*, 2> entryTexts(Entries entries);

// Tab moves through these in order; the first holds the focus at the start.
std::span<const char* const> editorTabOrder();

} // namespace useropts
