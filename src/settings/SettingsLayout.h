#pragma once

#include "settings/EditorFields.h"

#include <array>
#include <string_view>

namespace useropts {

// How a field's value stands in its line after the prefix.
enum class ValueForm
{
    CardCode,       // written: card code of the text; read: the text
    Text,           // as typed, both ways
    Password,       // scrambled by the password cipher
    Address,        // blanks in the file, dots in the window
    GatewayAddress, // an address followed by one blank, which reading drops
    TimeOut,        // written as typed, read as a number
    ComputerName,   // as typed; reading regenerates names that start with KZ
    ZeroOne,        // choice stored as "0" or "1"
    BasicFull,      // choice stored as "BASIC" or "FULL"
};

struct LineFormat
{
    int line; // 1-based line number in the file
    std::string_view prefix;
    int prefixLength; // the value starts at character prefixLength + 1
    Field field;
    ValueForm form;
};

inline constexpr int kLineCount = 23;
inline constexpr int kFirstDataLine = 4;
// Far beyond any settings file, yet a file that holds no line ends cannot
// make a reader read for ever: no more of a file is read, so no longer file
// is written.
inline constexpr qsizetype kMaxSettingsBytes = 16 * 1024 * 1024;

// Lines 1 to 3 are written as they stand and skipped when reading.
// The misspelling in line 2 is what the boot floppy carries; keep it.
inline constexpr std::array<std::string_view, 3> kHeaderLines = {
    "@echo off",
    "REM The Menu Program reads/writes to this file.  Please boot the disk and allow the Menu "
    "Software to modify this file. The password field is Encypted!",
    "REM *** Do not change the order of the commands in this batch file. (Or the Position of the "
    "equal signs!) ***",
};

// The boot menu finds every value by line number and character position, so
// this table is the file format: change nothing here without the floppy.
// clang-format off
inline constexpr std::array<LineFormat, kFieldCount> kDataLines = {{
    { 4, "rem NETCARD=",         12, Field::cboNIC,        ValueForm::CardCode},
    { 5, "Set WORKGROUP=",       14, Field::txtDomain,     ValueForm::Text},
    { 6, "Set USERNAME=",        13, Field::txtUsername,   ValueForm::Text},
    { 7, "::: PASSWORD=",        13, Field::txtPassword,   ValueForm::Password},
    { 8, "Set DISABLEDHCP=",     16, Field::cboDHCP,       ValueForm::ZeroOne},
    { 9, "Set IPADDRESS0=",      15, Field::txtIP,         ValueForm::Address},
    {10, "Set SUBNETMASK0=",     16, Field::txtSubnet,     ValueForm::Address},
    {11, "Set DEFAULTGATEWAY0=", 20, Field::txtGateway,    ValueForm::GatewayAddress},
    {12, "Set LOGONSCRIPT=",     16, Field::txtLogon,      ValueForm::Text},
    {13, "rem TIMEOUT=",         12, Field::txtTimeOut,    ValueForm::TimeOut},
    {14, "Set DNS=",              8, Field::txtDNS,        ValueForm::Address},
    {15, "Set WKSTN=",           10, Field::txtComputer,   ValueForm::ComputerName},
    {16, "Set PACKET=",          11, Field::cboPacket,     ValueForm::ZeroOne},
    {17, "Set DNSENABLE=",       14, Field::cboDNS,        ValueForm::ZeroOne},
    {18, "Set MOUSE=",           10, Field::cboMouse,      ValueForm::ZeroOne},
    {19, "Set REDIRECTOR=",      15, Field::cboRedirector, ValueForm::BasicFull},
    {20, "Set NTFS=",             9, Field::cboNTFS,       ValueForm::ZeroOne},
    {21, "Set CD=",               7, Field::cboCD,         ValueForm::ZeroOne},
    {22, "Set UDMA=",             9, Field::cboUDMA,       ValueForm::ZeroOne},
    {23, "Set WINS=",             9, Field::txtWINS,       ValueForm::Address},
}};
// clang-format on

// The name of the variable that a line sets, as the file spells it: the word
// before the equal sign of its prefix ("NETCARD" for "rem NETCARD="). Scripts
// name the settings by these, so they come from the table, never a list of
// their own.
constexpr std::string_view settingName(const LineFormat& format)
{
    const std::string_view name = format.prefix.substr(0, format.prefix.size() - 1);
    return name.substr(name.rfind(' ') + 1);
}

constexpr std::string_view settingName(Field field)
{
    return settingName(kDataLines[static_cast<std::size_t>(field)]);
}

constexpr bool layoutIsConsistent()
{
    for (std::size_t i = 0; i < kDataLines.size(); ++i) {
        const LineFormat& format = kDataLines[i];
        if (format.line != kFirstDataLine + static_cast<int>(i))
            return false;
        if (static_cast<std::size_t>(format.prefixLength) != format.prefix.size())
            return false;
        if (static_cast<std::size_t>(format.field) != i)
            return false;
        if (!format.prefix.ends_with('=') || settingName(format).empty())
            return false;
        for (std::size_t j = 0; j < i; ++j) {
            if (settingName(kDataLines[j]) == settingName(format))
                return false;
        }
    }
    return kHeaderLines.size() + kDataLines.size() == kLineCount;
}
static_assert(layoutIsConsistent());

} // namespace useropts
