// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <array>

namespace useropts {

// The twenty settings of USEROPTS.BAT, in the order of their lines. What
// each one is, where it stands in the file and what it starts as is one row
// of kSettings (SettingsLayout.h); a new setting is a name here and a row
// there, and the compiler names whatever else it lacks.
enum class Field
{
    NetCard,
    Workgroup,
    UserName,
    Password,
    DisableDhcp,
    IpAddress,
    SubnetMask,
    DefaultGateway,
    LogonScript,
    TimeOut,
    Dns,
    ComputerName,
    Packet,
    DnsEnable,
    Mouse,
    Redirector,
    Ntfs,
    Cd,
    Udma,
    Wins,
    Count // not a setting: how many there are
};

inline constexpr int kFieldCount = static_cast<int>(Field::Count);

// True for the eight two-entry choices, whose value is an entry index. The
// card counts as text: only its free text reaches the file.
bool isChoice(Field field);

// What the user sees next to the setting, for messages, e.g. "Username".
QString fieldCaption(Field field);

// Every setting, in the order of the file's lines.
const std::array<Field, kFieldCount>& allFields();

// A plain value of everything the window edits. A choice holds the index of
// its selected entry: -1 for none, 0 or 1; every other setting a text.
class EditorFields
{
  public:
    QString& text(Field field);
    const QString& text(Field field) const;
    int& choice(Field field);
    int choice(Field field) const;

    bool operator==(const EditorFields&) const = default;

  private:
    std::array<QString, kFieldCount> m_texts;
    std::array<int, kFieldCount> m_choices = [] {
        std::array<int, kFieldCount> none{};
        none.fill(-1);
        return none;
    }();
};

} // namespace useropts
