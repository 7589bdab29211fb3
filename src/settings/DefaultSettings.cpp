#include "settings/DefaultSettings.h"

namespace useropts {

EditorFields defaultSettings()
{
    EditorFields f;
    f.txtUsername = QStringLiteral("Kestrune");
    f.txtPassword = QStringLiteral("quill");
    f.txtDomain = QStringLiteral("WORKGROUP");
    f.cboDHCP = 0;
    f.txtIP = QStringLiteral("192.168.1.123");
    f.txtSubnet = QStringLiteral("255.255.255.0");
    f.txtGateway = QStringLiteral("192.168.1.254");
    f.txtWINS = QStringLiteral("192.168.1.1");
    f.txtDNS = QStringLiteral("192.168.1.1");
    f.txtTimeOut = QStringLiteral("20");
    f.txtComputer = QStringLiteral("KZ123456");
    f.cboPacket = 1;
    f.cboMouse = 1;
    f.cboRedirector = 0;
    f.cboCD = 0;
    f.cboUDMA = 0;
    f.cboDNS = 1;
    f.cboNTFS = 0;
    f.txtLogon = QStringLiteral("LOGON.BAT");
    f.cboNIC = QStringLiteral("EL3C574");
    return f;
}

const std::array<Field, kFieldCount>& defaultsOrder()
{
    static constexpr std::array<Field, kFieldCount> kOrder = {
        Field::txtUsername, Field::txtPassword,   Field::txtDomain,   Field::cboDHCP,
        Field::txtIP,       Field::txtSubnet,     Field::txtGateway,  Field::txtWINS,
        Field::txtDNS,      Field::txtTimeOut,    Field::txtComputer, Field::cboPacket,
        Field::cboMouse,    Field::cboRedirector, Field::cboCD,       Field::cboUDMA,
        Field::cboDNS,      Field::cboNTFS,       Field::txtLogon,    Field::cboNIC,
    };
    return kOrder;
}

} // namespace useropts
