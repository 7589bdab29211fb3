// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/BootRules.h"

#include "encodings/AddressForms.h"
#include "encodings/Charset.h"
#include "encodings/DosCodePage.h"
#include "encodings/TextLines.h"
#include "settings/SettingsLayout.h"
#include "settings/TimeoutNumber.h"

#include <algorithm>

namespace useropts {

namespace {

// DOS's own command interpreter reads no more of a batch line than this.
constexpr int kLongestBatchLine = 127;
// What the DOS network client takes in a computer or workgroup name.
constexpr int kLongestName = 15;
constexpr QStringView kNameSigns = u"!@#$%^&()-_'{}.~";

enum class LineKind
{
    Set,   // a variable the shell sets
    Rem,   // a comment, whose redirection the shell still carries out
    Label, // skipped by the shell
};

LineKind kindOf(Field field)
{
    const std::string_view prefix = settingRow(field).prefix;
    if (prefix.starts_with("Set "))
        return LineKind::Set;
    if (prefix.starts_with("rem "))
        return LineKind::Rem;
    return LineKind::Label;
}

// An address as four numbers, or nothing when it is not one. A part with a
// leading zero counts as decimal here; a rule of its own speaks of it.
std::optional<quint32> addressOf(const QString& shown)
{
    const QStringList parts = shown.split(u'.');
    if (parts.size() != 4)
        return std::nullopt;
    quint32 address = 0;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return std::nullopt;
        for (const QChar c : part) {
            if (c < u'0' || c > u'9')
                return std::nullopt;
        }
        const uint number = part.toUInt();
        if (number > 255)
            return std::nullopt;
        address = address << 8 | number;
    }
    return address;
}

QString dotted(quint32 address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg(address >> 16 & 0xFF)
        .arg(address >> 8 & 0xFF)
        .arg(address & 0xFF);
}

// The own address and mask, when both are addresses and the mask is one.
struct Subnet
{
    quint32 address;
    quint32 mask;
};

std::optional<Subnet> subnetOf(const BootValues& boot)
{
    const auto address = addressOf(NiceIP(boot[Field::IpAddress]));
    const auto mask = addressOf(NiceIP(boot[Field::SubnetMask]));
    if (!address || !mask || *mask == 0 || (~*mask & (~*mask + 1)) != 0)
        return std::nullopt;
    return Subnet{*address, *mask};
}

} // namespace

BootValues bootValues(const QByteArray& file)
{
    BootValues boot;
    LineReader lines(file);
    for (int line = 1; line < kFirstDataLine && !lines.atEnd(); ++line)
        lines.next();
    for (const SettingRow& row : kSettings) {
        if (lines.atEnd())
            break;
        const QByteArray line = lines.next();
        const std::size_t at = std::size_t(row.field);
        QByteArray value = line.mid(row.prefixLength());
        if (row.form == ValueForm::GatewayAddress)
            value.chop(1);
        boot.values[at] = Charset::decode(value);
        boot.lineLengths[at] = line.size();
        boot.read[at] = true;
    }
    boot.staticAddresses = boot[Field::DisableDhcp] == u"1";
    boot.dnsRedirector = boot[Field::DnsEnable] == u"1";
    return boot;
}

namespace {

Arguments longerThan(const QString& value, int most)
{
    if (value.size() <= most)
        return std::nullopt;
    return QStringList{QString::number(value.size())};
}

} // namespace

Arguments nameTooLong(const BootValues& boot, Field field)
{
    // A name that starts with KZ is replaced by a generated one at boot.
    if (field == Field::ComputerName && boot[field].startsWith(u"KZ"))
        return std::nullopt;
    return longerThan(boot[field], kLongestName);
}

Arguments nameSign(const BootValues& boot, Field field)
{
    for (const QChar c : boot[field]) {
        // Characters beyond ASCII have a caution of their own.
        if (c.unicode() >= 0x80 || (c.isLetterOrNumber() && c.unicode() < 0x80) ||
            kNameSigns.contains(c))
            continue;
        return QStringList{c == u' ' ? QStringLiteral("a blank") : QStringLiteral("'%1'").arg(c)};
    }
    return std::nullopt;
}

Arguments userNameTooLong(const BootValues& boot, Field field)
{
    return longerThan(boot[field], 20);
}

Arguments passwordTooLong(const BootValues& boot, Field field)
{
    return longerThan(boot[field], 14);
}

Arguments emptyAddress(const BootValues& boot, Field field)
{
    return boot[field].isEmpty() ? Arguments(QStringList{}) : std::nullopt;
}

Arguments notAnAddress(const BootValues& boot, Field field)
{
    const QString shown = NiceIP(boot[field]);
    if (shown.isEmpty() || addressOf(shown))
        return std::nullopt;
    return QStringList{shown};
}

Arguments leadingZero(const BootValues& boot, Field field)
{
    const QString shown = NiceIP(boot[field]);
    if (!addressOf(shown))
        return std::nullopt;
    for (const QString& part : shown.split(u'.')) {
        if (part.size() > 1 && part.startsWith(u'0'))
            return QStringList{shown, part, QString::number(part.toUInt(nullptr, 8))};
    }
    return std::nullopt;
}

Arguments maskOfNoBits(const BootValues& boot, Field field)
{
    return addressOf(NiceIP(boot[field])) == 0u ? Arguments(QStringList{}) : std::nullopt;
}

Arguments maskWithHoles(const BootValues& boot, Field field)
{
    const auto mask = addressOf(NiceIP(boot[field]));
    if (!mask || *mask == 0 || (~*mask & (~*mask + 1)) == 0)
        return std::nullopt;
    return QStringList{NiceIP(boot[field])};
}

namespace {

// Own addresses that no machine may have: the subnet's first and last, but
// in the two smallest subnets, which have none to spare.
Arguments subnetsOwnAddress(const BootValues& boot, bool broadcast)
{
    const auto subnet = subnetOf(boot);
    if (!subnet || subnet->mask >= 0xFFFFFFFEu)
        return std::nullopt;
    const quint32 network = subnet->address & subnet->mask;
    const quint32 own = broadcast ? network | ~subnet->mask : network;
    if (subnet->address != own)
        return std::nullopt;
    return QStringList{dotted(subnet->address)};
}

} // namespace

Arguments networkAddress(const BootValues& boot, Field)
{
    return subnetsOwnAddress(boot, false);
}

Arguments broadcastAddress(const BootValues& boot, Field)
{
    return subnetsOwnAddress(boot, true);
}

Arguments gatewayOutside(const BootValues& boot, Field field)
{
    const auto subnet = subnetOf(boot);
    const auto gateway = addressOf(NiceIP(boot[field]));
    if (!subnet || !gateway || (*gateway & subnet->mask) == (subnet->address & subnet->mask))
        return std::nullopt;
    return QStringList{dotted(*gateway), dotted(subnet->address & subnet->mask),
                       dotted(subnet->mask)};
}

Arguments gatewayIsOwn(const BootValues& boot, Field field)
{
    const auto subnet = subnetOf(boot);
    const auto gateway = addressOf(NiceIP(boot[field]));
    return subnet && gateway == subnet->address ? Arguments(QStringList{}) : std::nullopt;
}

Arguments timeOutNotPlain(const BootValues& boot, Field field)
{
    const QString& value = boot[field];
    if (!value.isEmpty() &&
        std::all_of(value.begin(), value.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    const Result<double> number = readLeadingNumber(value);
    if (!number.ok())
        return std::nullopt; // no file holds it: it cannot be read back
    const QString seconds = plainNumberText(number.value());
    return QStringList{value, seconds,
                       number.value() == 0 ? QStringLiteral(", so the menu will not wait")
                                           : QString()};
}

Arguments lineTooLong(const BootValues& boot, Field field)
{
    const qsizetype length = boot.lineLengths[std::size_t(field)];
    if (kindOf(field) == LineKind::Label || length <= kLongestBatchLine)
        return std::nullopt;
    const int keeps = kLongestBatchLine - settingRow(field).prefixLength();
    return QStringList{QString::number(settingRow(field).line), QString::number(length),
                       QString::number(keeps), boot[field].left(keeps)};
}

namespace {

bool isTypedText(Field field)
{
    const ValueForm form = settingRow(field).form;
    return kindOf(field) == LineKind::Set &&
           (form == ValueForm::Text || form == ValueForm::ComputerName);
}

} // namespace

Arguments blankAtAnEnd(const BootValues& boot, Field field)
{
    const QString& value = boot[field];
    if (!isTypedText(field) || value.isEmpty())
        return std::nullopt;
    if (value.startsWith(u' '))
        return QStringList{QStringLiteral("begins")};
    if (value.endsWith(u' '))
        return QStringList{QStringLiteral("ends")};
    return std::nullopt;
}

Arguments beyondAscii(const BootValues& boot, Field field)
{
    if (!isTypedText(field))
        return std::nullopt;
    for (const QChar c : boot[field]) {
        const auto code = Charset::toCode(c);
        if (code && *code >= 0x80)
            return QStringList{c, QString::number(*code), shownByDos(*code)};
    }
    return std::nullopt;
}

namespace {

// What the DOS shell does with its own characters, by the line they stand on.
QString shellEffect(char c, LineKind kind)
{
    if (kind == LineKind::Rem) {
        switch (c) {
        case '>':
            return QStringLiteral("the DOS shell creates a file named by what follows on the boot "
                                  "disk");
        case '<':
            return QStringLiteral("the DOS shell tries to read a file named by what follows");
        default:
            return QStringLiteral("the DOS shell may run what follows as a command");
        }
    }
    switch (c) {
    case '>':
        return QStringLiteral("the DOS shell cuts the value there and writes into a new file "
                              "named by the rest, on the boot disk");
    case '<':
        return QStringLiteral("the DOS shell cuts the value there and reads from a file named by "
                              "the rest");
    case '|':
        return QStringLiteral("the DOS shell cuts the value there and runs the rest as a command");
    default:
        return QStringLiteral("the DOS shell drops the %, and takes text between two % signs as "
                              "the name of a variable to put in its place");
    }
}

} // namespace

Arguments shellCharacter(const BootValues& boot, Field field)
{
    const LineKind kind = kindOf(field);
    if (kind == LineKind::Label)
        return std::nullopt;
    const QStringView special = kind == LineKind::Set ? u"<>|%" : u"<>|";
    for (const QChar c : boot[field]) {
        if (special.contains(c))
            return QStringList{c, shellEffect(char(c.unicode()), kind)};
    }
    return std::nullopt;
}

} // namespace useropts
