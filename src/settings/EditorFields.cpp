#include "settings/EditorFields.h"

#include <QtGlobal>

namespace useropts {

namespace {

struct FieldInfo
{
    Field field;
    const char* objectName;
    const char* caption;
    QString EditorFields::*text;
    int EditorFields::*choice;
};

// clang-format off
constexpr std::array<FieldInfo, kFieldCount> kFieldInfo = {{
    {Field::cboNIC,        "cboNIC",        "Last Used Network Card",  &EditorFields::cboNIC,      nullptr},
    {Field::txtDomain,     "txtDomain",     "Workgroup/Domain",        &EditorFields::txtDomain,   nullptr},
    {Field::txtUsername,   "txtUsername",   "Username",                &EditorFields::txtUsername, nullptr},
    {Field::txtPassword,   "txtPassword",   "Password",                &EditorFields::txtPassword, nullptr},
    {Field::cboDHCP,       "cboDHCP",       "Enable DHCP",             nullptr, &EditorFields::cboDHCP},
    {Field::txtIP,         "txtIP",         "IP Address",              &EditorFields::txtIP,       nullptr},
    {Field::txtSubnet,     "txtSubnet",     "Subnet Mask",             &EditorFields::txtSubnet,   nullptr},
    {Field::txtGateway,    "txtGateway",    "Default Gateway",         &EditorFields::txtGateway,  nullptr},
    {Field::txtLogon,      "txtLogon",      "Auto-Execute Command",    &EditorFields::txtLogon,    nullptr},
    {Field::txtTimeOut,    "txtTimeOut",    "Menu Timeout",            &EditorFields::txtTimeOut,  nullptr},
    {Field::txtDNS,        "txtDNS",        "DNS Server",              &EditorFields::txtDNS,      nullptr},
    {Field::txtComputer,   "txtComputer",   "Computer Name",           &EditorFields::txtComputer, nullptr},
    {Field::cboPacket,     "cboPacket",     "Enable Packet Driver",    nullptr, &EditorFields::cboPacket},
    {Field::cboDNS,        "cboDNS",        "Enable DNS Redirector",   nullptr, &EditorFields::cboDNS},
    {Field::cboMouse,      "cboMouse",      "Enable Mouse Driver",     nullptr, &EditorFields::cboMouse},
    {Field::cboRedirector, "cboRedirector", "Network Redirector Type", nullptr, &EditorFields::cboRedirector},
    {Field::cboNTFS,       "cboNTFS",       "Enable NTFS Script",      nullptr, &EditorFields::cboNTFS},
    {Field::cboCD,         "cboCD",         "Enable CD-ROM Support",   nullptr, &EditorFields::cboCD},
    {Field::cboUDMA,       "cboUDMA",       "Enable UDMA Support",     nullptr, &EditorFields::cboUDMA},
    {Field::txtWINS,       "txtWINS",       "WINS Server",             &EditorFields::txtWINS,     nullptr},
}};
// clang-format on

const FieldInfo& info(Field field)
{
    const FieldInfo& entry = kFieldInfo[static_cast<std::size_t>(field)];
    Q_ASSERT(entry.field == field);
    return entry;
}

constexpr std::array<Field, kFieldCount> makeAllFields()
{
    std::array<Field, kFieldCount> fields{};
    for (std::size_t i = 0; i < fields.size(); ++i)
        fields[i] = kFieldInfo[i].field;
    return fields;
}

constexpr std::array<Field, kFieldCount> kAllFields = makeAllFields();

} // namespace

bool isChoice(Field field)
{
    return info(field).choice != nullptr;
}

const char* fieldObjectName(Field field)
{
    return info(field).objectName;
}

QString fieldCaption(Field field)
{
    return QString::fromLatin1(info(field).caption);
}

const std::array<Field, kFieldCount>& allFields()
{
    return kAllFields;
}

QString& EditorFields::text(Field field)
{
    Q_ASSERT(!isChoice(field));
    return this->*(info(field).text);
}

const QString& EditorFields::text(Field field) const
{
    Q_ASSERT(!isChoice(field));
    return this->*(info(field).text);
}

int& EditorFields::choice(Field field)
{
    Q_ASSERT(isChoice(field));
    return this->*(info(field).choice);
}

int EditorFields::choice(Field field) const
{
    Q_ASSERT(isChoice(field));
    return this->*(info(field).choice);
}

} // namespace useropts
