#pragma once

#include <QString>

#include <array>

namespace useropts {

// The twenty editor fields, in the order of their lines in USEROPTS.BAT.
enum class Field
{
    cboNIC,
    txtDomain,
    txtUsername,
    txtPassword,
    cboDHCP,
    txtIP,
    txtSubnet,
    txtGateway,
    txtLogon,
    txtTimeOut,
    txtDNS,
    txtComputer,
    cboPacket,
    cboDNS,
    cboMouse,
    cboRedirector,
    cboNTFS,
    cboCD,
    cboUDMA,
    txtWINS,
};

inline constexpr int kFieldCount = 20;

// True for the eight two-entry choices, whose value is an entry index.
// cboNIC counts as text: only its free text reaches the file.
bool isChoice(Field field);

// The control's object name in the window, e.g. "txtUsername".
const char* fieldObjectName(Field field);

// What the user sees next to the field, for messages, e.g. "Username".
QString fieldCaption(Field field);

const std::array<Field, kFieldCount>& allFields();

// A plain value of everything the window edits. A choice holds the index of
// its selected entry: -1 for none, 0 or 1.
struct EditorFields
{
    QString cboNIC; // the free text of the card choice
    QString txtDomain;
    QString txtUsername;
    QString txtPassword;
    int cboDHCP = -1;
    QString txtIP;
    QString txtSubnet;
    QString txtGateway;
    QString txtLogon;
    QString txtTimeOut;
    QString txtDNS;
    QString txtComputer;
    int cboPacket = -1;
    int cboDNS = -1;
    int cboMouse = -1;
    int cboRedirector = -1;
    int cboNTFS = -1;
    int cboCD = -1;
    int cboUDMA = -1;
    QString txtWINS;

    QString& text(Field field);
    const QString& text(Field field) const;
    int& choice(Field field);
    int choice(Field field) const;

    bool operator==(const EditorFields&) const = default;
};

} // namespace useropts
