// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/EditorFields.h"

#include <QtGlobal>

#include <array>
#include <cstddef>
#include <string_view>
#include <utility>

namespace useropts {

// How a setting's value stands in its line after the prefix.
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

// What the user edits: free text, one of two entries, or the card's text,
// which can be typed or picked from the card list.
enum class FieldKind
{
    Text,
    Choice,
    EditableChoice,
};

constexpr FieldKind kindOf(ValueForm form)
{
    switch (form) {
    case ValueForm::ZeroOne:
    case ValueForm::BasicFull:
        return FieldKind::Choice;
    case ValueForm::CardCode:
        return FieldKind::EditableChoice;
    default:
        return FieldKind::Text;
    }
}

// One setting: its line, the text in front of its value, the value's form,
// the words the user knows it by, and what New gives it and when.
struct SettingRow
{
    Field field;
    int line; // 1-based line number in the file
    std::string_view prefix;
    ValueForm form;
    std::string_view caption; // as the window shows it beside the setting, without a colon
    const char* defaultText;  // what New types into a text; nullptr for a choice
    int defaultChoice;        // the entry New picks in a choice; -1 for a text
    int defaultsOrder;        // New sets the settings in this order, from 1

    // The value starts at character prefixLength() + 1.
    constexpr int prefixLength() const { return static_cast<int>(prefix.size()); }
    constexpr FieldKind kind() const { return kindOf(form); }
};

inline constexpr int kFirstDataLine = 4;
// The header lines and one line for each setting: 23.
inline constexpr int kLineCount = kFirstDataLine - 1 + kFieldCount;
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
// The defaults go in this order because the DHCP choice comes before the
// addresses, which it enables or disables.
// clang-format off
inline constexpr std::array<SettingRow, kFieldCount> kSettings = {{
    {Field::NetCard,         4, "rem NETCARD=",         ValueForm::CardCode,       "Last Used Network Card",  "EL3C574",       -1, 20},
    {Field::Workgroup,       5, "Set WORKGROUP=",       ValueForm::Text,           "Workgroup/Domain",        "WORKGROUP",     -1,  3},
    {Field::UserName,        6, "Set USERNAME=",        ValueForm::Text,           "Username",                "Kestrune",      -1,  1},
    {Field::Password,        7, "::: PASSWORD=",        ValueForm::Password,       "Password",                "quill",         -1,  2},
    {Field::DisableDhcp,     8, "Set DISABLEDHCP=",     ValueForm::ZeroOne,        "Enable DHCP",             nullptr,          0,  4},
    {Field::IpAddress,       9, "Set IPADDRESS0=",      ValueForm::Address,        "IP Address",              "192.168.1.123", -1,  5},
    {Field::SubnetMask,     10, "Set SUBNETMASK0=",     ValueForm::Address,        "Subnet Mask",             "255.255.255.0", -1,  6},
    {Field::DefaultGateway, 11, "Set DEFAULTGATEWAY0=", ValueForm::GatewayAddress, "Default Gateway",         "192.168.1.254", -1,  7},
    {Field::LogonScript,    12, "Set LOGONSCRIPT=",     ValueForm::Text,           "Auto-Execute Command",    "LOGON.BAT",     -1, 19},
    {Field::TimeOut,        13, "rem TIMEOUT=",         ValueForm::TimeOut,        "Menu Timeout",            "20",            -1, 10},
    {Field::Dns,            14, "Set DNS=",             ValueForm::Address,        "DNS Server",              "192.168.1.1",   -1,  9},
    {Field::ComputerName,   15, "Set WKSTN=",           ValueForm::ComputerName,   "Computer Name",           "KZ123456",      -1, 11},
    {Field::Packet,         16, "Set PACKET=",          ValueForm::ZeroOne,        "Enable Packet Driver",    nullptr,          1, 12},
    {Field::DnsEnable,      17, "Set DNSENABLE=",       ValueForm::ZeroOne,        "Enable DNS Redirector",   nullptr,          1, 17},
    {Field::Mouse,          18, "Set MOUSE=",           ValueForm::ZeroOne,        "Enable Mouse Driver",     nullptr,          1, 13},
    {Field::Redirector,     19, "Set REDIRECTOR=",      ValueForm::BasicFull,      "Network Redirector Type", nullptr,          0, 14},
    {Field::Ntfs,           20, "Set NTFS=",            ValueForm::ZeroOne,        "Enable NTFS Script",      nullptr,          0, 18},
    {Field::Cd,             21, "Set CD=",              ValueForm::ZeroOne,        "Enable CD-ROM Support",   nullptr,          0, 15},
    {Field::Udma,           22, "Set UDMA=",            ValueForm::ZeroOne,        "Enable UDMA Support",     nullptr,          0, 16},
    {Field::Wins,           23, "Set WINS=",            ValueForm::Address,        "WINS Server",             "192.168.1.1",   -1,  8},
}};
// clang-format on

constexpr const SettingRow& settingRow(Field field)
{
    return kSettings[static_cast<std::size_t>(field)];
}

// The name of the variable that a line sets, as the file spells it: the word
// before the equal sign of its prefix ("NETCARD" for "rem NETCARD="). Scripts
// name the settings by these, so they come from the table, never a list of
// their own.
constexpr std::string_view settingName(const SettingRow& row)
{
    const std::string_view name = row.prefix.substr(0, row.prefix.size() - 1);
    return name.substr(name.rfind(' ') + 1);
}

constexpr std::string_view settingName(Field field)
{
    return settingName(settingRow(field));
}

// The checks of one setting's row; each names the setting when it fails, as
// the compiler says in which SettingRowCheck<Field::...> it stopped.
namespace layout_checks {

constexpr bool hasRow(Field field)
{
    const SettingRow& row = settingRow(field);
    return row.field == field && !row.prefix.empty();
}

constexpr bool inLineOrder(Field field)
{
    return settingRow(field).line == kFirstDataLine + static_cast<int>(field);
}

constexpr bool hasName(Field field)
{
    const SettingRow& row = settingRow(field);
    return row.prefix.ends_with('=') && row.prefix.size() > 1 && !settingName(row).empty();
}

constexpr bool nameIsItsOwn(Field field)
{
    for (const SettingRow& other : kSettings) {
        if (other.field != field && hasName(other.field) &&
            settingName(other) == settingName(field))
            return false;
    }
    return true;
}

constexpr bool hasDefault(Field field)
{
    const SettingRow& row = settingRow(field);
    return row.kind() == FieldKind::Choice ? row.defaultChoice == 0 || row.defaultChoice == 1
                                           : row.defaultText != nullptr;
}

constexpr bool hasOneKindOfDefault(Field field)
{
    const SettingRow& row = settingRow(field);
    return row.kind() == FieldKind::Choice ? row.defaultText == nullptr : row.defaultChoice == -1;
}

constexpr bool hasItsOwnPlaceInTheDefaults(Field field)
{
    const int place = settingRow(field).defaultsOrder;
    if (place < 1 || place > kFieldCount)
        return false;
    for (const SettingRow& other : kSettings) {
        if (other.field != field && other.defaultsOrder == place)
            return false;
    }
    return true;
}

} // namespace layout_checks

// A setting without its row gets that one complaint, not every other too.
template <Field F> struct SettingRowCheck
{
    static constexpr bool kHasRow = layout_checks::hasRow(F);
    static_assert(kHasRow, "a setting without its row in kSettings");
    static_assert(!kHasRow || layout_checks::inLineOrder(F),
                  "a setting whose row is not in the order of the file's lines");
    static_assert(!kHasRow || layout_checks::hasName(F),
                  "a setting whose prefix does not end in NAME=");
    static_assert(!kHasRow || layout_checks::nameIsItsOwn(F),
                  "a setting whose NAME another one has");
    static_assert(!kHasRow || !settingRow(F).caption.empty(), "a setting without a caption");
    static_assert(!kHasRow || layout_checks::hasDefault(F), "a setting without a default");
    static_assert(!kHasRow || layout_checks::hasOneKindOfDefault(F),
                  "a setting with a default of the other kind");
    static_assert(!kHasRow || layout_checks::hasItsOwnPlaceInTheDefaults(F),
                  "a default order that skips or repeats a setting");
    static constexpr bool value = true;
};

template <std::size_t... I> constexpr bool everySettingChecked(std::index_sequence<I...>)
{
    return (SettingRowCheck<static_cast<Field>(I)>::value && ...);
}

static_assert(everySettingChecked(std::make_index_sequence<kFieldCount>()));
static_assert(kHeaderLines.size() == kFirstDataLine - 1, "a header line without its text");

} // namespace useropts
