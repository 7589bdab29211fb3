// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/EditorFields.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace useropts {

// The rules of the boot checks: each looks at one setting of a file as the
// boot meets it and gives the arguments for the words of its caution, or
// nothing for a value that will work.

// The file's lines as the boot meets them.
struct BootValues
{
    std::array<QString, kFieldCount> values; // after the prefix; the gateway without its blank
    std::array<qsizetype, kFieldCount> lineLengths{};
    std::array<bool, kFieldCount> read{};
    bool staticAddresses = false; // DISABLEDHCP=1
    bool dnsRedirector = false;   // DNSENABLE=1

    const QString& operator[](Field field) const { return values[std::size_t(field)]; }
};

// The lines of a whole file, as far as it goes.
BootValues bootValues(const QByteArray& file);

using Arguments = std::optional<QStringList>;
using Rule = Arguments (*)(const BootValues& boot, Field field);

Arguments nameTooLong(const BootValues& boot, Field field);
Arguments nameSign(const BootValues& boot, Field field);
Arguments userNameTooLong(const BootValues& boot, Field field);
Arguments passwordTooLong(const BootValues& boot, Field field);
Arguments emptyAddress(const BootValues& boot, Field field);
Arguments notAnAddress(const BootValues& boot, Field field);
Arguments leadingZero(const BootValues& boot, Field field);
Arguments maskOfNoBits(const BootValues& boot, Field field);
Arguments maskWithHoles(const BootValues& boot, Field field);
Arguments networkAddress(const BootValues& boot, Field field);
Arguments broadcastAddress(const BootValues& boot, Field field);
Arguments gatewayOutside(const BootValues& boot, Field field);
Arguments gatewayIsOwn(const BootValues& boot, Field field);
Arguments timeOutNotPlain(const BootValues& boot, Field field);
Arguments lineTooLong(const BootValues& boot, Field field);
Arguments blankAtAnEnd(const BootValues& boot, Field field);
Arguments beyondAscii(const BootValues& boot, Field field);
Arguments shellCharacter(const BootValues& boot, Field field);

} // namespace useropts
