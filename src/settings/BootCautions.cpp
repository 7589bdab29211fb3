// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/BootCautions.h"

#include "settings/BootRules.h"

#include <QStringList>

#include <algorithm>
#include <optional>

namespace useropts {

namespace {

// Where a row applies: always, or only where the boot uses the value.
enum class When
{
    Always,
    StaticAddresses, // with DISABLEDHCP=1
    StaticDns,       // with DISABLEDHCP=1 and DNSENABLE=1
};

bool applies(When when, const BootValues& boot)
{
    switch (when) {
    case When::Always:
        return true;
    case When::StaticAddresses:
        return boot.staticAddresses;
    case When::StaticDns:
        return boot.staticAddresses && boot.dnsRedirector;
    }
    return false;
}

// One check: the setting it looks at (none: each setting its rule takes), when
// the boot uses that setting, the rule, and the words. %1, %2 ... in the words
// are the rule's arguments; "when the floppy boots, " leads the second part.
struct CautionRow
{
    std::optional<Field> field;
    When when;
    Rule rule;
    const char* problem;
    const char* atBoot;
};

using enum When;

#define NAME_SIGNS "letters, digits and ! @ # $ % ^ & ( ) - _ ' { } . ~"
#define NOT_AN_ADDRESS "is '%1', not four numbers from 0 to 255 joined by dots"
#define LEADING_ZERO "is '%1', whose part %2 begins with a zero"
#define READ_AS_OCTAL "some TCP/IP stacks read such a part as octal, %2 as %3, and take another "

// clang-format off
const CautionRow kCautions[] = {
    // The names the DOS network client takes.
    {Field::Workgroup,      Always, nameTooLong,     "is %1 characters long",
     "the DOS network client takes names of at most 15, so the floppy cannot join the workgroup or domain"},
    {Field::Workgroup,      Always, nameSign,        "holds %1",
     "the DOS network client takes only " NAME_SIGNS " in a name, so the floppy cannot join the workgroup or domain"},
    {Field::UserName,       Always, userNameTooLong, "is %1 characters long",
     "the DOS network client takes user names of at most 20, so the floppy cannot log on"},
    {Field::Password,       Always, passwordTooLong, "is %1 characters long",
     "the DOS network client takes passwords of at most 14, so the floppy cannot log on"},
    {Field::ComputerName,   Always, nameTooLong,     "is %1 characters long",
     "the DOS network client takes names of at most 15, so the floppy cannot log on with it"},
    {Field::ComputerName,   Always, nameSign,        "holds %1",
     "the DOS network client takes only " NAME_SIGNS " in a name, so the floppy cannot log on with it"},

    // The static addresses, which only static settings use.
    {Field::IpAddress,      StaticAddresses, emptyAddress,     "is empty",
     "the network card has no address of its own, so the floppy cannot reach the network"},
    {Field::IpAddress,      StaticAddresses, notAnAddress,     NOT_AN_ADDRESS,
     "the TCP/IP stack cannot use it, so the floppy cannot reach the network"},
    {Field::IpAddress,      StaticAddresses, leadingZero,      LEADING_ZERO,
     READ_AS_OCTAL "address for the card"},
    {Field::SubnetMask,     StaticAddresses, emptyAddress,     "is empty",
     "the network card has no subnet, so the floppy cannot reach the network"},
    {Field::SubnetMask,     StaticAddresses, notAnAddress,     NOT_AN_ADDRESS,
     "the TCP/IP stack cannot use it, so the floppy cannot reach the network"},
    {Field::SubnetMask,     StaticAddresses, leadingZero,      LEADING_ZERO,
     READ_AS_OCTAL "mask"},
    {Field::SubnetMask,     StaticAddresses, maskOfNoBits,     "is 0.0.0.0",
     "the card takes every address for one of its own subnet, so nothing beyond it can be reached"},
    {Field::SubnetMask,     StaticAddresses, maskWithHoles,    "is %1, not a run of ones followed by zeros",
     "the TCP/IP stack cannot use it as a mask, so the floppy cannot reach the network"},
    {Field::IpAddress,      StaticAddresses, networkAddress,   "is %1, the address of its subnet itself",
     "no machine may have it, so nothing reaches the card"},
    {Field::IpAddress,      StaticAddresses, broadcastAddress, "is %1, the broadcast address of its subnet",
     "no machine may have it, so nothing reaches the card"},
    {Field::DefaultGateway, StaticAddresses, notAnAddress,     NOT_AN_ADDRESS,
     "the TCP/IP stack cannot use it, so nothing beyond the subnet can be reached"},
    {Field::DefaultGateway, StaticAddresses, leadingZero,      LEADING_ZERO,
     READ_AS_OCTAL "gateway"},
    {Field::DefaultGateway, StaticAddresses, gatewayOutside,   "is %1, outside the subnet %2 with mask %3",
     "the card cannot reach it, so nothing beyond the subnet can be reached"},
    {Field::DefaultGateway, StaticAddresses, gatewayIsOwn,     "is the card's own address",
     "nothing for another subnet leaves the card, so nothing beyond the subnet can be reached"},
    {Field::Dns,            StaticDns,       notAnAddress,     NOT_AN_ADDRESS,
     "the DNS redirector cannot use it, so no name can be looked up"},
    {Field::Dns,            StaticDns,       leadingZero,      LEADING_ZERO,
     READ_AS_OCTAL "server"},
    {Field::Wins,           StaticAddresses, notAnAddress,     NOT_AN_ADDRESS,
     "the DOS network client cannot use it, so no computer can be found by its name"},
    {Field::Wins,           StaticAddresses, leadingZero,      LEADING_ZERO,
     READ_AS_OCTAL "server"},

    // The number the boot menu reads.
    {Field::TimeOut,        Always, timeOutNotPlain, "is '%1', not a whole number of seconds written plainly",
     "the boot menu reads it as %2%3"},

    // Every line the DOS shell runs.
    {std::nullopt,          Always, lineTooLong,     "makes line %1 %2 bytes long",
     "DOS's command interpreter cuts every batch line after 127 bytes, so the value keeps only its first %3 characters: '%4'"},
    {std::nullopt,          Always, blankAtAnEnd,    "%1 with a blank",
     "some DOS shells keep the blank in the variable and others drop it"},
    {std::nullopt,          Always, beyondAscii,     "holds '%1' (code %2)",
     "DOS shows and sends it in its own code page, in 437 as '%3', so the network may receive another character"},
    {std::nullopt,          Always, shellCharacter,  "holds '%1'",
     "%2"},
};
// clang-format on

#undef NAME_SIGNS
#undef NOT_AN_ADDRESS
#undef LEADING_ZERO
#undef READ_AS_OCTAL

// The words with the rule's arguments in place of %1, %2 ...; an argument
// is put in as it is, whatever signs it holds.
QString filled(const char* words, const QStringList& arguments)
{
    const QString text = QString::fromLatin1(words);
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size() && text[i + 1] >= u'1' && text[i + 1] <= u'9') {
            const qsizetype n = text[i + 1].unicode() - u'1';
            out += n < arguments.size() ? arguments[n] : QString();
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

QString cautionText(const BootCaution& caution)
{
    return caution.problem + QStringLiteral(": ") + caution.atBoot;
}

QList<BootCaution> bootCautions(const QByteArray& file)
{
    const BootValues boot = bootValues(file);
    QList<BootCaution> cautions;
    for (const Field field : allFields()) {
        if (!boot.read[std::size_t(field)])
            break;
        for (const CautionRow& row : kCautions) {
            if ((row.field && *row.field != field) || !applies(row.when, boot))
                continue;
            const Arguments arguments = row.rule(boot, field);
            if (!arguments)
                continue;
            const QString problem = filled(row.problem, *arguments);
            const QString atBoot =
                QStringLiteral("when the floppy boots, ") + filled(row.atBoot, *arguments);
            cautions.append({field, problem, atBoot});
        }
    }
    return cautions;
}

} // namespace useropts
