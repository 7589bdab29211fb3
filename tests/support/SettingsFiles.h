// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The files the tests read and write, and the settings files they start
// from, shared by every test program; QtCore only.

#include "settings/EditorFields.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <initializer_list>
#include <utility>

namespace useropts::testing {

// What the file at path holds; empty when it cannot be read.
inline QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes bytes to the file at path, or stops the test program; gives path.
inline QString writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// The lines of a file, each followed by end.
inline QByteArray joinLines(const QList<QByteArray>& lines, const QByteArray& end = "\r\n")
{
    QByteArray out;
    for (const QByteArray& line : lines)
        out += line + end;
    return out;
}

// The lines with one of them, counted from 1, replaced by text.
inline QList<QByteArray> withLine(QList<QByteArray> lines, int lineNumber, const QByteArray& text)
{
    lines[lineNumber - 1] = text;
    return lines;
}

// The file that the defaults give, as the boot menu expects it.
inline const QList<QByteArray> kDefaultFileLines = {
    "@echo off",
    "REM The Menu Program reads/writes to this file.  Please boot the disk and allow the Menu "
    "Software to modify this file. The password field is Encypted!",
    "REM *** Do not change the order of the commands in this batch file. (Or the Position of the "
    "equal signs!) ***",
    "rem NETCARD=EL3C574",
    "Set WORKGROUP=WORKGROUP",
    "Set USERNAME=Kestrune",
    "::: PASSWORD=rwlpq",
    "Set DISABLEDHCP=0",
    "Set IPADDRESS0=192 168 1 123",
    "Set SUBNETMASK0=255 255 255 0",
    "Set DEFAULTGATEWAY0=192 168 1 254 ",
    "Set LOGONSCRIPT=LOGON.BAT",
    "rem TIMEOUT=20",
    "Set DNS=192 168 1 1",
    "Set WKSTN=KZ123456",
    "Set PACKET=1",
    "Set DNSENABLE=1",
    "Set MOUSE=1",
    "Set REDIRECTOR=BASIC",
    "Set NTFS=0",
    "Set CD=0",
    "Set UDMA=0",
    "Set WINS=192 168 1 1",
};

// A file with static addresses and every choice set, as the boot menu leaves
// it, and what the window shows of it.
// clang-format off
inline const QList<QByteArray> kStaticLines = {
    "@echo off",
    "REM The Menu Program reads/writes to this file.  Please boot the disk and allow the Menu "
    "Software to modify this file. The password field is Encypted!",
    "REM *** Do not change the order of the commands in this batch file. (Or the Position of the "
    "equal signs!) ***",
    "rem NETCARD=XYZ999", "Set WORKGROUP=OFFICE", "Set USERNAME=a=b c", "::: PASSWORD=rwlpq",
    "Set DISABLEDHCP=1", "Set IPADDRESS0=10 0 0 5", "Set SUBNETMASK0=255 0 0 0",
    "Set DEFAULTGATEWAY0=10 0 0 1 ", "Set LOGONSCRIPT=CALL X.BAT", "rem TIMEOUT=15",
    "Set DNS=10 0 0 2", "Set WKSTN=LAB-PC7", "Set PACKET=0", "Set DNSENABLE=1", "Set MOUSE=0",
    "Set REDIRECTOR=FULL", "Set NTFS=1", "Set CD=1", "Set UDMA=0", "Set WINS=10 0 0 3"};

inline const EditorFields kStaticFields = [] {
    EditorFields f;
    for (const auto& [field, text] : std::initializer_list<std::pair<Field, const char*>>{
             {Field::NetCard, "XYZ999"}, {Field::Workgroup, "OFFICE"}, {Field::UserName, "a=b c"},
             {Field::Password, "quill"}, {Field::IpAddress, "10.0.0.5"},
             {Field::SubnetMask, "255.0.0.0"}, {Field::DefaultGateway, "10.0.0.1"},
             {Field::LogonScript, "CALL X.BAT"}, {Field::TimeOut, "15"}, {Field::Dns, "10.0.0.2"},
             {Field::ComputerName, "LAB-PC7"}, {Field::Wins, "10.0.0.3"}})
        f.text(field) = QString::fromLatin1(text);
    for (const auto& [field, entry] : std::initializer_list<std::pair<Field, int>>{
             {Field::DisableDhcp, 1}, {Field::Packet, 0}, {Field::DnsEnable, 1}, {Field::Mouse, 0},
             {Field::Redirector, 1}, {Field::Ntfs, 1}, {Field::Cd, 1}, {Field::Udma, 0}})
        f.choice(field) = entry;
    return f;
}();
// clang-format on

} // namespace useropts::testing
