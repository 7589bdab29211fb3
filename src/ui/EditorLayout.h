// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/EditorFields.h"
#include "settings/SettingsLayout.h"
#include "ui/MakerSite.h"

#include <Qt>

#include <array>
#include <cstddef>
#include <limits>
#include <string_view>

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
// The window icon in pixels; on a screen of N device pixels to the pixel
// each size comes from the smallest of the files below that has N times as
// many, or the largest of them.
inline constexpr std::array<int, 3> kWindowIconSizes = {16, 32, 64};
inline constexpr char kWindowIconFile[] = ":/artwork/icons/useropts-editor-%1.png";
inline constexpr std::array<int, 6> kWindowIconFileSizes = {16, 32, 48, 64, 128, 256};

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
    Standard, // the standard dialog face, as the window's but at a size of its own
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
    const char* picture; // resource path of a button's or an image's picture at one
                         // device pixel to the pixel; NAME@2x.png, NAME@3x.png beside it
};

const LookStyle& lookStyle(Look look);
std::array<const char*, 2> entryTexts(Entries entries);

// The table's short names for kinds, looks and entries stay in here.
namespace layout_rows {

using K = ControlKind;
using L = Look;
using E = Entries;

inline constexpr char kNote[] =
    "This editor is designed for v5.7 Corvanes and has been untested on other versions.";
inline constexpr char kCardNote[] =
    "Menu defaults to this Network Card if NO card is auto-detected. Ideally select your "
    "non-autodetecting default here.";
inline constexpr char kTipBar[] =
    "Hold your mouse over over each item to see more information about each item.";

// clang-format off
inline constexpr std::array<ControlRow, 58> kControls = {{
    // name          kind              parent       left  top   width height caption                     look                entries          tip, picture
    {"PicHeader",    K::PictureArea,   nullptr,        0,    0, 9735, 2085, nullptr,                    L::HeaderArea,      E::None, nullptr, nullptr},
    {"imgLogo",      K::Image,         "PicHeader",    0,    0, 1950, 2025, nullptr,                    L::Plain,           E::None, nullptr, ":/artwork/logo.png"},
    {"Label3",       K::Label,         "PicHeader", 1980,   60, 7710,  495, "Corvane Startup Floppy",   L::HeaderTitle,     E::None, nullptr, nullptr},
    {"lblSubTitle",  K::Label,         "PicHeader", 2040,  480, 7650,  495, "User Options Editor",      L::HeaderSubTitle,  E::None, nullptr, nullptr},
    {"lblVersion",   K::Label,         "PicHeader", 2100,  900, 7650,  255, "Version X.X.X",            L::HeaderVersion,   E::None, nullptr, nullptr},
    {"lblNote",      K::Label,         "PicHeader", 2040, 1140, 7650,  495, kNote,                      L::HeaderNote,      E::None, nullptr, nullptr},
    {"Label2",       K::Label,         "PicHeader", 4500, 1620, 2805,  270, kMakerSiteHost,             L::WebLink,         E::None, nullptr, nullptr},

    {"cmdNew",       K::PictureButton, nullptr,     5040, 2340,  855,  795, "&New",                     L::PictureButton,   E::None, nullptr, ":/artwork/new.png"},
    {"cmdOpen",      K::PictureButton, nullptr,     5940, 2340,  855,  795, "&Open",                    L::PictureButton,   E::None, nullptr, ":/artwork/open.png"},
    {"cmdSave",      K::PictureButton, nullptr,     6840, 2340,  855,  795, "&Save",                    L::PictureButton,   E::None, nullptr, ":/artwork/save.png"},
    {"cmdPrint",     K::PictureButton, nullptr,     7740, 2340,  855,  795, "&Print",                   L::PictureButton,   E::None, nullptr, ":/artwork/print.png"},
    {"cmdQuit",      K::PictureButton, nullptr,     8640, 2340,  855,  795, "&Quit",                    L::PictureButton,   E::None, nullptr, ":/artwork/quit.png"},

    {"Frame4",       K::Frame,         nullptr,       60, 2280, 4755, 1335, "Last Used Network Card",   L::FrameCaption,    E::None, nullptr, nullptr},
    {"Label5",       K::Label,         "Frame4",      60,  240, 4575,  855, kCardNote,                  L::CardNote,        E::None, nullptr, nullptr},
    {"cmdGetCards",  K::Button,        "Frame4",     120,  900, 1155,  315, "&Update List",             L::Plain,           E::None, nullptr, nullptr},
    {"cboNIC",       K::EditableChoice,"Frame4",    1320,  900, 3375,  315, "Combo1",                   L::Plain,           E::None, nullptr, nullptr},

    {"Frame1",       K::Frame,         nullptr,       60, 3660, 4755, 1395, "Logon",                    L::FrameCaption,    E::None, nullptr, nullptr},
    {"Label1(0)",    K::Label,         "Frame1",     600,  300, 1800,  240, "Username:",                L::FieldCaption,    E::None, nullptr, nullptr},
    {"txtUsername",  K::TextField,     "Frame1",    2460,  240, 2175,  300, nullptr,                    L::TextField,       E::None, "Username to logon to the network with", nullptr},
    {"Label1(1)",    K::Label,         "Frame1",     600,  660, 1800,  240, "Password:",                L::FieldCaption,    E::None, nullptr, nullptr},
    {"txtPassword",  K::TextField,     "Frame1",    2460,  600, 2175,  300, nullptr,                    L::TextField,       E::None, "Password for the above username", nullptr},
    {"Label1(2)",    K::Label,         "Frame1",     600, 1020, 1800,  240, "Workgroup/Domain:",        L::FieldCaption,    E::None, nullptr, nullptr},
    {"txtDomain",    K::TextField,     "Frame1",    2460,  960, 2175,  300, nullptr,                    L::TextField,       E::None, "Workgroup / Domain name", nullptr},

    {"Frame3",       K::Frame,         nullptr,       60, 5100, 4755, 2475, "TCP/IP Settings",          L::FrameCaption,    E::None, nullptr, nullptr},
    {"Label1(6)",    K::Label,         "Frame3",     600,  300, 1800,  240, "Enable DHCP:",             L::FieldCaption,    E::None, nullptr, nullptr},
    {"cboDHCP",      K::Choice,        "Frame3",    2460,  240, 2175,  315, nullptr,                    L::Plain,           E::DhcpOrStatic, "Use DHCP Automatic IP configuration?", nullptr},
    {"Label1(3)",    K::Label,         "Frame3",     600,  660, 1800,  240, "IP Address:",              L::FieldCaption,    E::None, nullptr, nullptr},
    {"txtIP",        K::TextField,     "Frame3",    2460,  600, 2175,  300, nullptr,                    L::TextField,       E::None, "Static IP address to use", nullptr},
    {"Label1(4)",    K::Label,         "Frame3",     600, 1020, 1800,  240, "Subnet Mask:",             L::FieldCaption,    E::None, nullptr, nullptr},
    {"txtSubnet",    K::TextField,     "Frame3",    2460,  960, 2175,  300, nullptr,                    L::TextField,       E::None, "Static subnet mask to use", nullptr},
    {"Label1(5)",    K::Label,         "Frame3",     600, 1380, 1800,  240, "Default Gateway:",         L::FieldCaption,    E::None, nullptr, nullptr},
    {"txtGateway",   K::TextField,     "Frame3",    2460, 1320, 2175,  300, nullptr,                    L::TextField,       E::None, "Static Default Gateway to use", nullptr},
    {"Label1(9)",    K::Label,         "Frame3",     540, 1740, 1860,  240, "DNS Server:",              L::FieldCaption,    E::None, nullptr, nullptr},
    {"txtDNS",       K::TextField,     "Frame3",    2460, 1680, 2175,  300, nullptr,                    L::TextField,       E::None, "Static DNS Server IP Address", nullptr},
    {"Label1(17)",   K::Label,         "Frame3",     540, 2100, 1860,  240, "WINS Server:",             L::FieldCaption,    E::None, nullptr, nullptr},
    {"txtWINS",      K::TextField,     "Frame3",    2460, 2040, 2175,  300, nullptr,                    L::TextField,       E::None, "Static WINS Server IP address", nullptr},

    {"Frame2",       K::Frame,         nullptr,     4920, 3300, 4755, 4275, "Extra Options",            L::FrameCaption,    E::None, nullptr, nullptr},
    {"Label1(18)",   K::Label,         "Frame2",      60,  300, 2340,  240, "Network Redirector Type:", L::FieldCaption,    E::None, nullptr, nullptr},
    {"cboRedirector",K::Choice,        "Frame2",    2460,  240, 2175,  315, nullptr,                    L::Plain,           E::BasicOrFull, "BASIC redirector is recommended unless you need domain authenication support, in which case the more memory intensive FULL redirector should be used.", nullptr},
    {"Label1(11)",   K::Label,         "Frame2",      60,  660, 2340,  240, "Enable Packet Driver:",    L::FieldCaption,    E::None, nullptr, nullptr},
    {"cboPacket",    K::Choice,        "Frame2",    2460,  600, 2175,  315, nullptr,                    L::Plain,           E::NoOrYes, "Enable for GhostCast Support, or other DOS network-based apps", nullptr},
    {"Label1(12)",   K::Label,         "Frame2",      60, 1020, 2340,  240, "Enable DNS Redirector:",   L::FieldCaption,    E::None, nullptr, nullptr},
    {"cboDNS",       K::Choice,        "Frame2",    2460,  960, 2175,  315, nullptr,                    L::Plain,           E::NoOrYes, "Enables resolves of DNS names to IP addresses", nullptr},
    {"Label1(13)",   K::Label,         "Frame2",      60, 1380, 2340,  240, "Enable Mouse Driver:",     L::FieldCaption,    E::None, nullptr, nullptr},
    {"cboMouse",     K::Choice,        "Frame2",    2460, 1320, 2175,  315, nullptr,                    L::Plain,           E::NoOrYes, "Do you need Mouse support?", nullptr},
    {"Label1(14)",   K::Label,         "Frame2",      60, 1740, 2340,  240, "Enable NTFS Script:",      L::FieldCaption,    E::None, nullptr, nullptr},
    {"cboNTFS",      K::Choice,        "Frame2",    2460, 1680, 2175,  315, nullptr,                    L::Plain,           E::NoOrYes, "Execute the NTFS Support script?", nullptr},
    {"Label1(15)",   K::Label,         "Frame2",      60, 2100, 2340,  240, "Enable CD-ROM Support:",   L::FieldCaption,    E::None, nullptr, nullptr},
    {"cboCD",        K::Choice,        "Frame2",    2460, 2040, 2175,  315, nullptr,                    L::Plain,           E::NoOrYes, "Enable the CD-ROM Driver?", nullptr},
    {"Label1(7)",    K::Label,         "Frame2",      60, 2460, 2340,  240, "Enable UDMA Support:",     L::FieldCaption,    E::None, nullptr, nullptr},
    {"cboUDMA",      K::Choice,        "Frame2",    2460, 2400, 2175,  315, nullptr,                    L::Plain,           E::NoOrYes, "Enable UDMA Support? Should speed up HDD access, but may cause perforamce/crashing issues.", nullptr},
    {"Label1(10)",   K::Label,         "Frame2",     600, 2820, 1800,  240, "Computer Name:",           L::FieldCaption,    E::None, nullptr, nullptr},
    {"txtComputer",  K::TextField,     "Frame2",    2460, 2760, 2175,  300, nullptr,                    L::TextField,       E::None, "Computer Name to use. Any name starting with KZ* will create a random computer name (KZxxxxxx) everytime the disk is booted.", nullptr},
    {"Label1(16)",   K::Label,         "Frame2",      60, 3180, 2340,  240, "Auto-Execute Command:",    L::FieldCaption,    E::None, nullptr, nullptr},
    {"txtLogon",     K::TextField,     "Frame2",    2460, 3120, 2175,  300, nullptr,                    L::TextField,       E::None, "DOS Command to execute upon completing the Kestrune script. eg: LOGON.BAT and place your LOGON.bat in the A:\\TARNDIR\\FILECOPY folder.", nullptr},
    {"Label1(8)",    K::Label,         "Frame2",     600, 3540, 1800,  240, "Menu Timeout:",            L::FieldCaption,    E::None, nullptr, nullptr},
    {"txtTimeOut",   K::TextField,     "Frame2",    2460, 3480, 2175,  300, nullptr,                    L::TextField,       E::None, "Number of seconds to wait until the menu automatically times out.", nullptr},

    {"lblTip",       K::Label,         nullptr,       60, 7680, 9615,  255, kTipBar,                    L::TipBar,          E::None, nullptr, nullptr},
}};
// clang-format on

} // namespace layout_rows

// Every control of the window, each after the container that holds it.
inline constexpr const std::array<ControlRow, 58>& kEditorControls = layout_rows::kControls;

// Tab moves through these in order; the first holds the focus at the start.
// clang-format off
inline constexpr std::array<const char*, 26> kEditorTabOrder = {
    "txtUsername", "txtPassword", "txtDomain",
    "cboDHCP", "txtIP", "txtSubnet", "txtGateway", "txtDNS", "txtWINS",
    "cboRedirector", "cboPacket", "cboDNS", "cboMouse", "cboNTFS", "cboCD", "cboUDMA",
    "txtComputer", "txtLogon", "txtTimeOut",
    "cmdNew", "cmdOpen", "cmdSave",
    "cmdQuit", "cmdPrint",
    "cmdGetCards", "cboNIC",
};

// Which control shows each setting, and how a screen reader names it: by
// the caption beside it, or for the card choice by its frame's, which is
// linked to it; it reads the control's tip as its description, or a note
// beside a control without one. One row for each setting, in Field order;
// the compiler checks each against the layout and the file's own table.
struct SettingControl
{
    Field field;
    const char* control;
    const char* caption; // a field caption beside the control, or the frame that holds it
    const char* note;    // a label describing a control that has no tip, or nullptr
};

// clang-format off
inline constexpr std::array<SettingControl, kFieldCount> kSettingControls = {{
    {Field::NetCard,        "cboNIC",        "Frame4",     "Label5"},
    {Field::Workgroup,      "txtDomain",     "Label1(2)",  nullptr},
    {Field::UserName,       "txtUsername",   "Label1(0)",  nullptr},
    {Field::Password,       "txtPassword",   "Label1(1)",  nullptr},
    {Field::DisableDhcp,    "cboDHCP",       "Label1(6)",  nullptr},
    {Field::IpAddress,      "txtIP",         "Label1(3)",  nullptr},
    {Field::SubnetMask,     "txtSubnet",     "Label1(4)",  nullptr},
    {Field::DefaultGateway, "txtGateway",    "Label1(5)",  nullptr},
    {Field::LogonScript,    "txtLogon",      "Label1(16)", nullptr},
    {Field::TimeOut,        "txtTimeOut",    "Label1(8)",  nullptr},
    {Field::Dns,            "txtDNS",        "Label1(9)",  nullptr},
    {Field::ComputerName,   "txtComputer",   "Label1(10)", nullptr},
    {Field::Packet,         "cboPacket",     "Label1(11)", nullptr},
    {Field::DnsEnable,      "cboDNS",        "Label1(12)", nullptr},
    {Field::Mouse,          "cboMouse",      "Label1(13)", nullptr},
    {Field::Redirector,     "cboRedirector", "Label1(18)", nullptr},
    {Field::Ntfs,           "cboNTFS",       "Label1(14)", nullptr},
    {Field::Cd,             "cboCD",         "Label1(15)", nullptr},
    {Field::Udma,           "cboUDMA",       "Label1(7)",  nullptr},
    {Field::Wins,           "txtWINS",       "Label1(17)", nullptr},
}};
// clang-format on

// The pictures, named for a screen reader by what they show.
struct SpokenPicture
{
    const char* control;
    const char* name;
};

inline constexpr std::array<SpokenPicture, 1> kSpokenPictures = {{
    {"imgLogo", "Corvane Startup Floppy logo"},
}};

inline constexpr std::size_t kNoRow = std::numeric_limits<std::size_t>::max();

// The row of the control named name, or kNoRow. Only the compiler looks.
consteval std::size_t findControlRow(std::string_view name)
{
    for (std::size_t row = 0; row < kEditorControls.size(); ++row) {
        if (name == kEditorControls[row].name)
            return row;
    }
    return kNoRow;
}

// The same for a name that has to be in the table: one that is not stops the
// build, so no control is ever looked up by its name while the program runs.
consteval std::size_t controlRow(std::string_view name)
{
    const std::size_t row = findControlRow(name);
    if (row == kNoRow)
        throw "no control of that name in kEditorControls";
    return row;
}

} // namespace useropts
